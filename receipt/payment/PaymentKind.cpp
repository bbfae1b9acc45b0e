#include "PaymentKind.h"

#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/PaymentMovement.h"

#include <algorithm>

namespace zel {

KindRules kindRules(const QString& idTipoRece)
{
    KindRules rules;
    if (isCardKind(idTipoRece)) {
        rules.chargedBy = ChargedBy::Outside;
        rules.giveBack = GiveBack::Undo;
        rules.aboveDue = false;
    } else if (idTipoRece == kind::pix) {
        rules.chargedBy = ChargedBy::Outside;
        rules.giveBack = GiveBack::Refund;
        rules.aboveDue = false;
    } else if (idTipoRece == kind::conta) {
        rules.aboveDue = false; // the account takes exactly what is due
        rules.carriesClient = true;
    }
    return rules;
}

Cents largestPayment(const KindRules& rules, Cents due, Cents paid)
{
    const Cents room = std::max<Cents>(0, kMaxAmountCents - paid);
    return rules.aboveDue ? room : std::min(due, room);
}

} // namespace zel
