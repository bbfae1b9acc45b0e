#include "text/FiliProc.h"
#include "text/MaskText.h"
#include "text/Messages.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(FormatMaskText, LiteralsBlanksEscapesAndCase)
{
    EXPECT_EQ(FormatMaskText("000.000.000-00;0;_", "529982"), QString("529.982.___-__"));
    EXPECT_EQ(FormatMaskText("000.000.000-00;0; ", "529"), QString("529.   .   -  "));
    // With saved literals the value's own literals are consumed, not repeated.
    EXPECT_EQ(FormatMaskText("00/00/0000;1;_", "01/12/2026"), QString("01/12/2026"));
    EXPECT_EQ(FormatMaskText("00/00/0000", "01/12/2026"), QString("01/12/2026"));
    EXPECT_EQ(FormatMaskText("00/00/0000;0;_", "01122026"), QString("01/12/2026"));
    EXPECT_EQ(FormatMaskText("\\(00\\) 0000-0000;0;_", "1133334444"), QString("(11) 3333-4444"));
    EXPECT_EQ(FormatMaskText(">LL-0000;0;_", "ab1234"), QString("AB-1234"));
    EXPECT_EQ(FormatMaskText("<LL>L<>L;0;_", "ABcd"), QString("abCd"));
    EXPECT_EQ(FormatMaskText("999-999;0;_", "12"), QString("12-"));
    EXPECT_EQ(FormatMaskText("0\\;0;0;*", "1"), QString("1;*"));
    EXPECT_EQ(FormatMaskText("", "as is"), QString("as is"));
}

TEST(TMessages, KeysMatchWithoutCaseAndTextFollowsTheFirstBar)
{
    TMessages msg(
        {"Total|Total : ", "ClieNCad|Cliente não cadastrado", "Pipe|a|b", "broken line", "Total|second"});
    EXPECT_EQ(msg.Msg("Total"), QString("Total : "));
    EXPECT_EQ(msg.Msg("ClieNcad"), QString("Cliente não cadastrado"));
    EXPECT_EQ(msg.Msg("PIPE"), QString("a|b"));
    EXPECT_TRUE(msg.contains("total"));
    EXPECT_FALSE(msg.contains("Subtotal"));
    EXPECT_EQ(msg.Msg("Subtotal"), QString("Subtotal"));
    msg.append("Subtotal", "Subtotal : ");
    EXPECT_EQ(msg.Msg("subtotal"), QString("Subtotal : "));
}

namespace {
int g_missWarnings = 0;
void countMisses(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg && text.contains(QLatin1String("NoSuchKeyEver")))
        ++g_missWarnings;
}
} // namespace

TEST(TMessages, AMissingKeyIsReportedOnce)
{
    const QtMessageHandler previous = qInstallMessageHandler(countMisses);
    TMessages one({"A|a"}), other;
    EXPECT_EQ(one.Msg("NoSuchKeyEver"), QString("NoSuchKeyEver"));
    EXPECT_EQ(one.Msg("nosuchkeyever"), QString("nosuchkeyever"));
    EXPECT_EQ(other.Msg("NoSuchKeyEver"), QString("NoSuchKeyEver"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_missWarnings, 1);
}

TEST(FiliProc, HostSetsTheBranchCode)
{
    setFiliProc("0007");
    EXPECT_EQ(FiliProc(), QString("0007"));
    setFiliProc(QString());
    EXPECT_TRUE(FiliProc().isEmpty());
}
