// Round trips with the TEF manager simulator running as a separate process.

#include "TefManagerFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace zel {
namespace {

struct RoundTrip
{
    const char* name;
    const char* letter;
    const char* cents;
    const char* header; // line 1 of the response
    const char* status; // 009-000; null: absent
    const char* message;
    int receiptLines;
    int setAside;
    bool sawHalf;
    int minElapsedMs;
};

class TefRoundTrip : public TefManagerProcess, public ::testing::WithParamInterface<RoundTrip>
{
};

TEST_P(TefRoundTrip, AnswersAsTheRulesSay)
{
    const RoundTrip& c = GetParam();
    const Outcome outcome = exchange(QLatin1String(c.letter), QLatin1String(c.cents));
    const IntPosFile& r = outcome.response;
    EXPECT_EQ(r.lines().value(0), QStringLiteral("000-000 = ") + QLatin1String(c.header));
    EXPECT_TRUE(r.lines().value(1).startsWith(QStringLiteral("001-000 = ")));
    if (c.status) {
        EXPECT_EQ(r.find(intpos::kStatus), std::optional<QString>(QLatin1String(c.status)));
    } else {
        EXPECT_FALSE(r.has(intpos::kStatus));
    }
    EXPECT_EQ(r.value(intpos::kMessage), QLatin1String(c.message));
    EXPECT_EQ(r.value(intpos::kReceiptCount).toInt(), c.receiptLines);
    EXPECT_EQ(r.has(intpos::receiptLineKey(c.receiptLines)), c.receiptLines > 0);
    EXPECT_EQ(outcome.setAside, c.setAside);
    if (c.sawHalf) {
        EXPECT_TRUE(outcome.sawHalf);
    }
    EXPECT_GE(outcome.elapsedMs, c.minElapsedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TefRoundTrip,
    ::testing::Values(
        RoundTrip{"approve_with_slip", "C", "1000", "CRT", "0", "Transacao aprovada", 4, 0, false, 0},
        RoundTrip{"approve_default", "D", "1250", "CRT", "0", "Transacao aprovada", 0, 0, false, 0},
        RoundTrip{"decline", "C", "2000", "CRT", "51", "Saldo insuficiente", 0, 0, false, 0},
        RoundTrip{"decline_with_slip", "C", "2100", "CRT", "05", "Nao autorizada", 2, 0, false, 0},
        RoundTrip{"failed_request", "C", "3000", "XXX", nullptr, "Falha de comunicacao", 0, 0, false, 0},
        RoundTrip{"delay", "C", "4000", "CRT", "0", "Transacao aprovada", 0, 0, false, 700},
        RoundTrip{"other_sequence_first", "D", "5000", "CRT", "0", "Transacao aprovada", 0, 1, false, 0},
        RoundTrip{"written_in_two_halves", "C", "6000", "CRT", "0", "Transacao aprovada", 0, 0, true, 500},
        RoundTrip{"malformed", "C", "7000", "CRT", nullptr, "", 0, 0, false, 0},
        RoundTrip{"cheque", "Q", "1000", "CHQ", "5", "Cheque sem fundos", 0, 0, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TefManagerProcess, TheActivityCheckGetsAStatusFileAndNoResponse)
{
    ASSERT_TRUE(m_devices->CheckIntPosFiles());
    EXPECT_TRUE(m_devices->CheckGPAtivo());
    EXPECT_FALSE(QFile::exists(resp() + QStringLiteral("intpos.001")));
    EXPECT_FALSE(QFile::exists(resp() + QStringLiteral("intpos.sts")));
}

TEST_F(TefManagerProcess, ARequestTheManagerDoesNotTakeIsWithdrawn)
{
    noAnswerExpected();
    ASSERT_TRUE(m_devices->CheckIntPosFiles());
    const QString sequence = m_devices->GetSequence();
    writeRequest(request(QStringLiteral("CRT"), sequence, QStringLiteral("8500")));
    EXPECT_FALSE(m_devices->CheckGPAtivo(QStringLiteral("CRT"), sequence));
    EXPECT_FALSE(QFile::exists(req()));
}

TEST_F(TefManagerProcess, MalformedRequestsAreRefusedWithoutStoppingTheManager)
{
    ASSERT_TRUE(m_devices->CheckIntPosFiles());
    writeRequest("this is not a request\r\n999-999 = 0\r\n");
    ASSERT_TRUE(TefDirectory::waitUntil(m_config.tef.dir + QStringLiteral("req"), test::kHangLimitMs,
                                        [&] { return !QFile::exists(req()); }));

    writeRequest(request(QStringLiteral("CRT"), QStringLiteral("901"), QStringLiteral("12,50")));
    Outcome badAmount = awaitResponse(QStringLiteral("CRT"), QStringLiteral("901"));
    EXPECT_EQ(badAmount.response.header(), QStringLiteral("XXX"));
    EXPECT_EQ(badAmount.response.value(intpos::kMessage), QStringLiteral("Valor invalido"));

    writeRequest(request(QStringLiteral("ADM"), QStringLiteral("902"), QStringLiteral("0")));
    Outcome unknown = awaitResponse(QStringLiteral("ADM"), QStringLiteral("902"));
    EXPECT_EQ(unknown.response.header(), QStringLiteral("XXX"));

    // Still serving.
    const Outcome after = exchange(QStringLiteral("C"), QStringLiteral("1250"));
    EXPECT_EQ(after.response.value(intpos::kStatus), QStringLiteral("0"));
    EXPECT_EQ(m_manager.state(), QProcess::Running);
}

TEST_F(TefManagerProcess, ApprovedSlipsArePrintedWithTheNextCoupon)
{
    const Outcome outcome = exchange(QStringLiteral("C"), QStringLiteral("1000"));
    ASSERT_EQ(outcome.response.value(intpos::kStatus), QStringLiteral("0"));
    // Approved with receipt lines: the module keeps the files and counts the approval.
    m_devices->setInContCuponsTEF(m_devices->inContCuponsTEF() + 1);

    DataSet movements(simtest::movementFields());
    DataSet types(simtest::paymentTypeFields());
    movements.createDataSet();
    types.createDataSet();
    simtest::addMovement(movements, QStringLiteral("E"), QStringLiteral("002"), QStringLiteral("CREDITO"),
                         10);
    ASSERT_TRUE(m_devices->AbreCupom({}));
    ASSERT_TRUE(m_devices->VendaItem({}, QStringLiteral("D"), QStringLiteral("1"), QStringLiteral("X"),
                                     QStringLiteral("F"), 1, 10, 0));
    ASSERT_TRUE(m_devices->AbreCupomRes({}, {}));
    QString number;
    ASSERT_TRUE(m_devices->FechaCupom(false, false, 0, 0, 0, QStringLiteral("S"), true,
                                      QStringLiteral("VISA"), movements, types, number, {}, {}, {}, {}, {}));
    const QString journal = m_devices->fiscalPrinter().journalText();
    EXPECT_TRUE(journal.contains(QStringLiteral("COMPROVANTE TEF - COO 000001\nREDE SIMULADA\n")));
    EXPECT_TRUE(journal.contains(QStringLiteral("VALOR APROVADO R$ 10,00\n")));
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_EQ(QDir(resp()).entryList({QStringLiteral("intpos.*")}, QDir::Files), QStringList{});
}

TEST(TefManagerOnce, StopsByItselfAfterOnePaymentRequest)
{
    QTemporaryDir dir;
    SimulatorConfig config = simtest::config(dir);
    config.tef.activityTimeoutMs = config.tef.takenTimeoutMs = test::kHangLimitMs / 4;
    SimulatedPeripherals devices(config);
    QProcess manager;
    manager.start(QStringLiteral(ZEL_TEF_MANAGER_SIM),
                  {QStringLiteral("--dir"), config.tef.dir, QStringLiteral("--once")});
    ASSERT_TRUE(manager.waitForStarted(test::kHangLimitMs));
    ASSERT_TRUE(devices.CheckIntPosFiles());
    ASSERT_TRUE(devices.CheckGPAtivo()); // does not count as the one request
    const QString sequence = devices.GetSequence();
    QFile file(config.tef.dir + QStringLiteral("req/intpos.001"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral("000-000 = CRT\r\n001-000 = %1\r\n002-000 = \r\n003-000 = 990\r\n999-999 = 0\r\n")
            .arg(sequence)
            .toLatin1());
    file.close();
    ASSERT_TRUE(devices.CheckGPAtivo(QStringLiteral("CRT"), sequence));
    ASSERT_TRUE(test::ended(manager)); // it may have ended already
    EXPECT_EQ(manager.exitCode(), 0);
    const auto response = readIntPosFile(config.tef.dir + QStringLiteral("resp/intpos.001"));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->value(intpos::kStatus), QStringLiteral("0"));
    EXPECT_TRUE(response->toBytes().endsWith("999-999 = 0\r\n"));
}

TEST(TefManagerCommandLine, RefusesMissingDirectoryAndBadRules)
{
    QProcess manager;
    manager.start(QStringLiteral(ZEL_TEF_MANAGER_SIM), {});
    ASSERT_TRUE(test::ended(manager));
    EXPECT_EQ(manager.exitCode(), 2);

    QTemporaryDir dir;
    QFile rules(dir.filePath(QStringLiteral("rules.json")));
    ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
    rules.write(R"({"rules": [{"amount": 10, "action": "approv"}]})");
    rules.close();
    manager.start(QStringLiteral(ZEL_TEF_MANAGER_SIM),
                  {QStringLiteral("--dir"), dir.path(), QStringLiteral("--rules"), rules.fileName()});
    ASSERT_TRUE(test::ended(manager));
    EXPECT_EQ(manager.exitCode(), 2);
    EXPECT_TRUE(manager.readAllStandardError().contains("action"));
}

} // namespace
} // namespace zel
