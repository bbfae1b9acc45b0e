// Typed amounts. Any text in the locales an operator's machine may have gives an amount or an
// error value; an amount it accepts is finite, below the limit, and formats back to text that
// reads as the same value to the cent. The cut and the rounding keep their promises for any
// double (NaN, infinities, subnormals, the largest values), and an amount typed in cents is
// never a cent short after them.

#include "text/Money.h"

#include <QLocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const QList<QLocale>& locales()
{
    static const QList<QLocale> list{QLocale(QLocale::Portuguese, QLocale::Brazil), QLocale::c(),
                                     QLocale(QLocale::English, QLocale::UnitedStates),
                                     QLocale(QLocale::German, QLocale::Switzerland),
                                     QLocale(QLocale::French, QLocale::France)};
    return list;
}

// A product of cents this close to a whole number is taken as that number: arithmetic noise
// on amounts (10,01 - 10,00) is absorbed, so a cut or a rounding may move by this much more.
constexpr double kNoise = 1e-8 + 1e-12;

// Within half a cent of the decimal value the double stands for, which lies within half a
// unit of its 14th significant digit of the double.
bool withinCent(double a, double b)
{
    return std::fabs(a - b) <= 0.005 + kNoise + std::fabs(a) * 1e-13;
}

void checkCutAndRound(double v)
{
    const double t = zel::Trunc2(v);
    const double r = zel::RoundDec(v, 2);
    if (!std::isfinite(v)) {
        check(std::isnan(v) ? std::isnan(t) && std::isnan(r) : t == v && r == v);
        return;
    }
    if (std::fabs(v) * 100.0 >= 4503599627370496.0) // beyond cents: left as it is
        return;
    // The cut goes toward zero by less than a cent (a hair over the double, when the double lies
    // a hair below the decimal value it stands for), keeps the sign and is stable.
    check(t == 0.0 || std::signbit(t) == std::signbit(v));
    check(std::fabs(t) <= std::fabs(v) + kNoise + std::fabs(v) * 1e-13);
    check(std::fabs(v) - std::fabs(t) < 0.01 + kNoise + std::fabs(v) * 1e-15);
    check(zel::Trunc2(t) == t);
    check(withinCent(r, v));
    check(zel::RoundDec(r, 2) == r);
    check(!std::signbit(t) || t != 0.0); // no negative zero
    check(!std::signbit(r) || r != 0.0);
    const QString fixed = zel::formatFixed(v, QLocale::c());
    const auto back = zel::parseAmount(fixed, QLocale::c());
    check(back.ok() || std::fabs(r) >= 1e13);
    if (back.ok())
        check(*back == r);
}

void fuzzText(const QString& text)
{
    for (const QLocale& locale : locales()) {
        const auto amount = zel::parseAmount(text, locale);
        if (amount.ok()) {
            const double v = *amount;
            check(std::isfinite(v) && std::fabs(v) < 1e13);
            checkCutAndRound(v);
            const QString fixed = zel::formatFixed(v, locale);
            const auto back = zel::parseAmount(fixed, locale);
            // Thousandths just below the limit round up to it, which no amount reaches.
            check(back.ok() || std::fabs(zel::RoundDec(v, 2)) >= 1e13);
            if (back.ok())
                check(withinCent(*back, v) && *back == zel::RoundDec(v, 2));
            (void)zel::formatCurrency(v, locale);
            (void)zel::centsText(v);
        } else {
            check(!amount.errorMessage().isEmpty());
        }
        const auto number = zel::parseNumber(text, locale);
        if (number.ok()) {
            check(std::isfinite(*number));
            if (amount.ok())
                check(*number == *amount);
        } else {
            check(!number.errorMessage().isEmpty());
        }
    }
}

// Whole cents typed as "1234,56": exact after the cut and the rounding.
void fuzzCents(std::uint64_t raw)
{
    const std::uint64_t cents = raw % 1000000000000000ULL; // below 10^13 in reais
    const bool negative = (raw >> 63) != 0;
    const QString digits = QString::number(cents / 100) + QStringLiteral(",") +
                           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    const QString text = (negative ? QStringLiteral("-") : QString()) + digits;
    const auto amount = zel::parseAmount(text, QLocale(QLocale::Portuguese, QLocale::Brazil));
    check(amount.ok());
    const double v = *amount;
    check(zel::Trunc2(v) == v);
    check(zel::RoundDec(v, 2) == v);
    const QString expected = (negative && cents != 0 ? QStringLiteral("-") : QString()) +
                             QString::number(cents / 100) +
                             QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    check(zel::centsText(v) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (size >= sizeof(double)) {
        double v;
        std::memcpy(&v, data, sizeof v);
        checkCutAndRound(v);
        for (int decimals = -1; decimals <= 10; ++decimals) {
            const double r = zel::RoundDec(v, decimals);
            check(std::isnan(v) == std::isnan(r));
        }
        std::uint64_t raw;
        std::memcpy(&raw, data, sizeof raw);
        fuzzCents(raw);
    }
    return 0;
}
