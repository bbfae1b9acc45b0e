#pragma once

#include "text/Result.h"

#include <QList>
#include <QString>

namespace zel::pix {

// The Pix charges of the receipt that is open on this till, kept in a file while it runs, so
// that no charge is ever lost between the provider and the till: a charge is listed before it
// is asked for (a till killed while the provider creates it still knows its txid), marked paid
// once its payment is recorded, and dropped only when the provider confirms it can no longer
// take money (removed, expired, refunded) or the sale that recorded it closed. A receipt that
// ends without closing its sale settles what is listed; one that never ended (the host killed)
// leaves it for the next receipt to settle first.
struct PixJournalEntry
{
    enum class State {
        Open,     // asked for; not known paid. May exist at the provider, may be paid meanwhile
        Recorded, // paid, and the payment recorded in the open receipt's movements
    };
    QString txid;
    qint64 amountCents = 0;
    State state = State::Open;
    QString endToEndId; // the payment's id once paid (what a refund names)

    bool operator==(const PixJournalEntry&) const = default;
};

// "recebimento-pix-<terminal>.json" in `dir` (the till's data folder). The data folder is shared
// by the branch's terminals: each keeps its own journal, so one terminal's settlement never
// removes or refunds a charge another terminal's customer is paying. `terminal` is this
// machine's host name unless given; only letters, digits, '-' and '_' of it are kept.
QString pixJournalPath(const QString& dir, const QString& terminal = {});

// The charges listed; none for a missing file. A file that cannot be read or parsed is an
// error: nothing can be said about what it held, and it is left in place.
Result<QList<PixJournalEntry>> readPixJournal(const QString& path);

// Writes the list whole (a temporary file renamed into place); an empty list removes the file.
Status writePixJournal(const QString& path, const QList<PixJournalEntry>& entries);

} // namespace zel::pix
