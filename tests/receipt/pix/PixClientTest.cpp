// The Pix client in round trips with pix-provider-sim as a separate process: one row per way a
// charge can end and per way the provider can misbehave, each checked in the client's answer and
// in the simulator's own record of the charge.

#include "PixSimSession.h"
#include "receipt/pix/PixProviderMessages.h"

#include <gtest/gtest.h>

namespace zel::pix {
namespace {

using test::PixSimSession;

struct RoundTrip
{
    const char* name;
    const char* rules;
    int timeoutMs;
    int expirySeconds;
    std::function<void(PixSimSession&)> run;
};

class PixClientRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

TEST_P(PixClientRoundTrip, AgreesWithTheProvidersRecord)
{
    PixSimSession session(GetParam().rules, GetParam().timeoutMs, GetParam().expirySeconds);
    ASSERT_TRUE(session.ready()) << session.log().toStdString();
    GetParam().run(session);
}

// A charge that reaches `wanted`, as the client reads it and as the provider recorded it.
void endsAs(PixSimSession& s, qint64 cents, ChargeStatus wanted)
{
    const QString txid = PixSimSession::newTxid();
    const auto created = s.create(txid, cents);
    ASSERT_TRUE(created && created->ok())
        << (created ? created->result.errorMessage().toStdString() : "hang");
    EXPECT_EQ(created->result->status, ChargeStatus::Active);
    EXPECT_EQ(created->result->amountCents, cents);
    EXPECT_TRUE(created->result->copyAndPaste.contains(created->result->location));
    const auto last = s.statusUntil(txid, wanted);
    ASSERT_TRUE(last && last->ok()) << (last ? last->result.errorMessage().toStdString() : "hang");
    EXPECT_EQ(last->result->status, wanted);
    EXPECT_EQ(s.recorded(txid)["status"].toString(), chargeStatusName(wanted));
    EXPECT_EQ(last->result->payments.size(), wanted == ChargeStatus::Completed ? 1 : 0);
    if (wanted == ChargeStatus::Completed) {
        EXPECT_EQ(last->result->paidCents(), cents);
        EXPECT_EQ(last->result->payments.first().endToEndId, s.recorded(txid)["e2eid"].toString());
    }
}

void paid(PixSimSession& s)
{
    endsAs(s, 1250, ChargeStatus::Completed);
}

void expiredByProvider(PixSimSession& s)
{
    endsAs(s, 2000, ChargeStatus::RemovedByProvider);
}

// Nobody pays: active until the charge's own expiry (a second here), then the provider's.
void neverPaid(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    const auto created = s.create(txid, 3000);
    ASSERT_TRUE(created && created->ok());
    EXPECT_EQ(created->result->expirySeconds, 1);
    const auto last = s.statusUntil(txid, ChargeStatus::RemovedByProvider);
    ASSERT_TRUE(last && last->ok());
    EXPECT_EQ(last->result->status, ChargeStatus::RemovedByProvider);
    EXPECT_TRUE(last->result->payments.isEmpty());
}

// Two 500s: each leaves the outcome unknown (the provider failed, it may have acted) with its
// problem's title; the third try creates the charge once.
void failsThenSucceeds(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto failed = s.create(txid, 4000);
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->outcome, PixOutcome::Unknown);
        EXPECT_TRUE(failed->mayHaveActed());
        EXPECT_EQ(failed->httpStatus, 500);
        ASSERT_TRUE(failed->problem);
        EXPECT_TRUE(failed->result.errorMessage().contains(failed->problem->title))
            << failed->result.errorMessage().toStdString();
    }
    const auto created = s.create(txid, 4000);
    ASSERT_TRUE(created && created->ok()) << created->result.errorMessage().toStdString();
    EXPECT_EQ(s.recordedCount(), 1);
}

// The token is refused: nothing reaches the API, so nothing can have been charged.
void tokenRefused(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    const auto refused = s.create(txid, 1000);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->outcome, PixOutcome::NotSent);
    EXPECT_FALSE(refused->mayHaveActed());
    ASSERT_TRUE(refused->problem);
    EXPECT_EQ(refused->httpStatus, 401);
    EXPECT_TRUE(refused->result.errorMessage().contains(refused->problem->title));
    EXPECT_EQ(s.recordedCount(), 0);
}

// Answers slower than the client's timeout: the operation ends as unknown, never hangs, and
// the provider did make the charge, which is why an unknown outcome must be looked up.
void slowerThanTheTimeout(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    const auto slow = s.create(txid, 5000);
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->outcome, PixOutcome::Unknown);
    EXPECT_EQ(slow->result.errorCode(), "PixSemResposta");
    EXPECT_EQ(s.recorded(txid)["status"].toString(), "ATIVA");
}

