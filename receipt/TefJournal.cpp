#include "TefJournal.h"

#include "receipt/TefMessages.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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
    QFile file(path);
    if (!file.exists())
        return QList<TefApproval>{};
    if (!file.open(QIODevice::ReadOnly))
        return Error{tefText("TefDiarioIlegivel").arg(path, file.errorString()), QStringLiteral("TefDiarioIlegivel")};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(kMaxJournalBytes), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Error{tefText("TefDiarioIlegivel").arg(path, error.errorString()), QStringLiteral("TefDiarioIlegivel")};
    QList<TefApproval> approvals;
    for (const QJsonValue& item : doc.object().value(QStringLiteral("aprovacoes")).toArray()) {
        const QJsonObject o = item.toObject();
        TefApproval approval{o.value(QStringLiteral("sequencia")).toString(), o.value(QStringLiteral("nsu")).toString(),
                             o.value(QStringLiteral("valor")).toString(), o.value(QStringLiteral("pendente")).toBool()};
        if (!approval.sequence.isEmpty())
            approvals.append(approval);
    }
    return approvals;
}

Status writeTefJournal(const QString& path, const QList<TefApproval>& approvals)
{
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("aprovacoes"), list}}).toJson()) < 0 || !file.commit())
        return Error{tefText("TefDiarioNaoGravado").arg(path, file.errorString()), QStringLiteral("TefDiarioNaoGravado")};
    return {};
}

} // namespace zel
