#include "receipt/payment/Ledger.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

using namespace zel;

namespace {

constexpr OffCoupon On = OffCoupon::No;
constexpr OffCoupon NotFiscal = OffCoupon::NotFiscal;
constexpr OffCoupon NoAliquot = OffCoupon::NoAliquot;

// One line per rule: a weighed quantity is cut, a line discount rounded, binary noise never
// costs a cent.
TEST(LedgerLineAmount, IsTheCutQuantityTimesPriceLessTheRoundedDiscount)
{
    const struct
    {
        double qt, preco, desc;
        Cents cents;
    } rows[] = {
        {0.375, 12.99, 0, 487}, // 4,87125
        {0.625, 12.99, 0, 811}, // 8,11875: the two weighed halves make 12,98, not 12,99
        {3, 1.15, 0, 345},      // 3,45 exactly, though 3 × 1.15 lies below it in binary
        {1, 0.29, 0, 29},       {3, 10, 1.505, 2849}, // the discount rounded, as the printer rounds it
        {1.5, 9.99, 0.5, 1448},                       // 14,985 cut to 14,98, less 0,50
        {2, 0, 0, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(lineAmount(r.qt, r.preco, r.desc), r.cents) << r.qt << " x " << r.preco << " - " << r.desc;
}

struct LedgerCase
{
    const char* name;
    QList<SaleLine> lines;
    Cents fee, minimum, comanda, discount;
    QList<LedgerPayment> payments;
    // What follows.
    Cents total, due, changeDue;
    QString adjustmentKind;
    Cents adjustment, closingDiscount, couponTotal, outside;
    QList<Cents> couponPayments;
};

void PrintTo(const LedgerCase& c, std::ostream* os)
{
    *os << c.name;
}

class LedgerRules : public ::testing::TestWithParam<LedgerCase>
{
};

// The amounts of the screen and the coupon's plan, from one ledger: the plan always adds up,
// its payments less its change being its total.
TEST_P(LedgerRules, DeriveTheScreenAndTheCoupon)
{
    const LedgerCase& c = GetParam();
    Ledger l;
    l.open(c.lines, c.fee, c.minimum, c.comanda);
    l.setDiscount(c.discount);
    l.setPayments(c.payments);
    l.setChange(l.changeDue(), false);
    EXPECT_EQ(l.total(), c.total);
    EXPECT_EQ(l.due(), c.due);
    EXPECT_EQ(l.changeDue(), c.changeDue);
    EXPECT_EQ(l.covered(), c.due == 0);
    const CouponPlan plan = l.couponPlan();
    EXPECT_EQ(plan.adjustmentKind, c.adjustmentKind);
    EXPECT_EQ(plan.adjustment, c.adjustment);
    EXPECT_EQ(plan.closingDiscount, c.closingDiscount);
    EXPECT_EQ(plan.total, c.couponTotal);
    EXPECT_EQ(plan.outside, c.outside);
    EXPECT_EQ(plan.payments, c.couponPayments);
    if (l.covered()) {
        EXPECT_TRUE(planAddsUp(plan));
    }
}

const LedgerPayment cash(Cents c)
{
    return {QStringLiteral("4"), c};
}
const LedgerPayment card(Cents c)
{
    return {QStringLiteral("1"), c};
}
const LedgerPayment ticket(Cents c)
{
    return {QStringLiteral("5"), c};
}

INSTANTIATE_TEST_SUITE_P(Sales, LedgerRules,
                         ::testing::Values(LedgerCase{"weighed_lines_total_as_the_printer_cuts_them",
                                                      {{487, On}, {811, On}},
                                                      0,
                                                      0,
                                                      0,
                                                      0,
                                                      {cash(1298)},
                                                      1298,
                                                      0,
                                                      0,
                                                      "0",
                                                      0,
                                                      0,
                                                      1298,
                                                      0,
                                                      {1298}},
                                           LedgerCase{"not_fiscal_line_paid_and_left_off_the_coupon_payments",
                                                      {{1000, On}, {500, NotFiscal}},
                                                      0,
                                                      0,
                                                      0,
                                                      0,
                                                      {cash(2000)},
                                                      1500,
                                                      0,
                                                      500,
                                                      "0",
                                                      0,
                                                      0,
                                                      1000,
                                                      500,
                                                      {1500}},
                                           LedgerCase{"line_without_aliquot_taken_off_cash_before_cards",
                                                      {{3000, On}, {1200, NoAliquot}},
                                                      0,
                                                      0,
                                                      0,
                                                      0,
                                                      {cash(1000), card(2200), ticket(1000)},
                                                      4200,
                                                      0,
                                                      0,
                                                      "0",
                                                      0,
                                                      0,
                                                      3000,
                                                      1200,
                                                      {0, 2200, 800}},
                                           LedgerCase{"fee_as_surcharge_discount_with_the_closing",
                                                      {{3000, On}},
                                                      300,
                                                      0,
                                                      0,
                                                      500,
                                                      {cash(2800)},
                                                      3300,
                                                      0,
                                                      0,
                                                      "A",
                                                      300,
                                                      500,
                                                      2800,
                                                      0,
                                                      {2800}},
                                           LedgerCase{"fee_and_minimum_consumption",
                                                      {{3000, On}},
                                                      300,
                                                      1000,
                                                      0,
                                                      0,
                                                      {cash(5000)},
                                                      4300,
                                                      0,
                                                      700,
                                                      "A",
                                                      1300,
                                                      0,
                                                      4300,
                                                      0,
                                                      {5000}},
                                           LedgerCase{
                                               "comanda_discount_beyond_the_fee_announced_with_the_discount",
                                               {{3000, On}},
                                               0,
                                               0,
                                               400,
                                               200,
                                               {cash(2400)},
                                               2600,
                                               0,
                                               0,
                                               "D",
                                               600,
                                               0,
                                               2400,
                                               0,
                                               {2400}},
                                           LedgerCase{"discount_above_the_coupons_share_keeps_a_cent_on_it",
                                                      {{100, On}, {9900, NotFiscal}},
                                                      0,
                                                      0,
                                                      0,
                                                      5000,
                                                      {card(5000)},
                                                      10000,
                                                      0,
                                                      0,
                                                      "D",
                                                      99,
                                                      0,
                                                      1,
                                                      4999,
                                                      {1}},
                                           LedgerCase{"not_covered_yet",
                                                      {{1000, On}},
                                                      0,
                                                      0,
                                                      0,
                                                      0,
                                                      {ticket(400)},
                                                      1000,
                                                      600,
                                                      0,
                                                      "0",
                                                      0,
                                                      0,
                                                      1000,
                                                      0,
                                                      {400}},
                                           LedgerCase{"no_item_on_the_coupon",
                                                      {{700, NotFiscal}},
                                                      0,
                                                      0,
                                                      0,
                                                      0,
                                                      {cash(1000)},
                                                      700,
                                                      0,
                                                      300,
                                                      "0",
                                                      0,
                                                      0,
                                                      0,
                                                      700,
                                                      {300}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Events that change what is due after the sale was covered: the change follows.
TEST(LedgerEvents, DiscountAfterCoverAndIgnoredItemRaiseTheChange)
{
    Ledger l;
    l.open({{1000, On}, {2000, On}}, 0, 0, 0);
    l.setPayments({cash(3000)});
    EXPECT_EQ(l.changeDue(), 0);
    l.setDiscount(500);
    EXPECT_EQ(l.changeDue(), 500);
    l.ignore(0);
    EXPECT_EQ(l.total(), 2000);
    EXPECT_EQ(l.changeDue(), 1500);
    l.setChange(1500, true);
    const CouponPlan plan = l.couponPlan();
    EXPECT_EQ(plan.items, 2000);
    EXPECT_TRUE(plan.voucher);
    EXPECT_TRUE(planAddsUp(plan));
    l.setDiscount(0);
    l.setChange(0, true);
    EXPECT_FALSE(l.couponPlan().voucher) << "no change, no voucher";
}

// Thousands of generated sales: whenever the payments cover the sale and the change given is the
// change due, the coupon's plan adds up to the cent and takes nothing off a payment it did not
// receive.
TEST(LedgerEvents, EveryCoveredSalePlansACouponThatAddsUp)
{
    std::mt19937 random(20261208);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int sale = 0; sale < 5000; ++sale) {
        QList<SaleLine> lines;
        for (int i = pick(1, 6); i > 0; --i)
            lines.append({lineAmount(pick(1, 3000) / 1000.0, pick(1, 9999) / 100.0, 0),
                          static_cast<OffCoupon>(pick(0, 9) < 7 ? 0 : pick(1, 3))});
        Ledger l;
        l.open(lines, pick(0, 1) * pick(0, 500), pick(0, 1) * pick(0, 2000), pick(0, 1) * pick(0, 800));
        if (l.total() < 2)
            continue;
        l.setDiscount(pick(0, 1) * pick(0, int(l.total() - 1)));
        QList<LedgerPayment> payments;
        Cents paid = 0;
        while (paid < l.net()) {
            const Cents amount = pick(0, 3) ? pick(1, int(l.net() - paid) + 1000) : l.net() - paid;
            payments.append({QString::number(pick(1, 8)), amount});
            paid += amount;
        }
        l.setPayments(payments);
        l.setChange(l.changeDue(), pick(0, 1));
        const CouponPlan plan = l.couponPlan();
        ASSERT_TRUE(planAddsUp(plan)) << "sale " << sale << ": total " << plan.total
                                      << ", payments less change " << paymentsLessChange(plan);
        for (int i = 0; i < plan.payments.size(); ++i)
            ASSERT_LE(plan.payments[i], payments[i].amount) << "sale " << sale;
        ASSERT_EQ(plan.total + plan.outside, l.net());
    }
}

} // namespace
