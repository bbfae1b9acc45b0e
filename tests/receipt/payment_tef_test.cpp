// Card payments through the TEF manager simulator running as a separate process, with the
// receipt's settings read from a settings store of the test.

#include "PaymentFixture.h"
#include "QStringPrinter.h"
#include "SimulatedPeripherals.h"
#include "receipt/TfrmRecebimento.h"
#include "receipt/Vrm_zel00000.h"
#include "text/Money.h"

#include <QElapsedTimer>
#include "support/Eventually.h"
#include <QFile>
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
            QSettings store(QSettings::SystemScope, "KORVANA", "Sistemas Integrados Korvana");
            store.setValue("Vormel/UsaTEF", "S");
        }
        auto config = SimulatorConfig::fromJson(
            QJsonObject{
                {"tef", QJsonObject{{"dir", "tef"}, {"activityTimeoutMs", test::kHangLimitMs / 4}, {"takenTimeoutMs", test::kHangLimitMs / 4}}},
                {"keyboard", QJsonObject{{"present", false}}},
                {"customerDisplay", QJsonObject{{"present", false}}}},
            dataDir.path());
        ASSERT_TRUE(config.ok()) << config.errorMessage().toStdString();
        simulated = std::make_shared<SimulatedPeripherals>(config.value());
        setPeripherals(simulated);

        QFile rules(dataDir.filePath("rules.json"));
        ASSERT_TRUE(rules.open(QIODevice::WriteOnly)) << rules.errorString().toStdString();
        ASSERT_GT(rules.write(kRules), 0);
        rules.close();
        manager.setProcessChannelMode(QProcess::MergedChannels);
        manager.start(ZEL_TEF_MANAGER_SIM, {"--dir", simulated->DirTef(), "--rules", rules.fileName()});
        ASSERT_TRUE(manager.waitForStarted(test::kHangLimitMs));
        QByteArray seen;
        ASSERT_TRUE(test::awaitOutput(manager, seen, "watching")) << seen.toStdString();
    }

    void TearDown() override
    {
        manager.terminate();
        EXPECT_TRUE(test::ended(manager));
        PaymentFixture::TearDown();
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
        });
        closeReceipt(o);
        dialogs->expectMessageDlg(mrOk, c.message);
        receber();
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(form()->stUsaTEF, "S");
        EXPECT_EQ(movementSummary(), c.movements);
        EXPECT_DOUBLE_EQ(form()->doVrAPagar, c.aPagar);
        EXPECT_EQ(form()->findChild<QPlainTextEdit*>("memLista")->toPlainText().isEmpty(),
                  c.movements.isEmpty());
        EXPECT_EQ(form()->boConfirmaAuto, !c.movements.isEmpty());
        // After either answer Exit, Clear and Discount are usable again; OK waits for the sale to
        // be covered.
        EXPECT_EQ(state, "11101");
    }
}

} // namespace
