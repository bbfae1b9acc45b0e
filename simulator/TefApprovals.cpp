#include "TefApprovals.h"

#include "IntPos.h"

#include "text/SharedFiles.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace zel {

QString tefApprovalStateName(TefApproval::State state)
{
    switch (state) {
    case TefApproval::State::Pending:
        return QStringLiteral("pending");
    case TefApproval::State::Confirmed:
        return QStringLiteral("confirmed");
    case TefApproval::State::Cancelled:
        return QStringLiteral("cancelled");
    case TefApproval::State::Undone:
        break;
    }
    return QStringLiteral("undone");
}

QString tefNsuOf(const QString& sequence)
{
    return sequence.right(6).rightJustified(6, QLatin1Char('0'));
}

QString tefapprovals::path(const QString& tefDir)
{
    return tefDir + QStringLiteral("tef-approvals.json");
}

QList<TefApproval> tefapprovals::read(const QString& tefDir)
{
    QList<TefApproval> approvals;
    // A regular file of a sane size only: the folder is shared.
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    const sharedfiles::ReadFile file = sharedfiles::readRegular(path(tefDir), kMaxBytes);
    if (file.kind == sharedfiles::ReadFile::Kind::Absent)
        return approvals;
    QJsonParseError error;
    const QJsonDocument document = file.kind == sharedfiles::ReadFile::Kind::Regular
                                       ? QJsonDocument::fromJson(file.bytes, &error)
                                       : QJsonDocument();
    if (!document.isObject() || !document.object().value(QStringLiteral("approvals")).isArray()) {
        qWarning("tef: %s is unreadable", qPrintable(path(tefDir)));
        return approvals;
    }
    for (const QJsonValue entry : document.object().value(QStringLiteral("approvals")).toArray()) {
        const QJsonObject o = entry.toObject();
        TefApproval approval;
        approval.sequence = o.value(QStringLiteral("sequence")).toString();
        approval.cents = o.value(QStringLiteral("amount")).toString().toLongLong();
        const QString state = o.value(QStringLiteral("state")).toString();
        if (approval.sequence.isEmpty())
            continue;
        approval.nsu = o.value(QStringLiteral("nsu")).toString(tefNsuOf(approval.sequence));
        approval.state = state == QLatin1String("confirmed")   ? TefApproval::State::Confirmed
                         : state == QLatin1String("undone")    ? TefApproval::State::Undone
                         : state == QLatin1String("cancelled") ? TefApproval::State::Cancelled
                                                               : TefApproval::State::Pending;
        approvals << approval;
    }
    return approvals;
}

QJsonArray tefapprovals::toJson(const QList<TefApproval>& approvals)
{
    QJsonArray list;
    for (const auto& a : approvals)
        list.append(QJsonObject{{QStringLiteral("sequence"), a.sequence},
                                {QStringLiteral("amount"), QString::number(a.cents)},
                                {QStringLiteral("nsu"), a.nsu},
                                {QStringLiteral("state"), tefApprovalStateName(a.state)}});
    return list;
}

bool tefapprovals::write(const QString& tefDir, const QList<TefApproval>& approvals)
{
    const QJsonObject document{{QStringLiteral("approvals"), toJson(approvals)}};
    return writeFileWhole(path(tefDir), QJsonDocument(document).toJson(QJsonDocument::Indented));
}

} // namespace zel
