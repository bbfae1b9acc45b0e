// Card payments through the TEF manager simulator running as a separate process, with the
// receipt's settings read from a settings store of the test.

#include "PaymentFixture.h"
#include "SimulatedPeripherals.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/tef/TefExchange.h"
#include "support/Eventually.h"
#include "support/QStringPrinter.h"
#include "support/Screenshot.h"
#include "text/Money.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>

using namespace zel;
using namespace zel::test;

namespace {

const char* kRules = R"({
  "default": {"action": "decline", "message": "Cartao recusado"},
  "rules": [
    {"amount": 3000, "action": "approve", "receipt": [], "message": "Transacao aprovada"},
    {"amount": 4000, "action": "decline", "status": "51", "message": "Saldo insuficiente"}
  ]
})";

class PaymentTef : public PaymentFixture
{
protected:
    void SetUp() override
    {
        PaymentFixture::SetUp();
        {
            SettingsStore store;
            store.setValue(settingKey("UsaTEF"), "S");
        }
        auto config = SimulatorConfig::fromJson(
            QJsonObject{{"tef", QJsonObject{{"dir", "tef"},
                                            {"activityTimeoutMs", test::kHangLimitMs / 4},
                                            {"takenTimeoutMs", test::kHangLimitMs / 4}}},
                        {"keyboard", QJsonObject{{"present", false}}},
                        {"customerDisplay", QJsonObject{{"present", false}}}},
            dataDir.path());
        ASSERT_TRUE(config.ok()) << config.errorMessage().toStdString();
        simulated = std::make_shared<SimulatedPeripherals>(config.value());
        setPeripherals(simulated);

        startManager(kRules);
    }

    void TearDown() override
    {
        stopManager();
        PaymentFixture::TearDown();
    }

    void startManager(const char* rulesJson)
    {
        QFile rules(dataDir.filePath("rules.json"));
        ASSERT_TRUE(rules.open(QIODevice::WriteOnly)) << rules.errorString().toStdString();
        ASSERT_GT(rules.write(rulesJson), 0);
        rules.close();
        manager.setProcessChannelMode(QProcess::MergedChannels);
        manager.start(ZEL_TEF_MANAGER_SIM, {"--dir", simulated->DirTef(), "--rules", rules.fileName()});
        ASSERT_TRUE(manager.waitForStarted(test::kHangLimitMs));
        QByteArray seen;
        ASSERT_TRUE(test::awaitOutput(manager, seen, "watching")) << seen.toStdString();
    }
    void stopManager()
    {
        if (manager.state() == QProcess::NotRunning)
            return;
        manager.terminate();
        EXPECT_TRUE(test::ended(manager));
    }

    // The state the manager lists for its approval of `cents`; empty when it lists none.
    QString approvalState(const QString& cents)
    {
        QFile file(QDir(simulated->DirTef()).filePath("tef-approvals.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        for (const QJsonValue& a :
             QJsonDocument::fromJson(file.readAll()).object().value("approvals").toArray())
            if (a.toObject().value("amount").toString() == cents)
                return a.toObject().value("state").toString();
        return {};
    }

    std::shared_ptr<SimulatedPeripherals> simulated;
    QProcess manager;
};

// An approved card is recorded; a declined one leaves no trace and the receipt usable.
TEST_F(PaymentTef, ApprovedIsRecordedDeclinedLeavesNoTrace)
{
    struct Case
    {
        const char* button;
        const char* typed;
        const char* message;
        QStringList movements;
        double aPagar;
    };
    for (const Case& c :
         {Case{"02", "30", "aprovada", {"002 30.00"}, 70}, Case{"03", "40", "Saldo insuficiente", {}, 100}}) {
        SCOPED_TRACE(c.button);
        QString state;
        QStringList recorded; // before the close, which undoes an approved card
        QString listed;
        double due = -1;
        Operator& o = operatorForNextReceipt();
        o.click(QStringLiteral("tcbBalcao%1").arg(c.button));
        if (*c.typed)
            o.type(c.typed);
        o.click("tcbEnter");
        // The exchange runs inside the payment entry: the commands are read once it has ended.
        o.waitUntil([] { return !form()->boMenuOcupado; }, "the end of the payment entry");
        o.run([&] {
            for (const char* name : {"tcbSair", "tcbClear", "tcbDesconto", "tcbOk", "tcb1"})
                state += form()->findChild<QWidget*>(name)->testAttribute(Qt::WA_ForceDisabled) ? u'0' : u'1';
            // A declined card leaves the form as Back does: no title, no amount, keypad off.
            if (c.movements.isEmpty())
                saveScreenshot(form(), "receipt_declined_card");
            if (c.movements.isEmpty())
                state += QString(" %1 %2 %3")
                             .arg(form()->findChild<QLabel*>("lblRecebimento")->text(),
                                  form()->findChild<QLabel*>("lblInputReceb2")->text())
                             .arg(form()->findChild<QWidget*>("panKeyboard")->isEnabled());
            movimentos.setData(form()->cdsMovCaixa.data()); // handed back at the end anyway
            recorded = movementSummary();
            listed = form()->findChild<QPlainTextEdit*>("memLista")->toPlainText();
            due = form()->doVrAPagar;
        });
        closeReceipt(o);
        dialogs->expectMessageDlg(mrOk, c.message);
        receber();
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(form()->stUsaTEF, "S");
        EXPECT_EQ(recorded, c.movements);
        EXPECT_DOUBLE_EQ(due, c.aPagar);
        EXPECT_EQ(listed.isEmpty(), c.movements.isEmpty());
        // The close undid the card: its line left the list with its movement.
        EXPECT_TRUE(form()->findChild<QPlainTextEdit*>("memLista")->toPlainText().isEmpty());
        EXPECT_EQ(form()->boConfirmaAuto, !c.movements.isEmpty());
        // After either answer Exit, Clear and Discount are usable again; OK waits for the sale to
        // be covered.
        EXPECT_EQ(state, c.movements.isEmpty() ? "11101   0" : "11101");
    }
}

// While the manager is asked, the keypad and the keyboard change nothing: the amount shown is
// the one being charged, and Enter does not switch the panels on.
TEST_F(PaymentTef, NothingOnTheKeypadActsWhileTheCardIsAsked)
{
    stopManager();
    ASSERT_NO_FATAL_FAILURE(startManager(
        R"({"default": {"action": "approve", "receipt": [], "delayMs": 1500, "message": "Transacao aprovada"}})"));
    QString shown;
    bool panels = true;
    QStringList recorded;
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao02").type("40").click("tcbEnter");
    o.waitUntil([] { return tefExchangeRunning(); }, "the exchange under way");
    o.type("99").press(Qt::Key_Return).tap("tcb7").tap("tcbEnter");
    o.run([&] {
        shown = form()->findChild<QLabel*>("lblInputReceb2")->text();
        panels = form()->findChild<QWidget*>("panBalcao")->isEnabled();
    });
    o.waitUntil([] { return !form()->boMenuOcupado; }, "the end of the payment entry");
    o.run([&] {
        movimentos.setData(form()->cdsMovCaixa.data()); // handed back at the end anyway
        recorded = movementSummary();
    });
    o.click("tcbSair");
    dialogs->expectMessageDlg(mrOk, "aprovada");
    receber();
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(shown, "40");
    EXPECT_FALSE(panels);
    EXPECT_EQ(recorded, QStringList({"002 40.00"}));
}

// Approvals: 20,00 with a slip (pending until the coupon confirms it), anything else final;
// cancellations of 31,00 refused, of 32,00 never answered.
const char* kUndoRules = R"({
  "default": {"action": "approve", "receipt": []},
  "rules": [
    {"header": "CRT", "amount": 2000, "action": "approve"},
    {"header": "CNC", "amount": 3100, "action": "decline", "message": "Cancelamento negado"},
    {"header": "CNC", "amount": 3200, "action": "silent"}
  ]
})";

