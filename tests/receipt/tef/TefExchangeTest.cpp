// The exchange on recording peripherals, with the test playing the TEF manager: the order of
// the checks, the request on disk, and responses a well-behaved manager does not write.

#include "receipt/tef/TefExchange.h"

#include "TefTestSupport.h"
#include "fakes/RecordingPeripherals.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/tef/TefMessages.h"
#include "support/ScriptedDialogs.h"
#include "toolkit/Waits.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace zel {
namespace {

using teftest::intposFiles;
using teftest::readAll;
using teftest::response;

class TefExchangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tef.ready);
        m_devices->clearCalls();
        // The manager: it takes the request, and each queued file goes into place once the last
        // one was moved away.
        QObject::connect(&m_manager, &QTimer::timeout, [this] {
            if (m_takes)
                QFile::remove(req());
            if (!m_queue.isEmpty() && !QFile::exists(resp() + "intpos.001")) {
                ASSERT_TRUE(teftest::writeWhole(resp() + "intpos.001", m_queue.takeFirst()));
            }
        });
        m_manager.start(5);
    }

    QString resp() const { return m_tef.resp(); }
    QString req() const { return m_tef.req(); }
    QStringList tefCalls() const
    {
        return m_devices->callTexts({"CheckIntPosFiles", "CheckDirTef", "CheckGPAtivo", "GetSequence",
                                     "DeleteIntPosFiles", "inContCuponsTEF"});
    }

    std::shared_ptr<RecordingPeripherals> m_devices = std::make_shared<RecordingPeripherals>();
    teftest::TefScope m_tef{m_devices, std::chrono::seconds(5)};
    test::ScopedScriptedDialogs m_dialogs;
    QTimer m_manager;
    QList<QByteArray> m_queue;
    bool m_takes = true;
};

// Which check answers false: 0 CheckIntPosFiles, 1 CheckDirTef, 2 the activity check, 3 the
// check that the manager took the request.
class TefPreconditions : public TefExchangeTest, public ::testing::WithParamInterface<int>
{
};

// Each check ends the exchange; only the manager's silence at the activity check is named to
// the operator (the other checks are the peripheral services' own, which say why themselves).
TEST_P(TefPreconditions, FalseEndsTheExchange)
{
    const int failing = GetParam();
    if (failing == 2)
        m_dialogs->expectMessageDlg(mrOk, "verificação de atividade");
    m_takes = false;
    const QStringList checks = {"CheckIntPosFiles()", "CheckDirTef(\"D\")", "CheckGPAtivo()", "GetSequence()",
                                "CheckGPAtivo(\"CRT\", \"1\")"};
    if (failing == 0)
        m_devices->script("CheckIntPosFiles", {false});
    else if (failing == 1)
        m_devices->script("CheckDirTef", {false});
    else
        m_devices->script("CheckGPAtivo", failing == 2 ? QVariantList{false} : QVariantList{true, false});

    EXPECT_FALSE(ExecutaTEF(tefContext(), "D", 25.0, "000077"));

    EXPECT_EQ(tefCalls(), checks.mid(0, failing < 3 ? failing + 1 : 5));
    EXPECT_EQ(m_dialogs->records().size(), failing == 2 ? 1 : 0);
    if (failing < 3) {
        EXPECT_FALSE(QFile::exists(req())) << "nothing is written before the checks pass";
    } else {
        EXPECT_EQ(readAll(req()),
                  "000-000 = CRT\r\n001-000 = 1\r\n002-000 = 000077\r\n003-000 = 2500\r\n999-999 = 0\r\n");
        EXPECT_EQ(QDir(m_tef.dir + "req").entryList(QDir::Files), QStringList{"intpos.001"})
            << "no temporary left";
    }
}

INSTANTIATE_TEST_SUITE_P(EachCheck, TefPreconditions, ::testing::Range(0, 4));

TEST_F(TefExchangeTest, RefusesAnAmountThatIsNoPayment)
{
    for (const double amount : {0.0, 0.004, -5.0, std::nan("")}) {
        m_dialogs->expectMessageDlg(mrOk, "Valor inválido");
        EXPECT_FALSE(ExecutaTEF(tefContext(), "C", amount, ""));
    }
    EXPECT_TRUE(m_devices->calls().isEmpty());
}

TEST_F(TefExchangeTest, RefusesACouponNumberThatWouldBreakTheRequest)
{
    m_dialogs->expectMessageDlg(mrOk, "cupom");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, "12\r\n009-000 = 0"));
    EXPECT_FALSE(QFile::exists(req()));
    EXPECT_EQ(m_devices->count("CheckGPAtivo"), 1) << "the manager is not asked to take it";
}

TEST_F(TefExchangeTest, NoSequenceSendsNoRequest)
{
    m_devices->script("GetSequence", {QString()});
    m_dialogs->expectMessageDlg(mrOk, "contador");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));
    EXPECT_FALSE(QFile::exists(req())) << "a request without a sequence could be charged unmatched";
}

