#include "TefRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace zel {
namespace {

Result<TefRules> rulesWith(const char* key, const QJsonValue& value)
{
    return TefRules::fromJson(
        QJsonObject{{"rules", QJsonArray{QJsonObject{{key, value}, {"action", "decline"}}}}});
}

// Amounts and pauses are whole non-negative numbers; anything else, including a number past
// the 64-bit range (which has no whole value to compare with), is refused with the key named.
TEST(TefRules, ReadsWholeNumbersAndRefusesTheRest)
{
    const struct
    {
        const char* key;
        QJsonValue value;
        bool accepted;
    } rows[] = {
        {"amount", 99999, true},
        {"amountFrom", 0, true},
        {"amountTo", 9007199254740992.0, true},
        {"delayMs", 600000, true},
        {"amount", 12.5, false},
        {"amount", -1, false},
        {"amount", QStringLiteral("1250"), false},
        {"amount", 9.9e100, false},
        {"amountTo", 9223372036854775808.0, false},
        {"amountFrom", 1e300, false},
        {"delayMs", 1e19, false},
        {"splitPauseMs", 600001, false},
    };
    for (const auto& row : rows) {
        const auto rules = rulesWith(row.key, row.value);
        EXPECT_EQ(rules.ok(), row.accepted) << row.key << " " << row.value.toDouble();
        if (!rules.ok()) {
            EXPECT_TRUE(rules.errorMessage().contains(QLatin1String(row.key)))
                << rules.errorMessage().toStdString();
        }
    }
}

// A rule without a header answers payments only: a cancellation follows the rules that name it
// and is otherwise carried out, whatever the payments' default says.
TEST(TefRules, CancellationsFollowOnlyTheirOwnRules)
{
    const auto rules = TefRules::fromJson(QJsonDocument::fromJson(R"({
        "default": {"action": "silent"},
        "rules": [{"amount": 1300, "action": "decline"},
                  {"header": "CNC", "amount": 1300, "action": "fail"},
                  {"header": "CHQ", "action": "notake"}]})")
                                              .object());
    ASSERT_TRUE(rules.ok()) << rules.errorMessage().toStdString();
    using A = TefRule::Action;
    const struct
    {
        const char* header;
        qint64 cents;
        A action;
    } rows[] = {
        {"CRT", 1300, A::Decline}, {"CHQ", 1300, A::Decline}, {"CNC", 1300, A::Fail},
        {"CRT", 1400, A::Silent},  {"CHQ", 1400, A::NoTake},  {"CNC", 1400, A::Approve},
    };
    for (const auto& row : rows)
        EXPECT_EQ(tefActionName(rules->find(QLatin1String(row.header), row.cents).action),
                  tefActionName(row.action))
            << row.header << " " << row.cents;
}

} // namespace
} // namespace zel
