#include "ChequeFormFixture.h"
#include "cheque/Vrm_zel00200.h"
#include "receipt/state/ReceiptSession.h"
#include "support/Screenshot.h"
#include "toolkit/TouchButton.h"

#include <QCoreApplication>
#include <QLabel>

using namespace zel;
using namespace zel::test;
using namespace Vrm_zel00200;

namespace {

const char* const kCommandButtons[] = {"spdOk",    "spdSair",  "spdParcelas", "spdValor", "spdAgencia",
                                       "spdBanco", "spdConta", "spdCheque",   "spdData",  "spdVerso",
                                       "spdA1",    "spdA2",    "spdA3",       "spdA4"};

class ChequeForm : public ChequeFormFixture
{
protected:
    int enabledCommands() const
    {
        int n = 0;
        for (const char* name : kCommandButtons)
            n += button(name)->isEnabled() ? 1 : 0;
        return n;
    }
    QStringList underlinedCaptions() const
    {
        QStringList names;
        for (const char* name : arLabels) {
            if (underlined(name))
                names << QLatin1String(name);
        }
        return names;
    }
};

TEST_F(ChequeForm, OpensWithTheFirstInstalmentTitleTheAmountsAndTheInstalmentFieldCurrent)
{
    doTotal = 150;
    doPago = 50.5;
    doApagar = 99.5;
    TfrmRecebeCheque& f = open();
    EXPECT_EQ(text("lblNmParcela"), QString("1ª Parcela"));
    EXPECT_EQ(text("lblValorTotal"), QString("R$ 150,00"));
    EXPECT_EQ(text("lblValorPago"), QString("R$ 50,50"));
    EXPECT_EQ(text("lblValorPagar"), QString("R$ 99,50"));
    EXPECT_EQ(f.CampoAtual, ttParcela);
    EXPECT_EQ(underlinedCaptions(), QStringList{"lblParcelas"});
    EXPECT_EQ(f.size(), QSize(800, 600));
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(visible("panKeyBoard1") || visible("panValor") || visible("panNumerico"));
    EXPECT_EQ(enabledCommands(), 14);
    EXPECT_TRUE(f.boPrimParcela);
    EXPECT_EQ(f.NrParcela, 1);
    EXPECT_FALSE(boContinua);
    EXPECT_TRUE(receipt->cdsReceb.active()) << "the payment types are open for the confirmation";
}

TEST_F(ChequeForm, CatalogueTextsOfTheReceiptWinOverTheFormsOwn)
{
    receipt->msgPadrao.append("Parcela1", "Primeiro cheque");
    open();
    EXPECT_EQ(text("lblNmParcela"), QString("Primeiro cheque"));
    EXPECT_EQ(form->Msg("ImpCheque"), QString("Deseja imprimir cheque?")) << "the receipt's own text";
    EXPECT_EQ(form->Msg("parcela"), QString("ª Parcela")) << "keys match whatever their case";
}

TEST_F(ChequeForm, YearButtonsFollowThePrinters)
{
    struct Case
    {
        int impChq;
        const char* impCupFis;
        bool ano, a1, a2, a34;
        const char* caption1;
    };
    const Case cases[] = {{1, "2", false, false, false, false, "1"},
                          {2, "2", true, true, true, false, "2"},
                          {0, "0", true, true, true, false, "2"},
                          {2, "1", false, false, false, false, "2"}};
    for (const Case& c : cases) {
        IdImpCupFis = QString::fromLatin1(c.impCupFis);
        open(1, c.impChq);
        SCOPED_TRACE(testing::Message() << "cheque printer " << c.impChq << ", IdImpCupFis " << c.impCupFis);
        EXPECT_EQ(visible("lblAno"), c.ano);
        EXPECT_EQ(visible("spdA1"), c.a1);
        EXPECT_EQ(visible("spdA2"), c.a2);
        EXPECT_EQ(visible("spdA3") || visible("spdA4"), c.a34);
        EXPECT_EQ(button("spdA1")->caption(), QString::fromLatin1(c.caption1));
    }
}

TEST_F(ChequeForm, YearButtonsRecordTheChoiceAndShowIt)
{
    TfrmRecebeCheque& f = open(1, 2);
    click("spdA2");
    EXPECT_EQ(f.stAno, QString("2"));
    EXPECT_TRUE(button("spdA2")->isChecked());
    click("spdA1");
    click("spdA1");
    EXPECT_EQ(f.stAno, QString("1"));
    EXPECT_TRUE(button("spdA1")->isChecked()) << "touching the chosen button again keeps it";
    EXPECT_FALSE(button("spdA2")->isChecked());
}

TEST_F(ChequeForm, SelectingAFieldOpensItsKeyboardAndTheNextDigitStartsItAnew)
{
    TfrmRecebeCheque& f = open();
    click("spdBanco");
    EXPECT_TRUE(visible("panNumerico"));
    EXPECT_EQ(form->findChild<QWidget*>("panNumerico")->pos(), QPoint(485, 275));
    EXPECT_EQ(enabledCommands(), 0);
    EXPECT_EQ(underlinedCaptions(), QStringList{"lblNmBanco"});
    for (const char* key : {"spdN3", "spdN4", "spdN1", "spdN7"})
        click(key);
    EXPECT_EQ(text("lblNrBanco"), QString("341")) << "a fourth digit is ignored";
    click("spdNEnter");
    EXPECT_FALSE(visible("panNumerico"));
    EXPECT_EQ(enabledCommands(), 14);

    click("spdBanco");
    type("2");
    EXPECT_EQ(text("lblNrBanco"), QString("2"));
    type("9");
    click("spdNLimpar");
    EXPECT_EQ(text("lblNrBanco"), QString("2"));
    press(Qt::Key_Delete);
    EXPECT_EQ(text("lblNrBanco"), QString());
    click("spdNCancelar");
    EXPECT_EQ(enabledCommands(), 14);

    // Physical keys type into the current field with no keyboard open.
    click("spdCheque");
    click("spdNCancelar");
    type("12345678");
    EXPECT_EQ(text("lblNrCheque"), QString("1234567"));
    EXPECT_FALSE(f.boSubstitui);
}

TEST_F(ChequeForm, ValueTakesOneCommaAndEnterGivesItTwoDecimals)
{
    TfrmRecebeCheque& f = open();
    click("spdValor");
    EXPECT_TRUE(visible("panValor"));
    EXPECT_EQ(form->findChild<QWidget*>("panValor")->pos(), QPoint(485, 260));
    type("12.5");
    EXPECT_EQ(text("lblValor"), QString("12,5"));
    type(",");
    EXPECT_EQ(text("lblValor"), QString("12,5"));
    press(Qt::Key_Return);
    EXPECT_EQ(text("lblValor"), QString("12,50"));
    EXPECT_FALSE(visible("panValor"));
    EXPECT_EQ(enabledCommands(), 14);
    EXPECT_EQ(confirmations(), 0);

    click("spdValor");
    type(",");
    EXPECT_EQ(text("lblValor"), QString(","));
    press(Qt::Key_Enter);
    EXPECT_EQ(text("lblValor"), QString(",")) << "a text that is no amount stays as typed";

    // The keypad's own keys; its Enter only closes it.
    click("spdValor");
    for (const char* key : {"spt1", "spt00", "sptVirgula", "spt5", "spt000"})
        click(key);
    EXPECT_EQ(text("lblValor"), QString("100,5000"));
    click("sptLimpar");
    click("sptEnter");
    EXPECT_EQ(text("lblValor"), QString("100,500"));
    EXPECT_FALSE(visible("panValor"));
    EXPECT_EQ(f.CampoAtual, ttValor);
}

struct DateCase
{
    int impFis;
    int impChq;
    const char* shown;
};

class ChequeDate : public ChequeFormFixture, public ::testing::WithParamInterface<DateCase>
{
};

TEST_P(ChequeDate, ShownByPrinterKind)
{
    const DateCase& c = GetParam();
    TfrmRecebeCheque& f = open(c.impFis, c.impChq);
    click("spdData");
    for (const char* key : {"spdN0", "spdN1", "spdN0", "spdN5", "spdN2", "spdN4"})
        click(key);
    EXPECT_EQ(text("lblDtImp"), QString::fromLatin1(c.shown));
    EXPECT_EQ(f.stDataDig, QString("010524"));

    type("2099");
    const bool sixDigits = QString::fromLatin1(c.shown).size() == 8;
    EXPECT_EQ(f.stDataDig, sixDigits ? QString("010524") : QString("01052420"))
        << "the date takes no more digits than it shows";
    click("spdNLimpar");
    EXPECT_EQ(text("lblDtImp"), sixDigits ? QString(" 0/10/52") : QString(" 0/10/5242"))
        << "a partial date stands at the right";
    press(Qt::Key_Delete);
    EXPECT_EQ(text("lblDtImp"), QString());
    EXPECT_EQ(f.stDataDig, QString());
}

INSTANTIATE_TEST_SUITE_P(Printers, ChequeDate,
                         ::testing::Values(DateCase{1, 1, "01/05/24"}, DateCase{0, 2, "01/05/24"},
                                           DateCase{4, 1, "  /01/0524"}, DateCase{4, 2, "  /01/0524"},
                                           DateCase{1, 0, "  /01/0524"}, DateCase{7, 5, "  /01/0524"}));

TEST_F(ChequeForm, EnterConfirmsACompleteChequeWhateverKeyboardIsOpen)
{
    TfrmRecebeCheque& f = open();
    expectIncompleteConfirmations(4);
    const std::pair<const char*, const char*> fields[] = {
        {"spdValor", "50"}, {"spdAgencia", "1234"}, {"spdBanco", "341"}};
    for (const auto& [select, digits] : fields) {
        click(select);
        type(QString::fromLatin1(digits));
        press(Qt::Key_Return);
    }
    EXPECT_EQ(confirmations(), 0) << "the account is still empty";

    click("spdConta");
    type("5678");
    press(Qt::Key_Return);
    EXPECT_EQ(confirmations(), 1);
    EXPECT_TRUE(visible("panNumerico")) << "the confirmation does not close the keypad itself";

    click("spdNEnter");
    click("spdValor");
    type("7.5");
    press(Qt::Key_Return);
    EXPECT_EQ(confirmations(), 2);
    EXPECT_EQ(text("lblValor"), QString("7,5")) << "a confirmation skips the value's tidying";

    // The alphanumeric keyboard's Enter relays one Enter, which confirms, then closes.
    click("sptSCancelar");
    click("spdVerso");
    click("spdEnter");
    EXPECT_EQ(confirmations(), 3);
    EXPECT_FALSE(visible("panKeyBoard1"));
    EXPECT_FALSE(f.boEnterOcupado);

    click("spdOk");
    EXPECT_EQ(confirmations(), 4);
}

TEST_F(ChequeForm, EnterOnTheBackTextClosesTheAlphanumericKeyboardOnce)
{
    TfrmRecebeCheque& f = open();
    click("spdVerso");
    type("Obs");
    press(Qt::Key_Return);
    EXPECT_FALSE(visible("panKeyBoard1"));
    EXPECT_EQ(enabledCommands(), 14);
    EXPECT_EQ(text("lblNmVerso"), QString("Obs"));
    EXPECT_FALSE(f.boEnterOcupado);
    EXPECT_EQ(confirmations(), 0);
}

TEST_F(ChequeForm, PageKeysMoveTheCurrentFieldAroundTheInstalments)
{
    TfrmRecebeCheque& f = open();
    press(Qt::Key_PageUp);
    EXPECT_EQ(f.CampoAtual, ttVerso);
    EXPECT_EQ(underlinedCaptions(), QStringList{"lblVerso"});
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.CampoAtual, ttParcela) << "the first cheque asks for the instalments";
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.CampoAtual, ttValor);
    EXPECT_FALSE(visible("panValor")) << "no keyboard opens";

    click("spdBanco");
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.CampoAtual, ttBanco) << "not while a keypad is open";
    click("spdNCancelar");
    click("spdVerso");
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.CampoAtual, ttVerso) << "nor while the alphanumeric keyboard is open";
    click("spdCancelar");

    f.LimpaCampos();
    EXPECT_EQ(f.CampoAtual, ttValor);
    press(Qt::Key_PageUp);
    EXPECT_EQ(f.CampoAtual, ttVerso);
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.CampoAtual, ttValor) << "later instalments skip the count";
    EXPECT_EQ(underlinedCaptions(), QStringList{"lblVrCheque"});
}

