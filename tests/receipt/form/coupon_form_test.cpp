#include "CouponFixture.h"
#include "fakes/RecordingPeripherals.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/ReceiptSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::test;

namespace {

class Coupon : public CouponFixture
{
protected:
    void SetUp() override
    {
        CouponFixture::SetUp();
        setPeripherals(devices);
    }

    QStringList itemCodes() const
    {
        QStringList codes;
        for (const auto& c : devices->calls())
            if (c.name == "VendaItem")
                codes << c.args.value(2).remove('"');
        return codes;
    }

    std::shared_ptr<RecordingPeripherals> devices = std::make_shared<RecordingPeripherals>();
};

TEST_F(Coupon, SendsItemsSurchargeAndClosingInOrder)
{
    line("001", "T", 3, 10, 1.5);
    line("002", "T", 1, 5, 0, "S");
    line("003", "", 0.5, 4, 1.5);
    line("004", "F", 1, 0);
    charges(5, 0, 0, 2);
    movement("E", "004", 37); // the net amount: 34,00 of products, 5,00 of fee, 2,00 off
    devices->script("FechaCupom.nrCupom", {"000045"});

    EXPECT_TRUE(print());
    EXPECT_EQ(
        devices->callTexts(),
        QStringList(
            {"Estado_Impressora(false, false)", "Abre_Gaveta()", "AbreCupom(\"\")", "CdAliq := \" \"",
             "CdAliq := \"T18\"", "VendaItem(\"12\", \"D\", \"001\", \"Produto 001\", \"T18\", 3, 10, 0.5)",
             "CdAliq := \" \"", "CdAliq := \"NN\"",
             "VendaItem(\"12\", \"D\", \"003\", \"Produto 003\", \"NN\", 0.5, 4, 1.5)", "CdAliq := \" \"",
             "CdAliq := \"FF\"", "Cupom_Conferencia(\"12\", \"A\", 0, 5)", "AbreCupomRes(\"12\", \"\")",
             "FechaCupom(false, true, 2, 0, 5, \"\", false, \"\", DataSet[1], DataSet[4], \"\", "
             "\"\", \"\", \"\", \"\", \"\")"}));
    EXPECT_EQ(form->stNrCupom, QString("000045"));
    EXPECT_EQ(saleColumn("VRDESCOMANDA"), QStringList({"2", "2", "2", "2"}));
    EXPECT_EQ(form->couponStage(), TfrmRecebimento::CouponStage::Closed);
}

TEST_F(Coupon, PrinterNotReadySendsNothingElse)
{
    line("001", "T", 1, 10);
    devices->script("Estado_Impressora", {false});
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando para a impressora.");
    EXPECT_FALSE(print());
    EXPECT_EQ(devices->callNames(), QStringList({"Estado_Impressora"}));
}

TEST_F(Coupon, CouponNotOpenedStillSendsTheSaleAndIsNotPrintedTwice)
{
    line("001", "T", 1, 10);
    devices->script("AbreCupom", {false});
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando");
    EXPECT_FALSE(print());
    EXPECT_EQ(devices->count("VendaItem"), 1);
    EXPECT_EQ(devices->count("FechaCupom"), 1);

    devices->clearCalls();
    EXPECT_TRUE(print()) << "the sale's coupon is closed";
    EXPECT_TRUE(devices->calls().isEmpty());
}

TEST_F(Coupon, ItemWithoutAliquotIsLeftOffWithItsProductNamed)
{
    line("001", "T", 1, 10, 0, "N", 7);
    line("002", "T", 1, 10);
    dialogs->expectMessageDlg(mrOk, "produto 001 - Produto 001 (tributação T, 7,00%)");
    EXPECT_TRUE(print());
    EXPECT_EQ(itemCodes(), QStringList({"002"}));
    EXPECT_EQ(saleColumn("CDARVPROD"), QStringList({"001", "002"}));
}

TEST_F(Coupon, AllItemsNonFiscalStillOpenThePaymentPhaseAndClose)
{
    line("001", "T", 1, 10, 0, "S");
    line("002", "T", 1, 10, 0, "S");
    EXPECT_TRUE(print());
    EXPECT_EQ(devices->callNames(),
              QStringList({"Estado_Impressora", "Abre_Gaveta", "AbreCupom", "AbreCupomRes", "FechaCupom"}));
}

struct ItemRefusal
{
    const char* name;
    int answer;
    QVariantList vendaItem;
    QStringList sent;
    bool result;
    QStringList saleAfter;
};

class CouponItemRefused : public Coupon, public ::testing::WithParamInterface<ItemRefusal>
{
};

TEST_P(CouponItemRefused, FollowsTheOperatorsAnswer)
{
    const ItemRefusal& p = GetParam();
    threeItems();
    devices->script("VendaItem", p.vendaItem);
    dialogs->expectMessageDlg(p.answer, "Erro ao imprimir o item: \r\n002 - Produto 002\r\nIgnorar item?");
    EXPECT_EQ(print(), p.result);
    EXPECT_EQ(itemCodes(), p.sent);
    EXPECT_EQ(saleColumn("CDARVPROD"), p.saleAfter);
    const DialogRecord& question = dialogs->records().value(0);
    EXPECT_EQ(question.type, DialogType::Information);
    EXPECT_EQ(question.buttons, DialogButtons::YesNo);
    EXPECT_EQ(question.extraCaption, QString("&Cancela Cupom"));
    EXPECT_EQ(devices->count("Cancela_Cupom"), p.answer == mrExtra ? 1 : 0);
    EXPECT_EQ(devices->count("FechaCupom"), p.result ? 1 : 0);
    if (p.answer == mrYes) {
        // Paid 30,00 for three items; the one left off is given back as change, on the coupon too.
        EXPECT_TRUE(
            devices->callTexts({"FechaCupom"}).value(0).startsWith("FechaCupom(false, true, 0, 10, 0,"))
            << devices->callTexts({"FechaCupom"}).value(0).toStdString();
        ASSERT_TRUE(form->cdsMovCaixa.locate("IDTIPOMOVIVE", {"S"}));
        EXPECT_EQ(form->cdsMovCaixa.fieldByName("VRMOVIVEND").asFloat(), 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CouponItemRefused,
    ::testing::Values(
        ItemRefusal{"Ignore", mrYes, {true, false, true}, {"001", "002", "003"}, true, {"001", "003"}},
        ItemRefusal{"Retry",
                    mrNo,
                    {true, false, true, true},
                    {"001", "002", "002", "003"},
                    true,
                    {"001", "002", "003"}},
        ItemRefusal{"Cancel", mrExtra, {true, false}, {"001", "002"}, false, {"001", "002", "003"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Coupon, CancelledCouponIsPrintedAfreshWithEveryLine)
{
    threeItems();
    devices->script("VendaItem", {false, false});
    dialogs->expectMessageDlg(mrYes, "001").expectMessageDlg(mrExtra, "002");
    EXPECT_FALSE(print());
    devices->clearCalls();
    EXPECT_TRUE(print());
    EXPECT_EQ(itemCodes(), QStringList({"001", "002", "003"}));
    EXPECT_EQ(saleColumn("CDARVPROD"), QStringList({"001", "002", "003"})) << "the ignored line came back";
}

TEST_F(Coupon, NoCancellationWhenNoCouponOfTheSaleIsOpen)
{
    line("001", "T", 1, 10);
    devices->script("AbreCupom", {false});
    devices->script("VendaItem", {false});
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando").expectMessageDlg(mrExtra, "001");
    EXPECT_FALSE(print());
    EXPECT_EQ(devices->count("Cancela_Cupom"), 0)
        << "it would cancel the printer's last coupon, another sale's";
}

struct RefusedStep
{
    const char* step;
    QStringList retry; // what OK pressed again sends
};

class CouponRefusedStep : public Coupon, public ::testing::WithParamInterface<RefusedStep>
{
};

TEST_P(CouponRefusedStep, LeavesTheReceiptOpenAndTheRetryFinishesTheSameCoupon)
{
    threeItems();
    charges(0, 0, 0, 2);
    movement("E", "004", 28);
    devices->script(GetParam().step, {false});
    devices->script("FechaCupom.nrCupom", {"77", "78"});
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando para a impressora.");
    EXPECT_FALSE(print());
    EXPECT_TRUE(form->stNrCupom.isEmpty());
    EXPECT_EQ(saleColumn("VRDESCOMANDA"), QStringList({"", "", ""}));
    EXPECT_EQ(form->cdsMovCaixa.recordCount(), 1);

    devices->clearCalls();
    EXPECT_TRUE(print());
    EXPECT_EQ(devices->callNames(), GetParam().retry);
    EXPECT_EQ(saleColumn("VRDESCOMANDA"), QStringList({"2", "2", "2"}));
    EXPECT_FALSE(form->stNrCupom.isEmpty());

    devices->clearCalls();
    EXPECT_TRUE(print());
    EXPECT_TRUE(devices->calls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Steps, CouponRefusedStep,
                         ::testing::Values(RefusedStep{"AbreCupomRes",
                                                       {"Estado_Impressora", "AbreCupomRes", "FechaCupom"}},
                                           RefusedStep{"FechaCupom", {"Estado_Impressora", "FechaCupom"}}),
                         [](const auto& info) { return std::string(info.param.step); });

struct VoucherCase
{
    const char* name;
    QString coupon;
    QString voucher; // empty: none, with a message
};

class CouponVoucher : public Coupon, public ::testing::WithParamInterface<VoucherCase>
{
};

TEST_P(CouponVoucher, ContraValeNumberFollowsTheCouponNumber)
{
    const VoucherCase& p = GetParam();
    line("001", "T", 1, 100);
    movement("E", "005", 105);
    movement("S", "005", 5);
    form->session().boContraVale = true;
    devices->script("FechaCupom.nrCupom", {p.coupon});
    if (p.voucher.isEmpty())
        dialogs->expectMessageDlg(mrOk, "(\"12A\") não é um número inteiro");
    EXPECT_TRUE(print());
    DataSet& mov = form->cdsMovCaixa;
    EXPECT_FALSE(mov.filtered()) << "the host gets every movement";
    ASSERT_EQ(mov.recordCount(), 2);
    ASSERT_TRUE(mov.locate("IDTIPOMOVIVE", {"S"}));
    EXPECT_EQ(mov.fieldByName("NRCONTRAVALE").asString(), p.voucher);
    ASSERT_TRUE(mov.locate("IDTIPOMOVIVE", {"E"}));
    EXPECT_TRUE(mov.fieldByName("NRCONTRAVALE").asString().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Numbers, CouponVoucher,
                         ::testing::Values(VoucherCase{"Decimal", "123", "0124"},
                                           VoucherCase{"NotANumber", "12A", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Coupon, SaleWithoutAFiscalFieldIsRefusedBeforeThePrinter)
{
    DataPacket sale = form->cdsVendaOk.data();
    sale.fields.removeAt(sale.fieldIndex("IDPRODIMPFIS"));
    form->cdsVendaOk.setData(sale);
    dialogs->expectMessageDlg(mrOk, "campo IDPRODIMPFIS");
    EXPECT_FALSE(print());
    EXPECT_TRUE(devices->calls().isEmpty());
}

TEST(UtilizaImpFis, OnlyTheValueOneSwitchesThePrinterOff)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir.path());
    const std::pair<QVariant, bool> rows[] = {{"1", false}, {"0", true}, {"S", true}, {QVariant(), true}};
    for (const auto& [value, inUse] : rows) {
        {
            SettingsStore s;
            if (value.isValid())
                s.setValue(settingKey("UtilizaImpFis"), value);
            else
                s.remove(settingKey("UtilizaImpFis"));
        }
        EXPECT_EQ(Vrm_zel00000::UtilizaImpFis(), inUse) << value.toString().toStdString();
    }
}

} // namespace
