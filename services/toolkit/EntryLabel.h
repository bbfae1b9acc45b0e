#pragma once

#include <QLabel>

namespace zel {

// The keypad's entry field: a one-line label on white, in a 1-pixel gray (#808080) border, its
// text placed as a framed label with 6 pixels of right padding places it. It is repainted on every
// key, so it paints itself (the background, the border and the text) instead of going through
// a style sheet, which costs most of a key's time; its font is the label's own.
//
// In Designer, place a QLabel without a style sheet and promote it to zel::TEntryLabel with
// header toolkit/EntryLabel.h.
class TEntryLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TEntryLabel(QWidget* parent = nullptr);

    // Where the text is drawn: inside the border, less the right padding.
    QRect textArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zel
