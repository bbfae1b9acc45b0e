#include "consumer/ConsumerKeys.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

// One key-down on an entry in a given state, with or without the POS keyboard.
struct KeyCase
{
    const char* name;
    int step;
    const char* typed;
    bool prefix;
    bool keyboard;
    int key;
    // Expected afterwards.
    int stepAfter;
    const char* typedAfter;
    bool prefixAfter;
    KeyAction action;
};

std::ostream& operator<<(std::ostream& os, const KeyCase& c)
{
    return os << c.name;
}

class ConsumerKeyDown : public ::testing::TestWithParam<KeyCase>
{
};

constexpr int C = kStepClient;
constexpr int S = kStepConsumer;
constexpr int N = kStepNone;
constexpr auto None = KeyAction::None;
constexpr auto Show = KeyAction::ShowTyped;
constexpr auto Cancel = KeyAction::Cancel;
constexpr auto Correct = KeyAction::CorrectConsumer;

} // namespace

TEST(ConsumerEnter, GivesEachStepItsOwnCodeWhenKeysArriveTogether)
{
    int step = kStepClient;
    ConsumerEntry entry;
    const auto noKeyboard = [] { return false; };
    for (const QChar ch : QStringLiteral("501\r11\r")) {
        if (ch == u'\r')
            consumerKeyDown(step, entry, Qt::Key_Return, noKeyboard);
        else
            consumerKeyPress(step, entry, ch);
    }
    EXPECT_EQ(step, kStepNone);
    EXPECT_EQ(entry.clientCode, QStringLiteral("501"));
    EXPECT_EQ(entry.consumerCode, QStringLiteral("11"));
    EXPECT_EQ(entry.typed, QString());
}

TEST_P(ConsumerKeyDown, ChangesStepEntryAndAction)
{
    const KeyCase& c = GetParam();
    int step = c.step;
    ConsumerEntry entry{QString::fromLatin1(c.typed), c.prefix, {}, {}};
    int asked = 0;
    const KeyAction action = consumerKeyDown(step, entry, c.key, [&] {
        ++asked;
        return c.keyboard;
    });
    EXPECT_EQ(action, c.action);
    EXPECT_EQ(step, c.stepAfter);
    EXPECT_EQ(entry.typed, QString::fromLatin1(c.typedAfter));
    EXPECT_EQ(entry.prefix, c.prefixAfter);
    if (c.key == Qt::Key_Backspace || c.key == Qt::Key_Return) {
        EXPECT_EQ(asked, 0) << "keys that do not depend on the POS keyboard do not ask for it";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConsumerKeyDown,
    ::testing::Values(
        // Nothing happens while no step runs.
        KeyCase{"IdleEnter", N, "12", false, false, Qt::Key_Return, N, "12", false, None},
        KeyCase{"IdleEscape", N, "", true, true, Qt::Key_Escape, N, "", true, None},
        KeyCase{"IdleBackspace", N, "12", false, false, Qt::Key_Backspace, N, "12", false, None},
        // Enter moves on only with something typed; both Enter keys count.
        KeyCase{"EnterEmptyClient", C, "", true, true, Qt::Key_Return, C, "", true, None},
        KeyCase{"EnterEmptyConsumer", S, "", false, false, Qt::Key_Enter, S, "", false, None},
        KeyCase{"EnterClient", C, "501", true, true, Qt::Key_Return, S, "", false, Show},
        KeyCase{"EnterConsumer", S, "11", false, false, Qt::Key_Enter, N, "", false, Show},
        // Backspace drops one character, also from nothing.
        KeyCase{"Backspace", C, "501", true, true, Qt::Key_Backspace, C, "50", false, Show},
        KeyCase{"BackspaceEmpty", S, "", false, false, Qt::Key_Backspace, S, "", false, Show},
        // Escape: at once without the POS keyboard, only after Up with it.
        KeyCase{"EscapeNoKeyboard", C, "5", false, false, Qt::Key_Escape, C, "5", false, Cancel},
        KeyCase{"EscapeKeyboardAlone", S, "5", false, true, Qt::Key_Escape, S, "5", false, None},
        KeyCase{"EscapeAfterUp", S, "5", true, true, Qt::Key_Escape, S, "5", false, Cancel},
        // Delete: empties the entry in the client step, goes back to the client in the
        // consumer step; ignored after Up on the POS keyboard.
        KeyCase{"DeleteClient", C, "501", false, false, Qt::Key_Delete, C, "", false, Show},
        KeyCase{"DeleteConsumer", S, "11", false, true, Qt::Key_Delete, S, "11", false, Correct},
        KeyCase{"DeleteAfterUpClient", C, "501", true, true, Qt::Key_Delete, C, "501", true, None},
        KeyCase{"DeleteAfterUpConsumer", S, "11", true, true, Qt::Key_Delete, S, "11", true, None},
        // Up is the POS keyboard's prefix; without that keyboard it means nothing.
        KeyCase{"UpKeyboard", C, "", false, true, Qt::Key_Up, C, "", true, None},
        KeyCase{"UpNoKeyboard", C, "", false, false, Qt::Key_Up, C, "", false, None},
        // Keys without a meaning here leave the prefix alone.
        KeyCase{"OtherKey", S, "1", true, true, Qt::Key_F5, S, "1", true, None}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(ConsumerKeyPress, TakesCodeCharactersOnlyWhileAStepRuns)
{
    ConsumerEntry entry{QString(), true, {}, {}};
    const QString typed = QStringLiteral("aZ09,-./ *+ç_'\"\t");
    int step = kStepClient;
    QString taken;
    for (const QChar ch : typed) {
        if (consumerKeyPress(step, entry, ch))
            taken.append(ch);
    }
    EXPECT_EQ(taken, QStringLiteral("aZ09,-./"));
    EXPECT_EQ(entry.typed, QStringLiteral("aZ09,-./"));
    EXPECT_FALSE(entry.prefix) << "a character taken clears the prefix";

    entry.prefix = true;
    EXPECT_FALSE(consumerKeyPress(step, entry, QChar(u'*')));
    EXPECT_TRUE(entry.prefix) << "a character refused leaves the prefix";

    step = kStepNone;
    EXPECT_FALSE(consumerKeyPress(step, entry, QChar(u'1')));
    EXPECT_EQ(entry.typed, QStringLiteral("aZ09,-./"));
}
