#include "toolkit/TouchButton.h"

#include "ui_PromotedButton.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace zel {
namespace {

struct ColorCase
{
    qint64 value;
    QColor expected; // invalid: no colour
};

class TColor : public ::testing::TestWithParam<ColorCase>
{
};

TEST_P(TColor, ReadsRedFromTheLowByte)
{
    EXPECT_EQ(colorFromTColor(GetParam().value), GetParam().expected) << std::hex << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, TColor,
    ::testing::Values(ColorCase{0x000000FF, QColor(255, 0, 0)}, ColorCase{0x00FF0000, QColor(0, 0, 255)},
                      ColorCase{0x00B09090, QColor(0x90, 0x90, 0xB0)}, ColorCase{0, QColor(0, 0, 0)},
                      ColorCase{0x00FFFFFF, QColor(255, 255, 255)},
                      ColorCase{0x02102030, QColor(0x30, 0x20, 0x10)}, // palette-relative RGB
                      ColorCase{0x1FFFFFFF, QColor()},                 // no colour
                      ColorCase{0x20000000, QColor()},                 // default colour
                      ColorCase{0x03000000, QColor()}, ColorCase{qint64(1) << 40, QColor()}));

TEST(TColorSystem, ButtonFaceComesFromThePalette)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(colorFromTColor(0xFF00000F), face);
    EXPECT_EQ(colorFromTColor(-16777201), face); // the same value read as a signed integer
    EXPECT_EQ(colorFromTColor(0x8000000F), face);
}

class Glyphs : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(Glyphs, AMissingFileLeavesNoGlyphAndPaints)
{
    TTouchButton button(QStringLiteral("Dinheiro"));
    EXPECT_FALSE(button.loadGlyph(path("nao-existe.bmp")));
    EXPECT_TRUE(button.glyph().isNull());
    EXPECT_TRUE(button.glyphFile().isEmpty());
    button.setProperty("glyphFile", path("nao-existe.bmp"));
    EXPECT_TRUE(button.glyph().isNull());
    button.resize(75, 56);
    EXPECT_FALSE(button.grab().isNull());
}

TEST_F(Glyphs, AFileThatIsNoBitmapLeavesNoGlyph)
{
    QFile f(path("cartao.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a bitmap");
    f.close();
    TTouchButton button;
    button.setGlyph(QPixmap(8, 8));
    EXPECT_FALSE(button.loadGlyph(f.fileName()));
    EXPECT_TRUE(button.glyph().isNull());
}

TEST_F(Glyphs, ABitmapShowsWithItsBottomLeftColourTransparent)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            image.setPixelColor(x, y, Qt::darkGreen);
    ASSERT_TRUE(image.save(path("cheque.bmp"), "BMP"));

    TTouchButton button(QStringLiteral("Cheque"));
    ASSERT_TRUE(button.loadGlyph(path("cheque.bmp")));
    EXPECT_EQ(button.glyphFile(), path("cheque.bmp"));
    const QImage glyph = button.glyph().toImage();
    EXPECT_EQ(glyph.pixelColor(0, 15).alpha(), 0);
    EXPECT_EQ(glyph.pixelColor(8, 8), QColor(Qt::darkGreen));
    button.clearGlyph();
    EXPECT_TRUE(button.glyph().isNull());
}

TEST(TouchButton, TakesItsDesignPropertiesByName)
{
    // Designer-promoted widgets get their properties through setProperty.
    TTouchButton button;
    button.setProperty("caption", QStringLiteral("Enter"));
    button.setProperty("tag", 48);
    button.setProperty("hint", QStringLiteral("Apagar"));
    button.setProperty("color", QColor(0x90, 0x90, 0xB0));
    button.setProperty("captionColor", QColor(Qt::white));
    button.setProperty("layout", QVariant::fromValue(TTouchButton::GlyphLeft));
    EXPECT_EQ(button.caption(), QStringLiteral("Enter"));
    EXPECT_EQ(button.text(), QStringLiteral("Enter"));
    EXPECT_EQ(button.tag(), 48);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Apagar"));
    EXPECT_EQ(button.color(), QColor(0x90, 0x90, 0xB0));
    EXPECT_EQ(button.captionColor(), QColor(Qt::white));
    EXPECT_EQ(button.layout(), TTouchButton::GlyphLeft);
}

