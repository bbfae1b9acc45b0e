#include "OperatorScript.h"

#include <gtest/gtest.h>

using namespace zel::demo;

TEST(OperatorScriptParse, ReadsEveryActionAndSkipsComments)
{
    const auto actions = parseScript("# a sale\n"
                                     "click tcbGrupo02\r\n"
                                     "\n"
                                     "type 12,50\n"
                                     "key Enter\n"
                                     "key 7\n"
                                     "answer 6\n"
                                     "wait 250\n"
                                     "screenshot out/grid.png\n"
                                     "expect lblValorTotal R$ 173,08\n"
                                     "screen out/all.png\n");
    ASSERT_TRUE(actions.ok()) << actions.errorMessage().toStdString();
    ASSERT_EQ(actions->size(), 9);
    const auto& a = *actions;
    EXPECT_EQ(a[0].kind, ScriptAction::Click);
    EXPECT_EQ(a[0].target, QString("tcbGrupo02"));
    EXPECT_EQ(a[0].line, 2);
    EXPECT_EQ(a[1].kind, ScriptAction::Type);
    EXPECT_EQ(a[1].target, QString("12,50"));
    EXPECT_EQ(a[2].kind, ScriptAction::Key);
    EXPECT_EQ(a[3].target, QString("7"));
    EXPECT_EQ(a[4].kind, ScriptAction::Answer);
    EXPECT_EQ(a[4].number, 6);
    EXPECT_EQ(a[5].number, 250);
    EXPECT_EQ(a[6].target, QString("out/grid.png"));
    EXPECT_EQ(a[7].kind, ScriptAction::Expect);
    EXPECT_EQ(a[7].target, QString("lblValorTotal"));
    EXPECT_EQ(a[7].text, QString("R$ 173,08"));
    EXPECT_EQ(a[8].kind, ScriptAction::Screen);
    EXPECT_EQ(a[8].target, QString("out/all.png"));
}

TEST(OperatorScriptParse, RefusesBadLinesNamingTheLine)
{
    // An expectation without a control name would be met by whichever control came first.
    const char* bad[] = {"press tcbOk", "key Hyper", "answer yes",
                         "wait -5",     "click",     "screenshot",
                         "screen",      "expect",    "expect  lblValorTotal R$ 1,00"};
    for (const char* line : bad) {
        const auto r = parseScript(QString("# first\n") + line);
        ASSERT_FALSE(r.ok()) << line;
        EXPECT_TRUE(r.errorMessage().contains("line 2")) << r.errorMessage().toStdString();
    }
}
