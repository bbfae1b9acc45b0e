#include "receipt/coupon/CouponArgs.h"

#include <gtest/gtest.h>
#include <optional>

using namespace zel;

TEST(CouponArgs, UnitDiscountSharesTheLineDiscountOverAQuantityAboveOne)
{
    EXPECT_EQ(unitDiscount(3, 1.5), 0.5);
    EXPECT_EQ(unitDiscount(0.5, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(1, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(2, 0), 0.0);
}

TEST(CouponArgs, VoucherDigitsFollowTheCouponNumberOrNone)
{
    const std::pair<QString, std::optional<QString>> rows[] = {
        {"123", "124"},     {"000123", "124"},    {" 9 ", "10"},        {"12A", std::nullopt},
        {"", std::nullopt}, {"-1", std::nullopt}, {"1.5", std::nullopt}};
    for (const auto& [nr, want] : rows)
        EXPECT_EQ(voucherDigits(nr), want) << nr.toStdString();
}

// The client line of the coupon: number and trade name, or the name alone when the client has
// no taxpayer number.
TEST(CouponArgs, ClientLineWithOrWithoutANumber)
{
    CouponSale sale;
    sale.consumidorInf = true;
    sale.nmFantClie = "Horizonte";
    for (const auto& [numero, linha] :
         {std::pair{"11.222.333/0001-81", "11.222.333/0001-81 Horizonte"}, std::pair{"", "Horizonte"}}) {
        sale.nrInsJurClie = numero;
        EXPECT_EQ(fechaCupomArgs(sale).linhaCliente, QString(linha));
    }
}
