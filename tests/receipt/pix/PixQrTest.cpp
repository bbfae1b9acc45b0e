// The QR image of a BR Code: a square of whole-pixel modules, black on white, at least the
// side asked and no larger than needed, a white quiet zone, the three finder patterns where a
// reader looks for them; error values for what cannot be drawn.

#include "receipt/pix/PixQr.h"

#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace zel::pix {
namespace {

const QString kStaticCode =
    QStringLiteral("00020126580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-4266554400005204000053039865802BR"
                   "5913Fulano de Tal6008BRASILIA62070503***63041D3D");

struct ImageCase
{
    const char* name;
    QString payload;
    int minSide;
    friend void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }
};

// The image and what its pixels say of the symbol: the module size, read off the first dark
// pixel of the diagonal (the top-left finder's corner, past the quiet zone), and the modules
// across.
class QrImages : public ::testing::TestWithParam<ImageCase>
{
protected:
    void SetUp() override
    {
        const auto made = pixQrImage(GetParam().payload, GetParam().minSide);
        ASSERT_TRUE(made.ok()) << made.errorMessage().toStdString();
        image = *made;
        ASSERT_EQ(image.format(), QImage::Format_Grayscale8);
        ASSERT_EQ(image.width(), image.height());
        int corner = 0;
        while (corner < image.width() && dark(corner, corner) == false)
            ++corner;
        ASSERT_EQ(corner % kQrQuietModules, 0) << "the quiet zone is a whole number of modules";
        scale = corner / kQrQuietModules;
        ASSERT_GT(scale, 0);
        ASSERT_EQ(image.width() % scale, 0) << "the side is a whole number of modules";
        modules = image.width() / scale;
    }

    bool dark(int x, int y) const { return qGray(image.pixel(x, y)) < 128; }
    // A module's colour, after checking that all of its pixels are that colour, black or white.
    bool darkModule(int mx, int my) const
    {
        const int first = qGray(image.pixel(mx * scale, my * scale));
        EXPECT_TRUE(first == 0 || first == 255) << mx << "," << my;
        for (int y = 0; y < scale; ++y) {
            for (int x = 0; x < scale; ++x)
                EXPECT_EQ(qGray(image.pixel(mx * scale + x, my * scale + y)), first) << mx << "," << my;
        }
        return first == 0;
    }

    QImage image;
    int scale = 0;
    int modules = 0;
};

TEST_P(QrImages, AtLeastTheSideAskedAndNoLarger)
{
    EXPECT_GE(image.width(), GetParam().minSide);
    // One pixel less per module would have been too small (or no module at all).
    EXPECT_TRUE(scale == 1 || (scale - 1) * modules < GetParam().minSide) << scale << " × " << modules;
}

TEST_P(QrImages, SymbolOfAQrVersionInsideAWhiteQuietZone)
{
    const int symbol = modules - 2 * kQrQuietModules;
    EXPECT_GE(symbol, 21);
    EXPECT_LE(symbol, 177);
    EXPECT_EQ((symbol - 21) % 4, 0) << "versions grow by four modules";
    for (int m = 0; m < modules; ++m) {
        for (int q = 0; q < kQrQuietModules; ++q) {
            EXPECT_FALSE(darkModule(m, q));
            EXPECT_FALSE(darkModule(m, modules - 1 - q));
            EXPECT_FALSE(darkModule(q, m));
            EXPECT_FALSE(darkModule(modules - 1 - q, m));
        }
    }
}

TEST_P(QrImages, FinderPatternsAtThreeCorners)
{
    const int far = modules - kQrQuietModules - 7;
    for (const auto& [left, top] : {std::pair{kQrQuietModules, kQrQuietModules},
                                    std::pair{far, kQrQuietModules}, std::pair{kQrQuietModules, far}}) {
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 7; ++x) {
                const int ring = std::min({x, y, 6 - x, 6 - y});
                EXPECT_EQ(darkModule(left + x, top + y), ring != 1) << "finder at " << left << "," << top;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, QrImages,
    ::testing::Values(ImageCase{"dialogSide", kStaticCode, 240}, ImageCase{"oddSide", kStaticCode, 241},
                      ImageCase{"onePixelModules", kStaticCode, 1}, ImageCase{"noSideAsked", kStaticCode, 0},
                      ImageCase{"largeSide", kStaticCode, 1000}, ImageCase{"tinyPayload", "1", 240},
                      ImageCase{"longestBrCode", QString(512, u'x'), 240},
                      ImageCase{"accentsInUtf8", "Pão de queijo", 300}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase
{
    const char* name;
    QString payload;
    int minSide;
    const char* code;
    friend void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
};

class RefusedImages : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedImages, ErrorValueWithItsReason)
{
    const auto made = pixQrImage(GetParam().payload, GetParam().minSide);
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.errorCode(), GetParam().code) << made.errorMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, RefusedImages,
    ::testing::Values(RefusedCase{"empty", "", 240, "PixQrVazio"},
                      RefusedCase{"beyondByteCapacity", QString(3000, u'x'), 240, "PixQrLongo"},
                      RefusedCase{"beyondDigitCapacity", QString(6000, u'7'), 240, "PixQrLongo"},
                      RefusedCase{"nulInside",
                                  QString::fromLatin1("0002\0"
                                                      "01",
                                                      7),
                                  240, "PixQrNulo"},
                      RefusedCase{"sideAskedTooLarge", kStaticCode, kMaxQrSidePixels + 1, "PixQrTamanho"},
                      RefusedCase{"wholeModulesOverTheLimit", QString(2000, u'x'), kMaxQrSidePixels,
                                  "PixQrTamanho"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel::pix
