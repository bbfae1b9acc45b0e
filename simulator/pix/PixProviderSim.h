#pragma once

#include "PixSimRules.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <memory>
#include <optional>

class QHttpServerResponder;

namespace zel::pixsim {

struct PixSimOptions
{
    PixSimRules rules;
    QString statePath; // empty: no state file
    QString clientId;  // the credentials the token endpoint accepts
    QString clientSecret;
    QString key; // the receiver's key a charge must name; empty: any
};

// The Pix provider of pix-provider-sim: an HTTP server on this machine answering the till as
// the standard Pix API does (POST /oauth/token, PUT|GET|PATCH /v2/cob/{txid},
// PUT /v2/pix/{e2eid}/devolucao/{id}), errors as RFC 7807 problem documents. What happens to a
// charge (paid, never paid, expired, paid just as it is removed) and how the provider itself
// misbehaves (slow, failing, refusing the token, gone) follow the rules. Every change to a
// charge is written at once to the state file, whole (replaced, never half written), so that
// whoever runs the simulator can check how each charge ended.
//
// Delays are timers: a slow answer never holds up the answers to other requests.
class PixProviderSim : public QAbstractHttpServer
{
    Q_OBJECT
public:
    explicit PixProviderSim(PixSimOptions options, QObject* parent = nullptr);
    ~PixProviderSim() override;

    // Listens on 127.0.0.1 (`port` 0: any free one); the port, or 0 with `error` set.
    quint16 start(quint16 port, QString* error);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Refund
    {
        QString id;
        QString rtrId;
        qint64 cents = 0;
        QString status;
        QDateTime requested;
    };
    struct Charge
    {
        QString txid;
        qint64 cents = 0;
        QString amountText;
        QString key;
        QString description;
        int expirySeconds = 0;
        QDateTime created;
        QString status;
        QString location;
        QString copyAndPaste;
        QString e2eid; // once paid
        QDateTime paidAt;
        QList<Refund> refunds;
        ChargeRule rule;
    };
    struct Reply
    {
        int status = 200;
        QJsonObject body;
        int delayMs = 0;
    };

    void restoreState();
    Reply answer(const QHttpServerRequest& request);
    Reply token(const QHttpServerRequest& request);
    Reply createCharge(const QString& txid, const QByteArray& body);
    Reply removeCharge(Charge& charge, const QByteArray& body);
    Reply refund(const QString& e2eid, const QString& id, const QByteArray& body);
    // The first requests naming a charge fail while its rule says so; the 500 to answer if so.
    std::optional<Reply> failing(const QString& txid, const ChargeRule& rule);
    void pay(Charge& charge);
    void expire(const QString& txid, const QString& reason);
    QJsonObject chargeJson(const Charge& charge) const;
    static QJsonObject refundJson(const Refund& refund);
    static Reply problem(int status, const QString& name, const QString& title, const QString& detail = {});
    void writeState();
    QString newId(const char* prefix, int randomChars) const;

    PixSimOptions m_options;
    quint16 m_port = 0;
    QList<Charge> m_charges;
    QElapsedTimer m_downSince;    // since the provider went down (not valid: it never did)
    QHash<QString, int> m_failed; // txid → 500s answered so far
    QSet<QByteArray> m_tokens;
    int m_requests = 0;
    int m_apiRequests = 0;
    int m_tokensIssued = 0;
    // Answers that will never be written (the provider is down): kept so the connection stays
    // open and the client sees nothing at all.
    QList<std::shared_ptr<QHttpServerResponder>> m_unanswered;
};

} // namespace zel::pixsim
