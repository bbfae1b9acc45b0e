#pragma once

#include "receipt/tef/IntPosCodec.h"
#include "text/Result.h"

#include <QList>
#include <QString>

namespace zel {

// The card approvals of the receipt that is open on this till, kept in a file of the TEF
// folder while it runs: a receipt that ends without settling its sale undoes them, and one
// that never ended (the host killed) leaves them for the next receipt to undo first.

// "recebimento-tef.json" in the TEF folder.
QString tefJournalPath(const QString& dirTef);

// The approvals listed; none for a missing file. A file that cannot be read or parsed is
// an error: nothing can be said about what it held.
Result<QList<TefApproval>> readTefJournal(const QString& path);

// Writes the list whole (a temporary file renamed into place); an empty list removes the file.
Status writeTefJournal(const QString& path, const QList<TefApproval>& approvals);

} // namespace zel
