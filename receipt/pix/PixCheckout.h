#pragma once

#include "receipt/pix/PixClient.h"
#include "receipt/pix/PixJournal.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

namespace zel::pix {

// How a Pix payment ended.
struct PixCheckoutResult
{
    enum class Kind {
        Paid,      // the customer paid: record it (txid and end-to-end id below)
        Cancelled, // removed at the provider before it was paid: nothing to record
        Expired,   // the charge's time ran out unpaid: nothing to record
        Failed,    // the provider refused, or the till could not start: nothing was charged
        Unsettled, // the provider stopped answering: nothing to record now; the charge stays
                   // listed in the journal and is settled later (removed, or refunded if paid)
    };
    Kind kind = Kind::Failed;
    QString txid;
    QString endToEndId;
    qint64 amountCents = 0;
    QString message; // for the operator, from the catalogue (empty when paid)
};

// One Pix payment through the provider: the charge listed in the journal, asked for, shown
// (chargeShown), watched until it is paid, expires, or is cancelled, and ended exactly once
// (finished). The caller records a Paid result in the receipt's movements; the journal entry
// is marked Recorded here, as soon as the payment is seen and before `finished`, so a till
// killed between the two still knows the charge was paid (and refunds it: its sale never
// closed).
class PixCheckout : public QObject
{
    Q_OBJECT
public:
    PixCheckout(PixClient* client, QString journalPath, QObject* parent = nullptr);

    // Starts the charge of `amountCents`. Ends with `finished`, never before this returns.
    void start(qint64 amountCents, const QString& description);
    // The operator gave up: the charge is removed, unless it was paid first (then it ends Paid).
    void cancel();

    bool running() const { return m_running; }
    // How often the charge is looked at while the customer pays.
    void setPollInterval(int ms) { m_poll.setInterval(ms); }
    // How long the provider may stay silent before the payment is given up as Unsettled.
    void setSilenceLimit(int ms) { m_silenceLimitMs = ms; }

signals:
    // The charge exists: the BR Code to show as a QR code, and when the charge expires.
    void chargeShown(const QString& copyAndPaste, const QDateTime& expiresAt);
    void finished(const zel::pix::PixCheckoutResult& result);

private:
    void created(const PixReply<PixCharge>& reply);
    void show(const PixCharge& charge);
    void look();
    void looked(const PixReply<PixCharge>& reply);
    void remove(PixCheckoutResult::Kind ifRemoved, const QString& message);
    void paid(const PixCharge& charge);
    void end(PixCheckoutResult::Kind kind, const QString& message = {});
    void forget();
    bool silentTooLong() const;

    PixClient* m_client;
    QString m_journal;
    QTimer m_poll;
    QString m_txid;
    qint64 m_amountCents = 0;
    QString m_description;
    int m_createTries = 0;
    QDateTime m_expiresAt;
    QDateTime m_lastAnswer;
    int m_silenceLimitMs = 30000;
    bool m_running = false;
    bool m_shown = false;
    bool m_cancelAsked = false;
    bool m_removing = false;
    bool m_looking = false;
};

// Entries of the journal, read, changed and written back whole.
Status addJournalEntry(const QString& path, const PixJournalEntry& entry);
Status replaceJournalEntry(const QString& path, const PixJournalEntry& entry); // by txid
Status removeJournalEntry(const QString& path, const QString& txid);

} // namespace zel::pix

Q_DECLARE_METATYPE(zel::pix::PixCheckoutResult)
