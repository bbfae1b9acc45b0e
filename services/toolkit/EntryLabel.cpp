#include "EntryLabel.h"

#include <QPainter>

namespace zel {
namespace {
constexpr int kBorder = 1;
constexpr int kRightPadding = 6;
} // namespace

TEntryLabel::TEntryLabel(QWidget* parent) : QLabel(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: nothing behind is drawn first
}

QRect TEntryLabel::textArea() const
{
    // As a framed label places its text: an indent of half an "x" on the side it is aligned to.
    const int m = indent() >= 0 ? indent() : fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    const Qt::Alignment a = alignment();
    return rect().adjusted(kBorder + (a & Qt::AlignLeft ? m : 0), kBorder + (a & Qt::AlignTop ? m : 0),
                           -kBorder - kRightPadding - (a & Qt::AlignRight ? m : 0),
                           -kBorder - (a & Qt::AlignBottom ? m : 0));
}

void TEntryLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The border as two fills: a stroked rectangle costs more than the rest of the paint.
    painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
    painter.fillRect(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder), Qt::white);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(textArea(), int(alignment()), text());
}

} // namespace zel
