// The IntPos request and response codec and what a response means for the payment.

#include "receipt/tef/IntPosCodec.h"

#include "TefTestSupport.h"
#include "text/Money.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(IntPosRequest, FiveLinesWithCrLf)
{
    const auto bytes = encodeIntPosRequest(tefHeader("Q"), "17", "000123", centsText(1234.50));
    ASSERT_TRUE(bytes.ok()) << bytes.errorMessage().toStdString();
    EXPECT_EQ(*bytes,
              "000-000 = CHQ\r\n001-000 = 17\r\n002-000 = 000123\r\n003-000 = 123450\r\n999-999 = 0\r\n");
}

struct CentsCase
{
    double amount;
    const char* line;
};

class IntPosAmount : public ::testing::TestWithParam<CentsCase>
{
};

TEST_P(IntPosAmount, WholeCentsWithoutSeparator)
{
    const auto bytes = encodeIntPosRequest("CRT", "1", "", centsText(GetParam().amount));
    ASSERT_TRUE(bytes.ok());
    EXPECT_TRUE(bytes->contains(QByteArray(GetParam().line) + "\r\n")) << bytes->toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, IntPosAmount,
    ::testing::Values(CentsCase{1234.50, "003-000 = 123450"}, CentsCase{0.05, "003-000 = 005"},
                      CentsCase{12.5, "003-000 = 1250"}, CentsCase{0.29, "003-000 = 029"},
                      CentsCase{3 * 1.15, "003-000 = 345"}, CentsCase{100000, "003-000 = 10000000"}));

TEST(IntPosRequest, RefusesValuesThatWouldChangeTheLines)
{
    for (const QString& coupon :
         {QStringLiteral("12\r\n009-000 = 0"), QStringLiteral("12\t"), QStringLiteral("cupom \u20ac")}) {
        const auto bytes = encodeIntPosRequest("CRT", "1", coupon, "100");
        ASSERT_FALSE(bytes.ok()) << coupon.toStdString();
        EXPECT_TRUE(bytes.errorMessage().contains("cupom")) << bytes.errorMessage().toStdString();
    }
    EXPECT_FALSE(encodeIntPosRequest("CRT", "1\n2", "", "100").ok());
}

TEST(IntPosResponse, ReadsFieldsByNameTrimmed)
{
    const auto parsed =
        IntPosResponse::parse("000-000 = CRT\r\n030-000 =   Senha  = ok \r\n030-000 = segunda\r\n"
                              "0300-000 = x\r\n028-000= 3\r\n999-999 = 0\r\n");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed->value("030-000"), "Senha  = ok"); // the first line of the key; "=" may follow
    EXPECT_FALSE(parsed->field("028-000")) << "no blank before \"=\"";
    EXPECT_FALSE(parsed->field("0300-00"));
    EXPECT_EQ(parsed->line(0), "000-000 = CRT");
    EXPECT_EQ(parsed->line(9), "");
    EXPECT_TRUE(parsed->isComplete());
}

TEST(IntPosResponse, CompleteOnlyWithTheEndLine)
{
    EXPECT_TRUE(IntPosResponse::parse("000-000 = CRT\n999-999 = 0\n\r\n\n")->isComplete());
    EXPECT_TRUE(IntPosResponse::parse("000-000 = CRT\r\n999-999 = 0")->isComplete());
    EXPECT_FALSE(IntPosResponse::parse("000-000 = CRT\r\n009-000 = 0\r\n999-9")->isComplete());
    EXPECT_FALSE(IntPosResponse::parse("999-999 = 0\r\n030-000 = mais\r\n")->isComplete());
    EXPECT_FALSE(IntPosResponse::parse("")->isComplete());
}

