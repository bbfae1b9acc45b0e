#include "FiscalPrinter.h"

#include "SimTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace zel {
namespace {

bool sell(FiscalPrinter& printer, double price = 10, const QString& aliquot = QStringLiteral("T18"))
{
    return printer.sellItem(QStringLiteral("0042"), QStringLiteral("D"), QStringLiteral("789"),
                            QStringLiteral("ITEM"), aliquot, 1, price, 0);
}

bool closeCoupon(FiscalPrinter& printer, QString* number = nullptr)
{
    CouponClosing closing;
    closing.payments = {{QStringLiteral("DINHEIRO"), 10}};
    QString n;
    const bool ok = printer.closeCoupon(closing, n);
    if (number)
        *number = n;
    return ok;
}

// Brings a fresh printer to a state by the accepted path.
void reach(FiscalPrinter& printer, CouponState state)
{
    if (state == CouponState::Idle)
        return;
    ASSERT_TRUE(printer.openCoupon());
    if (state == CouponState::Open)
        return;
    ASSERT_TRUE(sell(printer));
    if (state == CouponState::Items)
        return;
    if (state == CouponState::Subtotal) {
        ASSERT_TRUE(printer.announceAdjustment(QStringLiteral("0"), 0, 0));
        return;
    }
    ASSERT_TRUE(printer.openPayment());
}

enum class Command { Open, Item, Adjust, Payment, Close };

struct OrderCase
{
    CouponState from;
    Command command;
    bool accepted;
    CouponState after;
};

class CommandOrder : public ::testing::TestWithParam<OrderCase>
{
protected:
    QTemporaryDir m_dir;
};

TEST_P(CommandOrder, CommandsOutOfOrderAreRefusedAndChangeNothing)
{
    const auto& c = GetParam();
    FiscalPrinter printer(simtest::config(m_dir));
    reach(printer, c.from);
    bool accepted = false;
    switch (c.command) {
    case Command::Open:
        accepted = printer.openCoupon();
        break;
    case Command::Item:
        accepted = sell(printer);
        break;
    case Command::Adjust:
        accepted = printer.announceAdjustment(QStringLiteral("A"), 0, 1);
        break;
    case Command::Payment:
        accepted = printer.openPayment();
        break;
    case Command::Close:
        accepted = closeCoupon(printer);
        break;
    }
    EXPECT_EQ(accepted, c.accepted) << printer.lastError().toStdString();
    EXPECT_EQ(printer.state(), c.after);
    EXPECT_EQ(printer.lastError().isEmpty(), c.accepted);
}

using S = CouponState;
using C = Command;
INSTANTIATE_TEST_SUITE_P(
    States, CommandOrder,
    ::testing::Values(
        OrderCase{S::Idle, C::Open, true, S::Open}, OrderCase{S::Idle, C::Item, false, S::Idle},
        OrderCase{S::Idle, C::Payment, false, S::Idle}, OrderCase{S::Idle, C::Close, false, S::Idle},
        OrderCase{S::Open, C::Open, false, S::Open}, OrderCase{S::Open, C::Item, true, S::Items},
        // A coupon without items cannot be adjusted, but may be paid and closed (its sale had
        // only items that are not printed).
        OrderCase{S::Open, C::Adjust, false, S::Open}, OrderCase{S::Open, C::Payment, true, S::Payment},
        OrderCase{S::Items, C::Item, true, S::Items}, OrderCase{S::Items, C::Adjust, true, S::Subtotal},
        OrderCase{S::Items, C::Payment, true, S::Payment}, OrderCase{S::Items, C::Close, false, S::Items},
        OrderCase{S::Subtotal, C::Item, false, S::Subtotal},
        OrderCase{S::Subtotal, C::Adjust, false, S::Subtotal},
        OrderCase{S::Subtotal, C::Payment, true, S::Payment},
        OrderCase{S::Payment, C::Item, false, S::Payment}, OrderCase{S::Payment, C::Open, false, S::Payment},
        OrderCase{S::Payment, C::Close, true, S::Idle}));

class FiscalPrinterTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    SimulatorConfig m_config = simtest::config(m_dir);
};

TEST_F(FiscalPrinterTest, CouponNumbersContinueAcrossRunsAndAreNeverReused)
{
    QString number;
    {
        FiscalPrinter printer(m_config);
        reach(printer, CouponState::Payment);
        ASSERT_TRUE(closeCoupon(printer, &number));
        EXPECT_EQ(number, QStringLiteral("000001"));
        ASSERT_TRUE(printer.openCoupon()); // number 2, left open when the run ends
    }
    FiscalPrinter printer(m_config);
    EXPECT_EQ(printer.state(), CouponState::Idle);
    reach(printer, CouponState::Payment);
    ASSERT_TRUE(closeCoupon(printer, &number));
    EXPECT_EQ(number, QStringLiteral("000003"));
}

