#pragma once

#include "text/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace zel::pix {

// The subset of the standard Pix API (v2, as the Central Bank publishes it) a point of sale uses:
// the access token, the immediate charge (create, read, remove) and the refund of a payment.
// No network here: this turns requests into the bytes to send and answers into values. The
// answers come from outside the till, so every reader returns an error value for anything it
// cannot vouch for (wrong types, missing fields, a key given twice, amounts it cannot hold
// exactly) and never throws.

// An answer larger than this is not one the provider would send for these requests.
inline constexpr qsizetype kMaxPixAnswerBytes = 256 * 1024;
// The largest amount the API's "\d{1,10}\.\d{2}" can write, in cents.
inline constexpr qint64 kMaxPixAmountCents = 999'999'999'999;

// "12.34" for 1234. An error for a negative amount or one past kMaxPixAmountCents.
Result<QByteArray> encodePixAmount(qint64 cents);
// Whole cents of an amount written as the API writes it ("0.01" to "9999999999.99", always two
// decimals, a point); anything else is an error. Never through a floating point number.
Result<qint64> parsePixAmount(const QString& text);

// A charge's txid is checked with isValidTxid (PixTxid.h): 26 to 35 letters (ASCII) and digits.
// The e2eid of a payment and a refund's id: 1 to 35 letters and digits; they go into the path.
bool isValidPixId(const QString& id);

// One request of the API, relative to the API's base address ("/cob/<txid>").
struct PixRequest
{
    QByteArray verb; // "PUT", "GET", "PATCH"
    QString path;
    QByteArray body; // JSON; empty for a GET
};

Result<PixRequest> createChargeRequest(const QString& txid, qint64 amountCents, const QString& key,
                                       int expirySeconds, const QString& description);
Result<PixRequest> chargeStatusRequest(const QString& txid);
// Asks the provider to remove a charge no one has paid yet.
Result<PixRequest> removeChargeRequest(const QString& txid);
Result<PixRequest> refundRequest(const QString& endToEndId, const QString& refundId, qint64 amountCents);

// The token request's form body and its Basic authorisation header's value.
QByteArray tokenRequestBody();
QByteArray basicAuthorization(const QString& clientId, const QString& clientSecret);

struct PixToken
{
    QString accessToken;
    QString tokenType;
    qint64 expiresInSeconds = 0;
};
Result<PixToken> parseToken(const QByteArray& json);

enum class RefundStatus { InProgress, Returned, NotDone };
QString refundStatusName(RefundStatus status); // "EM_PROCESSAMENTO", "DEVOLVIDO", "NAO_REALIZADO"

struct PixRefund
{
    QString id;
    QString rtrId;
    qint64 amountCents = 0;
    RefundStatus status = RefundStatus::InProgress;
};
Result<PixRefund> parseRefund(const QByteArray& json);

// A payment that settled a charge.
struct PixPayment
{
    QString endToEndId;
    qint64 amountCents = 0;
    QDateTime time;
    QList<PixRefund> refunds;
};

enum class ChargeStatus { Active, Completed, RemovedByReceiver, RemovedByProvider };
// "ATIVA", "CONCLUIDA", "REMOVIDA_PELO_USUARIO_RECEBEDOR", "REMOVIDA_PELO_PSP"
QString chargeStatusName(ChargeStatus status);

struct PixCharge
{
    QString txid;
    ChargeStatus status = ChargeStatus::Active;
    qint64 amountCents = 0;
    QString copyAndPaste; // pixCopiaECola: the BR Code the customer's bank reads
    QString location;
    QDateTime created;
    qint64 expirySeconds = 0;
    QList<PixPayment> payments;

    // What the payments brought in, refunds not deducted.
    qint64 paidCents() const;
};
Result<PixCharge> parseCharge(const QByteArray& json);

// An error answer (RFC 7807). Every member may be missing in an answer; title is what the
// operator is shown.
struct PixProblem
{
    struct Violation
    {
        QString reason;   // razao
        QString property; // propriedade
        QString value;    // valor
    };

    QString type;
    QString title;
    int status = 0;
    QString detail;
    QList<Violation> violations;
};
Result<PixProblem> parseProblem(const QByteArray& json);

} // namespace zel::pix
