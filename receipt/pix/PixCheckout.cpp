#include "PixCheckout.h"

#include "receipt/pix/BrCode.h"
#include "receipt/pix/PixMessages.h"
#include "receipt/pix/PixTxid.h"
#include "text/Clock.h"
#include "text/Money.h"

namespace zel::pix {

namespace {

// A charge is looked at once more this long after it should have expired before the till
// removes it itself: the provider's clock and the till's differ.
constexpr int kExpiryGraceSeconds = 5;
// How often a charge the provider failed to create is asked for again.
constexpr int kCreateTries = 3;

template <class Change> Status changeJournal(const QString& path, Change change)
{
    Result<QList<PixJournalEntry>> entries = readPixJournal(path);
    if (!entries)
        return entries.error();
    change(entries.value());
    return writePixJournal(path, entries.value());
}

QString money(qint64 cents)
{
    return formatCurrency(double(cents) / 100.0);
}

} // namespace

Status addJournalEntry(const QString& path, const PixJournalEntry& entry)
{
    return changeJournal(path, [&entry](QList<PixJournalEntry>& list) { list.append(entry); });
}

Status replaceJournalEntry(const QString& path, const PixJournalEntry& entry)
{
    return changeJournal(path, [&entry](QList<PixJournalEntry>& list) {
        for (PixJournalEntry& e : list) {
            if (e.txid == entry.txid)
                e = entry;
        }
    });
}

Status removeJournalEntry(const QString& path, const QString& txid)
{
    return changeJournal(path, [&txid](QList<PixJournalEntry>& list) {
        list.removeIf([&txid](const PixJournalEntry& e) { return e.txid == txid; });
    });
}

PixCheckout::PixCheckout(PixClient* client, QString journalPath, QObject* parent)
    : QObject(parent), m_client(client), m_journal(std::move(journalPath))
{
    m_poll.setInterval(1000);
    // The provider is given up after two of its request timeouts without any answer.
    m_silenceLimitMs = 2 * client->config().timeoutMs;
    connect(&m_poll, &QTimer::timeout, this, &PixCheckout::look);
}

void PixCheckout::start(qint64 amountCents, const QString& description)
{
    m_running = true;
    m_shown = m_cancelAsked = m_removing = m_looking = false;
    m_amountCents = amountCents;
    m_description = description;
    m_createTries = 1;
    m_txid = newTxid();
    m_lastAnswer = now();
    // Listed before it is asked for: from here on the till cannot lose this charge.
    if (const Status listed =
            addJournalEntry(m_journal, {m_txid, amountCents, PixJournalEntry::State::Open, {}});
        !listed) {
        m_txid.clear();
        QMetaObject::invokeMethod(
            this, [this, why = listed.error().message] { end(PixCheckoutResult::Kind::Failed, why); },
            Qt::QueuedConnection);
        return;
    }
    m_client->createCharge(m_txid, amountCents, description,
                           [this](const PixReply<PixCharge>& reply) { created(reply); });
}

void PixCheckout::created(const PixReply<PixCharge>& reply)
{
    if (!m_running)
        return;
    if (reply.ok()) {
        m_lastAnswer = now();
        show(reply.result.value());
        return;
    }
    if (reply.mayHaveActed()) {
        // The provider may hold the charge: only a look can tell.
        look();
        return;
    }
    // Refused or never sent: no charge exists.
    forget();
    end(PixCheckoutResult::Kind::Failed, reply.result.errorMessage());
}

void PixCheckout::show(const PixCharge& charge)
{
    if (m_cancelAsked) {
        remove(PixCheckoutResult::Kind::Cancelled, {});
        return;
    }
    if (m_shown)
        return;
    // The code the customer's bank reads comes from outside: it is shown only when it is a
    // well-formed Pix code for this very amount.
    const Result<BrCode> code = readBrCode(charge.copyAndPaste);
    if (!code || (code->amountCents && *code->amountCents != m_amountCents) ||
        charge.amountCents != m_amountCents) {
        remove(PixCheckoutResult::Kind::Failed,
               pixText("PixCodigoProvedor").arg(code ? pixText("PixValorDiferente") : code.errorMessage()));
        return;
    }
    m_shown = true;
    const qint64 life = charge.expirySeconds > 0 ? charge.expirySeconds : 300;
    m_expiresAt = (charge.created.isValid() ? charge.created : now()).addSecs(life);
    emit chargeShown(charge.copyAndPaste, m_expiresAt);
    m_poll.start();
}

void PixCheckout::look()
{
    if (!m_running || m_looking || m_removing)
        return;
    m_looking = true;
    m_client->chargeStatus(m_txid, [this](const PixReply<PixCharge>& reply) {
        m_looking = false;
        looked(reply);
    });
}

void PixCheckout::looked(const PixReply<PixCharge>& reply)
{
    if (!m_running || m_removing)
        return;
    if (!reply.ok()) {
        if (reply.outcome == PixOutcome::Refused && reply.httpStatus == 404 && !m_shown) {
            // Asked for, never created (the provider failed before it acted): asked again with
            // the same txid, which cannot make two charges, a few times before giving up.
            if (m_createTries < kCreateTries) {
                ++m_createTries;
                m_client->createCharge(m_txid, m_amountCents, m_description,
                                       [this](const PixReply<PixCharge>& again) { created(again); });
                return;
            }
            forget();
            end(PixCheckoutResult::Kind::Failed, pixText("PixNaoCriada"));
            return;
        }
        if (silentTooLong()) {
            m_poll.stop();
            end(PixCheckoutResult::Kind::Unsettled, pixText("PixSemResposta"));
            return;
        }
        if (!m_shown)
            QTimer::singleShot(m_poll.interval(), this, &PixCheckout::look);
        return;
    }
    m_lastAnswer = now();
    const PixCharge& charge = reply.result.value();
    switch (charge.status) {
    case ChargeStatus::Completed:
        paid(charge);
        return;
    case ChargeStatus::RemovedByProvider:
        forget();
        end(PixCheckoutResult::Kind::Expired, pixText("PixExpirada"));
        return;
    case ChargeStatus::RemovedByReceiver:
        forget();
        end(PixCheckoutResult::Kind::Cancelled, pixText("PixCancelada"));
        return;
    case ChargeStatus::Active:
        if (!m_shown) {
            show(charge);
        } else if (m_cancelAsked) {
            remove(PixCheckoutResult::Kind::Cancelled, {});
        } else if (now() > m_expiresAt.addSecs(kExpiryGraceSeconds)) {
            remove(PixCheckoutResult::Kind::Expired, pixText("PixExpirada"));
        }
        return;
    }
}

void PixCheckout::cancel()
{
    if (!m_running)
        return;
    m_cancelAsked = true;
    // Before the charge is shown, the answer to its creation decides (show() removes it).
    if (m_shown)
        remove(PixCheckoutResult::Kind::Cancelled, {});
}

void PixCheckout::remove(PixCheckoutResult::Kind ifRemoved, const QString& message)
{
    if (m_removing)
        return;
    m_removing = true;
    m_poll.stop();
    m_client->removeCharge(m_txid, [this, ifRemoved, message](const PixReply<PixCharge>& reply) {
        if (!m_running)
            return;
        if (reply.ok() && reply.result->status == ChargeStatus::Completed) {
            paid(reply.result.value());
            return;
        }
        if (reply.ok()) {
            forget();
            end(ifRemoved, message);
            return;
        }
        // Refused: most likely paid a moment before the removal. A look says what it is now.
        m_client->chargeStatus(m_txid, [this, ifRemoved, message](const PixReply<PixCharge>& now) {
            if (!m_running)
                return;
            if (now.ok() && now.result->status == ChargeStatus::Completed) {
                paid(now.result.value());
            } else if (now.ok() && now.result->status != ChargeStatus::Active) {
                forget();
                end(ifRemoved, message);
            } else {
                // Still there, or no answer: it stays listed for the settlement.
                end(PixCheckoutResult::Kind::Unsettled, pixText("PixNaoRemovida"));
            }
        });
    });
}

void PixCheckout::paid(const PixCharge& charge)
{
    m_poll.stop();
    const QString e2e = charge.payments.isEmpty() ? QString() : charge.payments.first().endToEndId;
    if (charge.paidCents() != m_amountCents) {
        // A charge has one amount; a provider that reports another one is not believed. The
        // charge stays listed: the settlement refunds what was paid.
        end(PixCheckoutResult::Kind::Unsettled,
            pixText("PixValorPagoDiferente").arg(money(charge.paidCents()), money(m_amountCents)));
        return;
    }
    // A journal that cannot be written does not undo a payment the customer made: it is
    // recorded, and the operator is told the till could not note it.
    const Status noted =
        replaceJournalEntry(m_journal, {m_txid, m_amountCents, PixJournalEntry::State::Recorded, e2e});
    PixCheckoutResult result{PixCheckoutResult::Kind::Paid, m_txid, e2e, m_amountCents,
                             noted ? QString() : noted.error().message};
    m_running = false;
    emit finished(result);
}

void PixCheckout::end(PixCheckoutResult::Kind kind, const QString& message)
{
    m_poll.stop();
    m_running = false;
    emit finished({kind, m_txid, {}, m_amountCents, message});
}

void PixCheckout::forget()
{
    (void)removeJournalEntry(m_journal, m_txid); // a leftover entry is only looked up again later
}

bool PixCheckout::silentTooLong() const
{
    return m_lastAnswer.msecsTo(now()) > m_silenceLimitMs;
}

} // namespace zel::pix
