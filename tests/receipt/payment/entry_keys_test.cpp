#include "receipt/payment/EntryKeys.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

const QChar kComma(u',');

struct CharCase
{
    const char* what;
    EntryState before;
    QChar ch;
    CharResult result;
    QString valor;
    bool substitui;
};

class TypeCharTest : public ::testing::TestWithParam<CharCase>
{
};

TEST_P(TypeCharTest, ChangesTheEntryAsTyped)
{
    const CharCase& c = GetParam();
    EntryState entry = c.before;
    EXPECT_EQ(typeChar(entry, c.ch, kComma), c.result);
    EXPECT_EQ(entry.valor, c.valor);
    EXPECT_EQ(entry.substitui, c.substitui);
    EXPECT_EQ(entry.step, c.before.step);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, TypeCharTest,
    ::testing::Values(
        CharCase{"digit appended", {"12", false, isDinheiro1}, u'5', CharResult::Shown, "125", false},
        CharCase{"a proposal is replaced", {"35,00", true, isDinheiro1}, u'2', CharResult::Shown, "2", false},
        CharCase{
            "separator on a proposal", {"35,00", true, isDinheiro1}, u',', CharResult::Shown, "0,", false},
        CharCase{
            "full stop is the separator", {"12", false, isCredito3}, u'.', CharResult::Shown, "12,", false},
        CharCase{"separator on empty", {"", false, isDinheiro1}, u',', CharResult::Shown, "0,", false},
        CharCase{
            "second separator ignored", {"12,5", false, isDinheiro1}, u'.', CharResult::Kept, "12,5", false},
        CharCase{
            "locked while change is shown", {"5,00", true, isTroco}, u'7', CharResult::Kept, "5,00", true},
        CharCase{"typing with no step waiting", {"", false, isNone}, u'7', CharResult::Shown, "7", false},
        CharCase{"letter refused, proposal kept",
                 {"35,00", true, isDinheiro1},
                 u'a',
                 CharResult::Refused,
                 "35,00",
                 true},
        CharCase{"minus refused", {"3", false, isMoeda1}, u'-', CharResult::Refused, "3", false},
        CharCase{"blank refused", {"3", false, isDinheiro1}, u' ', CharResult::Refused, "3", false},
        CharCase{"Enter's own text is no character",
                 {"35,00", true, isDinheiro1},
                 u'\r',
                 CharResult::Kept,
                 "35,00",
                 true},
        CharCase{"Backspace's own text is no character",
                 {"35", false, isDinheiro1},
                 u'\b',
                 CharResult::Kept,
                 "35",
                 false}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.what);
        for (QChar& ch : name)
            if (!ch.isLetterOrNumber())
                ch = u'_';
        return name.toStdString();
    });

TEST(TypeChar, UsesTheSeparatorItIsGiven)
{
    EntryState entry{"", false, isDinheiro1};
    EXPECT_EQ(typeChar(entry, u',', u'.'), CharResult::Shown);
    EXPECT_EQ(entry.valor, QString("0."));
}

struct EraseCase
{
    const char* what;
    EntryState before;
    bool backspace; // else Delete
    bool correction;
    bool posKeyboard;
    QString valor;
    bool substitui;
};

class EraseTest : public ::testing::TestWithParam<EraseCase>
{
};

