// The exchange against the TEF manager simulator running as a separate process, on the
// simulated peripherals' TEF directory routines.

#include "SimulatedPeripherals.h"
#include "TefTestSupport.h"
#include "receipt/tef/TefExchange.h"
#include "support/Eventually.h"
#include "support/ScriptedDialogs.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace zel {
namespace {

using teftest::intposFiles;
using teftest::readAll;

// Amounts in cents pick the manager's behaviour.
const char* kRules = R"({
  "default": {"action": "approve", "receipt": [], "message": ""},
  "rules": [
    {"header": "CHQ", "action": "decline", "message": "Cheque sem fundos"},
    {"amount": 1000, "action": "approve"},
    {"amount": 1100, "action": "approve", "receipt": []},
    {"amount": 2000, "action": "decline", "status": "51", "message": "Saldo insuficiente"},
    {"amount": 3000, "action": "fail", "message": "Falha de comunicacao"},
    {"amount": 3100, "action": "fail", "message": ""},
    {"amount": 4000, "action": "approve", "delayMs": 1500, "receipt": [], "message": ""},
    {"amount": 5000, "action": "approve", "otherSequenceFirst": true, "receipt": [], "message": ""},
    {"amount": 6000, "action": "approve", "split": true, "splitPauseMs": 400, "receipt": ["A", "B"],
     "message": ""},
    {"amount": 6100, "action": "approve", "split": true, "splitPauseMs": 30000, "receipt": ["A", "B"],
     "message": ""},
    {"amount": 123450, "action": "approve", "message": ""},
    {"amount": 5, "action": "approve", "message": ""}
  ]
})";

class TefManagerExchange : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        auto config = SimulatorConfig::fromJson(
            QJsonObject{{"tef", QJsonObject{{"dir", "tef"},
                                            {"activityTimeoutMs", test::kHangLimitMs / 4},
                                            {"takenTimeoutMs", test::kHangLimitMs / 4}}}},
            m_tmp.path());
        ASSERT_TRUE(config.ok()) << config.errorMessage().toStdString();
        m_devices = std::make_shared<SimulatedPeripherals>(config.value());
        m_previous = setPeripherals(m_devices);

        const QString rules = m_tmp.filePath("rules.json");
        ASSERT_TRUE(teftest::writeWhole(rules, kRules));
        m_manager.setProcessChannelMode(QProcess::MergedChannels);
        m_manager.start(ZEL_TEF_MANAGER_SIM, {"--dir", m_devices->DirTef(), "--rules", rules});
        ASSERT_TRUE(m_manager.waitForStarted(test::kHangLimitMs));
        QByteArray seen;
        ASSERT_TRUE(test::awaitOutput(m_manager, seen, "watching")) << seen.toStdString();
    }

    void TearDown() override
    {
        setPeripherals(m_previous);
        m_manager.terminate();
        EXPECT_TRUE(test::ended(m_manager));
        EXPECT_EQ(m_manager.exitCode(), 0) << m_manager.readAll().toStdString();
    }

    QString resp() const { return m_devices->DirTef() + "resp/"; }
    // The responses left in resp/ after the exchange.
    QStringList kept() const { return intposFiles(resp()); }

    QTemporaryDir m_tmp;
    std::shared_ptr<SimulatedPeripherals> m_devices;
    std::shared_ptr<Peripherals> m_previous;
    test::ScopedScriptedDialogs m_dialogs;
    QProcess m_manager;
};

TEST_F(TefManagerExchange, ApprovedWithReceiptLinesKeepsItsFilesForPrinting)
{
    m_devices->setInContCuponsTEF(1); // an earlier approval still to print
    m_dialogs->expectMessage("Transacao aprovada");

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, "000042"));

    EXPECT_EQ(m_dialogs->records().value(0).buttons, DialogButtons::None);
    EXPECT_EQ(m_devices->inContCuponsTEF(), 2);
    ASSERT_EQ(kept(), QStringList{"intpos.002"});
    const QByteArray answer = readAll(resp() + "intpos.002");
    EXPECT_TRUE(answer.contains("002-000 = 000042\r\n")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("028-000 = 4\r\n"));
    EXPECT_FALSE(QFile::exists(m_devices->DirTef() + "req/intpos.001"));
}

TEST_F(TefManagerExchange, ApprovedWithoutReceiptLinesRemovesItsFiles)
{
    m_dialogs->expectMessageDlg(mrOk, "Transacao aprovada");
    EXPECT_TRUE(ExecutaTEF(tefContext(), "D", 11.0, ""));
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_EQ(kept(), QStringList());

    EXPECT_TRUE(ExecutaTEF(tefContext(), "D", 12.0, "")) << "no message: nothing shown";
    EXPECT_EQ(m_dialogs->records().size(), 1);
}

