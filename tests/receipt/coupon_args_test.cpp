#include "receipt/CouponArgs.h"
#include "receipt/ReceiptMessages.h"

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

TEST(CouponArgs, AliquotKeyTakesTheRateOnlyForTaxedKinds)
{
    const struct {
        QString kind;
        double pc;
        QString wantKind;
        double wantRate;
    } rows[] = {{"", 12, "N", 0}, {"N", 12, "N", 0}, {"F", 12, "F", 0}, {"I", 12, "I", 0}, {"T", 12, "T", 12}};
    for (const auto& r : rows) {
        CouponLine line;
        line.tipoImposto = r.kind;
        line.pcAliquota = r.pc;
        const AliquotKey key = aliquotKey(line);
        EXPECT_EQ(key.kind, r.wantKind) << r.kind.toStdString();
        EXPECT_EQ(key.rate, r.wantRate) << r.kind.toStdString();
    }
}

TEST(CouponArgs, UnitDiscountSharesTheLineDiscountOverAQuantityAboveOne)
{
    EXPECT_EQ(unitDiscount(3, 1.5), 0.5);
    EXPECT_EQ(unitDiscount(0.5, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(1, 1.5), 1.5);
    EXPECT_EQ(unitDiscount(2, 0), 0.0);
}

TEST(CouponArgs, ServiceFeeWinsOverTheDiscount)
{
    const struct {
        double servico, desconto;
        QString tipo;
        double valor;
    } rows[] = {{5, 2, "A", 5}, {0, 2, "D", 2}, {0, 0, "0", 0}};
    for (const auto& r : rows) {
        const CouponAdjustment a = couponAdjustment(r.servico, r.desconto);
        EXPECT_EQ(a.tipo, r.tipo);
        EXPECT_EQ(a.valor, r.valor);
        EXPECT_EQ(a.percentual, 0.0);
    }
}

TEST(CouponArgs, VoucherOnlyForContraValeChangeAboveTheMaximumShareOfTickets)
{
    const struct {
        const char* why;
        double troco;
        bool contraVale;
        QString pcMax;
        DataPacket mov;
        bool want;
    } rows[] = {
        {"no change", 0, true, "", movements({{"005", 100}}), false},
        {"cash change", 5, false, "", movements({{"005", 100}}), false},
        {"no limit", 5, true, "", movements({{"005", 100}}), true},
        {"15 % over 10 %", 15, true, "10", movements({{"005", 100}, {"004", 50}}), true},
        {"5 % within 10 %", 5, true, "10", movements({{"005", 100}}), false},
        {"no ticket payment", 15, true, "10", movements({{"004", 100}}), false},
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

TEST(CouponArgs, ClosingFlagsAndClientLine)
{
    CouponSale sale;
    sale.usaTef = "S";
    sale.confirmaAuto = true;
    sale.consumidorInf = true;
    sale.nrInsJurClie = "11.222.333/0001-81";
    sale.nmFantClie = "Bar";
    FechaCupomArgs a = fechaCupomArgs(sale, {}, {});
    EXPECT_FALSE(a.semCartaoTef);
    EXPECT_EQ(a.linhaCliente, QString("11.222.333/0001-81 Bar"));

    sale.usaTef.clear();
    sale.consumidorInf = false;
    a = fechaCupomArgs(sale, {}, {});
    EXPECT_TRUE(a.semCartaoTef);
    EXPECT_TRUE(a.linhaCliente.isEmpty());
}

TEST(CouponArgs, VoucherDigitsFollowTheCouponNumberOrNone)
{
    const std::pair<QString, std::optional<QString>> rows[] = {
        {"123", "124"}, {"000123", "124"}, {" 9 ", "10"}, {"12A", std::nullopt},
        {"", std::nullopt}, {"-1", std::nullopt}, {"1.5", std::nullopt}};
    for (const auto& [nr, want] : rows)
        EXPECT_EQ(voucherDigits(nr), want) << nr.toStdString();
}

TEST(CouponArgs, DialogTextsNameTheItem)
{
    const TMessages msg = receiptMessages();
    CouponLine line;
    line.cdProduto = "7891";
    line.nmProduto = "Refrigerante lata 350 ml gelado";
    EXPECT_EQ(itemErrorQuestion(msg, line),
              QString("Erro ao imprimir o item: \r\n7891 - Refrigerante lata 35\r\nIgnorar item?"));
    const QString aliq = aliquotMissingText(msg, line, {"T", 7});
    for (const char* part : {"7891", "Refrigerante lata 350 ml gelado", "T", "7,00"})
        EXPECT_TRUE(aliq.contains(part)) << aliq.toStdString();
    for (const char* placeholder : {"%1", "%2", "%3", "%4"})
        EXPECT_FALSE(aliq.contains(placeholder)) << aliq.toStdString();
}
