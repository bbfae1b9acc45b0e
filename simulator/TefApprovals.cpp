#include "TefApprovals.h"

#include "IntPos.h"
#include "text/SharedFiles.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace zel {

QString tefApprovalStateName(ManagerApproval::State state)
{
    switch (state) {
    case ManagerApproval::State::Pending:
        return QStringLiteral("pending");
    case ManagerApproval::State::Confirmed:
        return QStringLiteral("confirmed");
    case ManagerApproval::State::Cancelled:
        return QStringLiteral("cancelled");
    case ManagerApproval::State::Undone:
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

QList<ManagerApproval> tefapprovals::read(const QString& tefDir)
{
    QList<ManagerApproval> approvals;
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
        ManagerApproval approval;
        approval.sequence = o.value(QStringLiteral("sequence")).toString();
        approval.cents = o.value(QStringLiteral("amount")).toString().toLongLong();
        const QString state = o.value(QStringLiteral("state")).toString();
        if (approval.sequence.isEmpty())
            continue;
        approval.nsu = o.value(QStringLiteral("nsu")).toString(tefNsuOf(approval.sequence));
        approval.state = state == QLatin1String("confirmed")   ? ManagerApproval::State::Confirmed
                         : state == QLatin1String("undone")    ? ManagerApproval::State::Undone
                         : state == QLatin1String("cancelled") ? ManagerApproval::State::Cancelled
                                                               : ManagerApproval::State::Pending;
        approvals << approval;
    }
    return approvals;
}

QJsonArray tefapprovals::toJson(const QList<ManagerApproval>& approvals)
{
    QJsonArray list;
    for (const auto& a : approvals)
        list.append(QJsonObject{{QStringLiteral("sequence"), a.sequence},
                                {QStringLiteral("amount"), QString::number(a.cents)},
                                {QStringLiteral("nsu"), a.nsu},
                                {QStringLiteral("state"), tefApprovalStateName(a.state)}});
    return list;
}

bool tefapprovals::write(const QString& tefDir, const QList<ManagerApproval>& approvals)
{
    const QJsonObject document{{QStringLiteral("approvals"), toJson(approvals)}};
    return writeFileWhole(path(tefDir), QJsonDocument(document).toJson(QJsonDocument::Indented));
}

} // namespace zel