TEST_F(TefManagerExchange, DeclinedShowsTheMessageWithOk)
{
    m_dialogs->expectMessageDlg(mrOk, "Saldo insuficiente");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 20.0, ""));
    EXPECT_EQ(m_dialogs->records().value(0).type, DialogType::Information);
    EXPECT_EQ(kept(), QStringList());
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
}

TEST_F(TefManagerExchange, ChequeConsultationGoesAsChq)
{
    m_dialogs->expectMessageDlg(mrOk, "Cheque sem fundos");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "Q", 10.0, ""));
}

TEST_F(TefManagerExchange, FailedRequestShowsTheMessageWhenThereIsOne)
{
    m_dialogs->expectMessageDlg(mrOk, "Falha de comunicacao");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 30.0, ""));
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 31.0, ""));
    EXPECT_EQ(m_dialogs->records().size(), 1);
    EXPECT_EQ(kept(), QStringList());
}

TEST_F(TefManagerExchange, AnotherSequenceIsSetAsideAndTheWaitGoesOn)
{
    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 50.0, ""));
    ASSERT_EQ(kept(), QStringList{"intpos.002"}) << "only the stray response stays";
    EXPECT_TRUE(readAll(resp() + "intpos.002").contains("001-000 = 9"));
}

TEST_F(TefManagerExchange, SlowManagerKeepsTheScreenAlive)
{
    int ticks = 0;
    QTimer screen;
    QObject::connect(&screen, &QTimer::timeout, [&ticks] { ++ticks; });
    screen.start(100);
    QElapsedTimer clock;
    clock.start();

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 40.0, ""));

    EXPECT_GE(clock.elapsed(), 1500);
    EXPECT_GE(ticks, 10) << "events kept being dispatched during the wait";
}

TEST_F(TefManagerExchange, ResponseWrittenInTwoHalvesIsReadWhole)
{
    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 60.0, ""));
    EXPECT_EQ(m_devices->inContCuponsTEF(), 1);
    ASSERT_EQ(kept(), QStringList{"intpos.002"});
    EXPECT_TRUE(readAll(resp() + "intpos.002").endsWith("999-999 = 0\r\n"));
}

TEST_F(TefManagerExchange, LeftOverFailureIsSetAsideAndTheApprovalRead)
{
    const QByteArray leftOver = "000-000 = XXX\r\n030-000 = Falha antiga\r\n999-999 = 0\r\n";
    ASSERT_TRUE(teftest::writeWhole(resp() + "intpos.001", leftOver));
    m_dialogs->expectMessage("Transacao aprovada");

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_EQ(m_devices->inContCuponsTEF(), 1);
    EXPECT_EQ(readAll(resp() + "intpos.002"), leftOver);
    EXPECT_TRUE(readAll(resp() + "intpos.003").contains("009-000 = 0\r\n"));
}

TEST_F(TefManagerExchange, ManagerStoppingHalfwayFailsTheExchangeUnrecorded)
{
    const auto before = setTefStallPeriod(std::chrono::milliseconds(400));
    m_dialogs->expectMessageDlg(mrOk, "incompleta");
    QElapsedTimer clock;
    clock.start();

    const bool approved = ExecutaTEF(tefContext(), "C", 61.0, "");
    setTefStallPeriod(before);

    EXPECT_FALSE(approved);
    EXPECT_LT(clock.elapsed(), 20000) << "ended before the manager wrote the rest (30 s)";
    EXPECT_EQ(m_dialogs->records().value(0).type, DialogType::Error);
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0) << "nothing to print, nothing to confirm";
    EXPECT_FALSE(QFile::exists(resp() + "intpos.001"));
}

class TefManagerAmounts : public TefManagerExchange,
                          public ::testing::WithParamInterface<std::pair<double, const char*>>
{
};

TEST_P(TefManagerAmounts, ReachTheManagerInWholeCents)
{
    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", GetParam().first, ""));
    ASSERT_EQ(kept(), QStringList{"intpos.002"});
    EXPECT_TRUE(readAll(resp() + "intpos.002").contains(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(Amounts, TefManagerAmounts,
                         ::testing::Values(std::pair{1234.50, "003-000 = 123450\r\n"},
                                           std::pair{0.05, "003-000 = 005\r\n"}));

} // namespace
} // namespace zel
