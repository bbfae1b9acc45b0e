#pragma once

#include "receipt/pix/PixClient.h"
#include "receipt/pix/PixJournal.h"

#include <QObject>
#include <QSet>
#include <QStringList>

namespace zel::pix {

// What becomes of a listed charge, from what the provider says of it now.
enum class SettleStep {
    Forget, // it can take no money and holds none of the sale's: drop it from the journal
    Remove, // still open: remove it at the provider
    Refund, // paid for a sale that did not close: give the money back
    Keep,   // nothing can be said now (no answer): keep it for the next settlement
};
// `charge` is empty when the provider answered that no such charge exists; `keptBySale`: a sale
// that closed recorded this very charge among its payments.
SettleStep settleStep(const PixJournalEntry& entry, const std::optional<PixCharge>& charge, bool keptBySale);

// Settles every charge the journal lists: when a receipt ends (its sale closed or given up)
// and, for a receipt that never ended, before the next one opens. A charge is dropped from the
// journal only once the provider confirms it can take no more money and keeps none the sale
// gave up; everything else stays listed for the next time. Refunds use the charge's txid as
// their id, so a refund asked twice (an answer lost) is still one refund.
class PixSettler : public QObject
{
    Q_OBJECT
public:
    PixSettler(PixClient* client, QString journalPath, QObject* parent = nullptr);

    // Ends with `settled`, never before this returns. `keptBySale`: the txids a sale that closed
    // recorded (empty when none closed). Only those paid charges are kept: a payment recorded by
    // a receipt that never closed (one left from before, whose refund failed then) is refunded
    // even while another sale closes.
    void settle(const QSet<QString>& keptBySale);

signals:
    // What the operator is told (refunds made, charges that could not be settled yet).
    void settled(const QStringList& messages);

private:
    void next();
    void done(SettleStep step, const PixJournalEntry& entry, const QString& message = {});

    PixClient* m_client;
    QString m_journal;
    QSet<QString> m_keptBySale;
    QList<PixJournalEntry> m_pending;
    QList<PixJournalEntry> m_kept;
    QStringList m_messages;
};

} // namespace zel::pix
