#include "toolkit/FitLabel.h"

#include "toolkit/EntryLabel.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

namespace zel {
namespace {

bool hasReddishPixel(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

TEST(FitLabel, OneLineShrinksToTheWidthInTheStyleSheetsColour)
{
    TFitLabel label;
    label.setStyleSheet(QStringLiteral("font-size: 20px; font-weight: bold; color: #d00000;"));
    label.resize(90, 30);
    label.setText(QStringLiteral("R$ 9.999.999,99"));
    label.ensurePolished();
    const TFitLabel::Fitted fit = label.fitted();
    EXPECT_TRUE(fit.fits);
    EXPECT_LT(fit.font.pixelSize(), 20);
    EXPECT_LE(QFontMetrics(fit.font).horizontalAdvance(label.text()), label.contentsRect().width());
    EXPECT_EQ(label.text(), QStringLiteral("R$ 9.999.999,99")) << "only the drawing changes";
    EXPECT_TRUE(hasReddishPixel(label.grab().toImage()));

    label.setText(QStringLiteral("1,00"));
    EXPECT_EQ(label.fitted().font.pixelSize(), 20) << "a short text keeps the designed size";
}

TEST(FitLabel, WrappedBreaksBetweenWordsAndInsideAWordTooLong)
{
    TFitLabel label;
    label.setStyleSheet(QStringLiteral("font-size: 14px;"));
    label.setWordWrap(true);
    label.resize(120, 200);
    label.setText(QStringLiteral("Bom dia Pagavelsomentenaagenciadeorigem"));
    label.ensurePolished();
    const TFitLabel::Fitted fit = label.fitted();
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(fit.font.pixelSize(), 14);
    ASSERT_GE(fit.lines.size(), 3);
    EXPECT_EQ(fit.lines.front(), QStringLiteral("Bom dia "));
    EXPECT_EQ(fit.lines.join(QString()), label.text());

    label.setMinimumPixelSize(12);
    label.resize(120, 20); // room for one line only: the smallest font, and it does not fit
    EXPECT_FALSE(label.fitted().fits);
    EXPECT_EQ(label.fitted().font.pixelSize(), 12);
}

} // namespace
} // namespace zel

namespace zel {
namespace {

// The entry field paints itself for speed but must look as the design's style sheet drew it:
// pixel for pixel, whatever its text and alignment.
TEST(EntryLabel, LooksAsTheStyleSheetLabelItReplaces)
{
    const QString sheet =
        QStringLiteral("font-family: Tahoma, \"DejaVu Sans\"; font-size: 27px; font-weight: bold;"
                       " background: white; border: 1px solid gray; padding-right: 6px;");
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(27);
    font.setBold(true);
    for (const Qt::Alignment align : {Qt::AlignRight | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter}) {
        for (const QString& text : {QString(), QStringLiteral("0,05"), QStringLiteral("1.234.567,89")}) {
            QLabel styled(text);
            styled.setStyleSheet(sheet);
            TEntryLabel painted;
            painted.setText(text);
            painted.setFont(font);
            for (QLabel* label : {&styled, static_cast<QLabel*>(&painted)}) {
                label->setAlignment(align);
                label->setFixedSize(458, 46);
            }
            EXPECT_EQ(painted.grab().toImage(), styled.grab().toImage())
                << text.toStdString() << " " << int(align);
        }
    }
}

} // namespace
} // namespace zel
