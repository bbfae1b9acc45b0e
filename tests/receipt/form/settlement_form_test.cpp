#include "PaymentFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Discount.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/payment/RunningList.h"
#include "support/QStringPrinter.h"
#include "text/Money.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>

using namespace zel;
using namespace zel::test;

namespace {

// The settlement commands on a receipt of 100,00 (PaymentFixture). The closing of each payment
// entry gives back Exit, Clear and Discount, and enables OK once the sale is covered.
class Settlement : public PaymentFixture
{
protected:
    template <class T = QWidget> static T* w(const char* name) { return form()->findChild<T*>(name); }
    static QString list() { return w<QPlainTextEdit>("memLista")->toPlainText(); }

    static void pay(Operator& o, const char* button, const char* typed)
    {
        o.click(QStringLiteral("tcbBalcao%1").arg(button)).type(typed).click("tcbEnter");
    }
    static void fiscalPrinterOff() { SettingsStore().setValue(settingKey("UtilizaImpFis"), "1"); }
    // Every sale line carries comanda discount `descComanda`, every line kept off the
    // printer's items ("S").
    void saleLinesWith(double descComanda)
    {
        addSaleLine(1, 20);
        for (venda.first(); !venda.eof(); venda.next()) {
            venda.edit();
            venda.fieldByName("VRDESCOMANDA").setFloat(descComanda);
            venda.fieldByName("IDPRODIMPFIS").setString("S");
            venda.post();
        }
    }
    QStringList comandaDiscounts()
    {
        QStringList values;
        for (venda.first(); !venda.eof(); venda.next())
            values << formatFixed(venda.fieldByName("VRDESCOMANDA").asFloat());
        return values;
    }
};

// 10 % of the total, then 25,00 in its place: the amount due is worked out again from the
// total and the payment, never lowered twice, and the list shows each discount as given.
TEST_F(Settlement, SecondDiscountReplacesTheFirst)
{
    double dueAfterFirst = -1;
    QString listAfterFirst;
    dialogs->expectDiscount("P", 10).expectDiscount("V", 25);
    Operator& o = operatorForNextReceipt();
    pay(o, "01", "30");
    o.click("tcbDesconto").run([&] {
        dueAfterFirst = form()->doVrAPagar;
        listAfterFirst = list();
    });
    o.click("tcbDesconto");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());

    EXPECT_DOUBLE_EQ(dueAfterFirst, 60);
    const QStringList first = discountLines("Desconto", "Subtotal", {10, 10}, 100);
    EXPECT_EQ(listAfterFirst, (QStringList{linhaPagamento("Dinheiro", 30)} + first).join('\n'));
    EXPECT_DOUBLE_EQ(form()->doVrDesconto, 25);
    EXPECT_DOUBLE_EQ(form()->doPcDesconto, 25);
    EXPECT_DOUBLE_EQ(form()->doVrAPagar, 45);
    EXPECT_EQ(w<QLabel>("lblValorPagar")->text(), formatCurrency(45));
    EXPECT_EQ(w<QLabel>("lblValorTotal")->text(), formatCurrency(100));
    EXPECT_TRUE(list().endsWith(discountLines("Desconto", "Subtotal", {25, 25}, 100).join('\n')));
}

TEST_F(Settlement, DiscountOnAZeroTotalIsRefused)
{
    venda.first();
    venda.edit();
    venda.fieldByName("VRPRECCOMVEN").setFloat(0);
    venda.post();
    dialogs->expectMessageDlg(mrOk, "o total é zero");
    Operator& o = operatorForNextReceipt();
    o.click("tcbDesconto");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(list(), QString());
    EXPECT_DOUBLE_EQ(form()->doVrDesconto, 0);
    EXPECT_DOUBLE_EQ(form()->doVrAPagar, 0);
}

