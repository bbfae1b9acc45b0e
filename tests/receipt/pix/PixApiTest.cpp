// The Pix API codec: amounts, requests, and what it makes of the provider's answers, hostile
// ones included.

#include "receipt/pix/PixApi.h"

#include "support/QStringPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>

namespace zel::pix {
namespace {

// A charge as the provider answers GET /cob/{txid} once paid and partly refunded.
const char* kPaidCharge = R"({
  "calendario": {"criacao": "2024-05-10T12:00:00.123Z", "expiracao": 300},
  "txid": "7978c0c97ea847e78e8849634473c1f1",
  "revisao": 0,
  "location": "pix.example.com/qr/v2/9d36b84fc70b478fb95c12729b90ca25",
  "status": "CONCLUIDA",
  "valor": {"original": "1234.56"},
  "chave": "7d9f0335-8dcc-4054-9bf9-0dbd61d36906",
  "pixCopiaECola": "00020101021226850014br.gov.bcb.pix2563pix.example.com6304ABCD",
  "pix": [{"endToEndId": "E12345678202405101200abcdefghijk", "txid": "7978c0c97ea847e78e8849634473c1f1",
           "valor": "1234.56", "horario": "2024-05-10T12:01:00-03:00",
           "devolucoes": [{"id": "D1", "rtrId": "D12345678202405101205abcdefghijk", "valor": "10.00",
                           "status": "DEVOLVIDO"}]}]
})";

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject paidCharge()
{
    return QJsonDocument::fromJson(kPaidCharge).object();
}

// ---- amounts -------------------------------------------------------------------------------

TEST(PixAmount, EveryEncodedAmountReadsBackAsTheSameCents)
{
    QRandomGenerator random(20240510);
    QList<qint64> amounts{0, 1, 9, 10, 99, 100, 101, kMaxPixAmountCents};
    for (int i = 0; i < 5000; ++i)
        amounts << qint64(random.bounded(quint64(kMaxPixAmountCents) + 1));
    for (int digits = 1; digits <= 12; ++digits)
        amounts << qint64(std::pow(10, digits)) - 1;
    for (const qint64 cents : amounts) {
        const auto text = encodePixAmount(cents);
        ASSERT_TRUE(text.ok()) << cents;
        EXPECT_TRUE(QRegularExpression("^\\d{1,10}\\.\\d{2}$").match(QString::fromLatin1(*text)).hasMatch())
            << text->toStdString();
        const auto back = parsePixAmount(QString::fromLatin1(*text));
        ASSERT_TRUE(back.ok()) << text->toStdString();
        EXPECT_EQ(*back, cents);
    }
}

TEST(PixAmount, OutOfRangeIsRefused)
{
    for (const qint64 cents : {qint64(-1), kMaxPixAmountCents + 1, std::numeric_limits<qint64>::min(),
                               std::numeric_limits<qint64>::max()})
        EXPECT_EQ(encodePixAmount(cents).errorCode(), "PixValorInvalido") << cents;
}

struct AmountCase
{
    const char* text;
    std::optional<qint64> cents; // unset: refused
};

class PixAmountText : public ::testing::TestWithParam<AmountCase>
{
};

