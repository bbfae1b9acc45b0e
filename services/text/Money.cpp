#include "Money.h"

#include <QRegularExpression>

#include <cmath>

namespace zel {

namespace {

// Beyond this magnitude a double no longer holds cents apart.
constexpr double kMaxScaled = 4503599627370496.0; // 2^52

// How far from a whole number a scaled value may lie and still count as that number: the
// error of binary representation and of a few operations, not a real fraction of a cent.
double tolerance(double scaled)
{
    return std::max(1e-6, std::fabs(scaled) * 1e-12);
}

double power10(int decimals)
{
    static const double table[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    return table[std::clamp(decimals, 0, 9)];
}

} // namespace

double Trunc2(double value)
{
    if (!std::isfinite(value))
        return value;
    const double scaled = value * 100.0;
    if (std::fabs(scaled) >= kMaxScaled)
        return value;
    const double nearest = std::nearbyint(scaled);
    const double whole = std::fabs(scaled - nearest) <= tolerance(scaled) ? nearest : std::trunc(scaled);
    const double result = whole / 100.0;
    return result == 0.0 ? 0.0 : result; // no negative zero
}

double RoundDec(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double factor = power10(decimals);
    const double scaled = std::fabs(value) * factor;
    if (scaled >= kMaxScaled)
        return value;
    double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (fraction >= 0.5 - tolerance(scaled))
        whole += 1.0;
    const double result = std::copysign(whole / factor, value);
    return result == 0.0 ? 0.0 : result;
}

Result<double> parseAmount(const QString& input, const QLocale& locale)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return Error{QStringLiteral("Informe um valor.")};

    const QString decimal = locale.decimalPoint();
    const QString group = locale.groupSeparator();

    QString body = text;
    bool negative = false;
    if (body.startsWith(u'-') || body.startsWith(u'+')) {
        negative = body.startsWith(u'-');
        body.remove(0, 1);
    }

    // Split the integer part from the decimals at the locale's separator, or at "." when the
    // locale has another decimal separator and the text holds no group separator of its own.
    qsizetype sep = body.indexOf(decimal);
    if (sep < 0 && decimal != QStringLiteral(".") && group != QStringLiteral("."))
        sep = body.indexOf(u'.');
    QString integerPart = sep < 0 ? body : body.left(sep);
    const QString fractionPart = sep < 0 ? QString() : body.mid(sep + 1);

    static const QRegularExpression digits(QStringLiteral("^[0-9]*$"));

    if (!group.isEmpty() && integerPart.contains(group)) {
        const QRegularExpression grouped(QStringLiteral("^[0-9]{1,3}(%1[0-9]{3})+$")
                                             .arg(QRegularExpression::escape(group)));
        if (!grouped.match(integerPart).hasMatch())
            return Error{QStringLiteral("\"%1\" não é um valor válido.").arg(input)};
        integerPart.remove(group);
    }
    if (!digits.match(integerPart).hasMatch() || !digits.match(fractionPart).hasMatch() ||
        (integerPart.isEmpty() && fractionPart.isEmpty()))
        return Error{QStringLiteral("\"%1\" não é um valor válido.").arg(input)};

    const QString canonical = (negative ? QStringLiteral("-") : QString()) +
                              (integerPart.isEmpty() ? QStringLiteral("0") : integerPart) +
                              (fractionPart.isEmpty() ? QString() : QStringLiteral(".") + fractionPart);
    bool ok = false;
    const double value = canonical.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) >= 1e13)
        return Error{QStringLiteral("\"%1\" está fora dos limites de um valor.").arg(input)};
    return value == 0.0 ? 0.0 : value;
}

namespace {

// Two decimals of the decimal value the double stands for, as "-1234.56" (C locale).
QString twoDecimals(double value)
{
    const double rounded = RoundDec(value, 2);
    QString text = QString::number(rounded, 'f', 2);
    if (text == QStringLiteral("-0.00"))
        text = QStringLiteral("0.00");
    return text;
}

} // namespace

QString formatFixed(double value, const QLocale& locale)
{
    QString text = twoDecimals(value);
    text.replace(u'.', locale.decimalPoint());
    return text;
}

QString formatCurrency(double value, const QLocale& locale)
{
    const QString plain = twoDecimals(value);
    const bool negative = plain.startsWith(u'-');
    const QString unsignedText = negative ? plain.mid(1) : plain;
    const qsizetype dot = unsignedText.indexOf(u'.');
    QString integerPart = unsignedText.left(dot);
    const QString fraction = unsignedText.mid(dot + 1);

    QString grouped;
    const QString group = locale.groupSeparator();
    for (qsizetype i = 0; i < integerPart.size(); ++i) {
        if (i > 0 && (integerPart.size() - i) % 3 == 0)
            grouped += group;
        grouped += integerPart.at(i);
    }
    QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
    return (negative ? QStringLiteral("-") : QString()) + symbol + QStringLiteral(" ") + grouped +
           locale.decimalPoint() + fraction;
}

QString centsText(double value)
{
    QString text = twoDecimals(value);
    text.remove(text.indexOf(u'.'), 1);
    return text;
}

} // namespace zel