// Clear after two payments, a discount and a change shown in the amount-due field: the
// receipt is back at its opening state, on the screen and on both displays.
TEST_F(Settlement, ClearBringsBackTheOpeningState)
{
    devices->setDefault("TecladoOK", true);
    devices->setDefault("DisplayOK", true);
    QStringList displays;
    struct Seen
    {
        int movements = -1;
        double pago = -1, aPagar = -1, desconto = -1, pcDesconto = -1, troco = -1;
        QString list, caption, pago_, aPagar_, entry;
        QColor colour;
        bool ok = true, cnpj = true, desconto_ = false, grupo = false, balcao = false, confirmaAuto = true;
        int cupons = -1;
    } seen;
    dialogs->expectDiscount("P", 10);
    Operator& o = operatorForNextReceipt();
    pay(o, "01", "30");
    pay(o, "04", "20");
    o.click("tcbDesconto");
    o.run([&] {
        // What the change step and a card payment leave behind.
        w<QLabel>("lblPagar")->setText("TROCO : ");
        w<QLabel>("lblPagar")->setStyleSheet("font-size: 17px; font-weight: bold; color: maroon;");
        w<QLabel>("lblValorPagar")->setStyleSheet("font-size: 17px; font-weight: bold; color: maroon;");
        form()->session().doVrTroco = 3;
        form()->boConfirmaAuto = true;
        devices->setInContCuponsTEF(2);
        w<QWidget>("tcbOk")->setEnabled(true);
        form()->CtrlBotoes("H");
        devices->clearCalls();
    });
    o.click("tcbClear");
    o.run([&] {
        TfrmRecebimento* f = form();
        seen.movements = f->cdsMovCaixa.recordCount();
        seen.pago = f->doVrPago;
        seen.aPagar = f->doVrAPagar;
        seen.desconto = f->doVrDesconto;
        seen.pcDesconto = f->doPcDesconto;
        seen.troco = f->doVrTroco;
        seen.list = list();
        seen.caption = w<QLabel>("lblPagar")->text();
        seen.pago_ = w<QLabel>("lblValorPago")->text();
        seen.aPagar_ = w<QLabel>("lblValorPagar")->text();
        seen.entry = w<QLabel>("lblInputReceb2")->text();
        w<QLabel>("lblValorPagar")->ensurePolished();
        seen.colour = w<QLabel>("lblValorPagar")->palette().color(QPalette::WindowText);
        seen.ok = w<QWidget>("tcbOk")->isEnabled();
        seen.cnpj = w<QWidget>("tcbCNPJCPF")->isEnabled();
        seen.desconto_ = w<QWidget>("tcbDesconto")->isEnabled();
        seen.grupo = w<QWidget>("panGrupo")->isEnabled();
        seen.balcao = w<QWidget>("panBalcao")->isEnabled();
        seen.confirmaAuto = f->boConfirmaAuto;
        seen.cupons = devices->inContCuponsTEF();
        displays = devices->callTexts({"TeclFormFeed", "TeclGoToXY", "TeclDispStr", "DisplayChar"});
    });
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());

    EXPECT_EQ(seen.movements, 0);
    EXPECT_EQ(movimentos.recordCount(), 0);
    EXPECT_DOUBLE_EQ(seen.pago, 0);
    EXPECT_DOUBLE_EQ(seen.aPagar, 100);
    EXPECT_DOUBLE_EQ(seen.desconto, 0);
    EXPECT_DOUBLE_EQ(seen.pcDesconto, 0);
    EXPECT_DOUBLE_EQ(seen.troco, 0);
    EXPECT_EQ(seen.list, QString());
    EXPECT_EQ(seen.caption, QString("Valor a Pagar "));
    EXPECT_EQ(seen.pago_, formatCurrency(0));
    EXPECT_EQ(seen.aPagar_, formatCurrency(100));
    EXPECT_EQ(seen.entry, QString());
    EXPECT_EQ(seen.colour, QColor(0, 0, 128));
    EXPECT_FALSE(seen.ok);
    EXPECT_FALSE(seen.cnpj);
    EXPECT_TRUE(seen.desconto_);
    EXPECT_TRUE(seen.grupo && seen.balcao);
    EXPECT_FALSE(seen.confirmaAuto);
    EXPECT_EQ(seen.cupons, 0);
    EXPECT_EQ(
        displays,
        QStringList({"TeclFormFeed()", "TeclGoToXY(1, 1)",
                     "TeclDispStr(\"Recebimento Total                 100,00\")", "TeclGoToXY(2, 1)",
                     "TeclDispStr(\"Pago           0,00 Falta         100,00\")", "DisplayChar(\"<FF>\")",
                     "DisplayChar(\"Total :       100,00\")", "DisplayChar(\"Pago :          0,00\")"}));
}

