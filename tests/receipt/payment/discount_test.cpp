#include "receipt/payment/Discount.h"
#include "receipt/payment/Ledger.h"
#include "support/QStringPrinter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace zel;

namespace {

struct DiscountRow
{
    const char* tipo;
    double valor, total;
    bool given;
    double percent = 0, value = 0;
};

class CouponDiscountRows : public ::testing::TestWithParam<DiscountRow>
{
};

TEST_P(CouponDiscountRows, AmountPercentageAndCap)
{
    const DiscountRow& r = GetParam();
    const auto d = couponDiscount(QString::fromLatin1(r.tipo), r.valor, r.total);
    ASSERT_EQ(d.has_value(), r.given);
    if (!r.given)
        return;
    EXPECT_NEAR(d->percent, r.percent, 1e-9);
    EXPECT_DOUBLE_EQ(d->value, r.value);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Rows, CouponDiscountRows,
    ::testing::Values(DiscountRow{"P", 10, 100, true, 10, 10},
                      // At or above the total: the total less 0,01; the percentage as computed.
                      DiscountRow{"V", 80, 80, true, 100, 79.99}, DiscountRow{"P", 150, 20, true, 150, 19.99},
                      DiscountRow{"P", 33.339, 10, true, 33.339, 3.33},
                      DiscountRow{"V", 10.009, 100, true, 10.009, 10.0}, // an amount is cut to cents
                      DiscountRow{"V", 0, 100, false}, DiscountRow{"P", -5, 100, false},
                      DiscountRow{"V", kNaN, 100, false}, DiscountRow{"X", 10, 100, false},
                      // A zero total takes no discount (the percentage would divide by it).
                      DiscountRow{"V", 5, 0, false}, DiscountRow{"P", 10, 0.01, false}));

TEST(AmountDue, WorkedOutFromTotalPaymentsAndTheLastDiscountOnly)
{
    struct Row
    {
        double total, paid, discount, due;
    } rows[] = {{100, 0, 10, 90},    {100, 35.5, 10, 54.5}, {100, 35.5, 25, 39.5}, // a second discount
                {100, 150, 10, 0},   {80, 0, 79.99, 0.01},  {100, 99.99, 5, 0},    // never below 0
                {0.3, 0.1, 0.1, 0.1}};
    for (const Row& r : rows) {
        Ledger l;
        l.open({{toCents(r.total), OffCoupon::No}}, 0, 0, 0);
        l.setDiscount(toCents(r.discount));
        l.setPayments({{QStringLiteral("4"), toCents(r.paid)}});
        EXPECT_EQ(l.due(), toCents(r.due)) << r.total << ' ' << r.paid << ' ' << r.discount;
    }
}

TEST(DiscountLines, AmountsEndInColumn35)
{
    const QStringList lines = discountLines("Desconto", "Subtotal", CouponDiscount{10, 10}, 100);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString("Desconto 10,00% ") + QString(13, u' ') + "-10,00");
    EXPECT_EQ(lines[0].mid(29), QString("-10,00")); // columns 30–35
    EXPECT_EQ(lines[1], QString("Subtotal") + QString(22, u' ') + "90,00");
    EXPECT_EQ(lines[2], QString());

    // A caption too long for the line gives up its end; the amount keeps every digit.
    const QStringList longer =
        discountLines("Desconto sobre o cupom", "Subtotal", CouponDiscount{12.5, 1234567.89}, 9876543.21);
    EXPECT_EQ(longer[0].size(), 35);
    EXPECT_TRUE(longer[0].endsWith(" -1234567,89")) << longer[0].toStdString();
    EXPECT_TRUE(longer[0].startsWith("Desconto sobre o cupom")) << longer[0].toStdString();
    EXPECT_TRUE(longer[1].endsWith("8641975,32")) << longer[1].toStdString();
}

TEST(TaxpayerLines, BlankLineNumberAndNameCutTo35)
{
    EXPECT_EQ(taxpayerLines("CNPJ/CPF", "NOME", "529.982.247-25", ""),
              QStringList({"", "CNPJ/CPF : 529.982.247-25"}));
    const QStringList withName =
        taxpayerLines("CNPJ/CPF", "NOME", "11222333000181", "Alfa Refeições e Eventos Limitada");
    ASSERT_EQ(withName.size(), 3);
    EXPECT_EQ(withName[2], QString("NOME : Alfa Refeições e Eventos Lim"));
    EXPECT_TRUE(taxpayerLines("CNPJ/CPF", "NOME", "", "Eva").isEmpty());
}

} // namespace
