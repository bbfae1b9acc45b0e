#include "PaymentTypes.h"
#include "ReceiptFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/Screenshot.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>

using namespace zel;
using namespace zel::test;

namespace {

QString labelText(const QString& name)
{
    auto* label = Operator::findControl(name);
    return label ? static_cast<QLabel*>(label)->text() : QStringLiteral("<missing %1>").arg(name);
}

class ReceiptForm : public ReceiptFixture
{
};

} // namespace

TEST_F(ReceiptForm, OpensWithTheSaleTotalsAndTheCaptionOfTheSystemType)
{
    addSaleLine(1, 100, 0, 10, 0, 4);
    QStringList seen;
    operatorForNextReceipt()
        .run([&] {
            seen << labelText("lblNmVenda") << labelText("lblNrVenda") << labelText("lblValorTotal")
                 << labelText("lblValorPagar") << labelText("lblValorPago") << labelText("lblServico")
                 << labelText("lblVrConsumacao");
        })
        .click("tcbSair");
    EXPECT_FALSE(recebimento("RES"));
    EXPECT_EQ(seen,
              QStringList({"Nr. Mesa", "12", "R$ 106,00", "R$ 106,00", "R$ 0,00", "R$ 6,00", "R$ 0,00"}));

    TfrmRecebimento* form = Vrm_zel00000::frmRecebimento;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->doVrTotal, 106.0);
    EXPECT_EQ(form->doVrAPagar, 106.0);
    EXPECT_EQ(form->doVrDescComanda, 0.0);
    EXPECT_EQ(form->stCaptionPagar, QString("Valor a Pagar "));
    EXPECT_EQ(form->size(), QSize(800, 600));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(Vrm_zel00000::boIdCriado) << "the opening computation ran";
}

TEST_F(ReceiptForm, CaptionFollowsTheSystemType)
{
    const std::pair<QString, QString> cases[] = {
        {"RES", "Nr. Mesa"}, {"CXA", "Nr. Cupom"}, {"XYZ", "Nr.Cupom"}};
    for (const auto& [type, caption] : cases) {
        QString seen;
        operatorForNextReceipt().run([&] { seen = labelText("lblNmVenda"); }).click("tcbSair");
        recebimento(type);
        EXPECT_EQ(seen, caption) << type.toStdString();
    }
}

TEST_F(ReceiptForm, ExitHandsBackTheMovementsRecordedSoFar)
{
    addSaleLine(2, 15.5);
    // Whatever the host's movement dataset held is replaced by the receipt's movements.
    movimentos.close();
    movimentos.setFieldDefs({FieldDef{"OLD", FieldType::String, 5, {}, {}, true}});
    movimentos.createDataSet();
    movimentos.append();
    movimentos.fieldByName("OLD").setString("x");
    movimentos.post();

    operatorForNextReceipt()
        .run([] {
            DataSet& mov = Vrm_zel00000::frmRecebimento->cdsMovCaixa;
            mov.append();
            mov.fieldByName("CDTIPORECE").setString("004");
            mov.fieldByName("VRMOVIVEND").setFloat(20.0);
            mov.fieldByName("IDTIPOMOVIVE").setString("E");
            mov.post();
        })
        .click("tcbSair");

    EXPECT_FALSE(recebimento());
    ASSERT_TRUE(movimentos.hasField("VRMOVIVEND"));
    EXPECT_FALSE(movimentos.hasField("OLD"));
    ASSERT_EQ(movimentos.recordCount(), 1);
    movimentos.first();
    EXPECT_EQ(movimentos.fieldByName("VRMOVIVEND").asFloat(), 20.0);
    EXPECT_EQ(movimentos.fieldByName("CDTIPORECE").asString(), QString("004"));
    EXPECT_EQ(venda.recordCount(), 1) << "the sale comes back";
    EXPECT_TRUE(nrVenda.isEmpty()) << "no coupon was printed";
    EXPECT_EQ(devices->callTexts({"inContCuponsTEF", "DisplayChar"}),
              QStringList({"inContCuponsTEF := 0", "DisplayChar(\"<FF>\")"}));
}

enum class Unfit {
    PriceNotANumber,
    TotalsOverflow,
    BelowZero,
    NoDevices,
    TypesWithoutChangeType,
    RatesWithoutKind,
    ClientAccountWithoutClients,
    NoButtonCanBeShown
};

struct RefusalCase
{
    const char* why; // the test name
    Unfit unfit;
    const char* code;    // LastError's code
    const char* message; // the dialog says this, and LastError
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.why;
}

class ReceiptRefusal : public ReceiptFixture, public ::testing::WithParamInterface<RefusalCase>
{
};

