#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zel {

class DataSet;

// The discount on the coupon: a percentage of the sale total and the amount it takes off.
struct CouponDiscount
{
    double percent = 0;
    double value = 0; // cut to cents; always below the total
};

// A sale whose total is below this cannot take a discount: at least 0,01 must stay to pay,
// and a percentage of a zero total means nothing.
inline constexpr double kMinTotalForDiscount = 0.02;
bool discountAllowed(double total);

// The discount the dialog asked for: `tipo` "V" an amount, "P" a percentage of `total`.
// The amount is cut to cents; an amount at or above the total becomes the total less 0,01
// (the percentage stays as computed). Nothing (no change to the receipt) when the value is
// not above 0 or not a finite number, when `tipo` is neither "V" nor "P", or when the total
// allows no discount.
std::optional<CouponDiscount> couponDiscount(const QString& tipo, double valor, double total);

// The running-list lines of a discount, 35 columns each: "<desconto> <pct>% " and the amount
// as "-<value>" ending in column 35; "<subtotal>" and the total less the discount ending in
// column 35; an empty line. Amounts in fixed format. An amount keeps every digit: the text
// on its left gives up the columns it needs, and a blank stays between them.
QStringList discountLines(const QString& descontoText, const QString& subtotalText,
                          const CouponDiscount& discount, double total);

// The running-list lines of the taxpayer id: an empty line, "<caption> : <number>" and, when
// there is a name, "<caption> : <name>", each cut to 35 columns. None without a number.
QStringList taxpayerLines(const QString& numberCaption, const QString& nameCaption, const QString& number,
                          const QString& name);

// Folds the coupon discount into the comanda discount (VRDESCOMANDA) of every sale line, for
// a sale closed without the fiscal printer. A discount not above 0 leaves the lines as they
// are. A null comanda discount counts as 0.
void foldDiscount(DataSet& sale, double discount);

} // namespace zel
