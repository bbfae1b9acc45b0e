#include "cheque/ChequeEntry.h"

#include <gtest/gtest.h>

using namespace zel::cheque;
using namespace Vrm_zel00200;

namespace {

// Types `keys` one after another on a field that holds `start`, the way the form's character
// handler does, and answers the text left.
QString typed(TTipoTecl field, const QString& start, const QString& keys, bool substitui = false,
              int dateLimit = 8)
{
    QString text = start;
    for (const QChar ch : keys)
        typeChar(field, text, substitui, ch, dateLimit);
    return text;
}

struct TypingCase
{
    const char* what;
    TTipoTecl field;
    const char* start;
    bool substitui;
    const char* keys;
    const char* expected;
};

class Typing : public ::testing::TestWithParam<TypingCase>
{
};

TEST_P(Typing, LeavesTheExpectedText)
{
    const TypingCase& c = GetParam();
    EXPECT_EQ(typed(c.field, QString::fromUtf8(c.start), QString::fromUtf8(c.keys), c.substitui, 6),
              QString::fromUtf8(c.expected))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Typing,
    ::testing::Values(
        TypingCase{"bank: a new content after a selection", ttBanco, "341", true, "2", "2"},
        TypingCase{"bank: a fourth digit is ignored", ttBanco, "", false, "3417", "341"},
        TypingCase{"instalments: a third digit is ignored", ttParcela, "", false, "123", "12"},
        TypingCase{"branch holds six digits", ttAgencia, "", false, "12345678", "123456"},
        TypingCase{"account holds seventeen digits", ttConta, "", false, "123456789012345678",
                   "12345678901234567"},
        TypingCase{"cheque number: an eighth digit is ignored", ttCheque, "", false, "12345678", "1234567"},
        TypingCase{"digit fields ignore letters and separators", ttAgencia, "1", false, "a,.- 2", "12"},
        TypingCase{"an ignored key keeps the old content", ttBanco, "341", true, "x", "341"},
        TypingCase{"value: full stop becomes a comma", ttValor, "", false, "12.5", "12,5"},
        TypingCase{"value: a second comma is ignored", ttValor, "", false, "1,2,5.", "1,25"},
        TypingCase{"value: a comma first after a selection", ttValor, "99,9", true, ",", ","},
        TypingCase{"value: no limit of length", ttValor, "", false, "123456789012", "123456789012"},
        TypingCase{"value ignores letters", ttValor, "", false, "1a2", "12"},
        TypingCase{"date takes digits up to its width", ttData, "", false, "0105241", "010524"},
        TypingCase{"date: a new content after a selection", ttData, "010524", true, "3", "3"},
        TypingCase{"back text takes its character set", ttVerso, "", false, "Ab 1,./çÇ", "Ab 1,./çÇ"},
        TypingCase{"back text refuses other characters", ttVerso, "x", false, "-;é!\t", "x"},
        TypingCase{"back text stops at what is printed", ttVerso,
                   "01234567890123456789012345678901234567890123456789012345678901234567890123456789012345678"
                   "901234567890123456789012345678",
                   false, "9ab",
                   "01234567890123456789012345678901234567890123456789012345678901234567890123456789012345678"
                   "9012345678901234567890123456789"}));

TEST(Typing, AcceptedCharacterClearsReplacementAndRefusedOneKeepsIt)
{
    QString text = QStringLiteral("341");
    bool substitui = true;
    EXPECT_FALSE(typeChar(ttBanco, text, substitui, u'a', 8));
    EXPECT_TRUE(substitui);
    EXPECT_TRUE(typeChar(ttBanco, text, substitui, u'7', 8));
    EXPECT_FALSE(substitui);
    EXPECT_EQ(text, QString("7"));
}

struct DateCase
{
    int impFis;
    int impChq;
    const char* digits;
    const char* shown;
};

class DateShown : public ::testing::TestWithParam<DateCase>
{
};

TEST_P(DateShown, ByPrinterKind)
{
    const DateCase& c = GetParam();
    const int width = dateWidth(c.impFis, c.impChq);
    EXPECT_EQ(dateDisplay(QString::fromLatin1(c.digits), width), QString::fromLatin1(c.shown))
        << "fiscal " << c.impFis << ", cheque " << c.impChq << ", digits " << c.digits;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DateShown,
    ::testing::Values(DateCase{1, 1, "010524", "01/05/24"}, DateCase{0, 2, "311224", "31/12/24"},
                      DateCase{4, 1, "010524", "  /01/0524"}, DateCase{4, 1, "01052024", "01/05/2024"},
                      DateCase{1, 0, "01052024", "01/05/2024"}, DateCase{1, 3, "010524", "  /01/0524"},
                      DateCase{1, 1, "0105", "  /01/05"}, DateCase{1, 1, "", ""}));

TEST(Value, EnterLeavesTwoDecimalsWhenTheTextIsAnAmount)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12,5", "12,50"},   {"7", "7,00"}, {"12,", "12,00"}, {",5", "0,50"}, {"0,125", "0,13"},
        {"1000", "1000,00"}, {",", ","},    {"", ""},         {"0", "0,00"}};
    for (const auto& [typedText, expected] : cases)
        EXPECT_EQ(normalizeValue(QString::fromLatin1(typedText)), QString::fromLatin1(expected)) << typedText;
}

TEST(Navigation, PageKeysWalkTheFieldsAndSkipTheInstalmentsWhenTheyAreClosed)
{
    EXPECT_EQ(nextField(ttParcela, true), ttValor);
    EXPECT_EQ(nextField(ttData, true), ttVerso);
    EXPECT_EQ(nextField(ttVerso, true), ttParcela);
    EXPECT_EQ(nextField(ttVerso, false), ttValor);
    EXPECT_EQ(previousField(ttParcela, true), ttVerso);
    EXPECT_EQ(previousField(ttValor, true), ttParcela);
    EXPECT_EQ(previousField(ttValor, false), ttVerso);
    EXPECT_EQ(previousField(ttVerso, false), ttData);

    // A whole turn visits every open field once.
    for (const bool open : {true, false}) {
        TTipoTecl field = ttValor;
        int steps = 0;
        do {
            field = nextField(field, open);
            ++steps;
        } while (field != ttValor);
        EXPECT_EQ(steps, open ? 8 : 7);
    }
}

TEST(Keyboards, EachFieldOpensItsKeyboardWhereTheFormPutsIt)
{
    EXPECT_EQ(keyboardFor(ttValor).keyboard, Keyboard::Value);
    EXPECT_EQ(keyboardFor(ttValor).topLeft, QPoint(485, 260));
    EXPECT_EQ(keyboardFor(ttVerso).keyboard, Keyboard::Alpha);
    EXPECT_EQ(keyboardFor(ttVerso).topLeft, QPoint(8, 146));
    for (TTipoTecl f : {ttParcela, ttAgencia, ttBanco, ttConta, ttCheque, ttData}) {
        EXPECT_EQ(keyboardFor(f).keyboard, Keyboard::Numeric);
        EXPECT_EQ(keyboardFor(f).topLeft, QPoint(485, 275));
    }
}

} // namespace
