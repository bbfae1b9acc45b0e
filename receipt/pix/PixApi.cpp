#include "PixApi.h"

#include "PixProviderMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>
#include <vector>

namespace zel::pix {

namespace {

// An answer that cannot be read: the sentence the operator sees, with the catalogue key of
// what was wrong as its code.
Error unreadable(const char* key, const QString& detail)
{
    return Error{pixProviderText("PixRespostaIlegivel").arg(detail), QLatin1String(key)};
}

bool isAsciiAlnum(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool allAlnum(const QString& text, qsizetype from, qsizetype to)
{
    if (text.size() < from || text.size() > to)
        return false;
    for (const QChar c : text) {
        if (!isAsciiAlnum(c))
            return false;
    }
    return true;
}

// The text of a JSON string as written between its quotes.
QString jsonStringText(const QByteArray& raw)
{
    if (!raw.contains('\\'))
        return QString::fromUtf8(raw);
    return QJsonDocument::fromJson("[\"" + raw + "\"]").array().at(0).toString();
}

// The first key an object of `json` holds twice, if any. The JSON reader keeps one of the two
// silently, and which one the provider meant cannot be told; `json` has already been read
// whole, so this only needs to follow strings and brackets.
std::optional<QString> repeatedKey(const QByteArray& json)
{
    struct Frame
    {
        bool object = false;
        bool expectKey = false;
        QSet<QString> keys;
    };
    std::vector<Frame> stack;
    const qsizetype n = json.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = json.at(i);
        if (c == '{') {
            stack.push_back({true, true, {}});
        } else if (c == '[') {
            stack.push_back({false, false, {}});
        } else if (c == '}' || c == ']') {
            if (!stack.empty())
                stack.pop_back();
        } else if (c == ',') {
            if (!stack.empty() && stack.back().object)
                stack.back().expectKey = true;
        } else if (c == ':') {
            if (!stack.empty())
                stack.back().expectKey = false;
        } else if (c == '"') {
            const qsizetype start = ++i;
            while (i < n && json.at(i) != '"')
                i += json.at(i) == '\\' ? 2 : 1;
            if (stack.empty() || !stack.back().object || !stack.back().expectKey)
                continue;
            const QString key = jsonStringText(json.mid(start, i - start));
            if (stack.back().keys.contains(key))
                return key;
            stack.back().keys.insert(key);
        }
    }
    return std::nullopt;
}

Result<QJsonObject> readObject(const QByteArray& json)
{
    if (json.size() > kMaxPixAnswerBytes)
        return unreadable("PixRespostaGrande",
                          pixProviderText("PixRespostaGrande").arg(kMaxPixAnswerBytes / 1024));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        const QString why =
            error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("JSON");
        return unreadable("PixRespostaNaoObjeto", pixProviderText("PixRespostaNaoObjeto").arg(why));
    }
    if (const auto key = repeatedKey(json))
        return unreadable("PixCampoRepetido", pixProviderText("PixCampoRepetido").arg(*key));
    return document.object();
}

// Reads the members of one object of an answer, naming each by its path from the top
// ("pix[0].valor") when it is missing or wrong. The first error is kept and the reads after it
// give empty values, so a reader reads everything and looks at failed() once at the end.
class Fields
{
public:
    Fields(QJsonObject object, std::optional<Error>& error, QString path = {})
        : m_object(std::move(object)), m_error(&error), m_path(std::move(path))
    {
    }

    bool failed() const { return m_error->has_value(); }

    QString text(const char* key, bool required = true)
    {
        const QJsonValue v = value(key, required);
        if (v.isUndefined())
            return {};
        if (!v.isString())
            return fail("PixCampoTexto", key), QString();
        return v.toString();
    }

    // A text that must be there and hold something.
    QString name(const char* key)
    {
        const QString value = text(key);
        if (!failed() && value.isEmpty())
            fail("PixCampoVazio", key);
        return value;
    }