TEST_F(TefExchangeTest, FilesThatAreNoAnswerAreSetAsideWhileTheWaitGoesOn)
{
    QByteArray binary = response({"000-000 = CRT", "001-000 = 1"});
    binary.insert(15, QByteArray(4, '\0'));
    m_queue << response({"000-000 = XXX", "001-000 = 91", "030-000 = Falha de outra transacao"}) << binary
            << QByteArray(300 * 1024, 'x')
            << response({"000-000 = CRT", "001-000 = 1", "009-000 = 0", "028-000 = 0"});
    m_dialogs->expectMessage("não é texto").expectMessage("256 KiB");

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    for (const auto& record : m_dialogs->records())
        EXPECT_EQ(record.type, DialogType::Error);
    EXPECT_TRUE(m_dialogs->records().value(0).text.contains(resp() + "intpos.003"));
    EXPECT_TRUE(readAll(resp() + "intpos.002").contains("001-000 = 91")) << "another exchange's failure";
    EXPECT_EQ(readAll(resp() + "intpos.003"), binary);
    EXPECT_EQ(QFileInfo(resp() + "intpos.004").size(), 300 * 1024);
    EXPECT_EQ(tefCalls().last(), QString("DeleteIntPosFiles(\"%1\", \"1\")").arg(resp()));
}

TEST_F(TefExchangeTest, DeclineWithReceiptLinesShowsTheMessageWithoutButtons)
{
    m_queue << response({"000-000 = CRT", "001-000 = 1", "009-000 = 05", "028-000 = 2",
                         "029-001 = \"NEGADA\"", "029-002 = \"\"", "030-000 = Cartao bloqueado"});
    m_dialogs->expectMessage("Cartao bloqueado");

    EXPECT_FALSE(ExecutaTEF(tefContext(), "D", 10.0, ""));

    EXPECT_EQ(m_dialogs->records().value(0).type, DialogType::Information);
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_EQ(m_devices->count("DeleteIntPosFiles"), 1);
}

TEST_F(TefExchangeTest, AFailureWithoutSequenceEndsTheExchange)
{
    m_queue << response({"000-000 = XXX", "030-000 = Gerenciador fora do ar"});
    m_dialogs->expectMessageDlg(mrOk, "Gerenciador fora do ar");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));
    EXPECT_EQ(m_devices->count("DeleteIntPosFiles"), 1);
}

TEST_F(TefExchangeTest, ASecondExchangeDuringTheWaitIsRefused)
{
    bool inner = true;
    QTimer::singleShot(20, [&] {
        inner = ExecutaTEF(tefContext(), "C", 5.0, "");
        m_queue << response({"000-000 = CRT", "001-000 = 1", "009-000 = 0"});
    });
    m_dialogs->expectMessageDlg(mrOk, "em andamento");

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));
    EXPECT_FALSE(inner);
    EXPECT_EQ(m_devices->count("GetSequence"), 1);
}

// Response files that used to leave the wait hanging with nothing on screen; each now ends in
// a fraction of the stall period.
struct UnsettledCase
{
    const char* name;
    QList<QByteArray> files; // what the manager writes, in turn
    bool approved;
    const char* dialog; // expected dialog text, or null
    int setAside;       // files left aside besides this exchange's own (which the double keeps)
};

class TefUnsettledResponses : public TefExchangeTest, public ::testing::WithParamInterface<UnsettledCase>
{
};

TEST_P(TefUnsettledResponses, AreOwnedThenCompletedWithoutHanging)
{
    const UnsettledCase& c = GetParam();
    m_queue = c.files;
    if (c.dialog)
        m_dialogs->expectMessageDlg(mrOk, c.dialog);
    setTefStallPeriod(std::chrono::minutes(1)); // put back when the test's TEF scope ends
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(ExecutaTEF(tefContext(), "C", 10.0, ""), c.approved);

    EXPECT_LT(clock.elapsed(), 30000) << "decided without waiting out the stall period";
    EXPECT_EQ(intposFiles(resp()).size(), c.setAside + 1) << intposFiles(resp()).join(",").toStdString();
    EXPECT_EQ(m_devices->count("DeleteIntPosFiles"), 1);
}

const QByteArray kApproved = response({"000-000 = CRT", "001-000 = 1", "009-000 = 0", "028-000 = 0"});