TEST_P(EraseTest, RemovesOnlyWhenCorrectionIsAllowed)
{
    const EraseCase& c = GetParam();
    EntryState entry = c.before;
    if (c.backspace)
        eraseLast(entry, c.correction);
    else
        eraseAll(entry, c.correction, c.posKeyboard);
    EXPECT_EQ(entry.valor, c.valor) << c.what;
    EXPECT_EQ(entry.substitui, c.substitui) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EraseTest,
    ::testing::Values(
        EraseCase{"backspace", {"12,5", true, isDinheiro1}, true, true, false, "12,", false},
        EraseCase{"backspace on empty", {"", false, isDinheiro1}, true, true, false, "", false},
        EraseCase{"backspace while locked", {"5,00", true, isTroco}, true, true, false, "5,00", true},
        EraseCase{
            "backspace, correction off", {"35,00", true, isCredito3}, true, false, false, "35,00", true},
        EraseCase{"delete", {"12,5", true, isDinheiro1}, false, true, false, "", false},
        EraseCase{
            "delete with the POS keyboard", {"12,5", true, isDinheiro1}, false, true, true, "12,5", true},
        EraseCase{"delete while locked", {"5,00", false, isTroco}, false, true, false, "5,00", false},
        EraseCase{"delete, correction off", {"35,00", true, isDebito3}, false, false, false, "35,00", true}));

struct EnterCase
{
    EntryState before;
    EnterResult result;
    TInputStep after;
};

class PressEnterTest : public ::testing::TestWithParam<EnterCase>
{
};

TEST_P(PressEnterTest, EndsOrAdvancesTheStep)
{
    const EnterCase& c = GetParam();
    EntryState entry = c.before;
    const EnterOutcome outcome = pressEnter(entry, QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(outcome.result, c.result) << c.before.valor.toStdString();
    EXPECT_EQ(entry.step, c.after) << c.before.valor.toStdString();
    EXPECT_EQ(entry.valor, c.before.valor) << "Enter keeps the entry";
    EXPECT_EQ(outcome.error.isEmpty(), c.result != EnterResult::Unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PressEnterTest,
    ::testing::Values(EnterCase{{"12,5", false, isDinheiro1}, EnterResult::Done, isNone},
                      EnterCase{{"35,00", true, isCredito3}, EnterResult::Done, isNone},
                      EnterCase{{"7", false, isDebito3}, EnterResult::Done, isNone},
                      EnterCase{{"0,01", false, isCheque6}, EnterResult::Done, isNone},
                      EnterCase{{"12", false, isConvenio2}, EnterResult::Done, isNone},
                      EnterCase{{"3,", false, isTicket1}, EnterResult::Done, isNone},
                      EnterCase{{"5,00", false, isTroco}, EnterResult::Done, isNone},
                      EnterCase{{"0", false, isDinheiro1}, EnterResult::ZeroRefused, isDinheiro1},
                      EnterCase{{"0,00", true, isMoeda2}, EnterResult::ZeroRefused, isMoeda2},
                      EnterCase{{"0,", false, isTicket1}, EnterResult::ZeroRefused, isTicket1},
                      // Nothing once cut to the cent, as it would be recorded.
                      EnterCase{{"0,001", false, isDinheiro1}, EnterResult::ZeroRefused, isDinheiro1},
                      EnterCase{{"0,009", true, isCredito3}, EnterResult::ZeroRefused, isCredito3},
                      // The first of two steps advances without a check.
                      EnterCase{{"5,10", false, isMoeda1}, EnterResult::Done, isMoeda2},
                      EnterCase{{"0", false, isMoeda1}, EnterResult::Done, isMoeda2},
                      EnterCase{{"0042", false, isConvenio1}, EnterResult::Done, isConvenio2},
                      EnterCase{{"12,5", false, isNone}, EnterResult::Done, isTroco},
                      // An empty entry checks nothing.
                      EnterCase{{"", false, isDinheiro1}, EnterResult::Done, isDinheiro1},
                      EnterCase{{"", false, isNone}, EnterResult::Done, isNone},
                      // What does not read as a number changes nothing.
                      EnterCase{{"12a", false, isDinheiro1}, EnterResult::Unreadable, isDinheiro1},
                      EnterCase{{"1,2,3", false, isCredito3}, EnterResult::Unreadable, isCredito3},
                      EnterCase{
                          {"99999999999999", false, isDinheiro1}, EnterResult::Unreadable, isDinheiro1}));

} // namespace
