#pragma once

#include "receipt/payment/InputStep.h"
#include "text/Money.h"

#include <QChar>
#include <QLocale>
#include <QString>

namespace zel {

// The keypad entry of the receipt form as its key handlers work on it. The handlers load the
// text from the entry label, run one of these routines and show the text again.
struct EntryState
{
    QString valor;          // the entry text
    bool substitui = false; // the entry shows a proposal: the next character replaces it
    TInputStep step = isNone;
};

enum class CharResult {
    Shown,   // the character was taken: show `valor`
    Kept,    // nothing changes (entry locked, a second separator, the text of an editing key)
    Refused, // neither a digit nor a decimal separator: refused at once, nothing changes
};

// A character typed on the keyboard or sent by a keypad button. "," and "." stand for the
// decimal separator; a separator on an empty entry gives "0" and the separator. Only digits
// and the separator can enter, so the entry always reads as a number.
CharResult typeChar(EntryState& entry, QChar ch, QChar decimalSeparator);

// Backspace: removes the last character, unless the entry is locked (isTroco) or the keypad's
// correction key is off.
void eraseLast(EntryState& entry, bool correctionEnabled);

// Delete: empties the entry, unless the POS keyboard with its own display is present, the
// entry is locked or the correction key is off.
void eraseAll(EntryState& entry, bool correctionEnabled, bool posKeyboard);

// Steps whose entry is an amount or a code checked at Enter; the others (isNone, isMoeda1,
// isConvenio1) advance to the next step without a check.
bool isValueStep(TInputStep step);

enum class EnterResult {
    Done,        // the step ended or advanced, or the entry was empty: go on
    ZeroRefused, // a zero in a value step: the step and the entry stay
    Unreadable,  // the entry does not read as a number: nothing changes; `error` says why
};

struct EnterOutcome
{
    EnterResult result;
    QString error;
};

// Enter on the entry: ends a value step on a non-zero entry, advances the others. What
// follows a Done (OK when it is enabled, the proposal flag cleared) is the form's part.
EnterOutcome pressEnter(EntryState& entry, const QLocale& locale = moneyLocale());

} // namespace zel
