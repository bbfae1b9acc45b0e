#include "EntryKeys.h"

#include "text/Money.h"

namespace zel {

namespace {

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

} // namespace

CharResult typeChar(EntryState& entry, QChar ch, QChar decimalSeparator)
{
    if (ch == u',' || ch == u'.')
        ch = decimalSeparator;
    if (ch != decimalSeparator && !isDigit(ch)) {
        // The text of Enter, Backspace, Escape or Tab belongs to its key, not to the entry.
        return ch.category() == QChar::Other_Control ? CharResult::Kept : CharResult::Refused;
    }
    if (entry.step == isTroco)
        return CharResult::Kept;

    QString valor = entry.substitui ? QString() : entry.valor;
    if (ch == decimalSeparator) {
        if (valor.isEmpty())
            valor = QStringLiteral("0");
        else if (valor.contains(decimalSeparator))
            return CharResult::Kept;
    }
    entry.valor = valor + ch;
    entry.substitui = false;
    return CharResult::Shown;
}

void eraseLast(EntryState& entry, bool correctionEnabled)
{
    if (entry.step == isTroco || !correctionEnabled)
        return;
    entry.valor.chop(1);
    entry.substitui = false;
}

void eraseAll(EntryState& entry, bool correctionEnabled, bool posKeyboard)
{
    if (posKeyboard || entry.step == isTroco || !correctionEnabled)
        return;
    entry.valor.clear();
    entry.substitui = false;
}

bool isValueStep(TInputStep step)
{
    switch (step) {
    case isNone:
    case isMoeda1:
    case isConvenio1:
        return false;
    default:
        return true;
    }
}

EnterOutcome pressEnter(EntryState& entry, const QLocale& locale)
{
    if (entry.valor.isEmpty())
        return {EnterResult::Done, {}};
    if (!isValueStep(entry.step)) {
        entry.step = static_cast<TInputStep>(entry.step + 1);
        return {EnterResult::Done, {}};
    }
    const Result<double> value = parseAmount(entry.valor, locale);
    if (!value)
        return {EnterResult::Unreadable, value.errorMessage()};
    // An amount is recorded cut to the cent: one that is nothing once cut ("0,001") is refused
    // as "0" is. A quote keeps its own precision.
    if (entry.step == isMoeda1 ? *value == 0 : Trunc2(*value) == 0)
        return {EnterResult::ZeroRefused, {}};
    entry.step = isNone;
    return {EnterResult::Done, {}};
}

} // namespace zel
