#pragma once

#include <QColor>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

namespace zel {

class TouchForm;

// One key of an on-screen keyboard: what it shows, its object name, and what it sends to
// its form through PostText (as a typed character, or as a key-down of the character's code:
// "\b" Backspace, "." Delete).
struct KeypadKey
{
    QString caption;
    QString name;
    QString send;
    bool asChar = true;
    int span = 1; // width in keys
    QString hint = {};
};

using KeypadRows = QList<QList<KeypadKey>>;

// A grid of touch keys whose clicks go to the form's key handlers, the same path as the
// physical keyboard's.
class TouchKeypad : public QWidget
{
    Q_OBJECT
public:
    TouchKeypad(TouchForm* form, const KeypadRows& rows, QSize keySize, QWidget* parent = nullptr);
};

// 7 8 9 / 4 5 6 / 1 2 3 / decimal separator, 0, Corrigir (Backspace).
KeypadRows numericKeys();
// Digits, the letters (and Ç) in capitals, Espaço, Corrigir (Backspace) and Limpar
// (Delete).
KeypadRows alphanumericKeys();

} // namespace zel
