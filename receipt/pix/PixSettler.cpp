#include "PixSettler.h"

#include "receipt/pix/PixMessages.h"
#include "text/Money.h"

namespace zel::pix {

namespace {
QString money(qint64 cents)
{
    return formatCurrency(double(cents) / 100.0);
}
} // namespace

SettleStep settleStep(const PixJournalEntry& entry, const std::optional<PixCharge>& charge, bool keptBySale)
{
    if (entry.state == PixJournalEntry::State::Recorded)
        return keptBySale ? SettleStep::Forget : SettleStep::Refund;
    if (!charge)
        return SettleStep::Forget; // asked for, never created
    switch (charge->status) {
    case ChargeStatus::Active:
        return SettleStep::Remove;
    case ChargeStatus::Completed:
        // Paid, but the payment never reached the receipt's movements: the sale does not have
        // this money, whether it closed or not.
        return SettleStep::Refund;
    case ChargeStatus::RemovedByReceiver:
    case ChargeStatus::RemovedByProvider:
        return SettleStep::Forget;
    }
    return SettleStep::Keep;
}

PixSettler::PixSettler(PixClient* client, QString journalPath, QObject* parent)
    : QObject(parent), m_client(client), m_journal(std::move(journalPath))
{
}

void PixSettler::settle(const QSet<QString>& keptBySale)
{
    m_keptBySale = keptBySale;
    m_kept.clear();
    m_messages.clear();
    Result<QList<PixJournalEntry>> listed = readPixJournal(m_journal);
    if (!listed) {
        m_pending.clear();
        m_messages << listed.error().message;
        QMetaObject::invokeMethod(
            this, [this] { emit settled(m_messages); }, Qt::QueuedConnection);
        return;
    }
    m_pending = listed.value();
    QMetaObject::invokeMethod(this, &PixSettler::next, Qt::QueuedConnection);
}

void PixSettler::next()
{
    if (m_pending.isEmpty()) {
        if (const Status written = writePixJournal(m_journal, m_kept); !written)
            m_messages << written.error().message;
        emit settled(m_messages);
        return;
    }
    const PixJournalEntry entry = m_pending.takeFirst();
    if (entry.state == PixJournalEntry::State::Recorded) {
        const SettleStep step = settleStep(entry, std::nullopt, m_keptBySale.contains(entry.txid));
        if (step == SettleStep::Forget) {
            done(step, entry);
            return;
        }
        m_client->refund(entry.endToEndId, entry.txid, entry.amountCents,
                         [this, entry](const PixReply<PixRefund>& r) {
                             done(r.ok() && r.result->status != RefundStatus::NotDone ? SettleStep::Refund
                                                                                      : SettleStep::Keep,
                                  entry, r.ok() ? QString() : r.result.errorMessage());
                         });
        return;
    }
    m_client->chargeStatus(entry.txid, [this, entry](const PixReply<PixCharge>& reply) {
        const bool absent = reply.outcome == PixOutcome::Refused && reply.httpStatus == 404;
        if (!reply.ok() && !absent) {
            done(SettleStep::Keep, entry, reply.result.errorMessage());
            return;
        }
        const std::optional<PixCharge> charge =
            absent ? std::nullopt : std::optional<PixCharge>(reply.result.value());
        switch (settleStep(entry, charge, m_keptBySale.contains(entry.txid))) {
        case SettleStep::Forget:
            done(SettleStep::Forget, entry);
            return;
        case SettleStep::Remove:
            m_client->removeCharge(entry.txid, [this, entry](const PixReply<PixCharge>& removed) {
                if (removed.ok() && removed.result->status == ChargeStatus::Completed) {
                    // Paid at the last moment: back to the start, as a paid charge.
                    m_pending.prepend(entry);
                    next();
                    return;
                }
                done(removed.ok() ? SettleStep::Forget : SettleStep::Keep, entry,
                     removed.result.errorMessage());
            });
            return;
        case SettleStep::Refund: {
            const PixCharge& paid = *charge;
            const QString e2e = paid.payments.isEmpty() ? QString() : paid.payments.first().endToEndId;
            m_client->refund(e2e, entry.txid, paid.paidCents(), [this, entry](const PixReply<PixRefund>& r) {
                done(r.ok() && r.result->status != RefundStatus::NotDone ? SettleStep::Refund
                                                                         : SettleStep::Keep,
                     entry, r.ok() ? QString() : r.result.errorMessage());
            });
            return;
        }
        case SettleStep::Keep:
            done(SettleStep::Keep, entry);
            return;
        }
    });
}

void PixSettler::done(SettleStep step, const PixJournalEntry& entry, const QString& message)
{
    if (step == SettleStep::Refund)
        m_messages << pixText("PixDevolvido").arg(money(entry.amountCents), entry.txid);
    if (step == SettleStep::Keep) {
        m_kept.append(entry);
        m_messages << pixText("PixPendente").arg(money(entry.amountCents), entry.txid, message);
    }
    next();
}

} // namespace zel::pix