    qint64 amount(const char* key)
    {
        const QString value = text(key);
        if (failed())
            return 0;
        const auto cents = parsePixAmount(value);
        if (!cents)
            return fail("PixCampoValor", key, value), 0;
        return *cents;
    }

    qint64 integer(const char* key, qint64 min, qint64 max, bool required = true)
    {
        const QJsonValue v = value(key, required);
        if (v.isUndefined())
            return 0;
        // Compared as a double first: a number far past the range (1e300) has no integer to
        // convert to.
        const double d = v.toDouble();
        if (!v.isDouble() || !(d >= double(min) && d <= double(max)) || d != std::floor(d)) {
            *m_error = unreadable("PixCampoInteiro",
                                  pixProviderText("PixCampoInteiro").arg(where(key)).arg(min).arg(max));
            return 0;
        }
        return qint64(d);
    }

    QDateTime time(const char* key, bool required = true)
    {
        const QString value = text(key, required);
        if (failed() || value.isEmpty())
            return {};
        const QDateTime parsed = QDateTime::fromString(value, Qt::ISODateWithMs);
        if (!parsed.isValid())
            fail("PixCampoData", key, value);
        return parsed;
    }

    // The member object, read by a Fields of its own; nothing when it is missing (and not
    // required) or wrong.
    std::optional<Fields> object(const char* key, bool required = true)
    {
        const QJsonValue v = value(key, required);
        if (v.isUndefined())
            return std::nullopt;
        if (!v.isObject())
            return fail("PixCampoObjeto", key), std::nullopt;
        return Fields(v.toObject(), *m_error, where(key));
    }

    // The members of a list of objects; an empty list when it is missing.
    std::vector<Fields> list(const char* key)
    {
        const QJsonValue v = value(key, false);
        std::vector<Fields> items;
        if (v.isUndefined())
            return items;
        if (!v.isArray())
            return fail("PixCampoLista", key), items;
        const QJsonArray array = v.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (!array.at(i).isObject())
                return fail("PixCampoLista", key), std::vector<Fields>();
            items.push_back(
                Fields(array.at(i).toObject(), *m_error, where(key) + u'[' + QString::number(i) + u']'));
        }
        return items;
    }

    // The error of `key`; `value` for the texts that quote it.
    void fail(const char* code, const char* key, const std::optional<QString>& value = std::nullopt)
    {
        if (m_error->has_value())
            return;
        const QString text = pixProviderText(code);
        *m_error = unreadable(code, value ? text.arg(where(key), *value) : text.arg(where(key)));
    }

private:
    QString where(const char* key) const
    {
        return m_path.isEmpty() ? QLatin1String(key) : m_path + u'.' + QLatin1String(key);
    }

    // Undefined when missing (an error when required) or after an earlier error.
    QJsonValue value(const char* key, bool required)
    {
        if (failed())
            return QJsonValue::Undefined;
        const auto it = m_object.constFind(QLatin1String(key));
        if (it == m_object.constEnd() || it->isNull()) {
            if (required)
                fail("PixCampoAusente", key);
            return QJsonValue::Undefined;
        }
        return *it;
    }

    QJsonObject m_object;
    std::optional<Error>* m_error;
    QString m_path;
};

template <class Enum> struct NamedValue
{
    const char* name;
    Enum value;
};

constexpr NamedValue<ChargeStatus> kChargeStatuses[] = {
    {"ATIVA", ChargeStatus::Active},
    {"CONCLUIDA", ChargeStatus::Completed},
    {"REMOVIDA_PELO_USUARIO_RECEBEDOR", ChargeStatus::RemovedByReceiver},
    {"REMOVIDA_PELO_PSP", ChargeStatus::RemovedByProvider},
};

constexpr NamedValue<RefundStatus> kRefundStatuses[] = {
    {"EM_PROCESSAMENTO", RefundStatus::InProgress},
    {"DEVOLVIDO", RefundStatus::Returned},
    {"NAO_REALIZADO", RefundStatus::NotDone},
};

