#include "ErrorLog.h"

#include <QMutex>

Q_LOGGING_CATEGORY(lcReceipt, "zel.receipt")
Q_LOGGING_CATEGORY(lcTef, "zel.tef")
Q_LOGGING_CATEGORY(lcDevices, "zel.devices")

namespace zel {

namespace {

QMutex g_lock;
ErrorRecord g_last;

} // namespace

void reportError(const QLoggingCategory& category, const QString& code, const QString& text)
{
    qCWarning(category).noquote() << code << text;
    const QMutexLocker lock(&g_lock);
    g_last = {code, text};
}

ErrorRecord lastError()
{
    const QMutexLocker lock(&g_lock);
    return g_last;
}

void clearLastError()
{
    const QMutexLocker lock(&g_lock);
    g_last = {};
}

} // namespace zel