TEST_F(FiscalPrinterTest, AnUnreadableCounterContinuesAboveTheJournal)
{
    {
        FiscalPrinter printer(m_config);
        for (int i = 0; i < 2; ++i) {
            reach(printer, CouponState::Payment);
            ASSERT_TRUE(closeCoupon(printer));
        }
    }
    QFile state(m_config.stateDir + QStringLiteral("fiscal-printer.json"));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write("garbage");
    state.close();

    FiscalPrinter printer(m_config);
    reach(printer, CouponState::Payment);
    QString number;
    ASSERT_TRUE(closeCoupon(printer, &number));
    EXPECT_EQ(number, QStringLiteral("000003"));
}

TEST_F(FiscalPrinterTest, FaultsSwitchedOnByTheSettings)
{
    m_config.faults.notReady = Fault::always();
    FiscalPrinter notReady(m_config);
    EXPECT_FALSE(notReady.ready());
    EXPECT_FALSE(notReady.openCoupon());

    m_config.faults = {};
    m_config.faults.refuseOpen = Fault::always();
    FiscalPrinter refusesOpen(m_config);
    EXPECT_TRUE(refusesOpen.ready());
    EXPECT_FALSE(refusesOpen.openCoupon());

    m_config.faults = {};
    m_config.faults.refusePayment = Fault::always();
    FiscalPrinter refusesPayment(m_config);
    reach(refusesPayment, CouponState::Items);
    EXPECT_FALSE(refusesPayment.openPayment());
    EXPECT_EQ(refusesPayment.state(), CouponState::Items);
}

TEST_F(FiscalPrinterTest, TheFaultyItemIsRefusedAsOftenAsConfigured)
{
    m_config.faults.refuseItem = 2;
    m_config.faults.refuseItemTimes = 1;
    FiscalPrinter once(m_config);
    reach(once, CouponState::Open);
    EXPECT_TRUE(sell(once));
    EXPECT_FALSE(sell(once)); // the second item, first attempt
    EXPECT_TRUE(sell(once));  // tried again
    EXPECT_TRUE(sell(once));
    EXPECT_EQ(once.currentCoupon().items.size(), 3);

    m_config.faults.refuseItemTimes = 0;
    FiscalPrinter always(m_config);
    reach(always, CouponState::Items);
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_FALSE(sell(always));
    EXPECT_EQ(always.currentCoupon().items.size(), 1);
}

TEST_F(FiscalPrinterTest, RefusesItemsThePrinterCannotRegister)
{
    m_config.aliquots = {QStringLiteral("T18"), QStringLiteral("F")};
    FiscalPrinter printer(m_config);
    reach(printer, CouponState::Open);
    EXPECT_FALSE(sell(printer, 10, QStringLiteral(" ")));   // no aliquot set
    EXPECT_FALSE(sell(printer, 10, QStringLiteral("T07"))); // not programmed
    EXPECT_FALSE(sell(printer, 0));
    EXPECT_FALSE(printer.sellItem({}, QStringLiteral("D"), {}, {}, QStringLiteral("F"), 2, 1.00, 1.00));
    EXPECT_TRUE(printer.sellItem({}, QStringLiteral("D"), {}, {}, QStringLiteral("F"), 3, 1.00, 0.50));
    EXPECT_DOUBLE_EQ(printer.currentCoupon().items.last().discount, 1.50);
    EXPECT_FALSE(printer.announceAdjustment(QStringLiteral("D"), 0, 1.50)); // the whole subtotal
}

TEST_F(FiscalPrinterTest, CancelsTheOpenCouponOrTheLastOneClosedOnce)
{
    FiscalPrinter printer(m_config);
    QString number;
    EXPECT_FALSE(printer.cancelCoupon(number));

    reach(printer, CouponState::Items);
    ASSERT_TRUE(printer.cancelCoupon(number));
    EXPECT_EQ(number, QStringLiteral("000001"));
    EXPECT_EQ(printer.state(), CouponState::Idle);
    EXPECT_TRUE(printer.journalText().contains(QStringLiteral("*** CUPOM CANCELADO ***")));

    reach(printer, CouponState::Payment);
    ASSERT_TRUE(closeCoupon(printer));
    ASSERT_TRUE(printer.cancelCoupon(number));
    EXPECT_EQ(number, QStringLiteral("000002"));
    EXPECT_TRUE(printer.journalText().contains(QStringLiteral("CANCELAMENTO DE CUPOM")));
    EXPECT_FALSE(printer.cancelCoupon(number));
}

TEST_F(FiscalPrinterTest, CountsDrawerOpenings)
{
    FiscalPrinter printer(m_config);
    printer.openDrawer();
    printer.openDrawer();
    EXPECT_EQ(printer.drawerOpenings(), 2);
    EXPECT_TRUE(printer.drawerOpen());
    printer.closeDrawer();
    EXPECT_FALSE(printer.drawerOpen());

    m_config.fiscalPresent = false;
    FiscalPrinter absent(m_config);
    absent.openDrawer();
    EXPECT_EQ(absent.drawerOpenings(), 0);
    EXPECT_FALSE(absent.ready());
}

} // namespace
} // namespace zel
