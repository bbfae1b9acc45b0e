#include "CouponFixture.h"
#include "SimulatedPeripherals.h"

#include <QTemporaryDir>

using namespace zel;
using namespace zel::test;

namespace {

class CouponOnSimulator : public CouponFixture
{
};

// The simulated printer refuses the payment phase once; OK pressed again closes the same
// coupon, and the journal shows the receipt to the cent with the voucher the receipt numbered.
TEST_F(CouponOnSimulator, RefusedPaymentPhaseThenOneCouponAgreeingWithTheReceipt)
{
    QTemporaryDir dir;
    SimulatorConfig config;
    config.stateDir = dir.path() + "/";
    config.faults.refusePayment = Fault::always();
    auto sim = std::make_shared<SimulatedPeripherals>(config);
    setPeripherals(sim);
    line("001", "T", 3, 10, 1.5);
    line("002", "", 1, 20);
    movement("E", "005", 50);
    movement("S", "005", 1.5);
    form->doVrTroco = 1.5;
    form->boContraVale = true;

    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando");
    EXPECT_FALSE(form->ImprimeCupom());
    FiscalFaults faults = sim->fiscalPrinter().faults();
    faults.refusePayment = Fault{};
    sim->fiscalPrinter().setFaults(faults);
    EXPECT_TRUE(form->ImprimeCupom());

    const QString journal = sim->fiscalPrinter().journalText();
    EXPECT_EQ(journal.count("CUPOM FISCAL"), 1) << journal.toStdString();
    EXPECT_EQ(form->stNrCupom, QString("000001"));
    for (const QString& line : {QString("desconto item"), QString("1,50"), QString("TOTAL R$"),
                                QString("48,50"), QString("50,00"), QString("CONTRA-VALE 0002")})
        EXPECT_TRUE(journal.contains(line)) << line.toStdString() << "\n" << journal.toStdString();
    ASSERT_TRUE(form->cdsMovCaixa.locate("IDTIPOMOVIVE", {"S"}));
    EXPECT_EQ(form->cdsMovCaixa.fieldByName("NRCONTRAVALE").asString(), QString("0002"));
}

} // namespace