// Without the fiscal printer the coupon discount goes back inside every line's comanda
// discount: 5,00 on lines carrying 2,00 gives 7,00, and no coupon number.
TEST_F(Settlement, OkWithoutFiscalPrinterFoldsTheDiscountIntoEveryLine)
{
    fiscalPrinterOff();
    saleLinesWith(2);
    dialogs->expectDiscount("V", 5);
    Operator& o = operatorForNextReceipt();
    o.click("tcbDesconto");
    pay(o, "01", "113");
    o.click("tcbOk");
    EXPECT_TRUE(receber());
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(comandaDiscounts(), QStringList({"7,00", "7,00"}));
    EXPECT_EQ(nrVenda, QString());
    EXPECT_EQ(devices->count("FechaCupom"), 0);
    EXPECT_EQ(movementSummary(), QStringList({"001 113.00"}));
}

// Two commands in one pass of the event loop, before the close posted by the first is
// handled: the first one decides, the second does nothing.
struct DoubleTap
{
    const char* first;
    const char* second;
    bool printer;
    bool settled;
    const char* comanda; // every line's comanda discount handed back
};

class SettlementDoubleTap : public Settlement, public ::testing::WithParamInterface<DoubleTap>
{
};

TEST_P(SettlementDoubleTap, FirstCommandWins)
{
    const DoubleTap& t = GetParam();
    if (!t.printer)
        fiscalPrinterOff();
    saleLinesWith(2);
    dialogs->expectDiscount("V", 5);
    Operator& o = operatorForNextReceipt();
    o.click("tcbDesconto");
    pay(o, "01", "113");
    o.run([&] {
        TfrmRecebimento* f = form();
        for (const QString command : {t.first, t.second}) {
            QMetaObject::invokeMethod(
                f, [f, command] { command == "OK" ? f->tcbOkClick() : f->tcbSairClick(); },
                Qt::QueuedConnection);
        }
    });
    EXPECT_EQ(receber(), t.settled);
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(comandaDiscounts(), QStringList({t.comanda, t.comanda}));
    EXPECT_EQ(devices->count("FechaCupom"), t.printer && t.settled ? 1 : 0);
    EXPECT_EQ(movementSummary(), QStringList({"001 113.00"}));
}

INSTANTIATE_TEST_SUITE_P(Pairs, SettlementDoubleTap,
                         ::testing::Values(DoubleTap{"OK", "OK", false, true, "7,00"},
                                           DoubleTap{"OK", "Exit", false, true, "7,00"},
                                           DoubleTap{"Exit", "OK", false, false, "2,00"},
                                           DoubleTap{"Exit", "Exit", false, false, "2,00"},
                                           // The coupon writes the discount itself.
                                           DoubleTap{"OK", "OK", true, true, "5,00"},
                                           DoubleTap{"OK", "Exit", true, true, "5,00"}),
                         [](const ::testing::TestParamInfo<DoubleTap>& info) {
                             return std::string(info.param.first) + info.param.second +
                                    (info.param.printer ? "WithPrinter" : "");
                         });

// After a coupon that failed half-way, the commands that give up or change the sale cancel it
// first; when the printer will not cancel it they change nothing, except Exit, which always
// leaves (the coupon stays open and the next receipt cancels it first). A coupon that was
// printed although OK failed leaves only OK.
struct AfterFailedCoupon
{
    const char* command;
    bool printed;      // the coupon went through although ImprimeCupom answered false
    bool cancelled;    // Cancela_Cupom's answer
    bool done;         // the command went on
    const char* error; // the error shown instead, if any
};

class SettlementAfterFailedCoupon : public Settlement, public ::testing::WithParamInterface<AfterFailedCoupon>
{
};

