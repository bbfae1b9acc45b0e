#include "Discount.h"

#include "dataset/DataSet.h"
#include "receipt/payment/RunningList.h"
#include "text/Consiste.h"
#include "text/Money.h"

#include <algorithm>
#include <cmath>

namespace zel {

namespace {

// `left`, then `amount` right-aligned so that the line ends in the list's last column. When
// both do not fit, `left` is cut so that a blank still stands before the amount.
QString alignedLine(const QString& left, const QString& amount)
{
    const int amountWidth =
        std::max(kListWidth - static_cast<int>(left.size()), static_cast<int>(amount.size()) + 1);
    return left.left(std::max(kListWidth - amountWidth, 0)) + Ajusta(amount, amountWidth);
}

} // namespace

bool discountAllowed(double total)
{
    return total >= kMinTotalForDiscount;
}

std::optional<CouponDiscount> couponDiscount(const QString& tipo, double valor, double total)
{
    if (!(valor > 0) || !std::isfinite(valor) || !discountAllowed(total))
        return std::nullopt;
    CouponDiscount discount;
    if (tipo == QLatin1String("V")) {
        discount.value = Trunc2(valor);
        discount.percent = valor * 100 / total;
    } else if (tipo == QLatin1String("P")) {
        discount.percent = valor;
        discount.value = Trunc2(valor * total / 100);
    } else {
        return std::nullopt;
    }
    if (!std::isfinite(discount.value) || discount.value >= total)
        discount.value = Trunc2(total - 0.01);
    return discount;
}

QStringList discountLines(const QString& descontoText, const QString& subtotalText,
                          const CouponDiscount& discount, double total)
{
    const QString head = descontoText + u' ' + formatFixed(discount.percent) + QStringLiteral("% ");
    return {alignedLine(head, u'-' + formatFixed(discount.value)),
            alignedLine(subtotalText, formatFixed(Trunc2(total - discount.value))), QString()};
}

QStringList taxpayerLines(const QString& numberCaption, const QString& nameCaption, const QString& number,
                          const QString& name)
{
    if (number.isEmpty())
        return {};
    const QString separator = QStringLiteral(" : ");
    QStringList lines{QString(), (numberCaption + separator + number).left(kListWidth)};
    if (!name.isEmpty())
        lines.append((nameCaption + separator + name).left(kListWidth));
    return lines;
}

void foldDiscount(DataSet& sale, double discount)
{
    if (!(discount > 0))
        return;
    const QString field = QStringLiteral("VRDESCOMANDA");
    for (sale.first(); !sale.eof(); sale.next()) {
        sale.edit();
        Field comanda = sale.fieldByName(field);
        comanda.setFloat(RoundDec(comanda.asFloat() + discount, 2));
        sale.post();
    }
}

} // namespace zel
