#include "TefFolder.h"

#include "TefMessages.h"
#include "receipt/payment/ReceiptSettings.h"
#include "text/SharedFiles.h"

#include <pwd.h>
#include <unistd.h>

namespace zel {

namespace {

QString ownerSetting()
{
    return readReceiptSettings().uidGerenciadorTEF;
}

} // namespace

std::optional<uid_t> tefManagerOwner()
{
    const QString setting = ownerSetting();
    if (setting.isEmpty())
        return ::geteuid();
    bool number = false;
    const uint uid = setting.toUInt(&number);
    if (number)
        return uid_t(uid);
    if (const passwd* user = ::getpwnam(setting.toLocal8Bit().constData()))
        return user->pw_uid;
    return std::nullopt;
}

QString tefManagerOwnerText()
{
    const QString setting = ownerSetting();
    return setting.isEmpty() ? QString::number(::geteuid()) : setting;
}

QString tefFolderProblem(const QString& dirTef)
{
    for (const QString& folder : {dirTef, dirTef + QStringLiteral("req"), dirTef + QStringLiteral("resp")}) {
        if (sharedfiles::openToAll(folder))
            return tefText("TefPastaAberta").arg(folder);
    }
    return {};
}

} // namespace zel
