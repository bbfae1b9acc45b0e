#include "ChequeFormFixture.h"
#include "cheque/Vrm_zel00200.h"
#include "receipt/state/ReceiptSession.h"
#include "text/FiliProc.h"

#include <QCoreApplication>
#include <QLabel>

using namespace zel;
using namespace zel::test;
using namespace Vrm_zel00200;

namespace {

const QString kEsc(QChar(27));

// The cheques are dated a few weeks ahead, as post-dated cheques usually are: no question.
const QDate kDataCheque = QDate::currentDate().addDays(20);
const QString kData6 = kDataCheque.toString("ddMMyy");

// The cheque form inside a receipt whose payment types hold cash and a cheque type, with the
// amounts of a sale of 100,00 of which nothing is paid yet.
class ChequeConfirmation : public ChequeFormFixture
{
protected:
    void SetUp() override
    {
        ChequeFormFixture::SetUp();
        DataSet& tipos = receipt->cdsReceb;
        tipos.setFieldDefs(
            {FieldDef{"CDTIPORECE", FieldType::String, 3}, FieldDef{"NMTIPORECE", FieldType::String, 40},
             FieldDef{"IDTIPORECE", FieldType::String, 1}, FieldDef{"CDTIPOTROCO", FieldType::String, 3},
             FieldDef{"NRORDTROCO", FieldType::String, 3}});
        tipos.createDataSet();
        for (const QStringList& row :
             {QStringList{"001", "Dinheiro", "4", "001", "1"}, QStringList{"002", "Cheque", "3", "", "2"}}) {
            tipos.append();
            for (int i = 0; i < row.size(); ++i)
                tipos.fieldByName(tipos.fieldDefs()[i].name).setString(row[i]);
            tipos.post();
        }
        tipos.close();
        setFiliProc(QStringLiteral("0007"));
        doTotal = 100;
        doPago = 0;
        doApagar = 100;
    }
    void TearDown() override
    {
        setFiliProc(QString());
        ChequeFormFixture::TearDown();
    }

