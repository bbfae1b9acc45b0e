#include "PaymentFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/PaymentTypeFile.h"
#include "receipt/payment/QuoteFile.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/payment/RunningList.h"
#include "support/QStringPrinter.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>

using namespace zel;
using namespace zel::test;

namespace {

// Payment types of the fixture: 01 cash and 05 ticket give change in cash (001), 06 is a
// voucher kind without change, 02 a credit card, 07 dollars (index USD).
class ChangeStep : public PaymentFixture
{
protected:
    static QString text(const char* name) { return form()->findChild<QLabel*>(name)->text(); }
    static QString list() { return form()->findChild<QPlainTextEdit*>("memLista")->toPlainText(); }
    // Enabled commands as letters: O(K), C(NPJ/CPF), S(air), L(impar), D(esconto), B(alcão).
    static QString commands()
    {
        QString state;
        for (const auto& [name, letter] : {std::pair{"tcbOk", 'O'},
                                           {"tcbCNPJCPF", 'C'},
                                           {"tcbSair", 'S'},
                                           {"tcbClear", 'L'},
                                           {"tcbDesconto", 'D'},
                                           {"panBalcao", 'B'}})
            state += form()->findChild<QWidget*>(name)->isEnabled() ? QChar(letter) : QChar(u'-');
        return state;
    }
    void setChangeType(const char* cd, const char* cdTroco)
    {
        ASSERT_TRUE(tipos.locate("CDTIPORECE", {cd}));
        tipos.edit();
        tipos.fieldByName("CDTIPOTROCO").setString(cdTroco);
        tipos.post();
    }
    void setPcMaxTroco(const QString& pc)
    {
        SettingsStore store;
        store.setValue(settingKey("PcMaxTroco"), pc);
    }
    // Pays `amounts` with the payment type on `button`, one after the other.
    void pay(const char* button, const QStringList& amounts)
    {
        Operator& o = operatorForNextReceipt();
        for (const QString& amount : amounts)
            o.click(QStringLiteral("tcbBalcao%1").arg(button)).type(amount).click("tcbEnter");
        o.run([this] { state = commands(); });
        closeReceipt(o);
        receber();
        ASSERT_TRUE(op->finished());
    }
    // The rows in the movement dataset's own order, "IDTIPOMOVIVE CDTIPORECE VRMOVIVEND".
    QStringList rowsInChangeOrder()
    {
        QStringList rows;
        DataSet& mov = form()->cdsMovCaixa;
        for (mov.first(); !mov.eof(); mov.next())
            rows << mov.fieldByName("IDTIPOMOVIVE").asString() + u' ' +
                        mov.fieldByName("CDTIPORECE").asString() + u' ' +
                        QString::number(mov.fieldByName("VRMOVIVEND").asFloat(), 'f', 2);
        return rows;
    }
    QString state;
};

// 150,00 in cash on 100,00: 50,00 of change in cash, in maroon under "TROCO : ", in the list,
// on both displays and as a change row; OK and the taxpayer id come on, the payment types go off.
TEST_F(ChangeStep, CashChangeIsShownAndRecorded)
{
    devices->setDefault("TecladoOK", true);
    devices->setDefault("DisplayOK", true);
    devices->setDefault("TAM_DISPLAY", 20);
    pay("01", {"150"});

    EXPECT_EQ(state, "OCSLD-");
    EXPECT_EQ(movementSummary(), QStringList({"001 150.00", "001 50.00"}));
    movimentos.setIndexName(QString());
    movimentos.last();
    EXPECT_EQ(movimentos.fieldByName("IDTIPOMOVIVE").asString(), "S");
    EXPECT_EQ(movimentos.fieldByName("CDFILIAL").asString(), "0007");
    EXPECT_EQ(movimentos.fieldByName("NMTIPORECE").asString(), "Dinheiro");
    EXPECT_TRUE(movimentos.fieldByName("CDTIPOTROCO").asString().isEmpty());
    EXPECT_TRUE(movimentos.fieldByName("VRMOVIVEOUT").isNull());
    EXPECT_EQ(movimentos.fieldByName("DTMOVIMCAIXA").asDate(), QDate::currentDate());
    TfrmRecebimento* f = form();
    EXPECT_EQ(f->doVrTroco, 50);
    EXPECT_EQ(f->doVrAPagar, 0);
    EXPECT_EQ(f->doVrPago, 150);
    EXPECT_FALSE(f->boContraVale);
    EXPECT_EQ(text("lblPagar"), "TROCO : ");
    EXPECT_EQ(text("lblValorPagar"), formatCurrency(50));
    for (const char* name : {"lblPagar", "lblValorPagar"})
        EXPECT_EQ(f->findChild<QLabel*>(name)->palette().color(QPalette::WindowText), QColor(0x80, 0, 0))
            << name;
    EXPECT_EQ(list(), linhaPagamento("Dinheiro", 150) + "\n\n" + linhaPagamento("TROCO : ", 50));
    EXPECT_EQ(text("lblRecebimento"), QString());
    const QStringList calls = devices->callTexts({"TeclDispStr", "DisplayChar"});
    ASSERT_GE(calls.size(), 3);
    EXPECT_EQ(calls.mid(calls.size() - 3),
              QStringList({"DisplayChar(\"<FF>\")", "DisplayChar(\"      TROCO :       \")",
                           "DisplayChar(\"" + formatCurrency(50).rightJustified(20) + "\")"}))
        << calls.join('\n').toStdString();
    EXPECT_TRUE(calls.contains("TeclDispStr(\"TROCO : " + formatCurrency(50) + "\")"));
}

// Payments that give no change: the operator is asked to take the sale value. Yes lowers the
// payments (first in the movement order first) and their lines in the list; the amount paid
// shows what the movements now hold and no change row is written. No keeps the payments, OK off.
TEST_F(ChangeStep, NoChangeQuestion)
{
    struct Case
    {
        QStringList amounts;
        int answer;
        const char* question;
        QStringList rows; // in the movement order
        const char* commands;
        double pago;
    };
    const Case cases[] = {
        {{"120"}, mrYes, "Assumir valor da venda", {"E 006 100.00"}, "OCSLD-", 100},
        {{"60", "60"}, mrYes, "Não foram utilizados", {"E 006 40.00", "E 006 60.00"}, "OCSLD-", 100},
        {{"120"}, mrNo, "não permite", {"E 006 120.00"}, "--SLDB", 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amounts.join('+').toStdString() + (c.answer == mrYes ? " yes" : " no"));
        dialogs->expectMessageDlg(c.answer, c.question);
        pay("06", c.amounts);
        EXPECT_EQ(rowsInChangeOrder(), c.rows);
        EXPECT_EQ(state, c.commands);
        EXPECT_EQ(form()->doVrPago, c.pago);
        EXPECT_EQ(text("lblValorPago"), formatCurrency(c.pago));
        QStringList lines;
        for (const QString& row : c.rows)
            lines << linhaPagamento("Vale", row.section(' ', 2).toDouble());
        if (c.answer == mrYes) {
            QStringList shown = list().split('\n');
            shown.sort();
            lines.sort();
            EXPECT_EQ(shown, lines);
        }
    }
}

// 99,99 on 100,00 is not covered: no change, OK off, and the receipt is ready for the next
// payment (payment types, Exit, Clear and Discount on) without Back.
TEST_F(ChangeStep, UncoveredSaleLeavesTheReceiptReadyForTheNextPayment)
{
    pay("01", {"99,99"});
    EXPECT_EQ(state, "--SLDB");
    EXPECT_EQ(movementSummary(), QStringList({"001 99.99"}));
    EXPECT_EQ(form()->doVrTroco, 0);
    EXPECT_EQ(text("lblPagar"), form()->stCaptionPagar);
}

// A payment that leaves no change clears a change and voucher left from before (a receipt
// cleared after a Contra-Vale): the coupon must not give one.
TEST_F(ChangeStep, NoChangeLeavesNoVoucherBehind)
{
    Operator& o = operatorForNextReceipt();
    o.run([] {
        form()->session().doVrTroco = 7;
        form()->session().boContraVale = true;
    });
    o.click("tcbBalcao01").click("tcbEnter");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(form()->doVrTroco, 0);
    EXPECT_FALSE(form()->boContraVale);
    EXPECT_EQ(movementSummary(), QStringList({"001 100.00"}));
}

struct RuleCase
{
    const char* pcMax;
    bool writeFile;
    const char* amount;
    const char* caption;
    const char* cdTroco;
    const char* notice;       // a notice that the rule was left out
    const char* missing = ""; // a payment type left out of the file
    const char* noKind = "";  // a payment type whose kind the file leaves empty
};

class ChangeRule : public ChangeStep, public ::testing::WithParamInterface<RuleCase>
{
};

// Tickets whose change is a voucher (06): beyond the largest change (% of the tickets) the
// change is a Contra-Vale; within it, cash. Without the table of payment types the rule is off.
TEST_P(ChangeRule, ChoosesTheChangeType)
{
    const RuleCase& c = GetParam();
    setChangeType("005", "006");
    setPcMaxTroco(c.pcMax);
    if (c.writeFile) {
        DataSet file;
        file.setData(tipos.data());
        if (*c.missing && file.locate("CDTIPORECE", {c.missing}))
            file.deleteRecord();
        if (*c.noKind && file.locate("CDTIPORECE", {c.noKind})) {
            file.edit();
            file.fieldByName("IDTIPORECE").setString("");
            file.post();
        }
        ASSERT_TRUE(file.saveToFile(paymentTypes::filePath(dataDir.path()), SaveMode::ReplaceRows));
    }
    if (*c.notice)
        dialogs->expectMessage(c.notice);
    pay("05", {c.amount});
    EXPECT_EQ(text("lblPagar"), c.caption);
    movimentos.setIndexName(QString());
    movimentos.last();
    EXPECT_EQ(movimentos.fieldByName("CDTIPORECE").asString(), c.cdTroco);
    EXPECT_EQ(form()->boContraVale, QString(c.cdTroco) == "006");
}

INSTANTIATE_TEST_SUITE_P(
    Limit, ChangeRule,
    ::testing::Values(RuleCase{"10", true, "115", "Contra-Vale : ", "006", ""},
                      RuleCase{"10", true, "105", "TROCO : ", "001", ""},
                      RuleCase{"", false, "105", "Contra-Vale : ", "006", ""},
                      RuleCase{"10", false, "105", "Contra-Vale : ", "006", "tipos de recebimento"},
                      RuleCase{"dez", true, "105", "Contra-Vale : ", "006", "não é um número"},
                      // A ticket whose kind the file does not give is never weighed as cash.
                      RuleCase{"10", true, "105", "Contra-Vale : ", "006", "005", "005"},
                      RuleCase{"10", true, "105", "Contra-Vale : ", "006", "005", "", "005"},
                      // Only the kinds of the payments made count.
                      RuleCase{"10", true, "105", "TROCO : ", "001", "", "002"}));

// Change in dollars: with the day's quote stored, the row and the list carry the dollars too;
// without one the change is in local currency only.
TEST_F(ChangeStep, ChangeInForeignCurrency)
{
    setChangeType("001", "007");
    for (const bool quoted : {true, false}) {
        SCOPED_TRACE(quoted);
        QFile::remove(quotes::filePath(dataDir.path()));
        if (quoted) {
            DataSet table;
            ASSERT_TRUE(quotes::open(table, dataDir.path()));
            quotes::add(table, "USD", QDate::currentDate(), 5);
            ASSERT_TRUE(quotes::close(table));
        }
        pay("01", {"150"});
        movimentos.setIndexName(QString());
        movimentos.last();
        EXPECT_EQ(movimentos.fieldByName("CDTIPORECE").asString(), "007");
        EXPECT_EQ(movimentos.fieldByName("VRMOVIVEOUT").isNull(), !quoted);
        QString expected = linhaPagamento("Dinheiro", 150) + "\n\n" + linhaPagamento("TROCO : ", 50);
        if (quoted) {
            EXPECT_EQ(movimentos.fieldByName("VRMOVIVEOUT").asFloat(), 10);
            EXPECT_EQ(movimentos.fieldByName("VRCOTINDOUT").asFloat(), 5);
            expected += u'\n' + linhaValor("TROCO (Dólar)", "USD 10,00"); // in dollars, not reais
        }
        EXPECT_EQ(list(), expected);
    }
}

// Two terminals type the day's dollar quote at once: this one (5) loses the race to the quote file
// (the other's 4 is stored first) and is told so. Its sale keeps using its own quote: for its
// change in dollars, and for a second dollar payment.
TEST_F(ChangeStep, ASaleKeepsItsQuoteWhateverAnotherTerminalStores)
{
    struct Case
    {
        const char* what;
        QStringList dollars; // the dollar payments, each typed and entered
        double changeOut;    // the change in dollars (0: no change)
        QStringList local;   // "CDTIPORECE VRMOVIVEND" of every row
    };
    setChangeType("007", "007");
    for (const Case& c : {Case{"change in dollars", {"25"}, 5, {"007 125.00", "007 25.00"}},
                          Case{"a second dollar payment", {"10", "10"}, 0, {"007 50.00", "007 50.00"}}}) {
        SCOPED_TRACE(c.what);
        QFile::remove(quotes::filePath(dataDir.path()));
        const auto otherTerminal = [this] {
            DataSet table;
            ASSERT_TRUE(quotes::open(table, dataDir.path()));
            quotes::add(table, "USD", QDate::currentDate(), 4);
            ASSERT_TRUE(quotes::close(table));
        };
        Operator& o = operatorForNextReceipt();
        o.click("tcbBalcao07");
        waitForStep(o, isMoeda1);
        o.run(otherTerminal, "the other terminal stores its quote").type("5").click("tcbEnter");
        waitForStep(o, isMoeda2);
        o.type(c.dollars.first()).click("tcbEnter");
        for (const QString& more : c.dollars.mid(1)) {
            o.click("tcbBalcao07");
            waitForStep(o, isMoeda2);
            o.type(more).click("tcbEnter");
        }
        closeReceipt(o);
        dialogs->expectMessageDlg(mrOk, "cotações");
        receber();
        ASSERT_TRUE(op->finished());

        movimentos.setIndexName(QString());
        QStringList rows, quotesUsed;
        for (movimentos.first(); !movimentos.eof(); movimentos.next()) {
            rows << movimentos.fieldByName("CDTIPORECE").asString() + u' ' +
                        QString::number(movimentos.fieldByName("VRMOVIVEND").asFloat(), 'f', 2);
            quotesUsed << QString::number(movimentos.fieldByName("VRCOTINDOUT").asFloat());
        }
        EXPECT_EQ(rows, c.local);
        EXPECT_EQ(quotesUsed, QStringList(rows.size(), "5"));
        movimentos.last();
        if (c.changeOut > 0) {
            EXPECT_DOUBLE_EQ(movimentos.fieldByName("VRMOVIVEOUT").asFloat(), c.changeOut);
        }
    }
}

// A card payment that covers the sale presses OK by itself once the entry has ended; one that
// does not, or a covering cash payment, leaves it to the operator.
TEST_F(ChangeStep, CardThatCoversTheSaleConfirmsByItself)
{
    struct Case
    {
        const char* button;
        const char* typed;
        int clicks;
    };
    for (const Case& c : {Case{"02", "", 1}, Case{"02", "40", 0}, Case{"01", "", 0}}) {
        SCOPED_TRACE(std::string(c.button) + '/' + c.typed);
        int clicks = 0;
        Operator& o = operatorForNextReceipt();
        o.run([&] {
            QObject::connect(form()->findChild<TTouchButton*>("tcbOk"), &QAbstractButton::clicked,
                             [&clicks] { ++clicks; });
        });
        o.click(QStringLiteral("tcbBalcao%1").arg(c.button)).type(c.typed).click("tcbEnter");
        o.run([] {}); // the posted confirmation runs before this step
        closeReceipt(o);
        receber();
        ASSERT_TRUE(op->finished());
        EXPECT_EQ(clicks, c.clicks);
    }
}

} // namespace
