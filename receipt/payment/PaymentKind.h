#pragma once

#include "receipt/payment/Ledger.h"

#include <QString>

namespace zel {

// What the money rules need to know of a payment kind (IDTIPORECE), declared once here so that
// every rule holds for every kind alike instead of being written per kind where a payment is
// taken.

// Who took the money: the till (cash in the drawer, a ticket, a cheque, the client's account),
// or an outside party that charged the customer (the card through its manager or terminal, Pix
// through the provider). What an outside party charged is what the customer paid: the receipt
// never lowers it, never gives change in its type, and can only give it back through that party.
enum class ChargedBy { Till, Outside };

// How a payment is given back when the sale does not close.
enum class GiveBack {
    Nothing, // removed from the receipt: nothing left the customer's hands through anyone else
    Undo,    // undone with the card manager
    Refund,  // refunded through the Pix provider
};

struct KindRules
{
    ChargedBy chargedBy = ChargedBy::Till;
    GiveBack giveBack = GiveBack::Nothing;
    bool aboveDue = true;       // may be more than is due (and so call for change)
    bool carriesClient = false; // the client identification of the receipt belongs to it

    bool outside() const { return chargedBy == ChargedBy::Outside; }
};

KindRules kindRules(const QString& idTipoRece);

// The largest amount one payment of a kind may record with `due` still to pay and `paid`
// already paid: never above what is due for a kind that takes no more than that, and never
// taking the amount paid past the largest amount of a receipt.
Cents largestPayment(const KindRules& rules, Cents due, Cents paid);

} // namespace zel
