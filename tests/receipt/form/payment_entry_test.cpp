#include "PaymentFixture.h"
#include "cheque/TfrmRecebeCheque.h"
#include "cheque/Vrm_zel00200.h"
#include "consumer/ConsumerKeys.h"
#include "consumer/TfrmInfConsumidor.h"
#include "consumer/Vrm_zel00400.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/QuoteFile.h"
#include "receipt/payment/RunningList.h"
#include "support/QStringPrinter.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTimer>
#include <tuple>

using namespace zel;
using namespace zel::test;

namespace {

class PaymentEntry : public PaymentFixture
{
protected:
    static QString text(const char* name) { return form()->findChild<QLabel*>(name)->text(); }
    static QString list() { return form()->findChild<QPlainTextEdit*>("memLista")->toPlainText(); }
    static bool enabled(const char* name) { return form()->findChild<QWidget*>(name)->isEnabled(); }
    // The keys a card prompt locks, as "1" (on) or "0" (locked) per key, whatever the keypad.
    static QString lockableKeys()
    {
        QString state;
        for (const char* name : {"tcb0", "tcb1", "tcb5", "tcb9", "tcbVirgula", "tcbCorrigir"})
            state += form()->findChild<QWidget*>(name)->testAttribute(Qt::WA_ForceDisabled) ? u'0' : u'1';
        return state;
    }
};

struct KindCase
{
    const char* button;
    const char* cd;
    const char* typed; // physical keys before Enter; empty: the proposal is accepted
    const char* printerMode;
    double valor, aPagar, pago;
    bool prompt, locked, card;
};

class PaymentKinds : public PaymentEntry, public ::testing::WithParamInterface<KindCase>
{
};

// One payment of each kind: the movement row, the running-list line, the amounts and labels.
TEST_P(PaymentKinds, RecordTheirMovement)
{
    const KindCase& c = GetParam();
    QString keysDuringPrompt, keysAfter;
    int stepDuringPrompt = -1;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Operator& o = operatorForNextReceipt();
    o.click(QStringLiteral("tcbBalcao%1").arg(c.button));
    if (c.prompt) {
        o.run([&] {
            stepDuringPrompt = Vrm_zel00000::InputStep;
            keysDuringPrompt = lockableKeys();
        });
        if (*c.typed)
            o.type(c.typed);
        o.click("tcbEnter");
    }
    o.run([&] { keysAfter = lockableKeys(); });
    closeReceipt(o);
    receber(c.printerMode);
    ASSERT_TRUE(op->finished());

    EXPECT_EQ(keysDuringPrompt, c.prompt ? (c.locked ? "000000" : "111111") : "");
    EXPECT_EQ(keysAfter, "111111");
    ASSERT_EQ(movimentos.recordCount(), 1);
    movimentos.first();
    const auto field = [this](const char* name) { return movimentos.fieldByName(name).asString(); };
    EXPECT_EQ(field("IDTIPOMOVIVE"), "E");
    EXPECT_EQ(field("CDTIPORECE"), c.cd);
    EXPECT_EQ(field("CDFILIAL"), "0007");
    EXPECT_EQ(field("NRORDTROCO"), QString::number(QString(c.cd).toInt()));
    EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRMOVIVEND").asFloat(), c.valor);
    EXPECT_TRUE(movimentos.fieldByName("VRMOVIVEOUT").isNull());
    EXPECT_EQ(movimentos.fieldByName("DTMOVIMCAIXA").asDate(), QDate::currentDate());
    EXPECT_GE(movimentos.fieldByName("DTHRINCMOV").asDateTime(), before);

    TfrmRecebimento* f = form();
    EXPECT_DOUBLE_EQ(f->doVrAPagar, c.aPagar);
    EXPECT_DOUBLE_EQ(f->doVrPago, c.pago);
    EXPECT_EQ(text("lblValorPago"), formatCurrency(c.pago));
    EXPECT_EQ(text("lblValorPagar"), formatCurrency(c.aPagar));
    EXPECT_EQ(list(), linhaPagamento(field("NMTIPORECE"), c.valor));
    EXPECT_EQ(f->boConfirmaAuto, c.card);
    EXPECT_EQ(f->stFormaPagto, c.card ? field("NMTIPORECE") : QString());
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PaymentKinds,
                         ::testing::Values(KindCase{"01", "001", "35,5", "", 35.5, 64.5, 35.5, true, false,
                                                    false},
                                           // The touch keys are locked: the card amount is the one proposed.
                                           KindCase{"02", "002", "", "", 100, 0, 100, true, true, true},
                                           // A keyboard still edits a card amount.
                                           KindCase{"03", "003", "40", "", 40, 60, 40, true, true, true},
                                           KindCase{"04", "004", "60", "", 60, 40, 60, true, false, false},
                                           KindCase{"05", "005", "30", "1", 30, 70, 30, true, false, false},
                                           KindCase{"06", "006", "20", "1", 20, 80, 20, true, false, false},
                                           KindCase{"09", "009", "", "1", 0, 100, 0, false, false, false}));

// Two dollar payments on one day: the quote is asked once and stored; 50 at 2,5 is 125,00.
TEST_F(PaymentEntry, QuoteIsAskedOncePerIndexAndDate)
{
    venda.first();
    venda.edit();
    venda.fieldByName("VRPRECCOMVEN").setFloat(200);
    venda.post();
    QStringList prompts;
    const auto proposal = [&] {
        prompts << QString::number(Vrm_zel00000::InputStep) + u' ' + text("lblInputReceb2");
    };
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao07").run(proposal).type("0").click("tcbEnter"); // refused: asked again
    waitForStep(o, isMoeda1);
    o.run(proposal).type("2,5").click("tcbEnter");
    waitForStep(o, isMoeda2);
    o.run(proposal).type("50").click("tcbEnter");
    o.click("tcbBalcao07").run(proposal).type("20").click("tcbEnter");
    closeReceipt(o);
    dialogs->expectMessageDlg(mrOk, "maior que zero");
    receber();
    ASSERT_TRUE(op->finished());

    EXPECT_EQ(prompts, QStringList({"6 1,00", "6 1,00", "7 80,00", "7 30,00"}));
    EXPECT_EQ(movementSummary(), QStringList({"007 125.00", "007 50.00"}));
    movimentos.first();
    EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRMOVIVEOUT").asFloat(), 50);
    EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRCOTINDOUT").asFloat(), 2.5);
    EXPECT_DOUBLE_EQ(form()->doVrAPagar, 25);
    EXPECT_DOUBLE_EQ(form()->doVrPago, 175);

    DataSet stored;
    ASSERT_TRUE(stored.loadFromFile(quotes::filePath(dataDir.path())));
    ASSERT_EQ(stored.recordCount(), 1);
    EXPECT_EQ(stored.fieldByName("CDINDICE").asString(), "USD");
    EXPECT_EQ(stored.fieldByName("DTREFIND").asDate(), QDate::currentDate());
    EXPECT_DOUBLE_EQ(stored.fieldByName("VRINDICE").asFloat(), 2.5);
}

// A stored quote that cannot be used (0, below 0, empty) is asked again, and the one typed
// replaces it: the currency stays usable for the day.
TEST_F(PaymentEntry, UnusableStoredQuoteIsAskedAgain)
{
    for (const QVariant& stored : {QVariant(0.0), QVariant(-3.0), QVariant()}) {
        SCOPED_TRACE(stored.toString().toStdString());
        {
            DataSet table;
            ASSERT_TRUE(quotes::open(table, dataDir.path()).ok());
            quotes::add(table, "USD", QDate::currentDate(), 1);
            table.edit();
            table.fieldByName("VRINDICE").setValue(stored);
            table.post();
            ASSERT_TRUE(quotes::close(table).ok());
        }
        Operator& o = operatorForNextReceipt();
        o.click("tcbBalcao07");
        waitForStep(o, isMoeda1);
        o.type("5").click("tcbEnter");
        waitForStep(o, isMoeda2);
        o.type("2").click("tcbEnter");
        closeReceipt(o);
        dialogs->expectMessageDlg(mrOk, "não pode ser usada");
        receber();
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(movementSummary(), QStringList({"007 10.00"}));
        DataSet table;
        ASSERT_TRUE(table.loadFromFile(quotes::filePath(dataDir.path())).ok());
        ASSERT_EQ(table.recordCount(), 1);
        EXPECT_DOUBLE_EQ(table.fieldByName("VRINDICE").asFloat(), 5);
    }
}

// The movement of a dollar payment records the dollars received and their local value: the
// amount × the quote cut to cents, never dollars worked back from that value.
TEST_F(PaymentEntry, ForeignPaymentRecordsTheAmountReceived)
{
    struct Case
    {
        const char* quote;
        const char* typed;
        double vrMoviVend, vrMoviveOut, vrCotIndOut;
    };
    venda.first();
    venda.edit();
    venda.fieldByName("VRPRECCOMVEN").setFloat(200);
    venda.post();
    for (const Case& c : {Case{"5,37", "19,05", 102.29, 19.05, 5.37}, Case{"3", "19,059", 57.15, 19.05, 3}}) {
        SCOPED_TRACE(c.typed);
        QFile::remove(quotes::filePath(dataDir.path()));
        Operator& o = operatorForNextReceipt();
        o.click("tcbBalcao07").type(c.quote).click("tcbEnter");
        waitForStep(o, isMoeda2);
        o.type(c.typed).click("tcbEnter");
        closeReceipt(o);
        receber();
        ASSERT_TRUE(op->finished());
        ASSERT_EQ(movimentos.recordCount(), 1);
        movimentos.first();
        EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRMOVIVEND").asFloat(), c.vrMoviVend);
        EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRMOVIVEOUT").asFloat(), c.vrMoviveOut);
        EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRCOTINDOUT").asFloat(), c.vrCotIndOut);
        EXPECT_DOUBLE_EQ(form()->doVrPago, c.vrMoviVend);
    }
}

// An amount the labels, the coupon or the printer cannot hold is refused at Enter with a word to
// the operator, and the same prompt waits for another: a payment above R$ 99.999.999,99, one
// that takes the amount paid above it, a quote above it, or dollars worth more than it.
TEST_F(PaymentEntry, AmountsBeyondTheLimitAreRefusedAtEntry)
{
    struct Case
    {
        const char* what;
        QStringList keys; // "button:typed" or ":typed" (the prompt on screen), each entered
        const char* refusal;
        QStringList rows;
    };
    const Case cases[] = {
        {"cash beyond it", {"01:9999999999999,99", ":150"}, "passa do limite", {"001 150.00", "001 50.00"}},
        {"the amount paid beyond it",
         {"01:60", "01:99999999,99", ":40"},
         "total pago",
         {"001 60.00", "001 40.00"}},
        {"a quote beyond it", {"07:9999999999999", ":5", ":20"}, "cotação", {"007 100.00"}},
        {"dollars worth more than it", {"07:5", ":20000000", ":20"}, "moeda estrangeira", {"007 100.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(quotes::filePath(dataDir.path()));
        Operator& o = operatorForNextReceipt();
        for (const QString& key : c.keys) {
            if (!key.section(u':', 0, 0).isEmpty())
                o.click("tcbBalcao" + key.section(u':', 0, 0));
            o.type(key.section(u':', 1)).click("tcbEnter");
        }
        closeReceipt(o);
        dialogs->expectMessageDlg(mrOk, c.refusal);
        receber();
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(movementSummary(), c.rows);
        EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
    }
}

// Back, Exit, or the receipt closed from outside while a value is asked: nothing recorded, the
// list and amounts as they were, the keys free again and the input step back to isNone.
TEST_F(PaymentEntry, AbandonedPromptsLeaveNoTrace)
{
    enum How { Back, Exit, Closed };
    struct Case
    {
        const char* button;
        int step;
        How how;
    };
    for (const Case& c : {Case{"02", isCredito3, Back}, Case{"07", isMoeda1, Back},
                          Case{"01", isDinheiro1, Exit}, Case{"03", isDebito3, Closed}}) {
        SCOPED_TRACE(c.button);
        Operator& o = operatorForNextReceipt();
        o.click(QStringLiteral("tcbBalcao%1").arg(c.button));
        waitForStep(o, c.step);
        if (c.how == Exit) {
            o.run([] { form()->tcbSairClick(); }, "the exit command");
        } else {
            if (c.how == Back)
                o.click("tcbVoltar");
            closeReceipt(o);
        }
        EXPECT_FALSE(receber());
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(movimentos.recordCount(), 0);
        EXPECT_EQ(list(), QString());
        EXPECT_DOUBLE_EQ(form()->doVrAPagar, 100);
        EXPECT_DOUBLE_EQ(form()->doVrPago, 0);
        EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
        EXPECT_EQ(lockableKeys() + (enabled("tcbSair") ? "S" : "-"), "111111S");
    }
}

// A quote that does not read as a number: a clear error, nothing recorded, and the receipt
// usable again (a cash payment goes through afterwards).
TEST_F(PaymentEntry, UnreadableEntryRecordsNothingAndLeavesTheReceiptUsable)
{
    QString usable;
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao07").type("99999999999999").click("tcbEnter");
    o.run([&] {
        usable = QString(enabled("tcbSair") ? "S" : "-") + (enabled("tcbClear") ? "C" : "-") +
                 (enabled("tcbDesconto") ? "D" : "-") + (enabled("panBalcao") ? "P" : "-") +
                 QString::number(Vrm_zel00000::InputStep);
    });
    o.click("tcbBalcao01").type("10").click("tcbEnter");
    closeReceipt(o);
    dialogs->expectMessageDlg(mrOk, "não é um número");
    receber();
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(usable, "SCDP0");
    EXPECT_EQ(movementSummary(), QStringList({"001 10.00"}));
    EXPECT_FALSE(QFile::exists(quotes::filePath(dataDir.path())) && [this] {
        DataSet stored;
        return stored.loadFromFile(quotes::filePath(dataDir.path())) && stored.recordCount() > 0;
    }());
}

// The client is identified by the first client-account payment only; later ones reuse it.
TEST_F(PaymentEntry, ClientAccountAsksForTheConsumerOnce)
{
    int consumerForms = 0;
    const auto consumerOnScreen = [] {
        return qobject_cast<TfrmInfConsumidor*>(Operator::activeForm()) != nullptr;
    };
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao01").type("40").click("tcbEnter");
    o.click("tcbBalcao08");
    o.waitUntil(consumerOnScreen, "the consumer form").run([&] { ++consumerForms; });
    o.type("501").press(Qt::Key_Return);
    o.waitUntil([consumerOnScreen] { return consumerOnScreen() && Vrm_zel00400::NrPasso == kStepConsumer; },
                "the consumer prompt");
    o.type("11").press(Qt::Key_Return);
    o.waitUntil([] { return Operator::activeForm() == form(); }, "back on the receipt");
    // The sale is covered and the payment types are off: a second client-account entry is
    // started by hand.
    o.run([&] {
        QTimer::singleShot(0, [&] { consumerForms += consumerOnScreen() ? 1 : 0; });
        form()->DoMenuRecebimentoClick("008", QString(), QPixmap());
    });
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());

    EXPECT_EQ(consumerForms, 1);
    EXPECT_EQ(movementSummary(), QStringList({"001 40.00", "008 60.00", "008 0.00"}));
    QStringList codes;
    for (movimentos.first(); !movimentos.eof(); movimentos.next())
        codes << movimentos.fieldByName("CDCLIENTE").asString() + u'/' +
                     movimentos.fieldByName("CDCONSUMIDOR").asString();
    EXPECT_EQ(codes, QStringList({"/", "C1/11", "C1/11"}));
    EXPECT_TRUE(form()->boConsumidorInf);
    EXPECT_DOUBLE_EQ(form()->doVrAPagar, 0);
}

// A cancelled identification identifies nobody, however far it got: the next client-account
// touch asks again, and only a confirmed consumer's codes reach the movement.
TEST_F(PaymentEntry, CancelledIdentificationIdentifiesNobody)
{
    struct Case
    {
        const char* what;
        const char* client; // typed and entered before Escape; empty: Escape at the client step
    };
    const auto consumerOnScreen = [] {
        return qobject_cast<TfrmInfConsumidor*>(Operator::activeForm()) != nullptr;
    };
    for (const Case& c :
         {Case{"cancelled at the consumer step", "501"}, Case{"cancelled at the client step", ""}}) {
        SCOPED_TRACE(c.what);
        QString codesAfterCancel;
        Operator& o = operatorForNextReceipt();
        o.click("tcbBalcao08").waitUntil(consumerOnScreen, "the consumer form");
        if (*c.client) {
            o.type(c.client).press(Qt::Key_Return);
            o.waitUntil([] { return Vrm_zel00400::NrPasso == kStepConsumer; }, "the consumer prompt");
        }
        o.press(Qt::Key_Escape);
        o.waitUntil([] { return Operator::activeForm() == form() && Vrm_zel00000::InputStep == isNone; },
                    "back on the receipt");
        o.run([&] {
            codesAfterCancel = form()->stCodCliente + u'/' + form()->stCodConsumidor + u'/' +
                               (form()->boConsumidorInf ? u'S' : u'N') + u'/' +
                               form()->findChild<QLabel*>("lblRecebimento")->text();
        });
        // The form is left as Back leaves it: the payment types answer at once.
        o.click("tcbBalcao08").waitUntil(consumerOnScreen, "the consumer form asked again");
        o.type("501").press(Qt::Key_Return);
        o.waitUntil([] { return Vrm_zel00400::NrPasso == kStepConsumer; }, "the consumer prompt");
        o.type("11").press(Qt::Key_Return);
        o.waitUntil([] { return Operator::activeForm() == form(); }, "back on the receipt");
        closeReceipt(o);
        receber();
        ASSERT_TRUE(op->finished());

        EXPECT_EQ(codesAfterCancel, "//N/");
        ASSERT_EQ(movementSummary(), QStringList({"008 100.00"}));
        movimentos.first();
        EXPECT_EQ(movimentos.fieldByName("CDCLIENTE").asString() + u'/' +
                      movimentos.fieldByName("CDCONSUMIDOR").asString(),
                  "C1/11");
    }
}

// Under a fiscal printer a cheque asks no amount. With printing asked for, the cheque form
// takes two cheques, prints each and records one movement per cheque; the receipt applies
// the instalments to the amounts and the list and empties the instalment list.
TEST_F(PaymentEntry, ChequeInstalmentsAreAppliedAndEmptied)
{
    devices->setIdTipoImpFis(1);
    devices->setIdTipoImpChq(1);
    Vrm_zel00200::IdImpCupFis = QStringLiteral("2"); // set by the host
    const auto resetHost = qScopeGuard([] { Vrm_zel00200::IdImpCupFis.clear(); });
    QFile parcelas(dataDir.filePath("Parcelas.cds"));
    ASSERT_TRUE(parcelas.open(QIODevice::WriteOnly));
    parcelas.close();
    QString afterNo;
    Operator& o = operatorForNextReceipt();
    o.click("tcbBalcao04").run([&] { afterNo = text("lblValorPago") + u'|' + list(); });
    // Nothing was paid: the payment types are at hand again without Back.
    o.click("tcbBalcao04");
    o.waitUntil([] { return qobject_cast<TfrmRecebeCheque*>(Operator::activeForm()) != nullptr; },
                "the cheque form");
    const auto enter = [&o](const char* select, const QString& typed) {
        o.click(select).type(typed).press(Qt::Key_Return);
    };
    for (const auto& [instalments, value, number] :
         {std::tuple{"2", "40", "1001"}, std::tuple{"", "60", "1002"}}) {
        if (*instalments)
            enter("spdParcelas", instalments);
        enter("spdValor", value);
        enter("spdAgencia", "1234");
        enter("spdBanco", "341");
        enter("spdCheque", number);
        enter("spdData", QDate::currentDate().toString("ddMMyy")); // a date near today asks nothing
        // The account's Enter confirms the cheque; its keypad stays open until closed.
        enter("spdConta", "56789");
        o.run([] {
            if (auto* keypad = Operator::findControl("panNumerico"); keypad && !keypad->isHidden())
                if (auto* close = qobject_cast<TTouchButton*>(Operator::findControl("spdNEnter")))
                    close->click();
        });
    }
    o.waitUntil([] { return Operator::activeForm() == form(); }, "back on the receipt");
    closeReceipt(o);
    dialogs->expectMessageDlg(mrNo, "imprimir cheque")
        .expectMessageDlg(mrYes, "imprimir cheque")
        .expectMessageDlg(mrYes, "impresso corretamente")
        .expectMessageDlg(mrYes, "impresso corretamente");
    receber("2");
    ASSERT_TRUE(op->finished());

    EXPECT_EQ(afterNo, formatCurrency(0) + u'|');
    EXPECT_EQ(list(), linhaPagamento("Cheque", 40) + u'\n' + linhaPagamento("Cheque", 60));
    EXPECT_DOUBLE_EQ(form()->doVrPago, 100);
    EXPECT_DOUBLE_EQ(form()->doVrAPagar, 0);
    EXPECT_EQ(form()->cdsParcelas.recordCount(), 0);
    EXPECT_FALSE(parcelas.exists());
    // One movement per cheque, from the cheque form; the receipt records none of its own.
    EXPECT_EQ(movementSummary(), QStringList({"004 40.00", "004 60.00"}));
    QStringList numbers;
    for (movimentos.first(); !movimentos.eof(); movimentos.next())
        numbers << movimentos.fieldByName("NRCHEQUEVEND").asString();
    EXPECT_EQ(numbers, QStringList({"1001", "1002"}));
    EXPECT_FALSE(devices->callTexts({"ImpChqChar"}).isEmpty()) << "the cheques are printed";
}

// After a payment: the keyboard display's summary and the customer display's totals.
TEST_F(PaymentEntry, DisplaysShowTheTotalsAfterAPayment)
{
    devices->setDefault("TecladoOK", true);
    devices->setDefault("DisplayOK", true);
    Operator& o = operatorForNextReceipt();
    o.run([this] { devices->clearCalls(); });
    o.click("tcbBalcao01").type("30").click("tcbEnter");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());
    const QStringList calls =
        devices->callTexts({"TeclFormFeed", "TeclGoToXY", "TeclDispStr", "TeclDispClrLn2", "DisplayChar"});
    EXPECT_EQ(calls, QStringList({
                         "TeclFormFeed()",
                         "TeclGoToXY(1, 1)",
                         "TeclDispClrLn2()",
                         "TeclGoToXY(2, 1)",
                         "TeclDispStr(\"Valor : 100,00\")",
                         "TeclFormFeed()",
                         "TeclGoToXY(1, 1)",
                         "TeclDispStr(\"Recebimento Total                 100,00\")",
                         "TeclGoToXY(2, 1)",
                         "TeclDispStr(\"Pago          30,00 Falta          70,00\")",
                         "DisplayChar(\"<FF>\")",
                         QString("DisplayChar(\"Total : %1\")")
                             .arg(QString("100,00").rightJustified(devices->TAM_DISPLAY() - 8)),
                         QString("DisplayChar(\"Pago : %1\")")
                             .arg(QString("30,00").rightJustified(devices->TAM_DISPLAY() - 7)),
                     }));
}

// A touch on a payment type while an entry waits starts nothing; the input step starts from
// isNone whatever a previous receipt left.
TEST_F(PaymentEntry, SecondEntryWhileOneRunsStartsNothing)
{
    Vrm_zel00000::InputStep = isCheque6;
    int stepAtOpening = -1, stepAfterSecond = -1;
    Operator& o = operatorForNextReceipt();
    o.run([&] { stepAtOpening = Vrm_zel00000::InputStep; });
    o.click("tcbBalcao01").run([&] {
        form()->DoMenuRecebimentoClick("002", QString(), QPixmap());
        stepAfterSecond = Vrm_zel00000::InputStep;
    });
    o.type("25").click("tcbEnter");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(stepAtOpening, isNone);
    EXPECT_EQ(stepAfterSecond, isDinheiro1);
    EXPECT_EQ(movementSummary(), QStringList({"001 25.00"}));
}

} // namespace