// A receipt that could not run to its end is refused before any form opens, with an error
// from the receipt's catalogue: the host's datasets stay as they were and parameter 3 comes
// back empty (no coupon was printed), never as the sale number it brought in.
TEST_P(ReceiptRefusal, NoFormOpensAndTheHostDataStaysAsItWas)
{
    // The table emptied and given only these fields.
    const auto redefine = [](DataSet& table, const QList<FieldDef>& fields) {
        table.close();
        table.setFieldDefs(fields);
        table.createDataSet();
    };
    switch (GetParam().unfit) {
    case Unfit::PriceNotANumber: {
        QList<FieldDef> fields = saleFields();
        for (FieldDef& field : fields)
            if (field.name == "VRPRECCOMVEN")
                field = FieldDef{"VRPRECCOMVEN", FieldType::String, 10, {}, {}, true};
        redefine(venda, fields);
        venda.append();
        venda.fieldByName("QTPRODCOMVEN").setFloat(1);
        venda.fieldByName("VRPRECCOMVEN").setString("abc");
        venda.post();
        break;
    }
    case Unfit::TypesWithoutChangeType: {
        addSaleLine(1, 10);
        QList<FieldDef> fields = tipos.fieldDefs();
        fields.removeIf([](const FieldDef& f) { return f.name == "CDTIPOTROCO" || f.name == "NRORDTROCO"; });
        redefine(tipos, fields);
        break;
    }
    case Unfit::RatesWithoutKind:
        addSaleLine(1, 10);
        redefine(aliquotas, {FieldDef{"CDALIQIMPFIS", FieldType::String, 10, {}, {}, true}});
        break;
    case Unfit::ClientAccountWithoutClients: {
        addSaleLine(1, 10);
        TipoRow conta;
        conta.cd = "008";
        conta.idTipo = "8";
        conta.nrButton = "02";
        addTipo(tipos, conta);
        redefine(clientes, {FieldDef{"CDCLIENTE", FieldType::String, 21, {}, {}, true}});
        break;
    }
    case Unfit::NoButtonCanBeShown: {
        addSaleLine(1, 10);
        definePaymentTypes(tipos);
        TipoRow row;
        row.grupo = "02"; // a group without a button of its own
        addTipo(tipos, row);
        row.grupo = "01";
        row.cdfp.clear(); // not a payment form of the printer
        addTipo(tipos, row);
        break;
    }
    case Unfit::TotalsOverflow:
        addSaleLine(1e300, 1e300);
        break;
    case Unfit::BelowZero: // a comanda discount of 20,00 on an item of 10,00
        addSaleLine(1, 10, 0, 0, 0, 20);
        break;
    case Unfit::NoDevices:
        addSaleLine(1, 10);
        setPeripherals(nullptr);
        break;
    }
    const DataPacket before = venda.data();
    const DataPacket movementsBefore = movimentos.data();
    TfrmRecebimento* previous = Vrm_zel00000::frmRecebimento;

    dialogs->expectMessageDlg(mrOk, QString::fromUtf8(GetParam().message));
    // The refusal is logged under "zel.receipt" and kept for the host.
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previousHandler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
            logged << QString::fromLatin1(context.category) + u' ' + text;
        });
    EXPECT_FALSE(recebimento());
    qInstallMessageHandler(previousHandler);
    QString code, text;
    EXPECT_TRUE(Vrm_zel00000::LastError(code, text));
    EXPECT_EQ(code, QString::fromLatin1(GetParam().code));
    EXPECT_EQ(text, QString::fromUtf8(GetParam().message));
    EXPECT_TRUE(logged.contains("zel.receipt " + code + u' ' + text)) << logged.join('\n').toStdString();
    EXPECT_EQ(venda.data(), before);
    EXPECT_EQ(movimentos.data(), movementsBefore);
    EXPECT_TRUE(nrVenda.isEmpty()) << nrVenda.toStdString();
    EXPECT_EQ(Vrm_zel00000::frmRecebimento, previous) << "no form was created";
    ASSERT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Unfit, ReceiptRefusal,
    ::testing::Values(
        RefusalCase{"PriceNotANumber", Unfit::PriceNotANumber, "ValorNaoNumerico",
                    "O campo VRPRECCOMVEN da linha 1 da venda não é um número: \"abc\"."},
        RefusalCase{"TotalsOverflow", Unfit::TotalsOverflow, "TotalForaDeFaixa",
                    "O total da venda (quantidade × preço) é grande demais para ser recebido."},
        RefusalCase{"BelowZero", Unfit::BelowZero, "VendaSemValor",
                    "A venda não tem valor a receber: o total é -R$ 10,00. Confira os descontos e os itens "
                    "da venda."},
        RefusalCase{"NoDevices", Unfit::NoDevices, "SemPerifericos",
                    "Os periféricos não foram instalados pelo sistema. O recebimento não pode ser aberto."},
        RefusalCase{"TypesWithoutChangeType", Unfit::TypesWithoutChangeType, "TabelaSemCampos",
                    "A tabela de tipos de recebimento (parâmetro 7) não tem os campos de que o recebimento "
                    "precisa: CDTIPOTROCO, NRORDTROCO. O recebimento não foi aberto."},
        RefusalCase{"RatesWithoutKind", Unfit::RatesWithoutKind, "TabelaSemCampos",
                    "A tabela de alíquotas (parâmetro 6) não tem os campos de que o recebimento precisa: "
                    "VRALIQIMPFIS, IDALIQIMPFIS. O recebimento não foi aberto."},
        RefusalCase{
            "ClientAccountWithoutClients", Unfit::ClientAccountWithoutClients, "TabelaSemCampos",
            "A tabela de clientes (parâmetro 4) não tem os campos de que o recebimento precisa: "
            "IDTPIJURCLIE, NRINSJURCLIE, CDEXCLIENTE, NMRAZSOCCLIE, NMFANTCLIE. O recebimento não foi "
            "aberto."},
        RefusalCase{
            "NoButtonCanBeShown", Unfit::NoButtonCanBeShown, "TiposSemBotao",
            "Nenhum tipo de recebimento pode aparecer como botão: é preciso IDTPBUTTON \"5\", NRBUTTON de "
            "\"01\" a \"24\", NRBUTTONAUX de um grupo (\"01\" ou o NRBUTTON de um botão de grupo), "
            "NRPGCONFTELA \"1\", \"2\"... e CDFPIMPFIS preenchido. O recebimento não foi aberto."}),
    [](const auto& info) { return std::string(info.param.why); });

