#include "cheque/ChequeConfirm.h"

#include <gtest/gtest.h>

using namespace zel::cheque;

namespace {

const QDate kToday(2026, 3, 10);

ChequeFields complete()
{
    return {"1", "100,00", "1234", "341", "56789", "1234567", "01/05/24", ""};
}

// Filling the fields one by one in screen order, each confirmation stops at the first empty one.
TEST(ChequeChecks, ComeInOrderAndStopAtTheFirstFailure)
{
    ChequeFields f;
    const CheckContext context{true, true, 1, 1, kToday};
    const std::pair<QString ChequeFields::*, const char*> steps[] = {
        {&ChequeFields::parcelas, "ParcelaDeve"}, {&ChequeFields::valor, "ValorDeve"},
        {&ChequeFields::agencia, "AgenciaDeve"},  {&ChequeFields::banco, "BancoDeve"},
        {&ChequeFields::conta, "ContaDeve"},      {&ChequeFields::cheque, "ChequeDeve"},
        {&ChequeFields::data, "DtImpInv"}};
    const ChequeFields full = complete();
    for (const auto& [field, key] : steps) {
        EXPECT_EQ(checkCheque(f, context).erro, QLatin1String(key));
        f.*field = full.*field;
    }
    const CheckResult passed = checkCheque(f, context);
    EXPECT_EQ(passed.erro, QString());
    EXPECT_EQ(passed.valor, 100.0);
    EXPECT_EQ(passed.data, QDate(2024, 5, 1));
}

struct CheckCase
{
    const char* name;
    ChequeFields fields;
    CheckContext context;
    const char* erro;
};

class ChequeCheck : public ::testing::TestWithParam<CheckCase>
{
};

TEST_P(ChequeCheck, Answers)
{
    EXPECT_EQ(checkCheque(GetParam().fields, GetParam().context).erro, QLatin1String(GetParam().erro));
}

ChequeFields with(void (*change)(ChequeFields&))
{
    ChequeFields f = complete();
    change(f);
    return f;
}

const CheckContext kPrints{true, true, 1, 2, kToday};
const CheckContext kNoPrint{true, false, 1, 2, kToday};

INSTANTIATE_TEST_SUITE_P(
    Cases, ChequeCheck,
    ::testing::Values(
        CheckCase{"count_not_asked_after_the_first",
                  with([](ChequeFields& f) { f.parcelas.clear(); }),
                  {false, true, 1, 1, kToday},
                  ""},
        CheckCase{"lone_comma", with([](ChequeFields& f) { f.valor = ","; }), kPrints, "ValorInv"},
        CheckCase{"zero", with([](ChequeFields& f) { f.valor = "0,00"; }), kPrints, "ValorMaior"},
        CheckCase{"less_than_a_cent", with([](ChequeFields& f) { f.valor = "0,004"; }), kPrints,
                  "ValorMaior"},
        CheckCase{"impossible_date", with([](ChequeFields& f) { f.data = "31/02/24"; }), kPrints, "DtImpInv"},
        CheckCase{"partial_date", with([](ChequeFields& f) { f.data = "  /01/0524"; }), kPrints, "DtImpInv"},
        CheckCase{"back_text_for_fiscal_kind_4", complete(), {true, true, 4, 1, kToday}, "VersoInv"},
        CheckCase{"no_back_text_needed_without_printing", complete(), {true, false, 4, 1, kToday}, ""},
        CheckCase{"kind_2_too_large", with([](ChequeFields& f) { f.valor = "10000000000,00"; }), kPrints,
                  "ValorImpMaior"},
        CheckCase{"printer_limit_only_without_printing",
                  with([](ChequeFields& f) { f.valor = "99999999,99"; }), kNoPrint, ""},
        CheckCase{"a_cent_above_the_receipts_limit", with([](ChequeFields& f) { f.valor = "100000000,00"; }),
                  kNoPrint, "ValorAcimaLimite"},
        CheckCase{"taking_the_amount_paid_past_the_limit",
                  complete(),
                  {true, false, 1, 2, kToday, 9'999'990'000},
                  "ValorAcimaLimite"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChequeDate, AYearOrMoreAwayFromTodayIsDistant)
{
    struct Row
    {
        QDate data;
        bool distante;
    };
    const Row rows[] = {
        {kToday, false},
        {kToday.addMonths(5), false}, // post-dated a few months
        {kToday.addYears(1), false},
        {kToday.addYears(1).addDays(1), true},
        {kToday.addMonths(-11), false},
        {kToday.addYears(-1).addDays(-1), true},
        {*chequeDate("01/01/90", kToday), true}, // "010190": 2090
        {*chequeDate("01/01/20", kToday), true}, // "01012099" cut to six digits: 2020
    };
    for (const Row& r : rows)
        EXPECT_EQ(dataDistante(r.data, kToday), r.distante) << r.data.toString(Qt::ISODate).toStdString();
}

TEST(ChequeDate, TwoDigitYearsAreOfTodaysCentury)
{
    struct Row
    {
        const char* shown;
        QDate today;
        QDate date; // null: none
    };
    const Row rows[] = {
        {"01/05/24", kToday, {2024, 5, 1}},
        {"01/05/2024", kToday, {2024, 5, 1}},
        {"29/02/24", kToday, {2024, 2, 29}},
        {"29/02/25", kToday, {}},
        {"01/05/24", {2101, 1, 1}, {2124, 5, 1}},
        {"01/13/24", kToday, {}},
        {"", kToday, {}},
        {" 0/10/52", kToday, {}},
        {"01/05/024", kToday, {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(chequeDate(QString::fromLatin1(r.shown), r.today).value_or(QDate()), r.date) << r.shown;
}

} // namespace
