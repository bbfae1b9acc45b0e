#include "RunningList.h"

#include "text/Consiste.h"
#include "text/Money.h"

#include <algorithm>

namespace zel {

QString AjustaL(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    return text.leftJustified(width, u' ', true);
}

QString linhaValor(const QString& name, const QString& amountText)
{
    const QString amount = Ajusta(amountText, kListAmountWidth);
    const int nameWidth = std::min(kListNameWidth, kListWidth - 1 - static_cast<int>(amount.size()));
    return AjustaL(name, std::max(nameWidth, 0)) + u' ' + amount;
}

QString linhaPagamento(const QString& name, double value)
{
    return linhaValor(name, formatCurrency(value));
}

} // namespace zel
