#include "Money.h"

#include "TextCatalogue.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace zel {

namespace {

// Beyond this magnitude a double no longer holds cents apart.
constexpr double kMaxScaled = 4503599627370496.0; // 2^52

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL};

// The decimal value a non-negative double stands for, as significant digits and a scale:
// value = digits × 10^exponent. Below 10^11 it is the double rounded to 14 significant
// digits (15 from 10^10), which gives back the decimal text of any amount with up to four
// decimals and drops the binary noise of a few operations (3 × 1.15 is 3.4499999999999997);
// from 10^11 on a double holds too few digits to tell noise from a typed thousandth, so it
// is the shortest text that reads back to the same double.
struct Decimal
{
    std::uint64_t digits = 0;
    int exponent = 0;
};

Decimal decimalOf(double magnitude)
{
    char buf[64];
    std::to_chars_result r;
    if (magnitude < 1e10)
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 13);
    else if (magnitude < 1e11)
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    else
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    // "d.ddddde+XX": at most 17 digits, which fit in 64 bits.
    Decimal dec;
    int fractionDigits = 0;
    bool inFraction = false;
    const char* p = buf;
    for (; p < r.ptr && *p != 'e'; ++p) {
        if (*p == '.') {
            inFraction = true;
            continue;
        }
        dec.digits = dec.digits * 10 + std::uint64_t(*p - '0');
        fractionDigits += inFraction ? 1 : 0;
    }
    int exp10 = 0;
    if (p < r.ptr) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, r.ptr, exp10);
    }
    dec.exponent = exp10 - fractionDigits;
    return dec;
}

// |value| × 10^decimals as a whole number, cut (`round` false) or rounded half up, from the
// decimal value the double stands for. The caller keeps the result below 2^52.
std::uint64_t scaledWhole(double magnitude, int decimals, bool round)
{
    const Decimal dec = decimalOf(magnitude);
    const int shift = dec.exponent + decimals;
    if (shift >= 0)
        return dec.digits * kPow10[shift];
    if (-shift > 18)
        return 0;
    const std::uint64_t divisor = kPow10[-shift];
    const std::uint64_t whole = dec.digits / divisor;
    const std::uint64_t rest = dec.digits % divisor;
    return whole + (round && rest >= divisor - rest ? 1 : 0);
}

// How far from the cut (or the half) a scaled product may lie and still give the same answer
// as the decimal value: the 14-digit rounding above plus the error of the product itself.
double margin(double scaled)
{
    return 1e-9 + scaled * 1e-11;
}

Error textError(const char* key, const QString& input = {})
{
    const QString text = textMessage(QLatin1String(key));
    return Error{input.isNull() ? text : text.arg(input), QLatin1String(key)};
}

// The difference of two nearly equal amounts (10,01 − 10,00) carries the representation error
// of the operands, which is large beside the small result: its 14 significant digits still
// hold it. A product this close to a whole number in absolute terms is taken as that number
// (a real fraction of the last decimal is never this small in an amount). Only for results
// whose product still resolves far finer than that window; larger ones take the decimal text.
constexpr double kAbsoluteNoise = 1e-6;
constexpr double kAbsoluteNoiseBelow = 1e8;

bool nearWhole(double scaled, double target)
{
    return scaled < kAbsoluteNoiseBelow && std::fabs(scaled - target) <= kAbsoluteNoise;
}

double signedResult(double whole, double factor, double value)
{
    const double result = std::copysign(whole / factor, value);
    return result == 0.0 ? 0.0 : result; // no negative zero
}

} // namespace

double Trunc2(double value)
{
    if (!std::isfinite(value))
        return value;
    const double magnitude = std::fabs(value);
    const double scaled = magnitude * 100.0;
    if (scaled >= kMaxScaled)
        return value;
    const double nearest = std::nearbyint(scaled);
    if (nearWhole(scaled, nearest))
        return signedResult(nearest, 100.0, value);
    // Most amounts lie clearly between two cents: the product settles them without text.
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    const double m = margin(scaled);
    if (fraction >= m && fraction <= 1.0 - m)
        return signedResult(whole, 100.0, value);
    return signedResult(double(scaledWhole(magnitude, 2, false)), 100.0, value);
}

double RoundDec(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    decimals = std::clamp(decimals, 0, 9);
    const double factor = double(kPow10[decimals]);
    const double magnitude = std::fabs(value);
    const double scaled = magnitude * factor;
    if (scaled >= kMaxScaled)
        return value;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (nearWhole(scaled, whole + 0.5))
        return signedResult(whole + 1.0, factor, value);
    if (std::fabs(fraction - 0.5) > margin(scaled))
        return signedResult(fraction > 0.5 ? whole + 1.0 : whole, factor, value);
    return signedResult(double(scaledWhole(magnitude, decimals, true)), factor, value);
}

Result<double> parseAmount(const QString& input, const QLocale& locale)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return textError("ValorVazio");

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
        // The first group starts with a digit other than 0: "0.500" is no number of thousands.
        const QRegularExpression grouped(
            QStringLiteral("^[1-9][0-9]{0,2}(%1[0-9]{3})+$").arg(QRegularExpression::escape(group)));
        if (!grouped.match(integerPart).hasMatch())
            return textError("ValorInvalido", input);
        integerPart.remove(group);
    }
    if (!digits.match(integerPart).hasMatch() || !digits.match(fractionPart).hasMatch() ||
        (integerPart.isEmpty() && fractionPart.isEmpty()))
        return textError("ValorInvalido", input);

    const QString canonical = (negative ? QStringLiteral("-") : QString()) +
                              (integerPart.isEmpty() ? QStringLiteral("0") : integerPart) +
                              (fractionPart.isEmpty() ? QString() : QStringLiteral(".") + fractionPart);
    bool ok = false;
    const double value = canonical.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) >= 1e13)
        return textError("ValorForaLimite", input);
    return value == 0.0 ? 0.0 : value;
}

Result<double> parseNumber(const QString& input, const QLocale& locale)
{
    const QString text = input.trimmed();
    static const QRegularExpression plain(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]{1,3})?$"));
    std::optional<double> value;
    bool ambiguous = false;
    const auto reading = [&](std::optional<double> read) {
        if (!read)
            return;
        if (value && *value != *read)
            ambiguous = true;
        value = value.value_or(*read);
    };
    if (plain.match(text).hasMatch()) {
        const QByteArray latin = text.toLatin1();
        const char* begin = latin.constData() + (latin.startsWith('+') ? 1 : 0);
        double v = 0;
        const auto r = std::from_chars(begin, latin.constData() + latin.size(), v);
        if (r.ec == std::errc() && std::isfinite(v))
            reading(v == 0.0 ? 0.0 : v);
    }
    // The locale's own separators, and both conventions of "," and "." whatever the locale: a
    // text from a machine of the other convention ("1,234" written for 1234) is never taken for
    // another number.
    static const QLocale commaDecimal(QLocale::Portuguese, QLocale::Brazil);
    static const QLocale pointDecimal(QLocale::English, QLocale::UnitedStates);
    for (const QLocale* convention : {&locale, &commaDecimal, &pointDecimal}) {
        const Result<double> read = parseAmount(text, *convention);
        reading(read ? std::optional<double>(*read) : std::nullopt);
    }
    if (ambiguous)
        return textError("NumAmbiguo", input);
    if (value)
        return *value;
    if (text.isEmpty())
        return textError("ValorVazio");
    return textError("NumInvalido", input);
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
