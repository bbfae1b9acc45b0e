#include "text/Money.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

using namespace zel;

namespace {

const QLocale kBr(QLocale::Portuguese, QLocale::Brazil);

// The double a text of cents denotes, as a parser reads it ("-12.05" for -1205).
double fromCents(long long cents)
{
    char text[32];
    const long long whole = std::llabs(cents) / 100, part = std::llabs(cents) % 100;
    const int n = std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "", whole, part);
    double value = 0;
    std::from_chars(text, text + n, value);
    return value;
}

} // namespace

TEST(Trunc2, EveryCentUpToOneHundredThousandSurvivesTheCut)
{
    // Every value 0,00 .. 100.000,00 as text denotes it, and as the product of its cents
    // by 0.01 and the quotient by 100 (the ways amounts arise in computations).
    for (long long cents = 0; cents <= 10'000'000; ++cents) {
        const double expected = fromCents(cents);
        ASSERT_EQ(Trunc2(expected), expected) << cents;
        ASSERT_EQ(Trunc2(cents / 100.0), expected) << cents;
        ASSERT_EQ(Trunc2(cents * 0.01), expected) << cents;
    }
}

TEST(Trunc2, NegativeValuesCutTowardZero)
{
    for (long long cents = -1'000'000; cents <= 0; cents += 7)
        ASSERT_EQ(Trunc2(fromCents(cents)), fromCents(cents)) << cents;
    EXPECT_EQ(Trunc2(-1.239), -1.23);
    EXPECT_EQ(Trunc2(-0.001), 0.0);
    EXPECT_FALSE(std::signbit(Trunc2(-0.001)));
}

struct CutCase
{
    double value;
    double expected;
};

