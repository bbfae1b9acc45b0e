#include "ErrorBarrier.h"

#include <QApplication>
#include <QMessageBox>
#include <QtDebug>

namespace zel {
namespace {

ErrorReporter& reporterSlot()
{
    static ErrorReporter reporter;
    return reporter;
}

void fallbackReport(const QString& message)
{
    qCritical().noquote() << message;
    if (waits::testBuild() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(), message);
}

} // namespace

ErrorReporter setErrorReporter(ErrorReporter reporter)
{
    std::swap(reporterSlot(), reporter);
    return reporter;
}

QString unexpectedErrorText()
{
    return QStringLiteral("Erro inesperado.");
}

void reportError(const QString& message)
{
    const ErrorReporter reporter = reporterSlot();
    try {
        if (reporter)
            reporter(message);
        else
            fallbackReport(message);
    } catch (const std::exception& e) {
        qCritical().noquote() << message << "- the error could not be shown:" << e.what();
    } catch (...) {
        qCritical().noquote() << message << "- the error could not be shown";
    }
}

} // namespace zel
