#include "PaymentTypes.h"
#include "ReceiptFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/QStringPrinter.h"
#include "toolkit/TouchButton.h"

#include <QLabel>
#include <QTest>

using namespace zel;
using namespace zel::test;

namespace {

// A receipt form in the middle of a payment entry: the step set, a proposal in the entry,
// the keypad enabled and the payment-type panels off, as payment entry leaves them while it
// waits for the value.
class ReceiptKeypad : public ReceiptFixture
{
protected:
    void SetUp() override
    {
        ReceiptFixture::SetUp();
        addSaleLine(1, 35);
        definePaymentTypes(tipos);
        addTipo(tipos, TipoRow{});
        Vrm_zel00000::boIdCriado = true;
        form = std::make_unique<TfrmRecebimento>();
        form->cdsReceb.setData(tipos.data());
        form->cdsVendaOk.setData(venda.data());
        form->FormActivate();
        okClicks = 0;
        // These tests count the clicks that reach OK; what OK then does is not the keypad's.
        QObject::disconnect(button("tcbOk"), &QAbstractButton::clicked, nullptr, nullptr);
        QObject::connect(button("tcbOk"), &QAbstractButton::clicked, [this] { ++okClicks; });
    }

    void TearDown() override
    {
        form.reset();
        Vrm_zel00000::InputStep = isNone;
        ReceiptFixture::TearDown();
    }

    void waitForValue(TInputStep step, const QString& proposal)
    {
        Vrm_zel00000::InputStep = step;
        entry()->setText(proposal);
        form->stValor = proposal;
        form->boSubstitui = true;
        form->findChild<QWidget*>("panKeyboard")->setEnabled(true);
        form->CtrlBotoes("H");
    }

    void touch(const QString& names)
    {
        for (const QString& name : names.split(u' '))
            button(name)->click();
    }

    TTouchButton* button(const QString& name) const { return form->findChild<TTouchButton*>(name); }
    QLabel* entry() const { return form->findChild<QLabel*>("lblInputReceb2"); }
    bool panelsOn() const { return form->findChild<QWidget*>("panBalcao")->isEnabled(); }

