// The txid the till gives the charges it asks the provider for.

#include "receipt/pix/PixTxid.h"

#include "support/QStringPrinter.h"

#include <QSet>
#include <gtest/gtest.h>

namespace zel::pix {
namespace {

TEST(PixTxid, EveryNewIdIsValidAndNoneRepeats)
{
    constexpr int kCount = 10'000;
    QSet<QString> seen;
    for (int i = 0; i < kCount; ++i) {
        const QString txid = newTxid();
        ASSERT_TRUE(isValidTxid(txid)) << txid.toStdString();
        ASSERT_EQ(txid.size(), kTxidChars);
        seen.insert(txid);
    }
    EXPECT_EQ(seen.size(), kCount);
}

// Over the ids drawn, every letter and digit turns up: the alphabet is the whole of [A-Za-z0-9]
// and not, by an off-by-one, all but its last.
TEST(PixTxid, DrawsFromTheWholeAlphabet)
{
    QSet<QChar> used;
    for (int i = 0; i < 1000; ++i) {
        for (const QChar c : newTxid())
            used.insert(c);
    }
    EXPECT_EQ(used.size(), 62);
}

struct TxidCase
{
    const char* name;
    QString txid;
    bool valid;
    friend void PrintTo(const TxidCase& c, std::ostream* os) { *os << c.name; }
};

class TxidValidity : public ::testing::TestWithParam<TxidCase>
{
};

TEST_P(TxidValidity, LettersAndDigitsOfTheProvidersLength)
{
    EXPECT_EQ(isValidTxid(GetParam().txid), GetParam().valid) << GetParam().txid.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Ids, TxidValidity,
    ::testing::Values(TxidCase{"shortest", QString(26, u'a'), true},
                      TxidCase{"longest", QString(35, u'Z'), true},
                      TxidCase{"mixed", "7978c0c97ea847e78e8849634473c1f1", true},
                      TxidCase{"oneTooShort", QString(25, u'a'), false},
                      TxidCase{"oneTooLong", QString(36, u'a'), false}, TxidCase{"empty", "", false},
                      TxidCase{"hyphen", "7978c0c9-7ea847e78e8849634473c1f", false},
                      TxidCase{"blank", "7978c0c9 7ea847e78e8849634473c1f", false},
                      TxidCase{"accent", "7978c0c9é7ea847e78e8849634473c1f", false},
                      TxidCase{"fullWidthDigit", "7978c0c9\uFF117ea847e78e8849634473c1f", false},
                      TxidCase{"staticPlaceholder", "***", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel::pix