TEST_F(ChequeForm, BackTextStartsWithACapitalAndCapsLockAndShiftWork)
{
    TfrmRecebeCheque& f = open();
    EXPECT_EQ(button("spdB")->caption(), QString("B")) << "armed for a leading capital";
    click("spdVerso");
    EXPECT_TRUE(visible("panKeyBoard1"));
    EXPECT_EQ(form->findChild<QWidget*>("panKeyBoard1")->pos(), QPoint(8, 146));
    for (const char* key : {"spdB", "spdO", "spdM", "spdEspaco"})
        click(key);
    EXPECT_EQ(text("lblNmVerso"), QString("Bom "));
    EXPECT_EQ(button("spdB")->caption(), QString("b"));
    EXPECT_EQ(button("spdCCdil")->caption(), QString("ç"));

    click("spdCapsLock");
    EXPECT_EQ(button("spdD")->caption(), QString("D"));
    for (const char* key : {"spdD", "spdI", "spdA", "spd1", "spdBarra"})
        click(key);
    EXPECT_EQ(text("lblNmVerso"), QString("Bom DIA1/"));

    click("spdCapsLock");
    EXPECT_FALSE(f.boMaiuscula);
    click("spdShift");
    EXPECT_EQ(button("spdCCdil")->caption(), QString("Ç"));
    for (const char* key : {"spdCCdil", "spdA", "spdPonto", "spdVirgula"})
        click(key);
    EXPECT_EQ(text("lblNmVerso"), QString("Bom DIA1/Ça.,")) << "Shift gives exactly one capital";
    EXPECT_FALSE(f.boShift);

    type("xY");
    EXPECT_EQ(text("lblNmVerso"), QString("Bom DIA1/Ça.,xY")) << "physical keys type as they are";
    click("spdBackSpace");
    EXPECT_EQ(text("lblNmVerso"), QString("Bom DIA1/Ça.,x"));
}

