#include "ReceiptFixture.h"

#include "receipt/TfrmRecebimento.h"
#include "receipt/Vrm_zel00000.h"

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

class ReceiptForm : public ReceiptFixture {};

} // namespace

TEST_F(ReceiptForm, OpensWithTheSaleTotalsAndTheCaptionOfTheSystemType)
{
    addSaleLine(1, 100, 0, 10, 0, 4);
    QStringList seen;
    operatorForNextReceipt().run([&] {
          seen << labelText("lblNmVenda") << labelText("lblNrVenda") << labelText("lblValorTotal")
               << labelText("lblValorPagar") << labelText("lblValorPago") << labelText("lblServico")
               << labelText("lblVrConsumacao");
      })
        .click("tcbSair");
    EXPECT_FALSE(recebimento("RES"));
    EXPECT_EQ(seen, QStringList({"Nr. Mesa", "12", "R$ 106,00", "R$ 106,00", "R$ 0,00", "R$ 6,00", "R$ 0,00"}));

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
    const std::pair<QString, QString> cases[] = {{"RES", "Nr. Mesa"}, {"CXA", "Nr. Cupom"}, {"XYZ", "Nr.Cupom"}};
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

    operatorForNextReceipt().run([] {
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

TEST_F(ReceiptForm, RefusesASaleItCannotTotalAndLeavesTheHostDataAlone)
{
    venda.close();
    venda.setFieldDefs({FieldDef{"QTPRODCOMVEN", FieldType::Float, 0, {}, {}, true},
                        FieldDef{"VRPRECCOMVEN", FieldType::String, 10, {}, {}, true}});
    venda.createDataSet();
    venda.append();
    venda.fieldByName("QTPRODCOMVEN").setFloat(1);
    venda.fieldByName("VRPRECCOMVEN").setString("abc");
    venda.post();
    const DataPacket before = venda.data();
    const DataPacket movementsBefore = movimentos.data();
    TfrmRecebimento* previous = Vrm_zel00000::frmRecebimento;

    dialogs->expectMessageDlg(mrOk, "VRDESCCOMVEN");
    EXPECT_FALSE(recebimento());
    EXPECT_EQ(venda.data(), before);
    EXPECT_EQ(movimentos.data(), movementsBefore);
    EXPECT_EQ(nrVenda, QString("12"));
    EXPECT_EQ(Vrm_zel00000::frmRecebimento, previous) << "no form was created";
    ASSERT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
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
    operatorForNextReceipt().run([&] { shown = Operator::findControl("imgFundo")->isVisible(); })
        .run([] { saveScreenshot(Operator::activeForm(), "receipt_form_opening"); }, "screenshot")
        .click("tcbSair");
    recebimento();
    EXPECT_TRUE(shown);

    figura = dir.filePath("missing.png");
    operatorForNextReceipt().run([&] { shown = Operator::findControl("imgFundo")->isVisible() || Operator::findControl("imgTeclado")->isVisible(); })
        .click("tcbSair");
    recebimento();
    EXPECT_FALSE(shown);
}