template <class Enum, std::size_t N> QString nameOf(const NamedValue<Enum> (&names)[N], Enum value)
{
    for (const auto& entry : names) {
        if (entry.value == value)
            return QLatin1String(entry.name);
    }
    return {};
}

template <class Enum, std::size_t N>
Enum readStatus(Fields& fields, const char* key, const NamedValue<Enum> (&names)[N])
{
    const QString text = fields.text(key);
    for (const auto& entry : names) {
        if (text == QLatin1String(entry.name))
            return entry.value;
    }
    fields.fail("PixCampoSituacao", key, text);
    return names[0].value;
}

PixRefund readRefund(Fields& fields)
{
    PixRefund refund;
    refund.id = fields.name("id");
    refund.rtrId = fields.name("rtrId");
    refund.amountCents = fields.amount("valor");
    refund.status = readStatus(fields, "status", kRefundStatuses);
    return refund;
}

QByteArray json(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

Result<QByteArray> encodePixAmount(qint64 cents)
{
    if (cents < 0 || cents > kMaxPixAmountCents)
        return Error{pixProviderText("PixValorInvalido").arg(cents), QStringLiteral("PixValorInvalido")};
    return QByteArray::number(cents / 100) + '.' + QByteArray::number(cents % 100).rightJustified(2, '0');
}

Result<qint64> parsePixAmount(const QString& text)
{
    const qsizetype point = text.size() - 3;
    const auto bad = [&] {
        return Error{pixProviderText("PixCampoValor").arg(QStringLiteral("valor"), text),
                     QStringLiteral("PixCampoValor")};
    };
    if (point < 1 || point > 10 || text.at(point) != u'.')
        return bad();
    qint64 cents = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == point)
            continue;
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return bad();
        cents = cents * 10 + (c.unicode() - u'0');
    }
    return cents;
}

// The txid's rule (PixTxid.h's isValidTxid), kept here too so the codec needs no more than
// Qt Core.
static bool txidAccepted(const QString& txid)
{
    return allAlnum(txid, 26, 35);
}

bool isValidPixId(const QString& id)
{
    return allAlnum(id, 1, 35);
}

Result<PixRequest> createChargeRequest(const QString& txid, qint64 amountCents, const QString& key,
                                       int expirySeconds, const QString& description)
{
    auto request = chargeStatusRequest(txid);
    if (!request)
        return request;
    const auto amount = encodePixAmount(amountCents);
    if (!amount)
        return amount.error();
    QJsonObject body{
        {QStringLiteral("calendario"), QJsonObject{{QStringLiteral("expiracao"), expirySeconds}}},
        {QStringLiteral("valor"), QJsonObject{{QStringLiteral("original"), QString::fromLatin1(*amount)}}},
        {QStringLiteral("chave"), key},
    };
    if (!description.isEmpty())
        body.insert(QStringLiteral("solicitacaoPagador"), description);
    return PixRequest{"PUT", request->path, json(body)};
}

Result<PixRequest> chargeStatusRequest(const QString& txid)
{
    if (!txidAccepted(txid))
        return Error{pixProviderText("PixTxidInvalido").arg(txid), QStringLiteral("PixTxidInvalido")};
    return PixRequest{"GET", QStringLiteral("/cob/") + txid, {}};
}

Result<PixRequest> removeChargeRequest(const QString& txid)
{
    auto request = chargeStatusRequest(txid);
    if (!request)
        return request;
    return PixRequest{"PATCH", request->path,
                      json({{QStringLiteral("status"), chargeStatusName(ChargeStatus::RemovedByReceiver)}})};
}