TEST(IntPosResponse, RefusesFilesThatAreNoResponse)
{
    const auto binary = IntPosResponse::parse(QByteArray("000-000 = CRT\r\n\0\0\0\r\n999-999 = 0\r\n", 32));
    ASSERT_FALSE(binary.ok());
    EXPECT_TRUE(binary.errorMessage().contains("não é texto"));
    const auto large = IntPosResponse::parse(QByteArray(kMaxIntPosResponseBytes + 1, 'x'));
    ASSERT_FALSE(large.ok());
    EXPECT_TRUE(large.errorMessage().contains("256 KiB"));
    // Garbled lines and control characters other than NUL are still read.
    EXPECT_TRUE(IntPosResponse::parse("000-000 = CRT\r\n#### \x01\x02 ####\r\n999-999 = 0\r\n").ok());
}

TEST(IntPosResponse, EndLineWithTrailingBlanksOrAnEndOfFileMark)
{
    for (const char* text : {"000-000 = CRT\r\n999-999 = 0 \r\n", "000-000 = CRT\r\n999-999 = 0\t \r\n  \r\n",
                             "000-000 = CRT\r\n999-999 = 0\r\n\x1a", "000-000 = CRT\r\n999-999 = 0\x1a\r\n",
                             "000-000 = CRT\r\n999-999 = 0\r\n\x1a\x1a garbage"}) {
        const auto parsed = IntPosResponse::parse(text);
        ASSERT_TRUE(parsed.ok());
        EXPECT_TRUE(parsed->isComplete()) << text;
        EXPECT_EQ(parsed->settledLines(), parsed->lines().size()) << text;
        EXPECT_EQ(parsed->line(1).trimmed(), "999-999 = 0") << text;
    }
    EXPECT_FALSE(IntPosResponse::parse("000-000 = CRT\r\n\x1a"
                                       "999-999 = 0\r\n")
                     ->isComplete())
        << "nothing after the mark counts";
}

struct KindCase
{
    const char* name;
    const char* text;
    bool taken; // the manager has taken the request
    TefResponseKind kind;
};

class TefResponseKinds : public ::testing::TestWithParam<KindCase>
{
};

TEST_P(TefResponseKinds, FromTheSettledLines)
{
    const auto parsed = IntPosResponse::parse(GetParam().text);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(classifyTefResponse(*parsed, "CRT", "42", GetParam().taken), GetParam().kind);
}

constexpr auto kOursKind = TefResponseKind::Ours;
constexpr auto kFailedKind = TefResponseKind::Failed;
constexpr auto kForeign = TefResponseKind::Foreign;
constexpr auto kUnnamed = TefResponseKind::Unnamed;

INSTANTIATE_TEST_SUITE_P(
    Responses, TefResponseKinds,
    ::testing::Values(
        KindCase{"ours", "000-000 = CRT\r\n001-000 = 42\r\n009-000 = 0\r\n999-999 = 0\r\n", true, kOursKind},
        KindCase{"otherHeader", "000-000 = CHQ\r\n001-000 = 42\r\n999-999 = 0\r\n", true, kForeign},
        KindCase{"otherSequence", "000-000 = CRT\r\n001-000 = 942\r\n999-999 = 0\r\n", true, kForeign},
        KindCase{"sequenceNotSecond", "000-000 = CRT\r\n002-000 = 1\r\n001-000 = 42\r\n999-999 = 0\r\n", true,
                 kOursKind},
        KindCase{"trailingBlanks", "000-000 = CRT \r\n001-000 = 42 \r\n999-999 = 0 \r\n", true, kOursKind},
        KindCase{"failed", "000-000 = XXX\r\n001-000 = 42\r\n030-000 = Erro\r\n999-999 = 0\r\n", false,
                 kFailedKind},
        KindCase{"failedSequenceThird", "000-000 = XXX\r\n030-000 = Erro\r\n001-000 = 42\r\n999-999 = 0\r\n",
                 false, kFailedKind},
        KindCase{"failedUnnamedTaken", "000-000 = XXX\r\n030-000 = Erro\r\n999-999 = 0\r\n", true,
                 kFailedKind},
        KindCase{"failedUnnamedLeftOver", "000-000 = XXX\r\n030-000 = Erro\r\n999-999 = 0\r\n", false,
                 kForeign},
        KindCase{"failedOfAnother", "000-000 = XXX\r\n001-000 = 41\r\n999-999 = 0\r\n", true, kForeign},
        KindCase{"oursUnnamed", "000-000 = CRT\r\n009-000 = 0\r\n999-999 = 0\r\n", true, kForeign},
        KindCase{"empty", "999-999 = 0\r\n", true, kForeign},
        // Unfinished files: whose they are from the lines already ended by a line break.
        KindCase{"cutOffOfAnother", "000-000 = CRT\r\n001-000 = 91\r\n009-0", true, kForeign},
        KindCase{"cutOffOurs", "000-000 = CRT\r\n001-000 = 42\r\n009-000 = 0\r\n", true, kOursKind},
        KindCase{"sequenceStillGrowing", "000-000 = CRT\r\n001-000 = 4", true, kUnnamed},
        KindCase{"headerOnly", "000-000 = XXX\r\n", false, kUnnamed},
        KindCase{"headerGrowing", "000-000 = CR", true, kUnnamed},
        KindCase{"otherKindUnnamed", "000-000 = CHQ\r\n", true, kForeign},
        KindCase{"nothing", "", true, kUnnamed}),
    [](const auto& info) { return std::string(info.param.name); });

