#include "FitLabel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

namespace zel {
namespace {

// The lines of `text` in `font` at `width`: broken between words where it can, inside a word
// where it must; explicit line breaks are kept.
QStringList wrapLines(const QString& text, const QFont& font, qreal width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (paragraph.isEmpty())
            lines.append(QString());
    }
    return lines;
}

int pixelSizeOf(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

} // namespace

TFitLabel::TFitLabel(QWidget* parent) : QLabel(parent) {}

void TFitLabel::setMinimumPixelSize(int pixels)
{
    m_minimumPixelSize = qMax(1, pixels);
    update();
}

TFitLabel::Fitted TFitLabel::fitted() const
{
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    Fitted result;
    result.font = font();
    const int largest = pixelSizeOf(result.font);
    for (int size = largest;; --size) {
        result.font.setPixelSize(size);
        const QFontMetricsF metrics(result.font);
        if (wordWrap()) {
            result.lines = wrapLines(text(), result.font, area.width());
            result.fits = result.lines.size() * metrics.lineSpacing() <= area.height() + 0.5;
        } else {
            result.lines = text().split(u'\n');
            qreal widest = 0;
            for (const QString& line : result.lines)
                widest = qMax(widest, metrics.horizontalAdvance(line));
            result.fits =
                widest <= area.width() && result.lines.size() * metrics.height() <= area.height() + 0.5;
        }
        if (result.fits || size <= m_minimumPixelSize)
            return result;
    }
}

void TFitLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const Fitted fit = fitted();
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    painter.setFont(fit.font);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QFontMetricsF metrics(fit.font);
    const qreal height = fit.lines.size() * metrics.lineSpacing();
    qreal top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - height;
    const Qt::Alignment horizontal =
        QStyle::visualAlignment(layoutDirection(), alignment()) & Qt::AlignHorizontal_Mask;
    painter.setClipRect(area);
    for (const QString& line : fit.lines) {
        const QRectF lineRect(area.left(), top, area.width(), metrics.lineSpacing());
        painter.drawText(lineRect, int(horizontal | Qt::AlignVCenter), line);
        top += metrics.lineSpacing();
    }
}

} // namespace zel
