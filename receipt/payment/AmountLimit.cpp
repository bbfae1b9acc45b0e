#include "AmountLimit.h"

#include "receipt/payment/PaymentMovement.h"
#include "text/Messages.h"
#include "text/Money.h"

#include <cmath>

namespace zel {

double maxAmount()
{
    return fromCents(kMaxAmountCents);
}

bool withinAmountLimit(double amount)
{
    return std::isfinite(amount) && std::fabs(amount) <= maxAmount();
}

QString entryBeyondLimit(const TMessages& messages, TInputStep step, const QString& text, Cents paid,
                         double quote)
{
    const bool amountStep = step == isCredito3 || step == isDebito3 || step == isCheque6 ||
                            step == isDinheiro1 || step == isTicket1 || step == isMoeda2;
    if (!amountStep && step != isMoeda1)
        return {};
    const Result<double> read = parseAmount(text);
    if (!read)
        return {};
    const QString limit = formatCurrency(maxAmount());
    if (step == isMoeda1)
        return withinAmountLimit(*read) ? QString()
                                        : messages.Msg(QStringLiteral("CotacaoAcimaLimite")).arg(limit);

    const double typed = Trunc2(*read);
    if (!withinAmountLimit(typed))
        return messages.Msg(QStringLiteral("ValorAcimaLimite")).arg(limit);
    double local = typed;
    if (step == isMoeda2) {
        if (!isUsableQuote(quote))
            return {};
        local = foreignPayment(typed, quote).valor;
        if (!withinAmountLimit(local))
            return messages.Msg(QStringLiteral("MoedaAcimaLimite")).arg(formatCurrency(local), limit);
    }
    if (paid + toCents(local) > kMaxAmountCents)
        return messages.Msg(QStringLiteral("PagoAcimaLimite")).arg(limit);
    return {};
}

} // namespace zel
