#include "CardApprovals.h"

#include "text/ErrorLog.h"

#include <algorithm>

namespace zel {

CardApprovals::CardApprovals(QString dirTef) : m_dirTef(std::move(dirTef)) {}

Status CardApprovals::load()
{
    if (m_dirTef.isEmpty())
        return {};
    const auto read = readTefJournal(tefJournalPath(m_dirTef));
    if (!read)
        return Error{read.errorMessage(), read.errorCode()};
    m_earlier = *read;
    return {};
}

void CardApprovals::keep(const TefApproval& approval, qint64 movement)
{
    m_cards.append({approval, movement});
    write();
}

bool CardApprovals::holds(qint64 movement) const
{
    return std::any_of(m_cards.cbegin(), m_cards.cend(),
                       [movement](const Card& c) { return c.movement == movement; });
}

int CardApprovals::pendingSlips() const
{
    return int(
        std::count_if(m_cards.cbegin(), m_cards.cend(), [](const Card& c) { return c.approval.pending; }));
}

CardApprovals::Undo CardApprovals::undo(const TefContext& context, bool leaving)
{
    Undo report;
    QList<Card> kept;
    for (Card card : std::as_const(m_cards)) {
        if (card.refused) { // asked before: the manager's answer stands
            kept.append(card);
            continue;
        }
        const TefUndoResult result = DesfazTEF(context, card.approval);
        if (result.outcome == TefUndo::Undone) {
            report.undone.append(card.movement);
            continue;
        }
        card.refused = result.outcome == TefUndo::Refused;
        kept.append(card);
        report.reasons.append(result.message);
    }
    m_cards = kept;
    if (leaving) {
        // The sale is not settled: a card the manager did not answer about is undone first
        // thing at the next receipt; one it refused to undo stays charged. Either way its
        // movement goes back to the host with the others.
        for (const Card& card : std::as_const(kept)) {
            if (!card.refused) {
                m_earlier.append(card.approval);
                report.later = true;
            }
        }
        m_cards.clear();
    }
    write();
    return report;
}

QStringList CardApprovals::undoEarlier(const TefContext& context)
{
    QStringList reasons;
    QList<TefApproval> left;
    for (const TefApproval& approval : std::as_const(m_earlier)) {
        const TefUndoResult result = DesfazTEF(context, approval);
        if (result.outcome != TefUndo::Undone) {
            left.append(approval);
            reasons.append(result.message);
        }
    }
    m_earlier = left;
    write();
    return reasons;
}

void CardApprovals::settle()
{
    m_cards.clear();
    write();
}

void CardApprovals::write()
{
    if (m_dirTef.isEmpty())
        return; // no TEF folder: no card was approved, and no path to write beside the program
    QList<TefApproval> all = m_earlier;
    for (const Card& card : std::as_const(m_cards))
        all.append(card.approval);
    if (const Status written = writeTefJournal(tefJournalPath(m_dirTef), all); !written)
        reportError(lcTef(), written.errorCode(), written.errorMessage());
}

} // namespace zel