TEST(TouchButton, WorksAsAPromotedWidgetInAFormDesign)
{
    QDialog dialog;
    Ui::PromotedButton ui;
    ui.setupUi(&dialog);
    TTouchButton* button = dialog.findChild<TTouchButton*>(QStringLiteral("tcb7"));
    ASSERT_EQ(button, ui.tcb7);
    EXPECT_EQ(button->caption(), QStringLiteral("7"));
    EXPECT_EQ(button->hint(), QStringLiteral("Sete"));
    EXPECT_EQ(button->tag(), 55);
    EXPECT_EQ(button->color(), QColor(144, 144, 176));
    EXPECT_TRUE(button->glyph().isNull());
}

TEST(TouchButton, IsTouchSizedTakesNoFocusAndClicks)
{
    TTouchButton button(QStringLiteral("OK"));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_GE(button.sizeHint().width(), 75);
    EXPECT_GE(button.sizeHint().height(), 56);
    button.resize(button.sizeHint());
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST(TouchButton, LooksDifferentWhenPressed)
{
    TTouchButton button(QStringLiteral("5"));
    button.setColor(QColor(0xB0, 0x90, 0x90));
    button.resize(75, 56);
    const QImage up = button.grab().toImage();
    button.setDown(true);
    const QImage down = button.grab().toImage();
    EXPECT_NE(up, down);
}

// A button keeps its drawn faces between paints: after each change it must look exactly as a
// button that was made in the new state and never drawn before.
struct FaceChange
{
    const char* name;
    std::function<void(TTouchButton&)> change;
};

class FaceAfterChange : public ::testing::TestWithParam<FaceChange>
{
};

TEST_P(FaceAfterChange, LooksAsAButtonMadeThatWay)
{
    auto made = [] {
        auto b = std::make_unique<TTouchButton>(QStringLiteral("5"));
        b->setColor(QColor(0xB0, 0x90, 0x90));
        b->resize(75, 56);
        return b;
    };
    const auto used = made();
    used->grab(); // the faces at rest and held down are drawn and kept
    used->setDown(true);
    used->grab();
    used->setDown(false);
    GetParam().change(*used);
    const auto fresh = made();
    GetParam().change(*fresh);
    EXPECT_EQ(used->grab().toImage(), fresh->grab().toImage());
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FaceAfterChange,
    ::testing::Values(FaceChange{"caption", [](TTouchButton& b) { b.setText(QStringLiteral("8")); }},
                      FaceChange{"colour", [](TTouchButton& b) { b.setColor(QColor(0x20, 0x60, 0xC0)); }},
                      FaceChange{"captionColour", [](TTouchButton& b) { b.setCaptionColor(Qt::red); }},
                      FaceChange{"disabled", [](TTouchButton& b) { b.setEnabled(false); }},
                      FaceChange{"size", [](TTouchButton& b) { b.resize(151, 56); }},
                      FaceChange{"font",
                                 [](TTouchButton& b) {
                                     b.setFont(QFont(QStringLiteral("DejaVu Sans"), 18, QFont::Bold));
                                 }},
                      FaceChange{"palette",
                                 [](TTouchButton& b) {
                                     b.setColor(QColor());
                                     QPalette p = b.palette();
                                     p.setColor(QPalette::Button, Qt::darkGreen);
                                     b.setPalette(p);
                                 }},
                      FaceChange{"checked",
                                 [](TTouchButton& b) {
                                     b.setCheckable(true);
                                     b.setChecked(true);
                                 }},
                      FaceChange{"heldDown", [](TTouchButton& b) { b.setDown(true); }}),
    [](const ::testing::TestParamInfo<FaceChange>& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel
