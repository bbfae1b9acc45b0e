// A Pix payment's whole life against the provider simulator as a separate process: the
// checkout until it ends, then the settlement the receipt runs when it ends. Whatever the
// provider does, every charge ends paid and kept by a closed sale, removed, or refunded, and
// the journal lists exactly what is still undecided.

#include "receipt/pix/PixCheckout.h"

#include "PixSimSession.h"
#include "receipt/pix/PixSettler.h"

#include <QDateTime>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace zel::pix {
namespace {

using test::PixSimSession;
using Kind = PixCheckoutResult::Kind;

struct Life
{
    const char* name;
    const char* rules;
    int timeoutMs;
    bool cancel;        // the operator touches Cancelar once the code is shown
    Kind ended;         // how the checkout ends
    bool saleClosed;    // how the receipt ends
    const char* status; // the charge's final status at the provider
    qint64 refunded;    // what was given back
    bool stillListed;   // the journal still lists the charge after the settlement
};

void PrintTo(const Life& life, std::ostream* os)
{
    *os << life.name;
}

class PixLife : public ::testing::TestWithParam<Life>
{
protected:
    QTemporaryDir dir;
    QString journal() const { return dir.filePath("recebimento-pix.json"); }

    PixCheckoutResult run(PixCheckout& checkout, bool cancel)
    {
        QSignalSpy ended(&checkout, &PixCheckout::finished);
        if (cancel)
            QObject::connect(&checkout, &PixCheckout::chargeShown, &checkout,
                             [&checkout] { checkout.cancel(); });
        checkout.start(kCents, QStringLiteral("Venda 12"));
        EXPECT_TRUE(zel::test::eventually([&] { return !ended.isEmpty(); }, test::kWaitLimitMs));
        return ended.isEmpty() ? PixCheckoutResult{} : ended.first().first().value<PixCheckoutResult>();
    }

    QStringList settle(PixClient& client, const QSet<QString>& keptBySale)
    {
        PixSettler settler(&client, journal());
        QSignalSpy settled(&settler, &PixSettler::settled);
        settler.settle(keptBySale);
        EXPECT_TRUE(zel::test::eventually([&] { return !settled.isEmpty(); }, test::kWaitLimitMs));
        return settled.isEmpty() ? QStringList{} : settled.first().first().toStringList();
    }

