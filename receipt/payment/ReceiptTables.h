#pragma once

#include "dataset/DataPacket.h"
#include "text/ErrorLog.h"

namespace zel {

// The tables a host hands to a receipt, as they arrive.
struct ReceiptTables
{
    const DataPacket& sale;         // parameter 1
    const DataPacket& clients;      // parameter 4
    const DataPacket& consumers;    // parameter 5
    const DataPacket& taxRates;     // parameter 6
    const DataPacket& paymentTypes; // parameter 7
};

// Why the tables cannot carry a receipt to its end, checked before the form opens so that the
// host hears of it before the customer pays: every field that a touch of the form will read
// (the fiscal coupon's only when it is printed, the client account's and the foreign
// currency's only when a payment type of that kind is configured), named with its table; and
// a payment-type table none of whose rows can become a button. Empty when they can.
ErrorRecord tablesRefusal(const ReceiptTables& tables, bool printsCoupon);

// How many rows of the payment-type table a touch can reach: a payment form of the fiscal
// printer, button kind "5" at a position "01".."24", of the first group ("01") or of a group
// that has its own button, on a page "1", "2", ..., and of a kind that is shown.
int reachablePaymentButtons(const DataPacket& paymentTypes);

} // namespace zel