TEST_P(SettlementAfterFailedCoupon, CancelFirstOrRefuse)
{
    const AfterFailedCoupon& r = GetParam();
    saleLinesWith(0);
    if (r.printed) {
        devices->script("AbreCupom", {false});
    } else {
        devices->script("AbreCupomRes", {false});
        devices->script("Cancela_Cupom", {r.cancelled});
    }
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando");
    const QString command = QString::fromLatin1(r.command);
    if (*r.error)
        dialogs->expectMessageDlg(mrOk, QString::fromUtf8(r.error));
    else if (command == "tcbDesconto")
        dialogs->expectDiscount("V", 5);
    int movements = -1;
    Operator& o = operatorForNextReceipt();
    pay(o, "01", "120");
    o.click("tcbOk");
    o.click(command);
    o.run([&] { movements = form()->cdsMovCaixa.recordCount(); });
    if (!(command == "tcbSair" && r.done))
        closeReceipt(o);
    EXPECT_FALSE(receber());
    ASSERT_TRUE(op->finished());
    EXPECT_EQ(devices->count("Cancela_Cupom"), r.printed ? 0 : 1);
    if (!r.printed) {
        EXPECT_TRUE(nrVenda.isEmpty()) << "no sale coupon was printed: " << nrVenda.toStdString();
    }
    if (command == "tcbSair" && !r.printed && !r.cancelled) {
        // Exit left the coupon open: the next receipt cancels it before it opens.
        devices->script("Cancela_Cupom", {true});
        operatorForNextReceipt().click("tcbSair");
        EXPECT_FALSE(receber());
        EXPECT_EQ(devices->count("Cancela_Cupom"), 2);
    }
    if (command == "tcbClear") {
        EXPECT_EQ(movements, r.done ? 0 : 1);
    }
    if (command == "tcbDesconto") {
        EXPECT_DOUBLE_EQ(form()->doVrDesconto, r.done ? 5 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettlementAfterFailedCoupon,
    ::testing::Values(AfterFailedCoupon{"tcbClear", false, true, true, ""},
                      AfterFailedCoupon{"tcbClear", false, false, false, "Erro ao enviar comando"},
                      AfterFailedCoupon{"tcbDesconto", false, true, true, ""},
                      AfterFailedCoupon{"tcbSair", false, true, true, ""},
                      AfterFailedCoupon{"tcbSair", false, false, true, "fica aberto na impressora"},
                      AfterFailedCoupon{"tcbSair", true, true, false, "já foi impresso"},
                      AfterFailedCoupon{"tcbClear", true, true, false, "já foi impresso"}),
    [](const ::testing::TestParamInfo<AfterFailedCoupon>& info) {
        const AfterFailedCoupon& r = info.param;
        return std::string(r.command + 3) + (r.printed     ? "Printed"
                                             : r.cancelled ? "Cancelled"
                                                           : "CancelRefused");
    });

// The taxpayer id goes into the running list; a cancelled form leaves the list as it was.
TEST_F(Settlement, TaxpayerIdIsListed)
{
    Operator& o = operatorForNextReceipt();
    o.click("tcbCNPJCPF");
    o.waitUntil([] { return Operator::findControl("spdEnter") != nullptr; }, "the taxpayer form");
    o.type("52998224725").press(Qt::Key_Return);
    o.waitUntil([] { return Operator::findControl("lblTexto2")->isVisible(); }, "the name step");
    o.type("Eva").press(Qt::Key_Return);
    o.waitUntil([] { return Operator::activeForm() == form(); }, "back on the receipt");
    o.click("tcbCNPJCPF");
    o.waitUntil([] { return Operator::findControl("spdSair") != nullptr; }, "the taxpayer form again");
    o.click("spdSair");
    o.waitUntil([] { return Operator::activeForm() == form(); }, "back on the receipt");
    closeReceipt(o);
    receber();
    ASSERT_TRUE(op->finished());
    // The blank line that sets the id apart is kept, also as the list's first line.
    EXPECT_EQ(list(), QString("\nCNPJ/CPF : 529.982.247-25\nNOME : Eva"));
    EXPECT_EQ(form()->stCNPJCPF, QString());
}

} // namespace
