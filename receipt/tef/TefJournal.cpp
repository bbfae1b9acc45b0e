#include "TefJournal.h"

#include "receipt/tef/TefMessages.h"
#include "text/SharedFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zel {

namespace {
constexpr qint64 kMaxJournalBytes = 1024 * 1024;
}

QString tefJournalPath(const QString& dirTef)
{
    return QDir(dirTef).filePath(QStringLiteral("recebimento-tef.json"));
}

Result<QList<TefApproval>> readTefJournal(const QString& path)
{
    // It lies in the shared TEF folder: a link, a FIFO or a huge file there is not read.
    const sharedfiles::ReadFile file = sharedfiles::readRegular(path, kMaxJournalBytes);
    using Kind = sharedfiles::ReadFile::Kind;
    if (file.kind == Kind::Absent)
        return QList<TefApproval>{};
    if (file.kind != Kind::Regular) {
        const QString why = file.kind == Kind::NotRegular ? tefText("TefNaoArquivoComum")
                            : file.kind == Kind::TooLarge
                                ? QStringLiteral("> %1 KiB").arg(kMaxJournalBytes / 1024)
                                : file.error;
        return Error{tefText("TefDiarioIlegivel").arg(path, why), QStringLiteral("TefDiarioIlegivel")};
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Error{tefText("TefDiarioIlegivel").arg(path, error.errorString()),
                     QStringLiteral("TefDiarioIlegivel")};
    QList<TefApproval> approvals;
    for (const QJsonValue& item : doc.object().value(QStringLiteral("aprovacoes")).toArray()) {
        const QJsonObject o = item.toObject();
        TefApproval approval{
            o.value(QStringLiteral("sequencia")).toString(), o.value(QStringLiteral("nsu")).toString(),
            o.value(QStringLiteral("valor")).toString(), o.value(QStringLiteral("pendente")).toBool()};
        if (!approval.sequence.isEmpty())
            approvals.append(approval);
    }
    return approvals;
}

Status writeTefJournal(const QString& path, const QList<TefApproval>& approvals)
{
    // The temporary files of a write a killed run left half-way are this terminal's own: they go.
    sharedfiles::removeLeftovers(path, std::chrono::seconds(60));
    if (approvals.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            return Error{tefText("TefDiarioNaoGravado").arg(path, QStringLiteral("remove")),
                         QStringLiteral("TefDiarioNaoGravado")};
        return {};
    }
    QJsonArray list;
    for (const TefApproval& a : approvals)
        list.append(QJsonObject{{QStringLiteral("sequencia"), a.sequence},
                                {QStringLiteral("nsu"), a.nsu},
                                {QStringLiteral("valor"), a.amountCents},
                                {QStringLiteral("pendente"), a.pending}});
    const QString error = sharedfiles::writeWhole(
        path, QJsonDocument(QJsonObject{{QStringLiteral("aprovacoes"), list}}).toJson(), 0600);
    if (!error.isEmpty())
        return Error{tefText("TefDiarioNaoGravado").arg(path, error), QStringLiteral("TefDiarioNaoGravado")};
    return {};
}

} // namespace zel
