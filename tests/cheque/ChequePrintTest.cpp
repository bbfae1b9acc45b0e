#include "cheque/ChequePrint.h"

#include <gtest/gtest.h>

using namespace zel::cheque;

namespace {

const QString kEsc(QChar(27));
const QString kVerso75 = QString(60, u'a') + QString(15, u'b');

struct LayoutCase
{
    const char* name;
    int impFis;
    int impChq;
    ChequePrintout cheque;
    QStringList front;
    QStringList back;
};

class ChequePrintLayout : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(ChequePrintLayout, FrontAndBackCommands)
{
    const LayoutCase& c = GetParam();
    const ChequePrinter printer = chequePrinterFor(c.impFis, c.impChq);
    EXPECT_EQ(frontCommands(printer, c.cheque), c.front);
    EXPECT_EQ(backCommands(printer, c.cheque.verso), c.back);
}

const QString kSpaces10(10, u' ');

INSTANTIATE_TEST_SUITE_P(
    Printers, ChequePrintLayout,
    ::testing::Values(
        LayoutCase{"escape_1234_50",
                   1,
                   1,
                   {1234.50, "341", "010524", "", ""},
                   {kEsc + "B341", kEsc + "F", kEsc + "C", kEsc + "D010524", kEsc + "V00000000123450"},
                   {}},
        LayoutCase{"string_two_digit_year",
                   0,
                   2,
                   {1234.50, "341", "010524", "", "1"},
                   {"!010524", "$0000000123450341"},
                   {}},
        LayoutCase{"string_no_year_choice_short_bank",
                   1,
                   2,
                   {0.05, "1", "010524", "", ""},
                   {"!010524", "$4000000000005" + QString("1  ")},
                   {}},
        LayoutCase{"escape_back_75",
                   1,
                   1,
                   {10, "341", "010524", kVerso75, ""},
                   {kEsc + "B341", kEsc + "F", kEsc + "C", kEsc + "D010524", kEsc + "V00000000001000"},
                   {kSpaces10 + QString(60, u'a') + "\n", kSpaces10 + QString(15, u'b') + "\n\f"}},
        LayoutCase{"string_back_75",
                   1,
                   2,
                   {10, "341", "010524", kVerso75, "2"},
                   {"!010524", "$4000000001000341"},
                   {"\"" + QString(60, u'a') + " " + QString(15, u'b') + " "}},
        LayoutCase{"string_back_60",
                   1,
                   2,
                   {10, "341", "010524", QString(60, u'x'), ""},
                   {"!010524", "$4000000001000341"},
                   {"\"" + QString(60, u'x') + " "}},
        LayoutCase{"escape_back_over_120_is_cut",
                   1,
                   1,
                   {10, "341", "010524", QString(60, u'a') + QString(60, u'b') + "zz", ""},
                   {kEsc + "B341", kEsc + "F", kEsc + "C", kEsc + "D010524", kEsc + "V00000000001000"},
                   {kSpaces10 + QString(60, u'a') + "\n", kSpaces10 + QString(60, u'b') + "\n\f"}},
        LayoutCase{
            "fiscal_kind_4_takes_no_cheque_command", 4, 1, {1234.50, "341", "010524", kVerso75, ""}, {}, {}},
        LayoutCase{"unknown_cheque_printer", 1, 3, {1234.50, "341", "010524", kVerso75, ""}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChequePrintLayout, ValueFitsThePrintersDigits)
{
    struct Row
    {
        ChequePrinter printer;
        double valor;
        bool fits;
    };
    const Row rows[] = {
        {ChequePrinter::CommandString, 9999999999.99, true},
        {ChequePrinter::CommandString, 10000000000.00, false},
        {ChequePrinter::Escape, 10000000000.00, true},
        {ChequePrinter::Escape, 999999999999.99, true},
        {ChequePrinter::Escape, 1000000000000.00, false},
        {ChequePrinter::None, 1e15, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(valueFits(r.printer, r.valor), r.fits)
            << int(r.printer) << " " << qPrintable(QString::number(r.valor, 'f', 2));
}

} // namespace
