#pragma once

#include "Result.h"

#include <QLocale>
#include <QString>

namespace zel {

// Amounts are doubles, as the host's interfaces give them. Every cut and rounding goes
// through these two routines, which work on the decimal value a double stands for: a value
// that a decimal text of cents denotes (0.29, 1.15, 3 × 1.15) is never a cent short because
// its binary representation lies a hair below it. Below 10^11 that value is the double
// rounded to 14 significant digits (15 from 10^10), which keeps every amount typed with up to
// four decimals and drops the noise of a few operations; from 10^11 on it is the shortest
// text that reads back to the same double, so every amount the parser accepts (below 10^13)
// keeps its cents. A small result within a millionth of the last decimal of a whole number
// (the difference 10,01 − 10,00, whose noise comes from its larger operands) counts as that
// number.

// The locale amounts are read and written in: Brazilian Portuguese ("R$ 1.234,56"), whatever
// the host's default locale, so a host that never set one still shows the till's amounts.
inline QLocale moneyLocale()
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

// Cut toward zero to two decimals.
double Trunc2(double value);

// The nearest value with `decimals` decimals (0..9); halves go away from zero.
double RoundDec(double value, int decimals);

// Parses an amount typed by an operator or read from a text: optional sign, digits, an
// optional decimal separator of the locale (the C locale's "." is accepted too when it is
// not the locale's group separator), group separators of the locale between groups of three
// after a first group that does not start with 0 ("0.500" is refused, not read as 500).
// Anything else, an empty text or a value out of range is an error value.
Result<double> parseAmount(const QString& text, const QLocale& locale = moneyLocale());

// A number kept as text (a text field read as a number, a text written to a float field, a
// setting), read alike on every machine: with "," or "." as the decimal separator (the other
// one grouping thousands, as parseAmount reads them), with the locale's separators, or as
// C-locale text ("12.5", "1e3"). A text those readings take for different numbers ("1,234" and
// "1.234": 1,234 or 1234) and a text none reads are error values, whatever the locale.
Result<double> parseNumber(const QString& text, const QLocale& locale = moneyLocale());

// "R$ 1.234,56": the locale's currency symbol and separators, two decimals.
QString formatCurrency(double value, const QLocale& locale = moneyLocale());

// "1234,56": two decimals, the locale's decimal separator, no group separators.
QString formatFixed(double value, const QLocale& locale = moneyLocale());

// Whole cents as digits without separators: 1234.50 gives "123450", 0.05 gives "005"
// (the amount formatted with two decimals and its decimal separator removed).
QString centsText(double value);

} // namespace zel