// A host that calls Recebimento again while a receipt is open (from a timer) is refused with
// an error; the open receipt goes on with its form, and the second call's arguments and the
// unit's state are left as they were.
TEST_F(ReceiptForm, ACallWhileAReceiptIsOpenIsRefusedAndChangesNothing)
{
    addSaleLine(1, 30);
    bool answered = true;
    QString nrVenda2 = QStringLiteral("99");
    DataSet venda2, movimentos2;
    venda2.setFieldDefs({FieldDef{"QTPRODCOMVEN", FieldType::Float, 0, {}, {}, true}});
    venda2.createDataSet();
    movimentos2.setFieldDefs({FieldDef{"OLD", FieldType::String, 5, {}, {}, true}});
    movimentos2.createDataSet();
    const DataPacket venda2Before = venda2.data();
    const DataPacket movimentos2Before = movimentos2.data();
    QPointer<TfrmRecebimento> running;
    QStringList stateAfter;

    dialogs->expectMessageDlg(mrOk, "Já há um recebimento aberto");
    operatorForNextReceipt()
        .run([&] {
            running = Vrm_zel00000::frmRecebimento;
            answered = Vrm_zel00000::Recebimento(venda2, movimentos2, nrVenda2, clientes, consumidores,
                                                 aliquotas, tipos, QStringLiteral("CXA"), QString(),
                                                 QStringLiteral("other.png"), QStringLiteral("2"));
            stateAfter << Vrm_zel00000::StnrVenda << Vrm_zel00000::IdTipoSis << Vrm_zel00000::stFigura
                       << Vrm_zel00000::stIdImpCupFis;
        })
        .run([&] { EXPECT_EQ(Vrm_zel00000::frmRecebimento, running.data()); }, "the same form still runs")
        .click("tcbSair");

    EXPECT_FALSE(recebimento("RES"));
    EXPECT_FALSE(answered);
    EXPECT_FALSE(running.isNull()) << "the open form was not deleted";
    EXPECT_EQ(nrVenda2, QString("99"));
    EXPECT_EQ(venda2.data(), venda2Before);
    EXPECT_EQ(movimentos2.data(), movimentos2Before);
    EXPECT_EQ(stateAfter, QStringList({"12", "RES", QString(), "1"}));
    EXPECT_EQ(venda.recordCount(), 1) << "the open receipt handed its sale back";
    EXPECT_TRUE(movimentos.hasField("VRMOVIVEND"));
}

TEST_F(ReceiptForm, EachCallCreatesANewFormAndFreesThePreviousOne)
{
    addSaleLine(1, 5);
    operatorForNextReceipt().click("tcbSair");
    recebimento();
    QPointer<TfrmRecebimento> first = Vrm_zel00000::frmRecebimento;
    ASSERT_FALSE(first.isNull());

    operatorForNextReceipt().click("tcbSair");
    recebimento();
    EXPECT_TRUE(first.isNull());
    EXPECT_NE(Vrm_zel00000::frmRecebimento, nullptr);
}

TEST_F(ReceiptForm, BackgroundPictureShownOnlyWhenTheFileExists)
{
    addSaleLine(1, 5);
    QTemporaryDir dir;
    const QString picture = dir.filePath("fundo.png");
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(picture));

    bool shown = false;
    figura = picture;
    operatorForNextReceipt()
        .run([&] { shown = Operator::findControl("imgFundo")->isVisible(); })
        .run([] { saveScreenshot(Operator::activeForm(), "receipt_form_opening"); }, "screenshot")
        .click("tcbSair");
    recebimento();
    EXPECT_TRUE(shown);

    figura = dir.filePath("missing.png");
    operatorForNextReceipt()
        .run([&] {
            shown = Operator::findControl("imgFundo")->isVisible() ||
                    Operator::findControl("imgTeclado")->isVisible();
        })
        .click("tcbSair");
    recebimento();
    EXPECT_FALSE(shown);
}