    std::unique_ptr<TfrmRecebimento> form;
    int okClicks = 0;
};

TEST_F(ReceiptKeypad, KeysReplaceTheProposalAndEnterEndsTheStep)
{
    waitForValue(isDinheiro1, "35,00");
    touch("tcb1 tcb2 tcbVirgula tcb5 tcbVirgula");
    EXPECT_EQ(entry()->text(), QString("12,5"));
    EXPECT_EQ(form->stValor, QString("12,5"));
    EXPECT_FALSE(form->boSubstitui);
    touch("tcbCorrigir tcbCorrigir tcb0 tcb9");
    EXPECT_EQ(entry()->text(), QString("1209"));

    touch("tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
    EXPECT_EQ(entry()->text(), QString("1209")) << "Enter keeps the entry";
    EXPECT_TRUE(panelsOn()) << "mode P after Enter";
    EXPECT_FALSE(form->boEnterOcupado);
    EXPECT_EQ(okClicks, 0) << "OK is disabled";
}

TEST_F(ReceiptKeypad, ZeroIsRefusedAndTheEntryStillWaits)
{
    waitForValue(isCredito3, "35,00");
    touch("tcb0 tcbVirgula tcb0 tcb0");
    button("tcbOk")->setEnabled(true);
    touch("tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isCredito3);
    EXPECT_EQ(entry()->text(), QString("0,00"));
    EXPECT_FALSE(panelsOn()) << "the payment-type panels stay off while the entry waits";
    EXPECT_EQ(okClicks, 0);
}

TEST_F(ReceiptKeypad, FirstOfTwoStepsAdvancesAndEnterClicksAnEnabledOk)
{
    waitForValue(isMoeda1, "1,00");
    touch("tcb5 tcbVirgula tcb1 tcb0 tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isMoeda2);

    // The sale covered: Enter on any entry confirms it.
    Vrm_zel00000::InputStep = isNone;
    entry()->clear();
    button("tcbOk")->setEnabled(true);
    touch("tcbEnter");
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
}

TEST_F(ReceiptKeypad, EnterButtonDoesNothingWhileItsEnterRuns)
{
    waitForValue(isDinheiro1, "35,00");
    form->boEnterOcupado = true;
    touch("tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isDinheiro1);
    EXPECT_FALSE(panelsOn());
    EXPECT_TRUE(form->boEnterOcupado);

    // An OK that presses Enter again while the first one is handled.
    form->boEnterOcupado = false;
    int nested = 0;
    QObject::connect(button("tcbOk"), &QAbstractButton::clicked, [&] {
        ++nested;
        form->tcbEnterClick();
    });
    button("tcbOk")->setEnabled(true);
    touch("tcbEnter");
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(okClicks, 1);
    EXPECT_FALSE(form->boEnterOcupado);
}

TEST_F(ReceiptKeypad, CardEntryWithCorrectionOffKeepsTheProposal)
{
    waitForValue(isCredito3, "35,00");
    for (const char* name : {"tcbCorrigir", "tcbVirgula", "tcb0", "tcb1"})
        button(name)->setEnabled(false);
    form->PostText(QString(QChar(8)), false, false);   // Backspace
    form->PostText(QStringLiteral("."), false, false); // Delete
    EXPECT_EQ(entry()->text(), QString("35,00"));
    EXPECT_TRUE(form->boSubstitui);
    touch("tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone) << "the proposal is accepted";
}

TEST_F(ReceiptKeypad, DeleteClearsOnlyWithoutThePosKeyboard)
{
    waitForValue(isDinheiro1, "35,00");
    devices->setDefault("TecladoOK", true);
    form->PostText(QStringLiteral("."), false, false);
    EXPECT_EQ(entry()->text(), QString("35,00"));
    EXPECT_TRUE(form->boSubstitui);

    devices->setDefault("TecladoOK", false);
    form->PostText(QStringLiteral("."), false, false);
    EXPECT_TRUE(entry()->text().isEmpty());
    EXPECT_FALSE(form->boSubstitui);
}

TEST_F(ReceiptKeypad, PhysicalKeyboardRefusesLettersAndItsEnterWorksAsTheKeypads)
{
    form->show();
    waitForValue(isDinheiro1, "35,00");
    QTest::keyClicks(form.get(), "1a2.x5");
    EXPECT_EQ(entry()->text(), QString("12,5"));
    QTest::keyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(entry()->text(), QString("12,"));
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(Vrm_zel00000::InputStep, isNone);
    EXPECT_EQ(entry()->text(), QString("12,"));
    EXPECT_TRUE(panelsOn());
}

TEST_F(ReceiptKeypad, EntryThatDoesNotReadAsANumberIsAClearErrorThatChangesNothing)
{
    form->show();
    waitForValue(isDinheiro1, "35,00");
    QTest::keyClicks(form.get(), "99999999999999");
    button("tcbOk")->setEnabled(true);
    dialogs->expectMessageDlg(mrOk, "fora dos limites");
    touch("tcbEnter");
    EXPECT_EQ(Vrm_zel00000::InputStep, isDinheiro1);
    EXPECT_EQ(entry()->text(), QString("99999999999999"));
    EXPECT_FALSE(panelsOn());
    EXPECT_EQ(okClicks, 0);
    EXPECT_FALSE(form->boEnterOcupado);
}

// The keypad panel off (no payment entry waits for a value, or one is being recorded): the
// correction key itself still on.
TEST_F(ReceiptKeypad, BackspaceAndDeleteFollowTheCorrectionKeyNotItsPanel)
{
    form->show();
    devices->setDefault("TecladoOK", false);
    entry()->setText("12,5");
    form->findChild<QWidget*>("panKeyboard")->setEnabled(false);
    ASSERT_FALSE(button("tcbCorrigir")->isEnabled()) << "disabled through its panel";
    QTest::keyClick(form.get(), Qt::Key_Backspace);
    EXPECT_EQ(entry()->text(), QString("12,"));
    form->PostText(QStringLiteral("."), false, false); // Delete
    EXPECT_EQ(entry()->text(), QString());

    // The key itself off: nothing is erased.
    entry()->setText("12,5");
    button("tcbCorrigir")->setEnabled(false);
    QTest::keyClick(form.get(), Qt::Key_Backspace);
    QTest::keyClick(form.get(), Qt::Key_Delete);
    EXPECT_EQ(entry()->text(), QString("12,5"));
}

TEST_F(ReceiptKeypad, KeyboardEnterWithTheKeypadOffLeavesThePaymentTypesLocked)
{
    // The sale being closed: payment types locked, keypad off; Enter on the keyboard may
    // confirm the sale but never hands the payment types back.
    form->show();
    form->CtrlBotoes("H");
    form->findChild<QWidget*>("panKeyboard")->setEnabled(false);
    button("tcbOk")->setEnabled(true);
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        QTest::keyClick(form.get(), Qt::Key(key));
        EXPECT_FALSE(panelsOn()) << key;
    }
    EXPECT_EQ(okClicks, 2) << "Enter still confirms the covered sale";
}

} // namespace