// A card the manager approved leaves the receipt only once the manager has undone it: NCN for a
// pending approval, an administrative cancellation for a final one. One it does not undo stays
// recorded, and the operator is told why.
TEST_F(PaymentTef, ClearExitOrCloseUndoTheCardOrKeepItAndSayWhy)
{
    stopManager();
    ASSERT_NO_FATAL_FAILURE(startManager(kUndoRules));
    const auto previousWait = setTefUndoWait(std::chrono::milliseconds(1500));
    struct Case
    {
        const char* typed;
        const char* command; // tcbClear, tcbSair, or "" for a form closed from outside
        const char* message; // the operator is told this; "" nothing
        QStringList movements;
        const char* state; // the manager's approval afterwards
    };
    const Case cases[] = {
        {"20", "tcbClear", "", {}, "undone"},
        {"30", "tcbClear", "", {}, "cancelled"},
        {"33", "", "", {}, "cancelled"},
        {"31", "tcbClear", "Cancelamento negado", {"002 31.00"}, "confirmed"},
        {"32", "tcbSair", "não respondeu", {"002 32.00"}, "confirmed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Operator& o = operatorForNextReceipt();
        o.click("tcbBalcao02").type(c.typed).click("tcbEnter");
        o.waitUntil([] { return !form()->boMenuOcupado; }, "the end of the payment entry");
        if (*c.command)
            o.click(c.command);
        if (QString(c.command) != "tcbSair")
            closeReceipt(o);
        if (QString(c.typed) == "20")
            dialogs->expectMessage("aprovada"); // shown while its slip would print
        else
            dialogs->expectMessageDlg(mrOk, "aprovada");
        if (*c.message)
            dialogs->expectMessageDlg(mrOk, c.message);
        EXPECT_FALSE(receber());
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(movementSummary(), c.movements);
        EXPECT_EQ(approvalState(QString(c.typed) + "00"), c.state);
    }
    // The receipt that could not undo 32,00 left it for the next one, which undoes it first.
    // (The manager takes the cancellation now: its rules file has no rule for it any more.)
    stopManager();
    ASSERT_NO_FATAL_FAILURE(startManager(R"({"default": {"action": "approve", "receipt": []}})"));
    const QString journal = QDir(simulated->DirTef()).filePath("recebimento-tef.json");
    ASSERT_TRUE(QFile::exists(journal));
    operatorForNextReceipt()
        .waitUntil([&] { return !QFile::exists(journal); }, "the cards left over undone")
        .waitUntil([] { return !form()->boMenuOcupado; }, "the payment types free again")
        .click("tcbSair");
    EXPECT_FALSE(receber());
    EXPECT_EQ(approvalState("3200"), "cancelled");
    setTefUndoWait(previousWait);
}

// A card is never requested above what is due, even typed on a physical keyboard past the
// locked keypad.
TEST_F(PaymentTef, CardAboveTheAmountDueIsRefusedBeforeTheManager)
{
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao02").type("300").click("tcbEnter");
    o.waitUntil([] { return !form()->boMenuOcupado; }, "the end of the payment entry");
    closeReceipt(o);
    dialogs->expectMessageDlg(mrOk, "não pode passar do valor a pagar");
    EXPECT_FALSE(receber());
    EXPECT_TRUE(movementSummary().isEmpty());
    EXPECT_EQ(approvalState("30000"), "");
}

} // namespace