TEST_P(PixAmountText, OnlyTheApisShapeReads)
{
    const auto cents = parsePixAmount(QString::fromUtf8(GetParam().text));
    if (GetParam().cents) {
        ASSERT_TRUE(cents.ok()) << cents.errorMessage().toStdString();
        EXPECT_EQ(*cents, *GetParam().cents);
    } else {
        EXPECT_EQ(cents.errorCode(), "PixCampoValor");
        EXPECT_TRUE(cents.errorMessage().contains(QString::fromUtf8(GetParam().text)))
            << cents.errorMessage().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PixAmountText,
    ::testing::Values(AmountCase{"0.01", 1}, AmountCase{"12.34", 1234}, AmountCase{"0012.30", 1230},
                      AmountCase{"9999999999.99", kMaxPixAmountCents}, AmountCase{"12345678901.00", {}},
                      AmountCase{"1.5", {}}, AmountCase{"1.234", {}}, AmountCase{"1", {}},
                      AmountCase{"-1.00", {}}, AmountCase{"+1.00", {}}, AmountCase{"1,00", {}},
                      AmountCase{".00", {}}, AmountCase{" 1.00", {}}, AmountCase{"1.00 ", {}},
                      AmountCase{"1e3.00", {}}, AmountCase{"١.٠٠", {}}, AmountCase{"１.00", {}},
                      AmountCase{"", {}}, AmountCase{"1.0a", {}}));

// ---- requests ------------------------------------------------------------------------------

TEST(PixRequests, ChargeBodyCarriesTheAmountAsTextAndTheKey)
{
    const auto request =
        createChargeRequest("7978c0c97ea847e78e8849634473c1f1", 1234, "chave@example.com", 300, "Mesa 12");
    ASSERT_TRUE(request.ok()) << request.errorMessage().toStdString();
    EXPECT_EQ(request->verb, "PUT");
    EXPECT_EQ(request->path, "/cob/7978c0c97ea847e78e8849634473c1f1");
    const QJsonObject body = QJsonDocument::fromJson(request->body).object();
    EXPECT_EQ(body["valor"]["original"].toString(), "12.34");
    EXPECT_EQ(body["calendario"]["expiracao"].toInt(), 300);
    EXPECT_EQ(body["chave"].toString(), "chave@example.com");
    EXPECT_EQ(body["solicitacaoPagador"].toString(), "Mesa 12");
}

TEST(PixRequests, RemovalAsksForTheReceiversRemoval)
{
    const auto request = removeChargeRequest("7978c0c97ea847e78e8849634473c1f1");
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request->verb, "PATCH");
    EXPECT_EQ(QJsonDocument::fromJson(request->body).object()["status"].toString(),
              chargeStatusName(ChargeStatus::RemovedByReceiver));
}

TEST(PixRequests, RefundNamesThePaymentAndTheRefund)
{
    const auto request = refundRequest("E12345678202405101200abcdefghijk", "D1", 1000);
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request->path, "/pix/E12345678202405101200abcdefghijk/devolucao/D1");
    EXPECT_EQ(QJsonDocument::fromJson(request->body).object()["valor"].toString(), "10.00");
}

struct BadRequestCase
{
    const char* name;
    std::function<Result<PixRequest>()> make;
    const char* code;
};

class PixBadRequest : public ::testing::TestWithParam<BadRequestCase>
{
};

TEST_P(PixBadRequest, IsNeverBuilt)
{
    EXPECT_EQ(GetParam().make().errorCode(), GetParam().code);
}

const QString kTxid = QStringLiteral("7978c0c97ea847e78e8849634473c1f1");