TEST_F(ChequeForm, CancelOnTheAlphanumericKeyboardRestoresTheBackText)
{
    TfrmRecebeCheque& f = open();
    click("spdVerso");
    type("Nominal");
    click("spdEnter");
    EXPECT_EQ(text("lblNmVerso"), QString("Nominal"));

    click("spdVerso");
    EXPECT_EQ(f.stVersoAnt, QString("Nominal"));
    click("spdZ");
    EXPECT_EQ(text("lblNmVerso"), QString("z")) << "the first character after a selection starts anew";
    click("spdLimpar");
    EXPECT_EQ(text("lblNmVerso"), QString());
    click("spdCancelar");
    EXPECT_EQ(text("lblNmVerso"), QString("Nominal"));
    EXPECT_FALSE(visible("panKeyBoard1"));
    EXPECT_EQ(enabledCommands(), 14);
}

TEST_F(ChequeForm, AfterTheFirstChequeTheInstalmentCountCannotBeEnteredAndTheFieldsAreEmpty)
{
    TfrmRecebeCheque& f = open(1, 2);
    click("spdParcelas");
    type("3");
    press(Qt::Key_Return);
    const std::pair<const char*, const char*> fields[] = {{"spdValor", "10"},
                                                          {"spdAgencia", "1"},
                                                          {"spdBanco", "1"},
                                                          {"spdCheque", "9"},
                                                          {"spdData", "010524"}};
    for (const auto& [select, digits] : fields) {
        click(select);
        type(QString::fromLatin1(digits));
        press(Qt::Key_Return);
    }
    click("spdVerso");
    type("Obs");
    click("spdEnter");
    click("spdA2");

    f.LimpaCampos();
    for (const char* name :
         {"lblValor", "lblNrAgencia", "lblNrBanco", "lblNrConta", "lblNrCheque", "lblDtImp", "lblNmVerso"})
        EXPECT_EQ(text(name), QString()) << name;
    EXPECT_EQ(text("lblNrParcelas"), QString("3"));
    EXPECT_TRUE(f.stDataDig.isEmpty() && f.stAno.isEmpty() && f.stVersoAnt.isEmpty());
    EXPECT_FALSE(button("spdA2")->isChecked());
    EXPECT_TRUE(f.boSubstitui);
    EXPECT_EQ(underlinedCaptions(), QStringList{"lblVrCheque"});
    EXPECT_FALSE(label("lblParcelas")->isEnabled());
    EXPECT_FALSE(label("lblNrParcelas")->isEnabled());
    EXPECT_FALSE(button("spdParcelas")->isEnabled());

    // Closing any keyboard enables every command button again, the count's among them.
    click("spdAgencia");
    click("spdNCancelar");
    EXPECT_TRUE(button("spdParcelas")->isEnabled());
    EXPECT_FALSE(label("lblParcelas")->isEnabled());
}