class Trunc2Cases : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(Trunc2Cases, CutsRealFractionsAndKeepsNoisyCents)
{
    EXPECT_EQ(Trunc2(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, Trunc2Cases,
                         ::testing::Values(CutCase{0.29, 0.29}, CutCase{1.15, 1.15}, CutCase{4.35, 4.35},
                                           CutCase{3 * 1.15, 3.45}, CutCase{0.1 + 0.2, 0.3},
                                           CutCase{1.005, 1.0}, CutCase{1.999, 1.99},
                                           CutCase{10.0 / 3.0, 3.33}, CutCase{2.0 / 3.0, 0.66},
                                           CutCase{123456789.999, 123456789.99}, CutCase{0.009999, 0.0},
                                           CutCase{-2.0 / 3.0, -0.66},
                                           // differences of nearly equal amounts keep their cents
                                           CutCase{10.01 - 10.0, 0.01}, CutCase{10.0 - 10.01, -0.01},
                                           CutCase{1234.56 - 1234.55, 0.01},
                                           CutCase{100000.07 - 100000.0, 0.07}));

TEST(Trunc2, LargeRandomAmountsKeepTheirCents)
{
    std::mt19937_64 rng(20261207);
    std::uniform_int_distribution<long long> dist(-99'999'999'999LL, 99'999'999'999LL);
    for (int i = 0; i < 200'000; ++i) {
        const long long cents = dist(rng);
        const double value = QString("%1%2.%3")
                                 .arg(cents < 0 ? "-" : "")
                                 .arg(std::llabs(cents) / 100)
                                 .arg(std::llabs(cents) % 100, 2, 10, QChar('0'))
                                 .toDouble();
        ASSERT_EQ(Trunc2(value), value) << cents;
        // A third of a cent above the value is cut back to it.
        ASSERT_EQ(Trunc2(value + (cents < 0 ? -0.0033 : 0.0033)), value) << cents;
    }
}

// Amounts up to the parser's limit with a thousandths digit: the cut and the rounding work
// on the decimal text the amount was read from, however large it is.
TEST(Trunc2, AmountsUpToTheParserLimitCutAndRoundOnTheirDecimalText)
{
    std::mt19937_64 rng(20261208);
    std::uniform_int_distribution<long long> whole(0, 9'999'999'999'999LL);
    std::uniform_int_distribution<int> mills(0, 999);
    auto read = [](const std::string& text) {
        double v = 0;
        std::from_chars(text.data(), text.data() + text.size(), v);
        return v;
    };
    int checked = 0;
    for (int i = 0; i < 300'000; ++i) {
        // Every magnitude equally often, not mostly the largest.
        const long long w = whole(rng) >> (i % 44);
        const int m = mills(rng);
        const std::string text = std::to_string(w) + "." + std::to_string(1000 + m).substr(1);
        const double value = read(text);
        // Where two such texts give one double, the shorter text is the one it stands for.
        char shortest[64];
        const auto end =
            std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed).ptr;
        std::string expectedText = text;
        while (expectedText.back() == '0')
            expectedText.pop_back();
        if (expectedText.back() == '.')
            expectedText.pop_back();
        if (std::string(shortest, end) != expectedText)
            continue;
        ++checked;
        const long long cents = w * 100 + m / 10;
        const long long up = cents + (m % 10 >= 5 ? 1 : 0);
        const auto asText = [](long long c) {
            return std::to_string(c / 100) + "." + std::to_string(100 + c % 100).substr(1);
        };
        ASSERT_EQ(Trunc2(value), read(asText(cents))) << text;
        ASSERT_EQ(Trunc2(-value), -read(asText(cents)) + 0.0) << text;
        ASSERT_EQ(RoundDec(value, 2), read(asText(up))) << text;
        ASSERT_EQ(RoundDec(-value, 2), -read(asText(up)) + 0.0) << text;
        ASSERT_EQ(formatFixed(value, QLocale::c()), QString::fromStdString(asText(cents + (m % 10 >= 5))))
            << text;
    }
    EXPECT_GT(checked, 250'000);
}

TEST(Trunc2, LargeWholeAmountsKeepZeroCents)
{
    EXPECT_EQ(Trunc2(1234567890.129), 1234567890.12);
    EXPECT_EQ(RoundDec(5000000000.0, 2), 5000000000.0);
    EXPECT_EQ(formatFixed(5000000000.0, kBr), QString("5000000000,00"));
    EXPECT_EQ(centsText(9999999999999.99), QString("999999999999999"));
    EXPECT_EQ(formatCurrency(9999999999999.99, kBr), QString("R$ 9.999.999.999.999,99"));
    EXPECT_EQ(RoundDec(123456789012.345, 2), 123456789012.35);
}

TEST(RoundDec, HalvesGoAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(RoundDec(1.005, 2), 1.01);
    EXPECT_EQ(RoundDec(1.015, 2), 1.02);
    EXPECT_EQ(RoundDec(2.675, 2), 2.68);
    EXPECT_EQ(RoundDec(-2.675, 2), -2.68);
    EXPECT_EQ(RoundDec(1.004999, 2), 1.0);
    EXPECT_EQ(RoundDec(4.35 * 100, 0), 435.0);
    EXPECT_EQ(RoundDec(0.285, 2), 0.29);
    EXPECT_EQ(RoundDec(12.3456, 3), 12.346);
    EXPECT_EQ(RoundDec(2.5, 0), 3.0);
    EXPECT_EQ(RoundDec(-0.004, 2), 0.0);
    EXPECT_EQ(RoundDec(10.015 - 10.0, 2), 0.02);
}

TEST(RoundDec, EveryCentTimesAHundredIsWhole)
{
    for (long long cents = 0; cents <= 10'000'000; cents += 3)
        ASSERT_EQ(RoundDec(fromCents(cents) * 100, 0), static_cast<double>(cents)) << cents;
}

struct ParseCase
{
    const char* text;
    bool ok;
    double value;
};

class ParseAmountCases : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseAmountCases, ReadsTypedAmountsWithTheLocaleSeparator)
{
    const auto result = parseAmount(QString::fromUtf8(GetParam().text), kBr);
    ASSERT_EQ(result.ok(), GetParam().ok) << GetParam().text << " " << result.errorMessage().toStdString();
    if (result.ok())
        EXPECT_EQ(*result, GetParam().value) << GetParam().text;
    else
        EXPECT_FALSE(result.errorMessage().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseAmountCases,
    ::testing::Values(ParseCase{"12,50", true, 12.5}, ParseCase{"0,29", true, 0.29},
                      ParseCase{"1.234,56", true, 1234.56}, ParseCase{"1234,56", true, 1234.56},
                      ParseCase{" 7 ", true, 7.0}, ParseCase{",5", true, 0.5}, ParseCase{"5,", true, 5.0},
                      ParseCase{"-3,10", true, -3.1}, ParseCase{"", false, 0}, ParseCase{"   ", false, 0},
                      ParseCase{"abc", false, 0}, ParseCase{"12a", false, 0}, ParseCase{"1,2,3", false, 0},
                      ParseCase{"1e5", false, 0}, ParseCase{"12.34", false, 0}, ParseCase{"1.23,4", false, 0},
                      ParseCase{",", false, 0}, ParseCase{"-", false, 0}, ParseCase{"--1", false, 0},
                      ParseCase{"99999999999999", false, 0}, ParseCase{"1 000", false, 0},
                      // A group separator after a leading zero is no grouping of thousands.
                      ParseCase{"0.500", false, 0}, ParseCase{"00.500,00", false, 0},
                      ParseCase{"012.345", false, 0}, ParseCase{"1.050", true, 1050.0},
                      ParseCase{"10.005,5", true, 10005.5}, ParseCase{"0,500", true, 0.5}));

TEST(ParseAmount, CLocaleDecimalPoint)
{
    const QLocale c = QLocale::c();
    EXPECT_EQ(*parseAmount("12.50", c), 12.5);
    EXPECT_FALSE(parseAmount("12,50", c).ok());
    // A "." is taken as a decimal point where it is no group separator.
    const QLocale fr(QLocale::French, QLocale::France);
    EXPECT_EQ(*parseAmount("3.25", fr), 3.25);
}

// A host that never set the Brazilian locale (its default is the machine's, here en_US) still
// gets the till's amounts: "R$ 21,00" shown, "1,5" read as one and a half.
TEST(Formats, AreBrazilianWhateverTheHostsDefaultLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(formatCurrency(21), QString("R$ 21,00"));
    EXPECT_EQ(formatFixed(1234.5), QString("1234,50"));
    EXPECT_EQ(*parseAmount("1,5"), 1.5);
    EXPECT_FALSE(parseNumber("1,234").ok()) << "a weighed 1,234 or 1234: refused, never 1234";
    EXPECT_FALSE(parseNumber("1.234").ok()) << "a grouping or a decimal point: refused, as in pt_BR";
    QLocale::setDefault(before);
}

TEST(Formats, CurrencyFixedAndCents)
{
    EXPECT_EQ(formatCurrency(1234.5, kBr), QString("R$ 1.234,50"));
    EXPECT_EQ(formatCurrency(0, kBr), QString("R$ 0,00"));
    EXPECT_EQ(formatCurrency(-12.3, kBr), QString("-R$ 12,30"));
    EXPECT_EQ(formatCurrency(1234567.891, kBr), QString("R$ 1.234.567,89"));
    EXPECT_EQ(formatFixed(1234.5, kBr), QString("1234,50"));
    EXPECT_EQ(formatFixed(-0.001, kBr), QString("0,00"));
    EXPECT_EQ(formatFixed(1.005, kBr), QString("1,01"));
    EXPECT_EQ(centsText(1234.50), QString("123450"));
    EXPECT_EQ(centsText(0.05), QString("005"));
    EXPECT_EQ(centsText(12.5), QString("1250"));
    EXPECT_EQ(centsText(0.29), QString("029"));
}
