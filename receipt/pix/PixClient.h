#pragma once

#include "PixApi.h"
#include "PixSettings.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkRequest;

namespace zel::pix {

// How an operation with the provider ended. What matters to the till is whether the provider
// may have acted on it: a charge it may have created must be looked up before anything else
// is decided, never taken as absent.
enum class PixOutcome {
    Done,      // answered, and the answer read
    Refused,   // the provider answered with a problem (4xx): it did not act on the request
    NotSent,   // the request never reached the provider (a bad value, no token, no route to it)
    Unknown,   // sent, and no answer came (timeout, broken connection) or the provider failed
               // (5xx): it may or may not have acted
    Malformed, // answered as a success with something that cannot be read: it acted, and what
               // it holds now must be asked again
};

template <class T> struct PixReply
{
    PixOutcome outcome;
    Result<T> result;                  // the value when Done, else the text the operator is shown
    std::optional<PixProblem> problem; // the provider's problem document, when it sent one
    int httpStatus = 0;                // 0 when nothing was answered

    bool ok() const { return outcome == PixOutcome::Done; }
    // The provider may hold a charge (or a refund) this operation made.
    bool mayHaveActed() const { return outcome == PixOutcome::Unknown || outcome == PixOutcome::Malformed; }
};

// The till's client of its Pix provider. Every operation is asynchronous and ends by calling
// its callback exactly once, always from the event loop (never before the call returns), with
// the client as the context: a client destroyed first calls nothing. No operation waits longer
// than the configured timeout for a byte from the provider, so none can hang the till.
//
// The access token is fetched once, on the first operation, and reused until shortly before it
// expires; operations that come while it is being fetched wait for it. An answer 401 (the
// provider dropped the token early) fetches a new one and repeats the request once.
class PixClient : public QObject
{
    Q_OBJECT
public:
    template <class T> using Done = std::function<void(const PixReply<T>&)>;

    explicit PixClient(PixProviderConfig config, QObject* parent = nullptr);
    ~PixClient() override;

    const PixProviderConfig& config() const { return m_config; }

    // PUT /cob/{txid}: a charge of `amountCents` to the configured key, for the configured
    // expiry. `description` is shown to the payer (empty: none).
    void createCharge(const QString& txid, qint64 amountCents, const QString& description,
                      Done<PixCharge> done);
    // GET /cob/{txid}
    void chargeStatus(const QString& txid, Done<PixCharge> done);
    // PATCH /cob/{txid} to REMOVIDA_PELO_USUARIO_RECEBEDOR. Refused when it was paid first: the
    // charge's status then says so.
    void removeCharge(const QString& txid, Done<PixCharge> done);
    // PUT /pix/{e2eid}/devolucao/{id}: gives `amountCents` of that payment back.
    void refund(const QString& endToEndId, const QString& refundId, qint64 amountCents, Done<PixRefund> done);

private:
    // An answer as the network gave it, before it is read as a charge or a refund.
    struct Answer
    {
        enum class Kind { Http, NotSent, NoAnswer, NetworkError, TooLarge };
        Kind kind = Kind::NoAnswer;
        int status = 0;
        QByteArray body;
        QString error; // NotSent: the whole text; NetworkError: the network's words
        std::optional<PixProblem> problem;
    };
    using Finish = std::function<void(const Answer&)>;
    struct Call
    {
        PixRequest request;
        Finish finish;
        bool repeated = false; // already sent again after a 401
    };

    template <class T>
    void run(const Result<PixRequest>& request, Result<T> (*parse)(const QByteArray&), Done<T> done);
    template <class T> PixReply<T> reply(const Answer& answer, Result<T> (*parse)(const QByteArray&)) const;

    void send(Call call);
    void dispatch(Call call);
    void fetchToken();
    void tokenAnswered(const Answer& answer);
    void exchange(QNetworkRequest request, const QByteArray& verb, const QByteArray& body, Finish then);
    bool hasToken() const { return !m_authorization.isEmpty() && !m_tokenLife.hasExpired(); }
    QString timeoutText() const;

    PixProviderConfig m_config;
    QNetworkAccessManager* m_network;
    QByteArray m_authorization; // "Bearer <token>"
    QDeadlineTimer m_tokenLife;
    bool m_fetchingToken = false;
    QList<Call> m_waitingForToken;
};

} // namespace zel::pix
