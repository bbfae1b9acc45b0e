#include "CouponFixture.h"
#include "SimulatedPeripherals.h"
#include "support/QStringPrinter.h"

#include <QTemporaryDir>

using namespace zel;
using namespace zel::test;

namespace {

class CouponOnSimulator : public CouponFixture
{
protected:
    // A fresh receipt form on fresh simulated devices.
    std::shared_ptr<SimulatedPeripherals> restart()
    {
        TearDown();
        SetUp();
        state = std::make_unique<QTemporaryDir>();
        SimulatorConfig config;
        config.stateDir = state->path() + "/";
        auto sim = std::make_shared<SimulatedPeripherals>(config);
        setPeripherals(sim);
        return sim;
    }
    std::unique_ptr<QTemporaryDir> state;
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
    form->session().boContraVale = true;

    // The module's error, and under it the printer's own reason.
    dialogs->expectMessageDlg(mrOk, "Erro ao enviar comando para a impressora.\r\nA impressora respondeu: "
                                    "AbreCupomRes: fase de pagamento recusada (falha simulada)");
    EXPECT_FALSE(print());
    FiscalFaults faults = sim->fiscalPrinter().faults();
    faults.refusePayment = Fault{};
    sim->fiscalPrinter().setFaults(faults);
    EXPECT_TRUE(print());

    const QString journal = sim->fiscalPrinter().journalText();
    EXPECT_EQ(journal.count("CUPOM FISCAL"), 1) << journal.toStdString();
    EXPECT_EQ(form->stNrCupom, QString("000001"));
    for (const QString& line : {QString("desconto item"), QString("1,50"), QString("TOTAL R$"),
                                QString("48,50"), QString("50,00"), QString("CONTRA-VALE 0002")})
        EXPECT_TRUE(journal.contains(line)) << line.toStdString() << "\n" << journal.toStdString();
    ASSERT_TRUE(form->cdsMovCaixa.locate("IDTIPOMOVIVE", {"S"}));
    EXPECT_EQ(form->cdsMovCaixa.fieldByName("NRCONTRAVALE").asString(), QString("0002"));
}

// The receipt's charges and discounts beyond the products (service fee, minimum consumption,
// the part of the comanda discount the fee did not absorb, the receipt's discount) reach the
// coupon: a sale paid to the receipt's net amount closes on the simulated printer, which
// checks payments, total and change to the cent, and its journal shows that total.
TEST_F(CouponOnSimulator, ChargesBeyondTheProductsReachTheCoupon)
{
    const struct
    {
        const char* what;
        double servico, consumacao, descComanda, desconto;
        const char* total; // products 30,00
    } rows[] = {
        {"fee and minimum consumption", 3, 10, 0, 0, "43,00"},
        {"minimum consumption alone, with a discount", 0, 10, 0, 5, "35,00"},
        {"comanda discount beyond the fee", 0, 0, 4, 0, "26,00"},
        {"comanda discount beyond the fee, with a discount", 0, 0, 4, 2, "24,00"},
        {"comanda discount and minimum consumption", 0, 5, 4, 0, "31,00"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const auto sim = restart();
        line("001", "T", 3, 10);
        charges(r.servico, r.consumacao, r.descComanda, r.desconto);
        const double liquido = 30 + r.servico + r.consumacao - r.descComanda - r.desconto;
        movement("E", "004", liquido + 0.5);
        movement("S", "004", 0.5);

        EXPECT_TRUE(print()) << sim->fiscalPrinter().lastError().toStdString();
        const QString journal = sim->fiscalPrinter().journalText();
        const QString totalLine = journal.section("TOTAL R$", 1).section('\n', 0, 0).trimmed();
        EXPECT_EQ(totalLine, QString(r.total)) << journal.toStdString();
    }
}

// Two cards of one sale: each payment line names its own payment form, the type's name or,
// for printers of kind 7, its form code.
TEST_F(CouponOnSimulator, EachCardPrintsUnderItsOwnPaymentForm)
{
    for (const auto& [kind, credit, debit] :
         {std::tuple{1, "CREDITO", "DEBITO"}, std::tuple{7, "03", "04"}}) {
        SCOPED_TRACE(kind);
        const auto sim = restart();
        sim->setIdTipoImpFis(kind);
        line("001", "T", 1, 100);
        movement("E", "001", 40);
        movement("E", "002", 60);
        ASSERT_TRUE(print());
        const QString journal = sim->fiscalPrinter().journalText();
        for (const QString& expected : {QString(credit) + " ", QString(debit) + " "})
            EXPECT_TRUE(journal.contains(expected)) << expected.toStdString() << journal.toStdString();
    }
}

} // namespace