    static constexpr qint64 kCents = 4590;
};

TEST_P(PixLife, EveryChargeEndsPaidAndKeptRemovedOrRefunded)
{
    const Life& life = GetParam();
    PixSimSession sim(life.rules, life.timeoutMs);
    ASSERT_TRUE(sim.ready()) << sim.log().toStdString();
    PixCheckout checkout(&sim.client(), journal());
    checkout.setPollInterval(50);
    checkout.setSilenceLimit(600);

    const PixCheckoutResult result = run(checkout, life.cancel);
    EXPECT_EQ(int(result.kind), int(life.ended)) << result.message.toStdString();
    EXPECT_EQ(result.kind == Kind::Paid, !result.endToEndId.isEmpty());
    if (result.kind != Kind::Paid) {
        EXPECT_FALSE(result.message.isEmpty() && !life.cancel) << "the operator is told why";
    }

    const QStringList told = settle(
        sim.client(), life.saleClosed && result.kind == Kind::Paid ? QSet{result.txid} : QSet<QString>{});
    const Result<QList<PixJournalEntry>> listed = readPixJournal(journal());
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(!listed->isEmpty(), life.stillListed) << told.join("\n").toStdString();

    const QJsonObject charge = sim.recorded(result.txid);
    if (life.status[0] == '\0') {
        EXPECT_TRUE(charge.isEmpty()) << "no charge was made";
        return;
    }
    EXPECT_EQ(charge.value("status").toString(), QString::fromLatin1(life.status));
    EXPECT_EQ(charge.value("refunded").toInteger(), life.refunded);
    // The invariant: paid money is kept only by a sale that closed with it recorded.
    if (charge.value("status") == "CONCLUIDA" && !life.stillListed) {
        EXPECT_EQ(charge.value("refunded").toInteger() == 0, life.saleClosed && result.kind == Kind::Paid);
    }
}

const char* const kPays = R"({"default": {"action": "pay", "afterMs": 150}})";
const char* const kNever = R"({"default": {"action": "never"}})";

INSTANTIATE_TEST_SUITE_P(
    Provider, PixLife,
    ::testing::Values(
        Life{"PaidAndSaleClosed", kPays, 5000, false, Kind::Paid, true, "CONCLUIDA", 0, false},
        Life{"PaidAndSaleGivenUp", kPays, 5000, false, Kind::Paid, false, "CONCLUIDA", 4590, false},
        Life{"CancelledByTheOperator", kNever, 5000, true, Kind::Cancelled, true,
             "REMOVIDA_PELO_USUARIO_RECEBEDOR", 0, false},
        Life{"PaidJustAsCancelled", R"({"default": {"action": "payOnRemove"}})", 5000, true, Kind::Paid, true,
             "CONCLUIDA", 0, false},
        Life{"PaidJustAsCancelledSaleGivenUp", R"({"default": {"action": "payOnRemove"}})", 5000, true,
             Kind::Paid, false, "CONCLUIDA", 4590, false},
        Life{"Expired", R"({"default": {"action": "expire", "afterMs": 200}})", 5000, false, Kind::Expired,
             true, "REMOVIDA_PELO_PSP", 0, false},
        Life{"TokenRefused", R"({"refuseToken": true})", 5000, false, Kind::Failed, true, "", 0, false},
        Life{"ServerErrorsThenPaid", R"({"default": {"action": "pay", "afterMs": 300, "failRequests": 2}})",
             5000, false, Kind::Paid, true, "CONCLUIDA", 0, false},
        // The provider goes silent once the code is shown: nothing recorded, the charge stays
        // listed for a later settlement (the provider is still down when the receipt ends).
        Life{"ProviderDownMidCharge", R"({"default": {"action": "never"}, "downAfter": 3})", 300, false,
             Kind::Unsettled, false, "ATIVA", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel::pix

namespace zel::pix {
namespace {

// A till killed while charges were live left them in the journal: a later settlement removes
// the open one, refunds the one paid meanwhile and the one recorded by the sale that never
// closed, and forgets the one never created, while a sale that closes at that moment keeps the
// payment it recorded itself.
TEST(PixSettlement, WhatAKilledTillLeftIsRemovedOrRefunded)
{
    PixSimSession sim(
        R"({"rules": [{"amount": 100, "action": "never"}, {"amount": 200, "action": "pay", "afterMs": 0},
                                     {"amount": 300, "action": "pay", "afterMs": 0}]})",
        5000);
    ASSERT_TRUE(sim.ready()) << sim.log().toStdString();
    const QString open = PixSimSession::newTxid(), paid = PixSimSession::newTxid(),
                  recorded = PixSimSession::newTxid(), never = PixSimSession::newTxid(),
                  kept = PixSimSession::newTxid();
    for (const auto& [txid, cents] : {std::pair{open, 100}, {paid, 200}, {recorded, 300}, {kept, 300}})
        ASSERT_TRUE(sim.create(txid, cents) && sim.status(txid));
    for (const QString& txid : {recorded, paid, kept})
        ASSERT_TRUE(sim.statusUntil(txid, ChargeStatus::Completed));
    const QString e2e = sim.recorded(recorded).value("e2eid").toString();

    QTemporaryDir dir;
    const QString journal = dir.filePath("recebimento-pix.json");
    using State = PixJournalEntry::State;
    ASSERT_TRUE(
        writePixJournal(journal, {{open, 100, State::Open, {}},
                                  {paid, 200, State::Open, {}},
                                  {recorded, 300, State::Recorded, e2e},
                                  {never, 400, State::Open, {}},
                                  {kept, 300, State::Recorded, sim.recorded(kept).value("e2eid").toString()}})
            .ok());
    PixSettler settler(&sim.client(), journal);
    QSignalSpy settled(&settler, &PixSettler::settled);
    settler.settle({kept});
    ASSERT_TRUE(zel::test::eventually([&] { return !settled.isEmpty(); }, test::kWaitLimitMs));

    EXPECT_EQ(sim.recorded(open).value("status").toString(), "REMOVIDA_PELO_USUARIO_RECEBEDOR");
    EXPECT_EQ(sim.recorded(paid).value("refunded").toInteger(), 200);
    EXPECT_EQ(sim.recorded(recorded).value("refunded").toInteger(), 300);
    EXPECT_EQ(sim.recorded(kept).value("refunded").toInteger(), 0);
    EXPECT_EQ(settled.first().first().toStringList().size(), 2) << "two refunds told";
    EXPECT_FALSE(QFile::exists(journal)) << "nothing left undecided";
}

// Terminals share the data folder: each has its own journal, whatever its host name holds.
TEST(PixJournal, EachTerminalHasItsOwnFileInTheSharedFolder)
{
    const QString a = pixJournalPath("/dados", "CAIXA-01"), b = pixJournalPath("/dados", "caixa_02");
    EXPECT_NE(a, b);
    for (const QString& hostile : {QStringLiteral("../../etc/x"), QStringLiteral("a/b"),
                                   QStringLiteral("ção"), QStringLiteral("..")}) {
        const QFileInfo path(pixJournalPath("/dados", hostile));
        EXPECT_EQ(path.absolutePath(), "/dados") << hostile.toStdString();
        EXPECT_TRUE(path.fileName().startsWith("recebimento-pix-")) << hostile.toStdString();
    }
}

// A journal someone tampered with is not guessed at: it is an error, and it stays in place.
TEST(PixJournal, AFileThatCannotBeTrustedIsAnErrorAndStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("recebimento-pix.json");
    for (const QByteArray& bytes :
         {QByteArray("not json"), QByteArray(R"({"cobrancas": [{"valor": 100, "estado": "aberta"}]})"),
          QByteArray(R"({"cobrancas": [{"txid": "a", "valor": 100, "estado": "talvez"}]})"),
          QByteArray(R"({"cobrancas": [{"txid": "a", "estado": "aberta"}]})")}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        EXPECT_FALSE(readPixJournal(path).ok()) << bytes.toStdString();
        EXPECT_TRUE(QFile::exists(path));
    }
}

// A write a killed run left half-way leaves a temporary file beside the journal; the next write
// of this terminal takes it away, and the journal is the till's alone (0600).
TEST(PixJournal, LeftoversOfAKilledWriteGoAndTheJournalIsTheTillsAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("recebimento-pix-caixa.json");
    QFile leftover(path + ".k1ll3d.tmp");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        leftover.setFileTime(QDateTime::currentDateTime().addSecs(-120), QFileDevice::FileModificationTime));
    leftover.close();
    ASSERT_TRUE(writePixJournal(path, {{QStringLiteral("a"), 100, PixJournalEntry::State::Open, {}}}).ok());
    EXPECT_FALSE(leftover.exists());
    EXPECT_EQ(QFile(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
}

} // namespace
} // namespace zel::pix
