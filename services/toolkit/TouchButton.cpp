#include "TouchButton.h"

#include <QApplication>
#include <QBitmap>
#include <QFileInfo>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace zel {
namespace {

constexpr int kDefaultWidth = 75;
constexpr int kDefaultHeight = 56;
constexpr int kMinimumSide = 44;
constexpr int kMargin = 4;
constexpr int kSpacing = 3;
constexpr qreal kRadius = 6.0;
const QColor kCheckedRing(255, 193, 7);

QColor systemColor(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 5:
        return palette.color(QPalette::Base); // window
    case 7:                                   // menu text
    case 8:
        return palette.color(QPalette::Text); // window text
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 16:
        return palette.color(QPalette::Mid); // button shadow
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
    case 22:
        return palette.color(QPalette::Light);
    case 21:
        return palette.color(QPalette::Shadow);
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    case 4: // menu
    case 15:
        return palette.color(QPalette::Button); // button face
    default:
        return palette.color(QPalette::Window);
    }
}

QRect fitted(const QSize& image, const QRect& room)
{
    QSize size = image;
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room.size(), Qt::KeepAspectRatio);
    QRect r(QPoint(0, 0), size);
    r.moveCenter(room.center());
    return r;
}

} // namespace

QColor colorFromTColor(qint64 value)
{
    if (value < -qint64(0x80000000LL) || value > qint64(0xFFFFFFFFLL))
        return {};
    const quint32 v = quint32(value & 0xFFFFFFFF);
    if (v == 0x1FFFFFFFu || v == 0x20000000u)
        return {};
    const quint32 high = v >> 24;
    if (high == 0x80 || high == 0xFF)
        return systemColor(int(v & 0xFF));
    if (high > 0x02)
        return {};
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TTouchButton::TTouchButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

TTouchButton::TTouchButton(const QString& caption, QWidget* parent) : TTouchButton(parent)
{
    setText(caption);
}

void TTouchButton::setColor(const QColor& color)
{
    m_color = color;
    faceChanged();
}

void TTouchButton::setCaptionColor(const QColor& color)
{
    m_captionColor = color;
    faceChanged();
}

void TTouchButton::setGlyph(const QPixmap& glyph)
{
    m_glyph = glyph;
    if (glyph.isNull())
        m_glyphFile.clear();
    updateGeometry();
    faceChanged();
}

QPixmap TTouchButton::readGlyphFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QImageReader reader(path);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    QPixmap pixmap = QPixmap::fromImage(image);
    if (format == "bmp" && !image.hasAlphaChannel() && image.height() > 0) {
        const QRgb key = image.pixel(0, image.height() - 1);
        pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
    }
    return pixmap;
}

bool TTouchButton::loadGlyph(const QString& path)
{
    const QPixmap pixmap = readGlyphFile(path);
    setGlyph(pixmap);
    if (!pixmap.isNull())
        m_glyphFile = path;
    return !pixmap.isNull();
}

void TTouchButton::setLayout(Layout layout)
{
    m_layout = layout;
    updateGeometry();
    faceChanged();
}

QColor TTouchButton::faceColor() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Button);
}

QColor TTouchButton::textColor() const
{
    return m_captionColor.isValid() ? m_captionColor : palette().color(QPalette::ButtonText);
}

QSize TTouchButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const QSize textSize =
        text().isEmpty() ? QSize(0, 0) : fm.size(Qt::TextShowMnemonic, text()) + QSize(2 * kMargin, 0);
    const QSize glyphSize = m_glyph.isNull() ? QSize(0, 0) : m_glyph.deviceIndependentSize().toSize();
    const int gap = (textSize.isEmpty() || glyphSize.isEmpty()) ? 0 : kSpacing;
    QSize content;
    if (m_layout == GlyphTop || m_layout == GlyphBottom)
        content = QSize(std::max(textSize.width(), glyphSize.width()),
                        textSize.height() + gap + glyphSize.height());
    else
        content = QSize(textSize.width() + gap + glyphSize.width(),
                        std::max(textSize.height(), glyphSize.height()));
    content += QSize(2 * kMargin, 2 * kMargin);
    return content.expandedTo(QSize(kDefaultWidth, kDefaultHeight));
}

QSize TTouchButton::minimumSizeHint() const
{
    return {kMinimumSide, kMinimumSide};
}

void TTouchButton::faceChanged()
{
    ++m_faceVersion;
    update();
}

void TTouchButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::LayoutDirectionChange:
        ++m_faceVersion;
        break;
    default:
        break;
    }
    QAbstractButton::changeEvent(event);
}

void TTouchButton::paintEvent(QPaintEvent*)
{
    const bool pressed = isDown() || isChecked();
    Face& face = m_faces[pressed ? 1 : 0];
    const qreal ratio = devicePixelRatioF();
    if (face.pixmap.isNull() || face.size != size() || face.ratio != ratio || face.enabled != isEnabled() ||
        face.checked != isChecked() || face.version != m_faceVersion || face.caption != text()) {
        face.pixmap = QPixmap(size() * ratio);
        face.pixmap.setDevicePixelRatio(ratio);
        face.pixmap.fill(Qt::transparent);
        {
            QPainter painter(&face.pixmap);
            drawFace(painter);
        }
        face.size = size();
        face.ratio = ratio;
        face.enabled = isEnabled();
        face.checked = isChecked();
        face.version = m_faceVersion;
        face.caption = text();
    }
    QPainter p(this);
    p.drawPixmap(0, 0, face.pixmap);
}

void TTouchButton::drawFace(QPainter& p) const
{
    p.setRenderHint(QPainter::Antialiasing);

    const bool pressed = isDown() || isChecked();
    const bool enabled = isEnabled();
    QColor face = faceColor();
    if (!enabled) {
        const int gray = qGray(face.rgb());
        face = QColor(gray, gray, gray).lighter(115);
    }

    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    if (pressed) {
        fill.setColorAt(0, face.darker(135));
        fill.setColorAt(1, face.darker(112));
    } else {
        fill.setColorAt(0, face.lighter(118));
        fill.setColorAt(1, face.darker(108));
    }
    p.setBrush(fill);
    p.setPen(QPen(face.darker(pressed ? 220 : 165), pressed ? 2.0 : 1.0));
    p.drawRoundedRect(frame, kRadius, kRadius);
    if (isChecked()) {
        // A chosen option keeps a bright ring, unlike a button only held down.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kCheckedRing, 3.0));
        p.drawRoundedRect(frame.adjusted(1.5, 1.5, -1.5, -1.5), kRadius, kRadius);
    }

    QRect content = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (pressed)
        content.translate(1, 1);

    const QString caption = text();
    int textFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    QRect textRoom = content;
    if (!m_glyph.isNull()) {
        const QFontMetrics fm(font());
        const QRect textBox = caption.isEmpty() ? QRect() : fm.boundingRect(content, textFlags, caption);
        const int gap = caption.isEmpty() ? 0 : kSpacing;
        const QSize natural = m_glyph.deviceIndependentSize().toSize();
        // The glyph keeps at least a third of the button when the caption would crowd it out; the
        // caption then shows from its first line.
        const bool vertical = m_layout == GlyphTop || m_layout == GlyphBottom;
        const int room = vertical ? content.height() : content.width();
        const int left = room - (vertical ? textBox.height() : textBox.width()) - gap;
        const int extent = std::min(vertical ? natural.height() : natural.width(), std::max(left, room / 3));
        if (extent > left)
            textFlags = (textFlags & ~Qt::AlignVCenter) | Qt::AlignTop;
        QRect glyphRoom = content;
        switch (m_layout) {
        case GlyphTop:
            glyphRoom.setHeight(extent);
            textRoom.setTop(glyphRoom.bottom() + 1 + gap);
            break;
        case GlyphBottom:
            glyphRoom.setTop(content.bottom() + 1 - extent);
            textRoom.setBottom(glyphRoom.top() - 1 - gap);
            break;
        case GlyphLeft:
            glyphRoom.setWidth(extent);
            textRoom.setLeft(glyphRoom.right() + 1 + gap);
            break;
        case GlyphRight:
            glyphRoom.setLeft(content.right() + 1 - extent);
            textRoom.setRight(glyphRoom.left() - 1 - gap);
            break;
        }
        if (glyphRoom.width() > 0 && glyphRoom.height() > 0) {
            QPixmap shown = m_glyph;
            if (!enabled) {
                QStyleOption option;
                option.initFrom(this);
                shown = style()->generatedIconPixmap(QIcon::Disabled, m_glyph, &option);
            }
            p.drawPixmap(fitted(m_glyph.deviceIndependentSize().toSize(), glyphRoom), shown);
        }
    }

    if (!caption.isEmpty()) {
        QColor ink = textColor();
        if (!enabled)
            ink = palette().color(QPalette::Disabled, QPalette::ButtonText);
        p.setPen(ink);
        p.setFont(font());
        p.drawText(textRoom, textFlags, caption);
    }
}

} // namespace zel