// The payment lands as the till removes the charge: the removal is refused with the provider's
// title, and the charge reads as paid with its payment.
void paidAfterTheCancel(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    ASSERT_TRUE(s.create(txid, 6000)->ok());
    const auto removal = s.remove(txid);
    ASSERT_TRUE(removal);
    EXPECT_EQ(removal->outcome, PixOutcome::Refused);
    ASSERT_TRUE(removal->problem);
    EXPECT_EQ(removal->result.errorMessage(), pixProviderText("PixRecusou").arg(removal->problem->title));
    const auto after = s.status(txid);
    ASSERT_TRUE(after && after->ok());
    EXPECT_EQ(after->result->status, ChargeStatus::Completed);
    ASSERT_EQ(after->result->payments.size(), 1);
    EXPECT_EQ(s.recorded(txid)["status"].toString(), "CONCLUIDA");
}

void removedByTheTill(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    ASSERT_TRUE(s.create(txid, 3000)->ok());
    const auto removal = s.remove(txid);
    ASSERT_TRUE(removal && removal->ok()) << removal->result.errorMessage().toStdString();
    EXPECT_EQ(removal->result->status, ChargeStatus::RemovedByReceiver);
    EXPECT_EQ(s.recorded(txid)["status"].toString(), "REMOVIDA_PELO_USUARIO_RECEBEDOR");
}

// Some of a payment given back, then the rest: both recorded by the provider; a third refund
// would pass what was paid and is refused.
void refunded(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    ASSERT_TRUE(s.create(txid, 1250)->ok());
    const auto charge = s.statusUntil(txid, ChargeStatus::Completed);
    ASSERT_TRUE(charge && charge->ok() && charge->result->payments.size() == 1);
    const QString e2eid = charge->result->payments.first().endToEndId;
    for (const auto& [id, cents] : {std::pair{"D1", 1000}, std::pair{"D2", 250}}) {
        const auto refund = s.refund(e2eid, id, cents);
        ASSERT_TRUE(refund && refund->ok()) << refund->result.errorMessage().toStdString();
        EXPECT_EQ(refund->result->amountCents, cents);
        EXPECT_EQ(refund->result->status, RefundStatus::Returned);
    }
    const auto tooMuch = s.refund(e2eid, "D3", 1);
    ASSERT_TRUE(tooMuch);
    EXPECT_EQ(tooMuch->outcome, PixOutcome::Refused);
    const QJsonObject recorded = s.recorded(txid);
    EXPECT_EQ(recorded["refunded"].toInteger(), 1250);
    EXPECT_EQ(recorded["refunds"].toArray().size(), 2);
    const auto after = s.status(txid);
    ASSERT_TRUE(after && after->ok());
    EXPECT_EQ(after->result->payments.first().refunds.size(), 2);
}

// The provider stops answering after the token and one charge: the next operation is unknown,
// whether the connection stays open or is closed.
void goesDown(PixSimSession& s)
{
    const QString txid = PixSimSession::newTxid();
    ASSERT_TRUE(s.create(txid, 1000)->ok());
    const auto gone = s.status(txid);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->outcome, PixOutcome::Unknown);
    EXPECT_FALSE(gone->result.errorMessage().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PixClientRoundTrip,
    ::testing::Values(
        RoundTrip{"Paid", R"({"default": {"action": "pay", "afterMs": 150}})", 5000, 300, paid},
        RoundTrip{"ExpiredByTheProvider",
                  R"({"rules": [{"amount": 2000, "action": "expire", "afterMs": 200}]})", 5000, 300,
                  expiredByProvider},
        RoundTrip{"NeverPaid", R"({"default": {"action": "never"}})", 5000, 1, neverPaid},
        RoundTrip{"FailsTwiceThenSucceeds",
                  R"({"rules": [{"amount": 4000, "action": "never", "failRequests": 2}]})", 5000, 300,
                  failsThenSucceeds},
        RoundTrip{"TokenRefused", R"({"refuseToken": true})", 5000, 300, tokenRefused},
        RoundTrip{"SlowerThanTheTimeout",
                  R"({"rules": [{"amount": 5000, "action": "never", "delayMs": 3000}]})", 300, 300,
                  slowerThanTheTimeout},
        RoundTrip{"PaidAfterTheCancel", R"({"rules": [{"amount": 6000, "action": "payOnRemove"}]})", 5000,
                  300, paidAfterTheCancel},
        RoundTrip{"RemovedByTheTill", R"({"default": {"action": "never"}})", 5000, 300, removedByTheTill},
        RoundTrip{"Refunded", R"({"default": {"action": "pay", "afterMs": 0}})", 5000, 300, refunded},
        RoundTrip{"DownSilent", R"({"default": {"action": "never"}, "downAfter": 2})", 400, 300, goesDown},
        RoundTrip{"DownClosing", R"({"default": {"action": "never"}, "downAfter": 2, "down": "close"})", 5000,
                  300, goesDown}),
    [](const auto& info) { return std::string(info.param.name); });

