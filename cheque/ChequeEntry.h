#pragma once

#include "cheque/Vrm_zel00200.h"

#include <QChar>
#include <QPoint>
#include <QString>

// The cheque form's entry rules, apart from its widgets: which characters each field takes
// and how many, how the typed date is shown, how the value is normalised, the order of the
// fields and where each field's keyboard opens.
namespace zel::cheque {

using Vrm_zel00200::TTipoTecl;

// The most characters a field holds; 0 when the field sets no limit of its own (the date's
// limit depends on the printers: dateWidth).
int fieldLimit(TTipoTecl field);

// The most characters of the back text: what the cheque printers print of it.
inline constexpr int kVersoMaximo = 120;

// A digit refused only because the field is full (the instalments' 99 at most, say), so the
// operator can be told the limit; false for any other character or field state.
bool fieldFull(TTipoTecl field, const QString& text, bool substitui, QChar ch);

// Fields that take only the digits 0 to 9: instalments, branch, bank, account, cheque number.
bool isDigitField(TTipoTecl field);

// The characters of the back text: blank, ",", ".", "/", digits, letters, "Ç" and "ç".
bool isVersoChar(QChar ch);

// How many date digits the form shows, and takes: 6 (ddmmyy) when a cheque printer of kind 1
// or 2 prints the date, unless the fiscal printer is of kind 4; otherwise 8 (ddmmyyyy). The
// digits are sent to the cheque printer as typed, so this also keeps every printer command
// within its buffer.
int dateWidth(int idTipoImpFis, int idTipoImpChq);

// The date shown for the typed digits: brought to `width` characters aligned to the right
// (blanks in front of a partial date) and cut into day, month and year with "/". No digits
// show nothing.
QString dateDisplay(const QString& digits, int width);

// One typed character applied to a field's working text (for the date, its digits). When
// `substitui` is set, an accepted character first empties the text, and every accepted
// character clears `substitui`. `dateLimit` is the date's dateWidth; the back text takes up
// to kVersoMaximo characters. Answers whether the
// character was taken; a character the field does not take changes nothing.
bool typeChar(TTipoTecl field, QString& text, bool& substitui, QChar ch, int dateLimit);

// The value as the field shows a recorded amount: two decimals, "," as separator.
QString valueText(double valor);

// The value as Enter leaves it: with two decimals ("12,5" gives "12,50", "7" gives "7,00")
// when it reads as an amount with "," as decimal separator; otherwise exactly as typed.
QString normalizeValue(const QString& text);

// Page Down and Page Up. After the back text comes the instalment field while it can still
// be entered (`parcelaEnabled`), else the value; and back again the same way.
TTipoTecl nextField(TTipoTecl current, bool parcelaEnabled);
TTipoTecl previousField(TTipoTecl current, bool parcelaEnabled);

// The keyboard a field is typed on and where it opens (top-left corner on the form).
enum class Keyboard { Numeric, Value, Alpha };
struct KeyboardPlace
{
    Keyboard keyboard;
    QPoint topLeft;
};
KeyboardPlace keyboardFor(TTipoTecl field);

} // namespace zel::cheque
