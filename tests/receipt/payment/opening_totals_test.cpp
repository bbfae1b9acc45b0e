#include "dataset/DataSet.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/OpeningTotals.h"
#include "text/Money.h"

#include <QLocale>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <optional>

using namespace zel;

namespace {

DataPacket sale(const QList<Row>& rows)
{
    DataPacket p;
    for (const char* name :
         {"QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "VRTXSERVICO", "VRCONSUMAMIN", "VRDESCOMANDA"})
        p.fields.append(FieldDef{name, FieldType::Float, 0, {}, {}, true});
    p.rows = rows;
    return p;
}

struct OpeningCase
{
    const char* name;
    QList<Row> rows;
    double produtos, servico, consumacao, descComanda, total;
};

class OpeningCases : public ::testing::TestWithParam<OpeningCase>
{
};

} // namespace

TEST_P(OpeningCases, NetsTheComandaDiscountAgainstTheServiceFee)
{
    const OpeningCase& c = GetParam();
    const auto t = computeOpeningTotals(sale(c.rows));
    ASSERT_TRUE(t.ok()) << t.errorMessage().toStdString();
    EXPECT_EQ(t->produtos, c.produtos) << c.name;
    EXPECT_EQ(t->servico, c.servico) << c.name;
    EXPECT_EQ(t->consumacao, c.consumacao) << c.name;
    EXPECT_EQ(t->descComanda, c.descComanda) << c.name;
    EXPECT_EQ(t->total, c.total) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Sales, OpeningCases,
    ::testing::Values(
        OpeningCase{"fee above discount", {{1.0, 100.0, 0.0, 10.0, 0.0, 4.0}}, 100, 6, 0, 0, 106},
        OpeningCase{"fee below discount", {{2.0, 25.0, 0.0, 3.0, 0.0, 8.0}}, 50, 0, 0, 5, 45},
        OpeningCase{"fee equal to discount", {{1.0, 30.0, 0.0, 5.0, 0.0, 5.0}}, 30, 0, 0, 0, 30},
        OpeningCase{"minimum consumption is added", {{1.0, 20.0, 0.0, 0.0, 50.0, 0.0}}, 20, 0, 50, 0, 70},
        OpeningCase{"nulls count as zero",
                    {{1.0, 9.9, QVariant(), QVariant(), QVariant(), QVariant()}},
                    9.9,
                    0,
                    0,
                    0,
                    9.9},
        OpeningCase{"negative fee and consumption count as zero",
                    {{1.0, 10.0, 0.0, -3.0, -1.0, -2.0}},
                    10,
                    0,
                    0,
                    0,
                    10},
        OpeningCase{"fee and consumption from the first line, discount from the last",
                    {{1.0, 10.0, 1.0, 7.0, 2.0, 1.0}, {3.0, 1.15, 0.0, 99.0, 99.0, 3.0}},
                    12.45,
                    4,
                    2,
                    0,
                    18.45},
        OpeningCase{"line discounts and cents",
                    {{3.0, 1.15, 0.0, 0.0, 0.0, 0.0}, {1.0, 0.29, 0.1, 0.0, 0.0, 0.0}},
                    3.64,
                    0,
                    0,
                    0,
                    3.64},
        OpeningCase{"empty sale", {}, 0, 0, 0, 0, 0}));

TEST(OpeningTotals, RefusesSalesItCannotTotal)
{
    DataPacket missing = sale({});
    missing.fields.removeAt(2);
    const auto noField = computeOpeningTotals(missing);
    ASSERT_FALSE(noField.ok());
    EXPECT_TRUE(noField.errorMessage().contains("VRDESCCOMVEN"));

    const auto badText = computeOpeningTotals(sale({{1.0, QString("doze"), 0.0, 0.0, 0.0, 0.0}}));
    ASSERT_FALSE(badText.ok());
    EXPECT_TRUE(badText.errorMessage().contains("VRPRECCOMVEN"));

    DataPacket dateField = sale({{1.0, 2.0, 0.0, 0.0, 0.0, 0.0}});
    dateField.fields[0].type = FieldType::Date;
    EXPECT_FALSE(computeOpeningTotals(dateField).ok());

    // Totals a receipt could not show or keep to the cent: an overflowing quantity × price,
    // opposite overflows (not a number), and an amount of 2^53 cents or more.
    for (const QList<Row>& rows :
         {QList<Row>{{1e300, 1e300, 0.0, 0.0, 0.0, 0.0}},
          QList<Row>{{1e300, 1e300, 0.0, 0.0, 0.0, 0.0}, {-1e300, 1e300, 0.0, 0.0, 0.0, 0.0}},
          QList<Row>{{1e12, 1e6, 0.0, 0.0, 0.0, 0.0}}, QList<Row>{{1.0, 1.0, 0.0, 1e308, 1e308, 0.0}}}) {
        const auto huge = computeOpeningTotals(sale(rows));
        ASSERT_FALSE(huge.ok());
        EXPECT_TRUE(huge.errorMessage().contains("grande demais")) << huge.errorMessage().toStdString();
    }
    // The largest amount a receipt takes, R$ 99.999.999,99, for the total and each charge.
    struct Edge
    {
        Row row;
        bool opens;
    };
    for (const Edge& e : {Edge{{1e3, 99999.99999, 0.0, 0.0, 0.0, 0.0}, true},
                          Edge{{1.0, 99999999.99, 0.0, 0.0, 0.0, 0.0}, true},
                          Edge{{1.0, 100000000.0, 0.0, 0.0, 0.0, 0.0}, false},
                          Edge{{1.0, 99999999.99, 0.0, 0.01, 0.0, 0.0}, false},
                          Edge{{1.0, 99999999.99, 0.0, 0.01, 0.0, 0.01}, true},
                          Edge{{1.0, 1.0, 0.0, 0.0, 100000000.0, 0.0}, false},
                          Edge{{1e9, 1000.0, 0.0, 0.0, 0.0, 0.0}, false}}) {
        const auto opened = computeOpeningTotals(sale({e.row}));
        EXPECT_EQ(opened.ok(), e.opens)
            << e.row.value(0).toDouble() << " x " << e.row.value(1).toDouble() << " + "
            << e.row.value(3).toDouble() << " + " << e.row.value(4).toDouble();
        if (!e.opens) {
            EXPECT_EQ(opened.errorCode(), "TotalForaDeFaixa");
        }
    }

    // Numbers held as text still total.
    const auto text = computeOpeningTotals(sale({{QString("2"), QString("1.5"), 0.0, 0.0, 0.0, 0.0}}));
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text->total, 3.0);
}

namespace {

struct TextNumberCase
{
    const char* text;
    std::optional<double> value; // empty: refused
};

// A number kept as text reads alike on every machine, whatever its locale: the sale's values at
// the opening, a text field read as a number, the largest-change setting and parseNumber itself
// give the same number or the same refusal. A text that "," and "." as the decimal separator
// read as different numbers ("1,234": a weighed 1,234 kg, or 1234) is refused everywhere.
TEST(TextNumbers, ReadAlikeInEveryLocale)
{
    const TextNumberCase cases[] = {
        {"1,234", std::nullopt},
        {"1.234", std::nullopt},
        {"-12,345", std::nullopt},
        {"1,5", 1.5},
        {"0,375", 0.375},
        {"12.5", 12.5},
        {"1.234,5", 1234.5},
        {"1,234.5", 1234.5},
        {"2", 2.0},
        {"1e3", 1000.0},
        {"doze", std::nullopt},
        {"1,2,3", std::nullopt},
    };
    const QLocale before;
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    for (const QLocale& machine :
         {QLocale(QLocale::Portuguese, QLocale::Brazil), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale::c()}) {
        QLocale::setDefault(machine);
        for (const TextNumberCase& c : cases) {
            SCOPED_TRACE(machine.name().toStdString() + " \"" + c.text + '"');
            const QString text = QString::fromUtf8(c.text);
            const auto same = [&c](const Result<double>& read, const char* where) {
                EXPECT_EQ(read.ok() ? std::optional<double>(*read) : std::nullopt, c.value) << where;
            };
            same(parseNumber(text), "parseNumber");
            same(parseNumber(text, QLocale()), "parseNumber in the machine's locale");

            DataSet field({FieldDef{QStringLiteral("S"), FieldType::String, 20}});
            field.createDataSet();
            field.append();
            field.fieldByName(QStringLiteral("S")).setString(text);
            try {
                same(field.fieldByName(QStringLiteral("S")).asFloat(), "a text field");
            } catch (const DataSetError&) {
                same(Error{QStringLiteral("refused")}, "a text field");
            }

            // A weighed quantity at 1000,00 the unit.
            DataPacket venda = sale({{text, 1000.0, 0.0, 0.0, 0.0, 0.0}});
            venda.fields[0].type = FieldType::String;
            const Result<OpeningTotals> totals = computeOpeningTotals(venda);
            same(totals ? Result<double>(totals->total / 1000) : Result<double>(totals.error()),
                 "the opening");

            const ChangeLimit limite = changeLimit(text);
            same(limite.on ? Result<double>(limite.percentual) : Result<double>(Error{limite.error}),
                 "the largest change");
        }
    }
}

} // namespace
