#pragma once

#include <QString>

namespace zel {

// The running list is a fixed-pitch memo 35 columns wide. A payment line holds the payment
// type's name in columns 1–20, a blank, and the amount in currency format right-aligned in
// columns 22–35.
inline constexpr int kListWidth = 35;
inline constexpr int kListNameWidth = 20;
inline constexpr int kListAmountWidth = 14;

// `text` padded on the right with blanks to `width`, then cut to exactly `width`.
QString AjustaL(const QString& text, int width);

// The line of one payment. An amount wider than its 14 columns keeps every digit and ends in
// column 35 all the same: the name gives up the columns it needs.
QString linhaPagamento(const QString& name, double value);
// The same with the amount already written ("USD 0,95").
QString linhaValor(const QString& name, const QString& amountText);

} // namespace zel
