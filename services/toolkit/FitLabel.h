#pragma once

#include <QFont>
#include <QLabel>
#include <QStringList>

namespace zel {

// A label that shows its whole text in its fixed place. A one-line label draws its text in a
// smaller font when the text is wider than the label (an amount of millions in a field made
// for hundreds); a word-wrapped label breaks lines between words, or inside a word longer than
// the label is wide, and draws in a smaller font when the lines are taller than the label.
// The font never goes below `minimumPixelSize`. `text()` is the text as set: the breaking and
// the smaller font are only how it is drawn. Frame, background, padding and colours come from
// the style sheet as on any label.
//
// In Designer, place a QLabel and promote it to zel::TFitLabel with header toolkit/FitLabel.h.
class TFitLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int minimumPixelSize READ minimumPixelSize WRITE setMinimumPixelSize)
public:
    explicit TFitLabel(QWidget* parent = nullptr);

    int minimumPixelSize() const { return m_minimumPixelSize; }
    void setMinimumPixelSize(int pixels);

    // How the text is drawn: the font, the lines, and whether they fit inside the label's
    // contents (false only when even the smallest font is too large).
    struct Fitted
    {
        QFont font;
        QStringList lines;
        bool fits = true;
    };
    Fitted fitted() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_minimumPixelSize = 9;
};

} // namespace zel