// What the client refuses before anything is sent: the provider has nothing to look up.
struct NotSentCase
{
    const char* name;
    std::function<void(PixProviderConfig&)> change;
    std::function<void(PixClient&, PixClient::Done<PixCharge>)> call;
    const char* code;
};

class PixClientNotSent : public ::testing::TestWithParam<NotSentCase>
{
protected:
    void SetUp() override
    {
        m_session = std::make_unique<PixSimSession>(R"({"default": {"action": "never"}})", 5000);
        ASSERT_TRUE(m_session->ready()) << m_session->log().toStdString();
    }
    std::unique_ptr<PixSimSession> m_session;
};

TEST_P(PixClientNotSent, NothingReachesTheProvider)
{
    PixProviderConfig config = m_session->config();
    GetParam().change(config);
    PixClient client(config);
    const auto reply = m_session->await<PixCharge>([&](auto done) { GetParam().call(client, done); });
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->outcome, PixOutcome::NotSent);
    EXPECT_TRUE(
        reply->result.errorMessage().contains(pixProviderText(GetParam().code).section(u'%', 0, 0).trimmed()))
        << reply->result.errorMessage().toStdString();
    EXPECT_EQ(m_session->recordedCount(), 0);
}

void keep(PixProviderConfig&) {}
void createOne(PixClient& client, PixClient::Done<PixCharge> done)
{
    client.createCharge(PixSimSession::newTxid(), 1000, {}, done);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixClientNotSent,
    ::testing::Values(
        NotSentCase{"WrongSecret", [](auto& c) { c.clientSecret = "outro"; }, createOne, "PixSemToken"},
        NotSentCase{"PlainHttpElsewhere", [](auto& c) { c.apiUrl.setHost("192.0.2.1"); }, createOne,
                    "PixEnderecoInseguro"},
        NotSentCase{"NoProviderThere", [](auto& c) { c.tokenUrl.setPort(1); }, createOne, "PixSemToken"},
        NotSentCase{"BadTxid", keep, [](PixClient& client, auto done) { client.chargeStatus("curto", done); },
                    "PixTxidInvalido"},
        NotSentCase{
            "NegativeAmount", keep,
            [](PixClient& client, auto done) { client.createCharge(PixSimSession::newTxid(), -1, {}, done); },
            "PixValorInvalido"}),
    [](const auto& info) { return std::string(info.param.name); });

// Operations asked for together share one token: the provider sees one token request.
TEST(PixClientToken, FetchedOnceForOperationsAskedTogether)
{
    PixSimSession session(R"({"default": {"action": "never"}})", 5000);
    ASSERT_TRUE(session.ready()) << session.log().toStdString();
    QList<PixReply<PixCharge>> replies;
    for (int i = 0; i < 5; ++i)
        session.client().createCharge(PixSimSession::newTxid(), 100 + i, {},
                                      [&replies](const PixReply<PixCharge>& r) { replies.append(r); });
    ASSERT_TRUE(zel::test::eventually([&] { return replies.size() == 5; }, test::kWaitLimitMs));
    for (const auto& reply : replies)
        EXPECT_TRUE(reply.ok()) << reply.result.errorMessage().toStdString();
    EXPECT_EQ(session.recordedCount(), 5);
    EXPECT_EQ(session.tokensIssued(), 1);
}

// The provider drops the token on the second request: that request is answered 401, the
// client fetches a new token and repeats it once, and the till sees only the charge.
TEST(PixClientToken, A401FetchesANewTokenAndRepeatsOnce)
{
    PixSimSession session(R"({"default": {"action": "never"}, "revokeTokensAt": 2})", 5000);
    ASSERT_TRUE(session.ready()) << session.log().toStdString();
    const QString txid = PixSimSession::newTxid();
    ASSERT_TRUE(session.create(txid, 1000)->ok());
    const auto again = session.status(txid);
    ASSERT_TRUE(again && again->ok()) << again->result.errorMessage().toStdString();
    EXPECT_EQ(again->result->txid, txid);
    EXPECT_EQ(session.tokensIssued(), 2);
}

} // namespace
} // namespace zel::pix