struct VerdictCase
{
    const char* name;
    const char* fields; // lines after the header and the sequence
    TefResponseKind kind;
    bool approved;
    bool keepFiles;
    TefVerdict::Show show;
};

class TefVerdicts : public ::testing::TestWithParam<VerdictCase>
{
};

TEST_P(TefVerdicts, OutcomeAndMessage)
{
    const auto& c = GetParam();
    const auto parsed = IntPosResponse::parse(QByteArray("000-000 = CRT\r\n001-000 = 1\r\n") + c.fields);
    ASSERT_TRUE(parsed.ok());
    const TefVerdict verdict = decideTefResponse(*parsed, c.kind);
    EXPECT_EQ(verdict.approved, c.approved);
    EXPECT_EQ(verdict.keepFiles, c.keepFiles);
    EXPECT_EQ(verdict.show, c.show);
    EXPECT_EQ(verdict.message.isEmpty(), c.show == TefVerdict::Show::Nothing);
}

using Show = TefVerdict::Show;
constexpr auto kOurs = TefResponseKind::Ours;
constexpr auto kFailed = TefResponseKind::Failed;

INSTANTIATE_TEST_SUITE_P(
    Responses, TefVerdicts,
    ::testing::Values(
        VerdictCase{"approvedNoReceipt", "009-000 = 0\r\n028-000 = 0\r\n030-000 = Aprovada\r\n", kOurs, true,
                    false, Show::Dialog},
        VerdictCase{"approvedWithReceipt", "009-000 = 0\r\n028-000 = 4\r\n030-000 = Aprovada\r\n", kOurs,
                    true, true, Show::Notice},
        VerdictCase{"approvedSilent", "009-000 =  0 \r\n028-000 = 2\r\n030-000 =   \r\n", kOurs, true, true,
                    Show::Nothing},
        VerdictCase{"approvedNoReceiptField", "009-000 = 0\r\n", kOurs, true, false, Show::Nothing},
        VerdictCase{"declined", "009-000 = 51\r\n028-000 = 0\r\n030-000 = Saldo\r\n", kOurs, false, false,
                    Show::Dialog},
        VerdictCase{"declinedWithReceipt", "009-000 = 5\r\n028-000 = 1\r\n030-000 = Negada\r\n", kOurs, false,
                    false, Show::Notice},
        VerdictCase{"noStatus", "028-000 = 0\r\n", kOurs, false, false, Show::Nothing},
        VerdictCase{"failedWithMessage", "009-000 = 0\r\n028-000 = 2\r\n030-000 = Falha\r\n", kFailed, false,
                    false, Show::Dialog},
        VerdictCase{"failedSilent", "030-000 = \r\n", kFailed, false, false, Show::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel
