#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

namespace zel {

// A colour as the configuration stores it (0x00BBGGRR: red in the low byte). System colours
// (high byte 0x80 or 0xFF, the colour index in the low byte) map to the application palette;
// "no colour" values (0x1FFFFFFF, 0x20000000) and values that are no colour give an invalid
// QColor, which a button reads as its default colour.
QColor colorFromTColor(qint64 value);

// A touch-screen button: a coloured face with an optional glyph and a caption, a clear
// pressed look, and no keyboard focus (keys belong to the form). In Designer .ui files it is
// a QPushButton promoted to TTouchButton (header "toolkit/TouchButton.h"); set the caption as
// `text`, the hint as `toolTip`, and `color`, `captionColor`, `glyphFile`, `layout` and
// `tag` as properties.
class TTouchButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor captionColor READ captionColor WRITE setCaptionColor)
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(QString glyphFile READ glyphFile WRITE setGlyphFile)
    Q_PROPERTY(Layout layout READ layout WRITE setLayout)
    Q_PROPERTY(QString hint READ hint WRITE setHint)
    Q_PROPERTY(int tag READ tag WRITE setTag)

public:
    // Where the glyph stands relative to the caption.
    enum Layout { GlyphTop, GlyphLeft, GlyphBottom, GlyphRight };
    Q_ENUM(Layout)

    explicit TTouchButton(QWidget* parent = nullptr);
    explicit TTouchButton(const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

    // Invalid: the palette's button colour.
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // Invalid: the palette's button text colour.
    QColor captionColor() const { return m_captionColor; }
    void setCaptionColor(const QColor& color);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap& glyph);
    void clearGlyph() { setGlyph(QPixmap()); }

    // Loads the glyph from a bitmap file. A missing or unreadable file leaves the button
    // without a glyph and answers false. In a bitmap without an alpha channel the colour of
    // the bottom-left pixel is transparent, as button glyphs are drawn.
    bool loadGlyph(const QString& path);
    QString glyphFile() const { return m_glyphFile; }
    void setGlyphFile(const QString& path) { loadGlyph(path); }

    Layout layout() const { return m_layout; }
    void setLayout(Layout layout);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // A glyph read from a file as buttons show it; a null pixmap when the file is missing or
    // is no image.
    static QPixmap readGlyphFile(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor faceColor() const;
    QColor textColor() const;
    void drawFace(QPainter& p) const;
    void faceChanged();

    // The face as last drawn, one for the button at rest and one held down or chosen: a touch
    // on a keypad repaints the same two faces again and again. A face is drawn anew when
    // its size, state, caption or anything it is drawn from changed (m_faceVersion).
    struct Face
    {
        QPixmap pixmap;
        QSize size;
        qreal ratio = 0;
        bool enabled = false;
        bool checked = false;
        QString caption;
        quint64 version = 0;
    };
    Face m_faces[2];
    quint64 m_faceVersion = 1;

    QColor m_color;
    QColor m_captionColor;
    QPixmap m_glyph;
    QString m_glyphFile;
    Layout m_layout = GlyphTop;
    int m_tag = 0;
};

} // namespace zel