INSTANTIATE_TEST_SUITE_P(
    Cases, PixBadRequest,
    ::testing::Values(
        BadRequestCase{"TxidTooShort", [] { return chargeStatusRequest(kTxid.left(25)); }, "PixTxidInvalido"},
        BadRequestCase{"TxidTooLong", [] { return chargeStatusRequest(kTxid + "1234"); }, "PixTxidInvalido"},
        BadRequestCase{"TxidWithSlash", [] { return removeChargeRequest(kTxid.left(30) + "/../x"); },
                       "PixTxidInvalido"},
        BadRequestCase{"TxidAccented", [] { return chargeStatusRequest(kTxid.left(30) + "ação"); },
                       "PixTxidInvalido"},
        BadRequestCase{"NegativeCharge", [] { return createChargeRequest(kTxid, -1, "k", 300, ""); },
                       "PixValorInvalido"},
        BadRequestCase{"HugeCharge",
                       [] { return createChargeRequest(kTxid, kMaxPixAmountCents + 1, "k", 300, ""); },
                       "PixValorInvalido"},
        BadRequestCase{"RefundPathInjection", [] { return refundRequest("E1/../../cob", "D1", 1); },
                       "PixIdInvalido"},
        BadRequestCase{"EmptyRefundId", [] { return refundRequest("E1", "", 1); }, "PixIdInvalido"},
        BadRequestCase{"NegativeRefund", [] { return refundRequest("E1", "D1", -5); }, "PixValorInvalido"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PixRequests, TokenIsClientCredentialsWithBasicAuthorization)
{
    EXPECT_EQ(tokenRequestBody(), "grant_type=client_credentials");
    const QByteArray header = basicAuthorization("caixa", "s3gr3do:x");
    ASSERT_TRUE(header.startsWith("Basic "));
    EXPECT_EQ(QByteArray::fromBase64(header.mid(6)), "caixa:s3gr3do:x");
}

// ---- answers -------------------------------------------------------------------------------

TEST(PixCharge, ReadsEveryFieldThePointOfSaleUses)
{
    const auto charge = parseCharge(kPaidCharge);
    ASSERT_TRUE(charge.ok()) << charge.errorMessage().toStdString();
    EXPECT_EQ(charge->txid, "7978c0c97ea847e78e8849634473c1f1");
    EXPECT_EQ(charge->status, ChargeStatus::Completed);
    EXPECT_EQ(charge->amountCents, 123456);
    EXPECT_EQ(charge->expirySeconds, 300);
    EXPECT_EQ(charge->created, QDateTime(QDate(2024, 5, 10), QTime(12, 0, 0, 123), Qt::UTC));
    EXPECT_TRUE(charge->copyAndPaste.startsWith("000201"));
    EXPECT_TRUE(charge->location.endsWith("9d36b84fc70b478fb95c12729b90ca25"));
    ASSERT_EQ(charge->payments.size(), 1);
    const PixPayment& payment = charge->payments.first();
    EXPECT_EQ(payment.endToEndId, "E12345678202405101200abcdefghijk");
    EXPECT_EQ(payment.time, QDateTime(QDate(2024, 5, 10), QTime(15, 1), Qt::UTC));
    EXPECT_EQ(charge->paidCents(), 123456);
    ASSERT_EQ(payment.refunds.size(), 1);
    EXPECT_EQ(payment.refunds.first().amountCents, 1000);
    EXPECT_EQ(payment.refunds.first().status, RefundStatus::Returned);
}

TEST(PixCharge, EveryStatusNameReadsBack)
{
    for (const auto status : {ChargeStatus::Active, ChargeStatus::Completed, ChargeStatus::RemovedByReceiver,
                              ChargeStatus::RemovedByProvider}) {
        QJsonObject charge = paidCharge();
        charge["status"] = chargeStatusName(status);
        const auto parsed = parseCharge(compact(charge));
        ASSERT_TRUE(parsed.ok()) << parsed.errorMessage().toStdString();
        EXPECT_EQ(parsed->status, status);
    }
}

// Hostile answers: one row per way an answer can be wrong, with the code of the error.
struct HostileCase
{
    const char* name;
    std::function<Result<bool>(const QByteArray&)> parse;
    QByteArray answer;
    const char* code;
};

template <class T> std::function<Result<bool>(const QByteArray&)> by(Result<T> (*parser)(const QByteArray&))
{
    return [parser](const QByteArray& bytes) -> Result<bool> {
        const auto parsed = parser(bytes);
        if (!parsed)
            return parsed.error();
        return true;
    };
}

QByteArray chargeWith(const std::function<void(QJsonObject&)>& change)
{
    QJsonObject charge = paidCharge();
    change(charge);
    return compact(charge);
}

class PixHostileAnswer : public ::testing::TestWithParam<HostileCase>
{
};

TEST_P(PixHostileAnswer, IsAnErrorValueNamingWhatIsWrong)
{
    const auto parsed = GetParam().parse(GetParam().answer);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.errorCode(), GetParam().code);
    EXPECT_TRUE(parsed.errorMessage().startsWith("A resposta do provedor Pix"))
        << parsed.errorMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PixHostileAnswer,
    ::testing::Values(
        HostileCase{"NotJson", by(parseCharge), "<html>502</html>", "PixRespostaNaoObjeto"},
        HostileCase{"Empty", by(parseToken), "", "PixRespostaNaoObjeto"},
        HostileCase{"ArrayAtTop", by(parseCharge), "[{}]", "PixRespostaNaoObjeto"},
        HostileCase{"Oversized", by(parseProblem),
                    "{\"title\":\"" + QByteArray(kMaxPixAnswerBytes, 'a') + "\"}", "PixRespostaGrande"},
        HostileCase{"TxidTwice", by(parseCharge),
                    QByteArray(kPaidCharge).replace("\"revisao\"", "\"txid\": \"outro\", \"revisao\""),
                    "PixCampoRepetido"},
        HostileCase{"AmountTwiceEscaped", by(parseCharge),
                    QByteArray(kPaidCharge)
                        .replace("{\"original\": \"1234.56\"}",
                                 "{\"original\": \"1.00\", \"\\u006friginal\": \"1234.56\"}"),
                    "PixCampoRepetido"},
        HostileCase{"TxidNumber", by(parseCharge), chargeWith([](auto& c) { c["txid"] = 42; }),
                    "PixCampoTexto"},
        HostileCase{"TxidEmpty", by(parseCharge), chargeWith([](auto& c) { c["txid"] = ""; }),
                    "PixCampoVazio"},
        HostileCase{"NoAmount", by(parseCharge), chargeWith([](auto& c) { c["valor"] = QJsonObject{}; }),
                    "PixCampoAusente"},
        HostileCase{"AmountAsNumber", by(parseCharge), chargeWith([](auto& c) {
                        c["valor"] = QJsonObject{{"original", 12.34}};
                    }),
                    "PixCampoTexto"},
        HostileCase{"AmountWithComma", by(parseCharge), chargeWith([](auto& c) {
                        c["valor"] = QJsonObject{{"original", "12,34"}};
                    }),
                    "PixCampoValor"},
        HostileCase{"UnknownStatus", by(parseCharge), chargeWith([](auto& c) { c["status"] = "PAGA"; }),
                    "PixCampoSituacao"},
        HostileCase{"HugeExpiry", by(parseCharge),
                    QByteArray(kPaidCharge).replace("\"expiracao\": 300", "\"expiracao\": 1e300"),
                    "PixCampoInteiro"},
        HostileCase{"FractionalExpiry", by(parseCharge),
                    QByteArray(kPaidCharge).replace("\"expiracao\": 300", "\"expiracao\": 300.5"),
                    "PixCampoInteiro"},
        HostileCase{"PaymentNotObject", by(parseCharge),
                    chargeWith([](auto& c) { c["pix"] = QJsonArray{"E1"}; }), "PixCampoLista"},
        HostileCase{"PaymentTimeGarbled", by(parseCharge),
                    QByteArray(kPaidCharge).replace("2024-05-10T12:01:00-03:00", "ontem"), "PixCampoData"},
        HostileCase{"RefundStatusUnknown", by(parseCharge),
                    QByteArray(kPaidCharge).replace("\"DEVOLVIDO\"", "\"OK\""), "PixCampoSituacao"},
        HostileCase{"TokenWithoutType", by(parseToken), R"({"access_token":"abc","expires_in":3600})",
                    "PixCampoAusente"},
        HostileCase{"TokenNeverExpiring", by(parseToken),
                    R"({"access_token":"abc","token_type":"Bearer","expires_in":1e20})", "PixCampoInteiro"},
        HostileCase{"TokenExpired", by(parseToken),
                    R"({"access_token":"abc","token_type":"Bearer","expires_in":0})", "PixCampoInteiro"},
        HostileCase{"RefundAmountNegative", by(parseRefund),
                    R"({"id":"D1","rtrId":"D9","valor":"-1.00","status":"DEVOLVIDO"})", "PixCampoValor"},
        HostileCase{"ProblemStatusText", by(parseProblem), R"({"title":"x","status":"400"})",
                    "PixCampoInteiro"},
        HostileCase{"ProblemViolationsNotList", by(parseProblem), R"({"title":"x","violacoes":{}})",
                    "PixCampoLista"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every member the charge reader relies on, replaced by each kind of JSON value that is not
// its own: the reader gives an error value, never a charge with a member it made up.
struct Member
{
    QStringList path; // keys from the top; "0" steps into a list
    bool optional = false;
};

QJsonValue replaced(const QJsonValue& node, const QStringList& path, const QJsonValue& value)
{
    if (path.isEmpty())
        return value;
    if (node.isArray()) {
        QJsonArray array = node.toArray();
        const int index = path.first().toInt();
        array[index] = replaced(array.at(index), path.mid(1), value);
        return array;
    }
    QJsonObject object = node.toObject();
    object[path.first()] = replaced(object.value(path.first()), path.mid(1), value);
    return object;
}

TEST(PixCharge, EveryMemberOfAnotherTypeIsRefused)
{
    const QList<Member> members{
        {{"txid"}},
        {{"status"}},
        {{"calendario"}},
        {{"calendario", "criacao"}},
        {{"calendario", "expiracao"}},
        {{"valor"}},
        {{"valor", "original"}},
        {{"location"}, true},
        {{"pixCopiaECola"}, true},
        {{"pix"}, true},
        {{"pix", "0"}},
        {{"pix", "0", "endToEndId"}},
        {{"pix", "0", "valor"}},
        {{"pix", "0", "horario"}},
        {{"pix", "0", "devolucoes"}, true},
        {{"pix", "0", "devolucoes", "0", "id"}},
        {{"pix", "0", "devolucoes", "0", "rtrId"}},
        {{"pix", "0", "devolucoes", "0", "valor"}},
        {{"pix", "0", "devolucoes", "0", "status"}},
    };
    const QList<QJsonValue> values{QJsonValue(7), QJsonValue(-1e300), QJsonValue(true), QJsonValue("x"),
                                   QJsonArray{},  QJsonArray{1},      QJsonObject{},    QJsonValue::Null};
    const QJsonObject original = paidCharge();
    int cases = 0;
    for (const Member& member : members) {
        QJsonValue current = original;
        for (const QString& key : member.path)
            current = current.isArray() ? current.toArray().at(key.toInt()) : current.toObject().value(key);
        for (const QJsonValue& value : values) {
            if (value.type() == current.type())
                continue;
            if (value.isNull() && member.optional)
                continue; // an optional member may be left out
            const QByteArray answer = compact(replaced(original, member.path, value).toObject());
            const auto parsed = parseCharge(answer);
            EXPECT_FALSE(parsed.ok()) << member.path.join('.').toStdString() << " = " << answer.toStdString();
            EXPECT_FALSE(parsed.errorCode().isEmpty());
            ++cases;
        }
    }
    EXPECT_GT(cases, members.size() * 4);
}

TEST(PixCharge, NoPrefixOfAnAnswerReadsAsACharge)
{
    const QByteArray whole = compact(paidCharge());
    for (qsizetype size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(parseCharge(whole.left(size)).ok()) << size;
}

TEST(PixToken, ReadsTokenTypeAndLifetime)
{
    const auto token = parseToken(R"({"access_token":"eyJ.abc","token_type":"Bearer","expires_in":3600,
                                      "scope":"cob.write cob.read"})");
    ASSERT_TRUE(token.ok()) << token.errorMessage().toStdString();
    EXPECT_EQ(token->accessToken, "eyJ.abc");
    EXPECT_EQ(token->tokenType, "Bearer");
    EXPECT_EQ(token->expiresInSeconds, 3600);
}

struct RefundCase
{
    const char* status;
    RefundStatus expected;
};

class PixRefundStatus : public ::testing::TestWithParam<RefundCase>
{
};

TEST_P(PixRefundStatus, ReadsTheRefundAndItsStatus)
{
    const QByteArray answer =
        QStringLiteral(R"({"id":"D1","rtrId":"D1234567820240510","valor":"0.50",)"
                       R"("horario":{"solicitacao":"2024-05-10T12:00:00Z"},"status":"%1"})")
            .arg(GetParam().status)
            .toUtf8();
    const auto refund = parseRefund(answer);
    ASSERT_TRUE(refund.ok()) << refund.errorMessage().toStdString();
    EXPECT_EQ(refund->id, "D1");
    EXPECT_EQ(refund->amountCents, 50);
    EXPECT_EQ(refund->status, GetParam().expected);
    EXPECT_EQ(refundStatusName(refund->status), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Statuses, PixRefundStatus,
                         ::testing::Values(RefundCase{"EM_PROCESSAMENTO", RefundStatus::InProgress},
                                           RefundCase{"DEVOLVIDO", RefundStatus::Returned},
                                           RefundCase{"NAO_REALIZADO", RefundStatus::NotDone}));

TEST(PixProblem, ReadsTitleStatusAndViolations)
{
    const auto problem = parseProblem(R"({"type":"https://pix.bcb.gov.br/api/v2/error/CobOperacaoInvalida",
        "title":"Cobrança inválida.","status":400,"detail":"A requisição não respeita o schema.",
        "violacoes":[{"razao":"O valor deve ser positivo.","propriedade":"cob.valor.original","valor":"0.00"}]})");
    ASSERT_TRUE(problem.ok()) << problem.errorMessage().toStdString();
    EXPECT_EQ(problem->title, "Cobrança inválida.");
    EXPECT_EQ(problem->status, 400);
    ASSERT_EQ(problem->violations.size(), 1);
    EXPECT_EQ(problem->violations.first().property, "cob.valor.original");
}

TEST(PixProblem, EveryMemberMayBeMissing)
{
    const auto problem = parseProblem("{}");
    ASSERT_TRUE(problem.ok()) << problem.errorMessage().toStdString();
    EXPECT_TRUE(problem->title.isEmpty());
}

} // namespace
} // namespace zel::pix