TEST_F(ChequeForm, AThirdInstalmentDigitSaysTheLimit)
{
    open();
    dialogs->expectMessageDlg(mrOk, "99");
    click("spdParcelas");
    type("123");
    EXPECT_EQ(text("lblNrParcelas"), QString("12"));
    ASSERT_EQ(confirmations(), 1);
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
    click("spdNEnter");
    click("spdParcelas");
    type("4");
    EXPECT_EQ(text("lblNrParcelas"), QString("4")) << "a new count after a selection: no message";
    EXPECT_EQ(confirmations(), 1);
}

TEST_F(ChequeForm, TheBackTextStopsAtWhatIsPrintedAndShowsWhatIsLeft)
{
    struct Row
    {
        int typed;
        int kept;
        const char* left;
    };
    const Row rows[] = {{0, 0, ": 120"}, {30, 30, ": 90"}, {130, 120, ": 0"}};
    for (const Row& row : rows) {
        open();
        click("spdVerso");
        type(QString(row.typed, u'x'));
        EXPECT_EQ(text("lblNmVerso").size(), row.kept);
        EXPECT_TRUE(text("lblVersoResta").endsWith(QLatin1String(row.left)))
            << text("lblVersoResta").toStdString();
        click("spdCancelar");
    }
    click("spdVerso");
    type(QString(120, u'y'));
    click("spdBackSpace");
    EXPECT_TRUE(text("lblVersoResta").endsWith(": 1"));
    saveScreenshot(form.get(), "cheque_keyboard_back_text_full");
}

TEST_F(ChequeForm, ExitClosesTheFormOnce)
{
    TfrmRecebeCheque& f = open();
    click("spdSair");
    EXPECT_FALSE(f.boSaindo);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(ChequeForm, Screenshots)
{
    doTotal = 180;
    doPago = 30;
    doApagar = 150;
    open(1, 2);
    click("spdParcelas");
    type("2");
    press(Qt::Key_Return);
    click("spdValor");
    type("75");
    press(Qt::Key_Return);
    saveScreenshot(form.get(), "cheque_form");
    click("spdValor");
    saveScreenshot(form.get(), "cheque_keypad_value");
    click("sptSCancelar");
    click("spdBanco");
    saveScreenshot(form.get(), "cheque_keypad_numeric");
    click("spdNCancelar");
    click("spdVerso");
    type("Cheque nominal");
    saveScreenshot(form.get(), "cheque_keyboard");
    EXPECT_EQ(text("lblNmVerso"), QString("Cheque nominal"));
}

} // namespace
