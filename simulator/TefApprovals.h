#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

namespace zel {

// One approval the TEF manager gave, and what became of it (the manager's record; the till keeps
// its own, TefApproval): "pending" until the till
// confirms it (CNF, the sale was recorded) or undoes it (NCN, the sale was not); an approval
// without receipt lines needs no confirmation and is "confirmed" at once. A cancellation (CNC)
// takes back a pending or confirmed approval: "cancelled".
struct ManagerApproval
{
    enum class State { Pending, Confirmed, Undone, Cancelled };
    QString sequence;
    qint64 cents = 0;
    State state = State::Pending;
    QString nsu; // 012-000 of the approval's response, which a cancellation names

    bool operator==(const ManagerApproval&) const = default;
};

QString tefApprovalStateName(ManagerApproval::State state);
// The NSU the manager gives the approval of the exchange `sequence`: its last six digits.
QString tefNsuOf(const QString& sequence);

// The manager's list of approvals, kept in `tef-approvals.json` at the root of the TEF
// directory: {"approvals": [{"sequence": "12", "amount": "1250", "nsu": "000012", "state":
// "pending"}, ...]}, amounts in whole cents as text, written to a temporary name and renamed
// into place. An entry without "nsu" (written before approvals kept it) has its sequence's.
namespace tefapprovals {
QString path(const QString& tefDir); // tefDir ends with "/"
// The list in the file; empty when there is no file or it cannot be read (with a warning).
QList<ManagerApproval> read(const QString& tefDir);
bool write(const QString& tefDir, const QList<ManagerApproval>& approvals);
QJsonArray toJson(const QList<ManagerApproval>& approvals);
} // namespace tefapprovals

} // namespace zel
