#include "receipt/CouponArgs.h"

#include <gtest/gtest.h>
#include <optional>

using namespace zel;

namespace {

DataPacket movements(const QList<std::pair<QString, double>>& rows, const QString& kind = QStringLiteral("E"))
{
    DataPacket p;
    p.fields = {FieldDef("IDTIPOMOVIVE"), FieldDef("CDTIPORECE"), FieldDef("VRMOVIVEND", FieldType::Float)};
    for (const auto& [code, value] : rows)
        p.rows.append(Row{kind, code, value});
    return p;
}

DataPacket paymentTypes()
{
    DataPacket p;
    p.fields = {FieldDef("CDTIPORECE"), FieldDef("IDTIPORECE")};
    p.rows = {Row{"004", "4"}, Row{"005", "5"}};
    return p;
}

} // namespace

TEST(CouponArgs, UnitDiscountSharesTheLineDiscountOverAQuantityAboveOne)
{
    EXPECT_EQ(unitDiscount(3, 1.5), 0.5);
    EXPECT_EQ(unitDiscount(0.5, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(1, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(2, 0), 0.0);
}

TEST(CouponArgs, VoucherOnlyForContraValeChangeAboveTheMaximumShareOfTickets)
{
    const struct
    {
        const char* why;
        double troco;
        bool contraVale;
        QString pcMax;
        DataPacket mov;
        bool want;
    } rows[] = {
        {"cash change", 5, false, "", movements({{"005", 100}}), false},
        {"no limit", 5, true, "", movements({{"005", 100}}), true},
        {"15 % over 10 %", 15, true, "10", movements({{"005", 100}, {"004", 50}}), true},
        {"5 % within 10 %", 5, true, "10", movements({{"005", 100}}), false},
        {"change rows are not payments", 15, true, "10", movements({{"005", 100}}, "S"), false},
        {"limit not a number", 5, true, "abc", movements({{"005", 100}}), true},
    };
    for (const auto& r : rows) {
        CouponSale sale;
        sale.vrTroco = r.troco;
        sale.contraVale = r.contraVale;
        sale.pcMaxTroco = r.pcMax;
        EXPECT_EQ(emiteContraVale(sale, r.mov, paymentTypes()), r.want) << r.why;
    }
}

TEST(CouponArgs, VoucherDigitsFollowTheCouponNumberOrNone)
{
    const std::pair<QString, std::optional<QString>> rows[] = {
        {"123", "124"},     {"000123", "124"},    {" 9 ", "10"},        {"12A", std::nullopt},
        {"", std::nullopt}, {"-1", std::nullopt}, {"1.5", std::nullopt}};
    for (const auto& [nr, want] : rows)
        EXPECT_EQ(voucherDigits(nr), want) << nr.toStdString();
}
