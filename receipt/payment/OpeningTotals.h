#pragma once

#include "dataset/DataSet.h"
#include "receipt/payment/Ledger.h"
#include "text/Result.h"

namespace zel {

// The amounts a receipt opens with, computed from the sale's product lines.
struct OpeningTotals
{
    double produtos = 0;    // sum of the lines, each as lineAmount gives it (the coupon's rule)
    QList<Cents> lines;     // each line's amount, in the sale's order
    double servico = 0;     // service fee, after netting the comanda discount
    double consumacao = 0;  // minimum-consumption charge
    double descComanda = 0; // part of the comanda discount the fee did not absorb
    double total = 0;       // products + fee − comanda discount + minimum consumption
};

// The fields of the sale lines the opening computation reads.
inline const QStringList kOpeningFields = {"QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN",
                                           "VRTXSERVICO",  "VRCONSUMAMIN", "VRDESCOMANDA"};

// Computes the opening amounts. The service fee and minimum consumption come from the first
// line, the comanda discount from the last; a null or non-positive one counts as 0, as does a
// null quantity, price or line discount. A missing field, or a value that is not a number, is
// an error naming the field and the line, so no receipt opens on a sale it cannot total; so
// is an amount that comes out infinite, not a number, or too large to be kept to the cent
// (2^53 cents and above).
Result<OpeningTotals> computeOpeningTotals(const DataPacket& sale);

} // namespace zel
