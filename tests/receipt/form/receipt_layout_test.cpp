#include "PaymentTypes.h"
#include "ReceiptFixture.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/Legibility.h"
#include "support/QStringPrinter.h"
#include "support/Screenshot.h"
#include "text/Money.h"
#include "toolkit/FitLabel.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QStatusBar>

using namespace zel;
using namespace zel::test;

namespace {

// The receipt form as it opens for a sale, on the till's 800 × 600 screen.
class ReceiptLayout : public ReceiptFixture
{
protected:
    void SetUp() override
    {
        ReceiptFixture::SetUp();
        addSaleLine(1, 9999999.99);
        definePaymentTypes(tipos);
        addTipo(tipos, TipoRow{});
        Vrm_zel00000::boIdCriado = true;
        form = std::make_unique<TfrmRecebimento>();
        form->cdsReceb.setData(tipos.data());
        form->cdsVendaOk.setData(venda.data());
        form->show();
        form->FormActivate();
    }

    void TearDown() override
    {
        form.reset();
        ReceiptFixture::TearDown();
    }

    template <class T> T* child(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    // Fills the running list with lines of the widest amounts, more than it can show.
    void fillRunningList()
    {
        const char* names[] = {"Dinheiro", "Cartão de Crédito Visa", "Ticket Restaurante", "Cheque"};
        for (int i = 0; i < 24; ++i)
            form->session().note(linhaPagamento(QString::fromUtf8(names[i % 4]), 999999.99 - i));
    }

    std::unique_ptr<TfrmRecebimento> form;
};

TEST_F(ReceiptLayout, AmountLabelsShowMillionsWhole)
{
    form->session().doVrPago = 9999999.99;
    form->session().doVrServico = 999999.99;
    form->session().doVrConsumacao = 999999.99;
    form->MostraValores();
    ASSERT_EQ(child<QLabel>("lblValorPagar")->text(), formatCurrency(9999999.99));
    for (const char* name :
         {"lblValorPagar", "lblValorTotal", "lblValorPago", "lblServico", "lblVrConsumacao"}) {
        auto* label = child<TFitLabel>(name);
        ASSERT_NE(label, nullptr) << name;
        const TFitLabel::Fitted fit = label->fitted();
        EXPECT_TRUE(fit.fits) << name;
        EXPECT_LE(QFontMetrics(fit.font).horizontalAdvance(label->text()), label->contentsRect().width())
            << name;
        EXPECT_GE(fit.font.pixelSize(), 12) << name << ": still easy to read";
    }
}

TEST_F(ReceiptLayout, TheRunningListIsReadableWhileItsPanelIsOffAndShowsAllItsColumns)
{
    fillRunningList();
    auto* memo = child<QPlainTextEdit>("memLista");
    ASSERT_FALSE(child<QWidget>("panLista")->isEnabled()) << "the list takes no input";
    EXPECT_GE(textContrast(memo->viewport()), 7.0);

    const QFontMetrics metrics(memo->font());
    const int margins = 2 * int(memo->document()->documentMargin());
    EXPECT_LE(metrics.horizontalAdvance(QString(kListWidth, u'W')) + margins, memo->viewport()->width());
    EXPECT_GE(memo->viewport()->height() / metrics.lineSpacing(), 18) << "lines the list shows at once";
}

TEST_F(ReceiptLayout, TheEntryHasItsBevelAndTheStatusBarItsFourPanels)
{
    auto* bevel = child<QFrame>("bvlInputReceb2");
    ASSERT_NE(bevel, nullptr);
    EXPECT_TRUE(bevel->geometry().contains(child<QWidget>("lblInputReceb2")->geometry()));
    EXPECT_NE(bevel->frameShape(), QFrame::NoFrame);

    auto* status = child<QStatusBar>("stbStatus");
    QList<int> widths;
    for (int i = 1; i <= 4; ++i) {
        auto* panel = status->findChild<QLabel*>(QStringLiteral("stbStatusPanel%1").arg(i));
        ASSERT_NE(panel, nullptr) << i;
        widths.append(panel->width());
    }
    EXPECT_EQ(widths, QList<int>({170, 105, 370, 100}));
    EXPECT_EQ(status->geometry().bottom(), form->height() - 1);
}

TEST_F(ReceiptLayout, TheMovementGridShowsTheValueAndThePaymentType)
{
    QStringList visible;
    for (const FieldDef& field : form->cdsMovCaixa.fieldDefs()) {
        if (field.visible)
            visible << field.label();
    }
    EXPECT_EQ(visible, QStringList({"Valor", "Recebimento"}));
}

TEST_F(ReceiptLayout, ScreenshotWithMillionsDueAndAFullRunningList)
{
    fillRunningList();
    form->session().doVrPago = 23999999.76;
    form->MostraValores();
    EXPECT_FALSE(saveScreenshot(form.get(), "receipt-large-amount").isEmpty());
}

} // namespace
