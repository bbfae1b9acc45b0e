// What the virtual fiscal printer refuses as a real one would, its coupon numbering and the
// faults that can be switched on for each step.

#include "FiscalPrinter.h"
#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <gtest/gtest.h>
#include <limits>

namespace zel {
namespace {

class FiscalRules : public ::testing::Test
{
protected:
    // An open coupon with one item of 10,00, in the payment phase after `adjustment`.
    void payPhase(FiscalPrinter& printer, const QString& adjustment = QStringLiteral("0"), double value = 0)
    {
        ASSERT_TRUE(printer.openCoupon());
        ASSERT_TRUE(printer.sellItem(QStringLiteral("1"), QStringLiteral("D"), QStringLiteral("7"),
                                     QStringLiteral("ITEM"), QStringLiteral("T18"), 1, 10, 0));
        ASSERT_TRUE(printer.announceAdjustment(adjustment, 0, value));
        ASSERT_TRUE(printer.openPayment());
    }

    static CouponClosing closing(QList<double> payments, double change, double discount = 0)
    {
        CouponClosing c;
        for (double amount : payments)
            c.payments << CouponPayment{QStringLiteral("DINHEIRO"), amount};
        c.change = change;
        c.discount = discount;
        return c;
    }

    void writeState(const QByteArray& json)
    {
        QDir().mkpath(m_config.stateDir);
        QFile file(m_config.stateDir + QStringLiteral("fiscal-printer.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    QTemporaryDir m_dir;
    SimulatorConfig m_config = simtest::config(m_dir);
};

struct ClosingCase
{
    const char* name;
    QList<double> payments;
    double change;
    double closingDiscount; // given at the closing, not announced
    bool accepted;
};

class ClosingChecks : public FiscalRules, public ::testing::WithParamInterface<ClosingCase>
{
};

TEST_P(ClosingChecks, TheCouponClosesOnlyWhenPaymentsAndChangeAddUp)
{
    const ClosingCase& c = GetParam();
    FiscalPrinter printer(m_config);
    payPhase(printer);
    QString number;
    EXPECT_EQ(printer.closeCoupon(closing(c.payments, c.change, c.closingDiscount), number), c.accepted)
        << printer.lastError().toStdString();
    if (!c.accepted) {
        EXPECT_EQ(printer.state(), CouponState::Payment);
        EXPECT_TRUE(number.isEmpty());
        EXPECT_EQ(printer.journalText(), QString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingChecks,
    ::testing::Values(
        ClosingCase{"exact", {10}, 0, 0, true}, ClosingCase{"split_payments", {3.33, 6.67}, 0, 0, true},
        ClosingCase{"one_cent_short", {9.99}, 0, 0, false}, ClosingCase{"nothing_paid", {}, 0, 0, false},
        ClosingCase{"change_right", {20}, 10, 0, true}, ClosingCase{"change_short", {20}, 9.99, 0, false},
        ClosingCase{"change_missing", {20}, 0, 0, false},
        ClosingCase{"change_without_excess", {10}, 0.01, 0, false},
        ClosingCase{"closing_discount_covered", {8}, 0, 2, true},
        ClosingCase{"closing_discount_below_zero", {0}, 0, 10.01, false},
        ClosingCase{"payment_not_finite", {std::numeric_limits<double>::infinity()}, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FiscalRules, ASurchargeCountsInTheTotalThePaymentsMustCover)
{
    FiscalPrinter printer(m_config);
    payPhase(printer, QStringLiteral("A"), 1.50);
    QString number;
    EXPECT_FALSE(printer.closeCoupon(closing({10}, 0), number));
    EXPECT_TRUE(printer.closeCoupon(closing({20}, 8.50), number)) << printer.lastError().toStdString();
}

TEST_F(FiscalRules, AnEmptyCouponEntersThePaymentPhaseAndCloses)
{
    FiscalPrinter printer(m_config);
    ASSERT_TRUE(printer.openCoupon());
    ASSERT_TRUE(printer.openPayment()) << printer.lastError().toStdString();
    QString number;
    ASSERT_TRUE(printer.closeCoupon(closing({12}, 0), number)) << printer.lastError().toStdString();
    EXPECT_EQ(number, QStringLiteral("000001"));
    EXPECT_TRUE(
        printer.journalText().contains(QStringLiteral("TOTAL R$                                    0,00\n")));
}

struct LineDiscount
{
    double quantity;
    double discount; // as VendaItem receives it
    double whole;    // the item's discount
};

class LineDiscounts : public FiscalRules, public ::testing::WithParamInterface<LineDiscount>
{
};

TEST_P(LineDiscounts, PerUnitAboveOneUnitWholeLineOtherwise)
{
    FiscalPrinter printer(m_config);
    ASSERT_TRUE(printer.openCoupon());
    ASSERT_TRUE(printer.sellItem({}, QStringLiteral("D"), {}, {}, QStringLiteral("F"), GetParam().quantity,
                                 10, GetParam().discount));
    EXPECT_DOUBLE_EQ(printer.currentCoupon().items.last().discount, GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineDiscounts,
                         ::testing::Values(LineDiscount{3, 0.50, 1.50}, LineDiscount{1, 1.50, 1.50},
                                           LineDiscount{0.5, 1.50, 1.50}, LineDiscount{0.25, 0.40, 0.40}));

TEST_F(FiscalRules, NumbersContinueAboveTheJournalEvenWhenTheCounterIsBehind)
{
    {
        FiscalPrinter printer(m_config);
        for (int i = 0; i < 3; ++i) {
            payPhase(printer);
            QString number;
            ASSERT_TRUE(printer.closeCoupon(closing({10}, 0), number));
        }
    }
    // A counter restored from an old copy: readable, but behind what was printed.
    writeState(R"({"lastCoupon": "1", "lastClosed": "1"})");
    FiscalPrinter printer(m_config);
    ASSERT_TRUE(printer.openCoupon());
    EXPECT_EQ(printer.currentCoupon().number, 4);
}

TEST_F(FiscalRules, NumbersAreKeptIn64Bits)
{
    writeState(R"({"lastCoupon": "5000000000", "lastClosed": "0"})");
    FiscalPrinter printer(m_config);
    payPhase(printer);
    QString number;
    ASSERT_TRUE(printer.closeCoupon(closing({10}, 0), number));
    EXPECT_EQ(number, QStringLiteral("5000000001"));
    FiscalPrinter again(m_config);
    ASSERT_TRUE(again.openCoupon());
    EXPECT_EQ(again.currentCoupon().number, 5000000002LL);
}

TEST_F(FiscalRules, TwoPrintersOnOneFolderNeverShareANumber)
{
    FiscalPrinter first(m_config);
    FiscalPrinter second(m_config);
    QList<qint64> numbers;
    for (int i = 0; i < 3; ++i) {
        for (FiscalPrinter* printer : {&first, &second}) {
            ASSERT_TRUE(printer->openCoupon());
            numbers << printer->currentCoupon().number;
            QString n;
            ASSERT_TRUE(printer->cancelCoupon(n));
        }
    }
    EXPECT_EQ(numbers, (QList<qint64>{1, 2, 3, 4, 5, 6}));
}

enum class Step { Ready, Open, Adjust, Payment, Close, Cancel };

struct FaultCase
{
    const char* name;
    Step step;
    Fault::Mode mode;
};

class FiscalFaultSteps : public FiscalRules, public ::testing::WithParamInterface<FaultCase>
{
protected:
    // Brings the printer to the step and runs it once; the step's answer.
    bool runStep(FiscalPrinter& printer, Step step)
    {
        QString number;
        switch (step) {
        case Step::Ready:
            return printer.ready();
        case Step::Open:
            return printer.openCoupon() && printer.cancelCoupon(number);
        case Step::Adjust:
        case Step::Payment:
        case Step::Close:
        case Step::Cancel: {
            if (printer.state() == CouponState::Idle) {
                EXPECT_TRUE(printer.openCoupon());
                EXPECT_TRUE(printer.sellItem({}, QStringLiteral("D"), {}, {}, QStringLiteral("F"), 1, 10, 0));
            }
            if (step == Step::Cancel)
                return printer.cancelCoupon(number);
            if (printer.state() == CouponState::Items &&
                !printer.announceAdjustment(QStringLiteral("0"), 0, 0))
                return false;
            if (step == Step::Adjust)
                return printer.cancelCoupon(number);
            if (printer.state() == CouponState::Subtotal && !printer.openPayment())
                return false;
            if (step == Step::Payment)
                return printer.cancelCoupon(number);
            return printer.closeCoupon(closing({10}, 0), number);
        }
        }
        return false;
    }
};

TEST_P(FiscalFaultSteps, FailOnceOrEveryTime)
{
    const FaultCase& c = GetParam();
    Fault fault{c.mode};
    FiscalFaults& f = m_config.faults;
    (c.step == Step::Ready     ? f.notReady
     : c.step == Step::Open    ? f.refuseOpen
     : c.step == Step::Adjust  ? f.refuseAdjustment
     : c.step == Step::Payment ? f.refusePayment
     : c.step == Step::Close   ? f.refuseClose
                               : f.refuseCancel) = fault;
    FiscalPrinter printer(m_config);
    EXPECT_FALSE(runStep(printer, c.step));
    EXPECT_FALSE(printer.lastError().isEmpty() && c.step != Step::Ready);
    // Tried again from where the refusal left the coupon.
    EXPECT_EQ(runStep(printer, c.step), c.mode == Fault::Mode::Once) << printer.lastError().toStdString();
}

using M = Fault::Mode;
INSTANTIATE_TEST_SUITE_P(Steps, FiscalFaultSteps,
                         ::testing::Values(FaultCase{"ready_once", Step::Ready, M::Once},
                                           FaultCase{"ready_always", Step::Ready, M::Always},
                                           FaultCase{"open_once", Step::Open, M::Once},
                                           FaultCase{"open_always", Step::Open, M::Always},
                                           FaultCase{"adjust_once", Step::Adjust, M::Once},
                                           FaultCase{"adjust_always", Step::Adjust, M::Always},
                                           FaultCase{"payment_once", Step::Payment, M::Once},
                                           FaultCase{"payment_always", Step::Payment, M::Always},
                                           FaultCase{"close_once", Step::Close, M::Once},
                                           FaultCase{"close_always", Step::Close, M::Always},
                                           FaultCase{"cancel_once", Step::Cancel, M::Once},
                                           FaultCase{"cancel_always", Step::Cancel, M::Always}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatedFaults, ReadFromTheSettingsForBothPrinters)
{
    QTemporaryDir dir;
    const auto json = QJsonDocument::fromJson(R"({
        "fiscalPrinter": {"faults": {"refuseClose": "once", "refuseCancel": true, "refuseAdjustment": "always"}},
        "chequePrinter": {"kind": 1, "faults": {"refuseText": "once", "refuseClose": true}}})");
    auto config = SimulatorConfig::fromJson(json.object(), dir.path());
    ASSERT_TRUE(config) << config.errorMessage().toStdString();
    EXPECT_EQ(config->faults.refuseClose, Fault::once());
    EXPECT_EQ(config->faults.refuseCancel, Fault::always());
    EXPECT_EQ(config->faults.refuseAdjustment, Fault::always());
    EXPECT_EQ(SimulatorConfig::fromJson(config->toJson(), dir.path())->toJson(), config->toJson());

    SimulatedPeripherals devices(config.value());
    EXPECT_FALSE(devices.ImpChqChar(QStringLiteral("A")));
    EXPECT_TRUE(devices.ImpChqChar(QStringLiteral("B")));
    EXPECT_FALSE(devices.Fecha_Imp_Chq_Sweda(false, false));
    EXPECT_FALSE(devices.Fecha_Imp_Chq_Sweda(false, false));
    EXPECT_EQ(devices.chequePrinter().log().first(), QStringLiteral("ImpChqChar A [falha simulada]"));

    auto bad = SimulatorConfig::fromJson(
        QJsonDocument::fromJson(R"({"chequePrinter": {"faults": {"refuseText": "twice"}}})").object(),
        dir.path());
    ASSERT_FALSE(bad);
    EXPECT_TRUE(bad.errorMessage().contains(QStringLiteral("chequePrinter.faults.refuseText")));
}

} // namespace
} // namespace zel