Result<PixRequest> refundRequest(const QString& endToEndId, const QString& refundId, qint64 amountCents)
{
    for (const QString& id : {endToEndId, refundId}) {
        if (!isValidPixId(id))
            return Error{pixProviderText("PixIdInvalido").arg(id), QStringLiteral("PixIdInvalido")};
    }
    const auto amount = encodePixAmount(amountCents);
    if (!amount)
        return amount.error();
    return PixRequest{"PUT", QStringLiteral("/pix/%1/devolucao/%2").arg(endToEndId, refundId),
                      json({{QStringLiteral("valor"), QString::fromLatin1(*amount)}})};
}

QByteArray tokenRequestBody()
{
    return QByteArrayLiteral("grant_type=client_credentials");
}

QByteArray basicAuthorization(const QString& clientId, const QString& clientSecret)
{
    return "Basic " + (clientId + u':' + clientSecret).toUtf8().toBase64();
}

Result<PixToken> parseToken(const QByteArray& bytes)
{
    const auto object = readObject(bytes);
    if (!object)
        return object.error();
    std::optional<Error> error;
    Fields fields(*object, error);
    PixToken token;
    token.accessToken = fields.name("access_token");
    token.tokenType = fields.name("token_type");
    // A year is far more than any provider grants; more is a number gone wrong.
    token.expiresInSeconds = fields.integer("expires_in", 1, 366 * 24 * 3600);
    if (error)
        return *error;
    return token;
}

QString refundStatusName(RefundStatus status)
{
    return nameOf(kRefundStatuses, status);
}

Result<PixRefund> parseRefund(const QByteArray& bytes)
{
    const auto object = readObject(bytes);
    if (!object)
        return object.error();
    std::optional<Error> error;
    Fields fields(*object, error);
    const PixRefund refund = readRefund(fields);
    if (error)
        return *error;
    return refund;
}

QString chargeStatusName(ChargeStatus status)
{
    return nameOf(kChargeStatuses, status);
}

qint64 PixCharge::paidCents() const
{
    qint64 sum = 0;
    for (const PixPayment& payment : payments)
        sum += payment.amountCents;
    return sum;
}

Result<PixCharge> parseCharge(const QByteArray& bytes)
{
    const auto object = readObject(bytes);
    if (!object)
        return object.error();
    std::optional<Error> error;
    Fields fields(*object, error);
    PixCharge charge;
    charge.txid = fields.name("txid");
    charge.status = readStatus(fields, "status", kChargeStatuses);
    if (auto calendar = fields.object("calendario")) {
        charge.created = calendar->time("criacao");
        charge.expirySeconds = calendar->integer("expiracao", 0, std::numeric_limits<qint32>::max());
    }
    if (auto amount = fields.object("valor"))
        charge.amountCents = amount->amount("original");
    charge.copyAndPaste = fields.text("pixCopiaECola", false);
    charge.location = fields.text("location", false);
    for (Fields& entry : fields.list("pix")) {
        PixPayment payment;
        payment.endToEndId = entry.name("endToEndId");
        payment.amountCents = entry.amount("valor");
        payment.time = entry.time("horario");
        for (Fields& refund : entry.list("devolucoes"))
            payment.refunds.append(readRefund(refund));
        charge.payments.append(payment);
    }
    // The sum of the payments is worked out by the till: more than the API's largest amount
    // in total is not an answer to trust either.
    if (!error && charge.paidCents() > kMaxPixAmountCents)
        fields.fail("PixCampoValor", "pix", QString::number(charge.paidCents()));
    if (error)
        return *error;
    return charge;
}

Result<PixProblem> parseProblem(const QByteArray& bytes)
{
    const auto object = readObject(bytes);
    if (!object)
        return object.error();
    std::optional<Error> error;
    Fields fields(*object, error);
    PixProblem problem;
    problem.type = fields.text("type", false);
    problem.title = fields.text("title", false);
    problem.status = int(fields.integer("status", 100, 599, false));
    problem.detail = fields.text("detail", false);
    for (Fields& entry : fields.list("violacoes"))
        problem.violations.append(
            {entry.text("razao", false), entry.text("propriedade", false), entry.text("valor", false)});
    if (error)
        return *error;
    return problem;
}

} // namespace zel::pix