    // Fills the cheque on screen and confirms it: the account's Enter comes last, when value,
    // branch, bank and account are all filled.
    void confirmCheque(const QString& valor, const QString& parcelas = {}, const QString& verso = {},
                       const QString& numero = QStringLiteral("1234567"), const QString& dataDigitada = {})
    {
        if (!parcelas.isEmpty())
            enter("spdParcelas", parcelas);
        // The date as the printers have it shown: ddmmyy for a cheque printer, else ddmmyyyy.
        const int chq = devices->IdTipoImpChq();
        const QString padrao = devices->IdTipoImpFis() != 4 && (chq == 1 || chq == 2)
                                   ? kData6
                                   : kDataCheque.toString("ddMMyyyy");
        const QString data = dataDigitada.isEmpty() ? padrao : dataDigitada;
        for (const auto& [select, text] : {std::pair{"spdValor", valor},
                                           {"spdAgencia", QString("1234")},
                                           {"spdBanco", QString("341")},
                                           {"spdCheque", numero},
                                           {"spdData", data}})
            enter(select, text);
        if (!verso.isEmpty()) {
            click("spdVerso");
            type(verso);
            click("spdEnter");
        }
        enter("spdConta", QStringLiteral("56789"));
        // The confirmation leaves the account's keypad open; the operator closes it.
        if (!form->findChild<QWidget*>("panNumerico")->isHidden())
            click("spdNEnter");
    }
    void enter(const char* select, const QString& text)
    {
        click(select);
        type(text);
        press(Qt::Key_Return);
    }
    bool closed()
    {
        QCoreApplication::processEvents();
        return !form->isVisible();
    }
    int movements() const { return receipt->cdsMovCaixa.recordCount(); }
    int instalments() const { return receipt->cdsParcelas.active() ? receipt->cdsParcelas.recordCount() : 0; }
    QStringList chequePrinter() const
    {
        return devices->callTexts({"ImpChqChar", "EnviaComImpChq", "Retorno_Imp", "Fecha_Imp_Chq_Sweda"});
    }
};

TEST_F(ChequeConfirmation, OneChequeRecordsTheInstalmentAndTheMovementWithItsChequeFields)
{
    IdImpCupFis = QStringLiteral("1");
    open();
    confirmCheque("100", "1");
    EXPECT_TRUE(closed());
    EXPECT_EQ(doApagar, 0.0);
    EXPECT_EQ(doPago, 100.0);
    EXPECT_EQ(text("lblValorPago"), QString("R$ 100,00"));
    EXPECT_EQ(doVrParcela, 100.0);
    EXPECT_EQ(QStringList({stRetBanco, stRetAgencia, stRetConta, stRetCheque, stRetData, stRetParcela}),
              QStringList({"341", "1234", "56789", "1234567", kDataCheque.toString("dd/MM/yy"), "1"}));
    ASSERT_EQ(instalments(), 1);
    receipt->cdsParcelas.first();
    EXPECT_EQ(receipt->cdsParcelas.value("COD").toInt(), 1);
    EXPECT_EQ(receipt->cdsParcelas.value("VALOR").toDouble(), 100.0);

    ASSERT_EQ(movements(), 1);
    DataSet& m = receipt->cdsMovCaixa;
    m.first();
    QStringList row;
    for (const char* field :
         {"CDFILIAL", "IDTIPOMOVIVE", "CDTIPORECE", "NMTIPORECE", "VRMOVIVEND", "CDTIPOTROCO", "NRORDTROCO",
          "CDAGECHEQVEN", "CDBANCHEQVEN", "CDCNTCHEQVEN", "NRCHEQUEVEND"})
        row << m.fieldByName(field).asString();
    EXPECT_EQ(row,
              QStringList({"0007", "E", "002", "Cheque", "100", "", "2", "1234", "341", "56789", "1234567"}));
    EXPECT_EQ(m.fieldByName("DTDEPCHEQVEN").asDate(), kDataCheque) << "a two-digit year of this century";
    EXPECT_EQ(m.fieldByName("DTMOVIMCAIXA").asDate(), QDate::currentDate());
    EXPECT_TRUE(chequePrinter().isEmpty()) << "the host did not ask for printing";
}

class Overpayment : public ChequeConfirmation, public ::testing::WithParamInterface<int>
{
};

TEST_P(Overpayment, AsksAndYesAcceptsWhileNoRestoresTheAmountDue)
{
    const bool yes = GetParam() == mrYes;
    IdImpCupFis = QStringLiteral("1");
    TfrmRecebeCheque& f = open();
    dialogs->expectMessageDlg(GetParam(), "maior que o valor a pagar");
    dialogs->whileShown([&] { EXPECT_TRUE(underlined("lblVrCheque")); });
    confirmCheque("120", "1");
    EXPECT_EQ(doApagar, yes ? -20.0 : 100.0);
    EXPECT_EQ(doPago, yes ? 120.0 : 0.0);
    EXPECT_EQ(instalments(), yes ? 1 : 0);
    EXPECT_EQ(movements(), yes ? 1 : 0);
    EXPECT_EQ(closed(), yes);
    EXPECT_EQ(f.CampoAtual, ttValor);
    EXPECT_EQ(text("lblValorPagar"), yes ? QString("-R$ 20,00") : QString("R$ 100,00"));
}

INSTANTIATE_TEST_SUITE_P(Answers, Overpayment, ::testing::Values(mrYes, mrNo));

TEST_F(ChequeConfirmation, ThreeInstalmentsThenTheFormCloses)
{
    IdImpCupFis = QStringLiteral("1");
    doApagar = doTotal = 300;
    TfrmRecebeCheque& f = open();
    confirmCheque("100", "3", {}, "1");
    EXPECT_EQ(text("lblNmParcela"), QString("2ª Parcela"));
    EXPECT_TRUE(boContinua);
    EXPECT_EQ(stRetParcela, QString("2"));
    EXPECT_EQ(text("lblValor"), QString()) << "the next cheque starts empty";
    confirmCheque("100", {}, {}, "2");
    EXPECT_EQ(text("lblNmParcela"), QString("3ª Parcela"));
    EXPECT_FALSE(boContinua);
    EXPECT_EQ(stRetParcela, QString("1"));
    EXPECT_FALSE(closed());
    confirmCheque("100", {}, {}, "3");
    EXPECT_TRUE(closed());
    EXPECT_EQ(f.NrParcela, 3);
    EXPECT_EQ(instalments(), 3);
    EXPECT_EQ(movements(), 3);
    EXPECT_EQ(doApagar, 0.0);
    EXPECT_EQ(doPago, 300.0);
}

TEST_F(ChequeConfirmation, ExitTakesBackOnlyTheChequesOfThisForm)
{
    IdImpCupFis = QStringLiteral("1");
    // Earlier payments of the same value: cash, and a cheque taken in an earlier call.
    DataSet& m = receipt->cdsMovCaixa;
    for (const char* numero : {"", "7654321"}) {
        m.append();
        m.fieldByName("IDTIPOMOVIVE").setString("E");
        m.fieldByName("VRMOVIVEND").setFloat(50);
        m.fieldByName("NRCHEQUEVEND").setString(QLatin1String(numero));
        m.post();
    }
    open();
    confirmCheque("50", "3", {}, "1");
    confirmCheque("30", {}, {}, "2");
    ASSERT_EQ(movements(), 4);
    ASSERT_EQ(instalments(), 2);
    click("spdSair");
    EXPECT_TRUE(closed());
    EXPECT_EQ(instalments(), 0);
    QStringList left;
    for (m.first(); !m.eof(); m.next())
        left << m.fieldByName("NRCHEQUEVEND").asString() + "=" + m.fieldByName("VRMOVIVEND").asString();
    left.sort();
    EXPECT_EQ(left, QStringList({"7654321=50", "=50"}));
}

TEST_F(ChequeConfirmation, ConfirmingAgainAfterAFailedPrintPrintsAgainWithoutASecondRecord)
{
    open(1, 1);
    dialogs->expectMessageDlg(mrYes, "verso").expectMessageDlg(mrNo, "impresso corretamente");
    confirmCheque("60", "1", "Obs");
    EXPECT_EQ(movements(), 1);
    EXPECT_EQ(doApagar, 40.0);
    EXPECT_FALSE(closed()) << "the fields stay for another try";
    const QStringList first = chequePrinter();
    ASSERT_EQ(first.size(), 8);
    EXPECT_EQ(first.last(), QString("Fecha_Imp_Chq_Sweda(false, false)"));

    devices->clearCalls();
    dialogs->expectMessageDlg(mrYes, "verso").expectMessageDlg(mrYes, "impresso corretamente");
    click("spdOk");
    EXPECT_EQ(chequePrinter(), first.mid(0, 7)) << "the same commands again";
    EXPECT_EQ(movements(), 1);
    EXPECT_EQ(instalments(), 1);
    EXPECT_EQ(doApagar, 40.0);
    EXPECT_EQ(doPago, 60.0);
    EXPECT_TRUE(closed());
}

TEST_F(ChequeConfirmation, ACorrectedChequeReplacesTheOneWhosePrintFailed)
{
    open(1, 1);
    dialogs->expectMessageDlg(mrNo, "impresso corretamente");
    confirmCheque("60", "1");
    dialogs->expectMessageDlg(mrYes, "impresso corretamente");
    enter("spdValor", "70"); // with the other fields filled, Enter confirms
    EXPECT_TRUE(closed());
    ASSERT_EQ(movements(), 1);
    receipt->cdsMovCaixa.first();
    EXPECT_EQ(receipt->cdsMovCaixa.value("VRMOVIVEND").toDouble(), 70.0);
    ASSERT_EQ(instalments(), 1);
    receipt->cdsParcelas.first();
    EXPECT_EQ(receipt->cdsParcelas.value("VALOR").toDouble(), 70.0);
    EXPECT_EQ(doApagar, 30.0);
    EXPECT_EQ(doPago, 70.0);
}

TEST_F(ChequeConfirmation, NothingLeftToPayEndsTheChequesWhateverTheAnnouncedCount)
{
    struct Row
    {
        QStringList valores; // one cheque each
        int recorded;
    };
    const Row rows[] = {{{"100"}, 1}, {{"60", "40"}, 2}, {{"30", "30", "40"}, 3}};
    IdImpCupFis = QStringLiteral("1");
    for (const Row& row : rows) {
        doApagar = doTotal = 100;
        doPago = 0;
        receipt->cdsMovCaixa.emptyDataSet();
        open();
        for (int i = 0; i < row.valores.size(); ++i) {
            EXPECT_FALSE(closed()) << "before cheque " << i + 1;
            confirmCheque(row.valores[i], i == 0 ? QString("5") : QString(), {}, QString::number(i + 1));
        }
        EXPECT_TRUE(closed()) << row.valores.join('+').toStdString();
        EXPECT_FALSE(boContinua);
        EXPECT_EQ(movements(), row.recorded);
        EXPECT_EQ(doApagar, 0.0);
    }
}

TEST_F(ChequeConfirmation, ADateYearsAwayAsksAndNoLeavesTheChequeUnrecorded)
{
    struct Row
    {
        QString typed;
        const char* shownInQuestion; // null: no question
        int answer;
        int recorded;
    };
    const Row rows[] = {
        {"010190", "01/01/2090", mrNo, 0},
        {"010120", "01/01/2020", mrYes, 1},
        {QDate::currentDate().addMonths(4).toString("ddMMyy"), nullptr, mrNone, 1},
    };
    IdImpCupFis = QStringLiteral("1");
    for (const Row& row : rows) {
        doApagar = doTotal = 100;
        doPago = 0;
        receipt->cdsMovCaixa.emptyDataSet();
        TfrmRecebeCheque& f = open();
        if (row.shownInQuestion)
            dialogs->expectMessageDlg(row.answer, QString::fromLatin1(row.shownInQuestion));
        const int before = confirmations();
        confirmCheque("100", "1", {}, "1", row.typed);
        EXPECT_EQ(confirmations() - before, row.shownInQuestion ? 1 : 0) << row.typed.toStdString();
        EXPECT_EQ(movements(), row.recorded) << row.typed.toStdString();
        EXPECT_EQ(closed(), row.recorded == 1);
        if (row.recorded == 0) {
            EXPECT_EQ(f.CampoAtual, ttData) << "the date is the field to correct";
        }
    }
}

TEST_F(ChequeConfirmation, TheValueShownIsTheValueRecorded)
{
    IdImpCupFis = QStringLiteral("2");
    open(1, 1);
    dialogs->expectMessageDlg(mrNo, "impresso corretamente"); // the form stays with the cheque
    confirmCheque("9,185", "1");
    ASSERT_EQ(movements(), 1);
    receipt->cdsMovCaixa.first();
    const double recorded = receipt->cdsMovCaixa.value("VRMOVIVEND").toDouble();
    EXPECT_EQ(text("lblValor"), QString::number(recorded, 'f', 2).replace('.', ','));
    EXPECT_EQ(doVrParcela, recorded);
}

TEST_F(ChequeConfirmation, AfterAConfirmationWithEnterTheNextChequeHasItsCommandsInReach)
{
    // The keypad open when Enter confirms: the account's, or the value's (filled last).
    IdImpCupFis = QStringLiteral("1");
    for (const char* last : {"spdConta", "spdValor"}) {
        doApagar = doTotal = 300;
        receipt->cdsMovCaixa.emptyDataSet();
        open();
        confirmCheque("100", "3");
        // The other fields typed and their keypads cancelled, so no Enter confirms early.
        for (const char* select : {"spdValor", "spdAgencia", "spdBanco", "spdConta", "spdCheque"}) {
            if (qstrcmp(select, last) != 0) {
                click(select);
                type("1");
                click(qstrcmp(select, "spdValor") == 0 ? "sptSCancelar" : "spdNCancelar");
            }
        }
        enter("spdData", kData6);
        enter(last, "1");
        ASSERT_EQ(text("lblNmParcela"), QString("3ª Parcela")) << last;
        EXPECT_FALSE(visible("panNumerico") || visible("panValor")) << last;
        click("spdSair");
        EXPECT_TRUE(closed()) << last;
        EXPECT_EQ(movements(), 0) << "Exit took the cheques back";
    }
}

struct PrintCase
{
    const char* name;
    int impFis;
    int impChq;
    const char* valor;
    QString verso;
    QList<int> answers; // in order; the "ImpCheque_ok" Yes included
    QStringList calls;
    int recorded;
};

class ChequePrinting : public ChequeConfirmation, public ::testing::WithParamInterface<PrintCase>
{
};

TEST_P(ChequePrinting, SendsThePrintersCommands)
{
    const PrintCase& c = GetParam();
    doApagar = 1e13;
    open(c.impFis, c.impChq);
    for (int answer : c.answers)
        dialogs->expectMessageDlg(answer);
    click("spdA1");
    confirmCheque(QLatin1String(c.valor), "1", c.verso);
    EXPECT_EQ(chequePrinter(), c.calls);
    EXPECT_EQ(movements(), c.recorded);
}

const QString kVerso75 = "A" + QString(59, u'a') + QString(15, u'b');

INSTANTIATE_TEST_SUITE_P(
    Printers, ChequePrinting,
    ::testing::Values(PrintCase{"escape_back_no",
                                1,
                                1,
                                "1234,5",
                                "Obs",
                                {mrNo, mrYes},
                                {"ImpChqChar(\"<ESC>B341\")", "ImpChqChar(\"<ESC>F\")",
                                 "ImpChqChar(\"<ESC>C\")", "ImpChqChar(\"<ESC>D" + kData6 + "\")",
                                 "ImpChqChar(\"<ESC>V00000000123450\")"},
                                1},
                      PrintCase{"string_back_75",
                                1,
                                2,
                                "1234,5",
                                kVerso75,
                                {mrYes, mrYes},
                                {"EnviaComImpChq(\"!" + kData6 + "\")", "Retorno_Imp(7)",
                                 "EnviaComImpChq(\"$0000000123450341\")", "Retorno_Imp(17)",
                                 "EnviaComImpChq(\"\"" + kVerso75.left(60) + " " + kVerso75.mid(60) + " \")",
                                 "Retorno_Imp(78)"},
                                1},
                      PrintCase{"fiscal_kind_4", 4, 1, "10", "Obs", {mrYes}, {}, 1},
                      PrintCase{"string_value_too_large", 1, 2, "10000000000", {}, {mrOk}, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
