#pragma once

#include "receipt/tef/TefExchange.h"
#include "receipt/tef/TefJournal.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zel {

// The card approvals of one receipt, each beside the movement it paid, and those earlier
// receipts left to undo. Every change is written to the TEF folder's journal at once, so a
// receipt that never ends (the host killed) leaves them for the next to undo. A card stays
// with its movement until the sale is settled or the manager undoes it: the receipt never
// drops a movement whose charge may stand.
class CardApprovals
{
public:
    // `dirTef`: the TEF folder (empty: no TEF, no journal).
    explicit CardApprovals(QString dirTef = {});

    // What earlier receipts left to undo, read at the start of a receipt.
    Status load();
    bool earlierPending() const { return !m_earlier.isEmpty(); }

    // An approval the manager gave for the movement `movement`.
    void keep(const TefApproval& approval, qint64 movement);
    bool empty() const { return m_cards.isEmpty(); }
    // The movement was paid by a card this receipt still holds.
    bool holds(qint64 movement) const;
    // The approvals whose slips are still to print.
    int pendingSlips() const;

    // What an undo did: the movements whose card is undone (they leave the receipt), the
    // manager's reasons for those it did not undo, and whether one of those is left for the
    // next receipt (no answer while leaving).
    struct Undo
    {
        QList<qint64> undone;
        QStringList reasons;
        bool later = false;
    };
    // Undoes this receipt's approvals (those the manager refused before are not asked again).
    // `leaving`: the sale is not settled; a card the manager did not answer about is kept for
    // the next receipt, and this receipt holds none after.
    Undo undo(const TefContext& context, bool leaving);
    // Undoes what earlier receipts left; the reasons for those still left.
    QStringList undoEarlier(const TefContext& context);
    // The sale is settled: its approvals stand.
    void settle();

private:
    struct Card
    {
        TefApproval approval;
        qint64 movement = 0;
        bool refused = false; // the manager refused to undo it: the charge stands
    };
    void write();

    QString m_dirTef;
    QList<Card> m_cards;
    QList<TefApproval> m_earlier;
};

} // namespace zel
