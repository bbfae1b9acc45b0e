#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

namespace zel {

// One approval the TEF manager gave, and what became of it: "pending" until the till
// confirms it (CNF, the sale was recorded) or undoes it (NCN, the sale was not); an approval
// without receipt lines needs no confirmation and is "confirmed" at once.
struct TefApproval
{
    enum class State { Pending, Confirmed, Undone };
    QString sequence;
    qint64 cents = 0;
    State state = State::Pending;

    bool operator==(const TefApproval&) const = default;
};

QString tefApprovalStateName(TefApproval::State state);

// The manager's list of approvals, kept in `tef-approvals.json` at the root of the TEF
// directory: {"approvals": [{"sequence": "12", "amount": "1250", "state": "pending"}, ...]},
// amounts in whole cents as text, written to a temporary name and renamed into place.
namespace tefapprovals {
QString path(const QString& tefDir); // tefDir ends with "/"
// The list in the file; empty when there is no file or it cannot be read (with a warning).
QList<TefApproval> read(const QString& tefDir);
bool write(const QString& tefDir, const QList<TefApproval>& approvals);
QJsonArray toJson(const QList<TefApproval>& approvals);
} // namespace tefapprovals

} // namespace zel
