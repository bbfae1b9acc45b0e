#pragma once

#include "receipt/payment/InputStep.h"
#include "receipt/payment/Ledger.h"

#include <QString>

namespace zel {

class TMessages;

// The largest amount a receipt takes: R$ 99.999.999,99, the one bound of every amount of a
// sale. Each amount label of the 800 × 600 form shows it whole in a font still easy to read
// (the narrowest, the amount due, at 12 px), a 20-column customer display shows
// "Total : 99999999,99" whole, the fiscal printer takes amounts below 10^11, and a double holds
// each of its cents exactly. A sale whose total or charges pass it does not open; a payment
// that passes it, or takes the amount paid past it (and so the change, which is less), a quote
// above it and a foreign amount worth more than it are refused at entry.
inline constexpr Cents kMaxAmountCents = 9'999'999'999;
double maxAmount();

// Whether `amount` is a finite number no further from 0 than the largest amount.
bool withinAmountLimit(double amount);

// Why Enter on the entry `text` of the input step `step` may not be taken (empty: it may),
// with `paid` already paid and, while a foreign amount is asked, the sale's `quote` of that
// currency: an amount (cut to cents, as it is recorded) above the largest amount or taking the
// amount paid above it; a quote above it; a foreign amount whose local value passes it. Steps
// that take no amount, and a text that does not read as a number (the entry's own check says
// so), are never refused here.
QString entryBeyondLimit(const TMessages& messages, TInputStep step, const QString& text, Cents paid,
                         double quote);

} // namespace zel