INSTANTIATE_TEST_SUITE_P(
    Files, TefUnsettledResponses,
    ::testing::Values(UnsettledCase{"cutOffOfAnotherExchange",
                                    {"000-000 = CRT\r\n001-000 = 77\r\n009-000 = 0\r\n028-0", kApproved},
                                    true,
                                    nullptr,
                                    1},
                      UnsettledCase{"endLineWithTrailingBlank",
                                    {"000-000 = CRT\r\n001-000 = 1\r\n009-000 = 0\r\n999-999 = 0 \r\n"},
                                    true,
                                    nullptr,
                                    0},
                      UnsettledCase{"endOfFileMarkAfterTheEndLine", {kApproved + "\x1a"}, true, nullptr, 0},
                      UnsettledCase{
                          "failureNamingThisSequenceOnLineThree",
                          {"000-000 = XXX\r\n030-000 = Falha na rede\r\n001-000 = 1\r\n999-999 = 0\r\n"},
                          false,
                          "Falha na rede",
                          0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TefExchangeTest, OwnResponseStuckUnfinishedFailsTheExchange)
{
    // An approval whose writer stopped before the end line: the card may be charged, but
    // the payment is neither recorded nor confirmed, so the manager undoes it later.
    m_queue << "000-000 = CRT\r\n001-000 = 1\r\n009-000 = 0\r\n028-000 = 4\r\n029-001 = \"VIA";
    m_dialogs->expectMessageDlg(mrOk, "incompleta");
    QElapsedTimer clock;
    clock.start();

    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_EQ(m_dialogs->records().value(0).type, DialogType::Error);
    EXPECT_TRUE(m_dialogs->records().value(0).text.contains("0,3") ||
                m_dialogs->records().value(0).text.contains("0.3"))
        << m_dialogs->records().value(0).text.toStdString();
    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_FALSE(QFile::exists(resp() + "intpos.001")) << "moved away: the next exchange starts clean";
    EXPECT_EQ(tefCalls().last(), QString("DeleteIntPosFiles(\"%1\", \"1\")").arg(resp()));
}

TEST_F(TefExchangeTest, ResponseThatKeepsGrowingIsNotCutShort)
{
    // Slower than the stall period in all, but never still for that long.
    const QByteArray whole = kApproved;
    int written = 0;
    QTimer writer;
    QObject::connect(&writer, &QTimer::timeout, [&] {
        QFile::remove(req());
        written = std::min<int>(written + 12, whole.size());
        QFile file(resp() + "intpos.001");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(whole.left(written)) == written);
    });
    writer.start(100);
    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));
    EXPECT_GE(written, whole.size());
}

TEST_F(TefExchangeTest, LeftOverFailureWithoutSequenceDoesNotEndTheNextExchange)
{
    const QByteArray leftOver = response({"000-000 = XXX", "030-000 = Falha antiga"});
    ASSERT_TRUE(teftest::writeWhole(resp() + "intpos.001", leftOver));
    m_queue << kApproved;

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_TRUE(m_dialogs->records().isEmpty());
    EXPECT_EQ(readAll(resp() + "intpos.002"), leftOver);
}

TEST_F(TefExchangeTest, FailureWithoutSequenceBeforeTheRequestIsTakenIsSetAside)
{
    m_takes = false;
    const QByteArray early = response({"000-000 = XXX", "030-000 = Falha antiga"});
    m_queue << early;
    // The manager takes the request only after that stray file was dealt with.
    QTimer::singleShot(200, [this] {
        m_takes = true;
        m_queue << kApproved;
    });

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_TRUE(m_dialogs->records().isEmpty());
    EXPECT_EQ(readAll(resp() + "intpos.002"), early);
}

TEST_F(TefExchangeTest, StatusFileNamingThisSequenceCountsAsTaken)
{
    m_takes = false;
    ASSERT_TRUE(
        teftest::writeWhole(resp() + "intpos.sts", "000-000 = CRT\r\n001-000 = 1\r\n999-999 = 0\r\n"));
    QTimer::singleShot(50, [this] { m_queue << response({"000-000 = XXX", "030-000 = Sem linha"}); });
    m_dialogs->expectMessageDlg(mrOk, "Sem linha");
    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));
}

TEST_F(TefExchangeTest, ReceiptFormShowsTheWaitAndKeepsItsCommandsOff)
{
    TfrmRecebimento form;
    auto* title = form.findChild<QLabel*>("lblRecebimento");
    title->setText("Crédito");
    // As the payment entry leaves them while it runs.
    const QStringList commands = {"tcbSair", "tcbClear", "tcbDesconto"};
    for (const QString& name : commands)
        form.findChild<QWidget*>(name)->setEnabled(false);
    form.findChild<QWidget*>("panKeyboard")->setEnabled(true);
    QString shown;
    QStringList enabled;
    QTimer::singleShot(30, [&] {
        shown = title->text();
        form.tcbVoltarClick(); // Back
        form.tcbSairClick();   // Exit, had it been reachable
        for (const QString& name : commands) {
            if (form.findChild<QWidget*>(name)->isEnabled())
                enabled << name;
        }
        m_queue << kApproved;
    });
    m_devices->setInContCuponsTEF(1);

    EXPECT_TRUE(ExecutaTEF({peripherals(), dialogs(), title}, "C", 10.0, ""));

    EXPECT_EQ(shown, tefText("TefAguardando"));
    EXPECT_EQ(enabled, QStringList());
    EXPECT_FALSE(form.boVoltou) << "the entry goes on to record the approval";
    EXPECT_FALSE(form.boDesistiu);
    EXPECT_EQ(m_devices->inContCuponsTEF(), 1) << "Exit did not run";
    EXPECT_EQ(title->text(), "Crédito");
    form.tcbVoltarClick();
    EXPECT_TRUE(form.findChild<QWidget*>("tcbSair")->isEnabled()) << "Back works again afterwards";
}

} // namespace
} // namespace zel
