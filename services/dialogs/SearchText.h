#pragma once

#include "dataset/DataPacket.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zel {

// A field's value as a search list shows it: numbers in the locale, a float field in its
// display format ("#,##0.00": grouped, two decimals), dates as dd/MM/yyyy, null as "".
QString fieldDisplayText(const QVariant& value, const FieldDef& field);

// Text for matching: letter case and accents do not count ("São" matches "sao").
QString foldForSearch(const QString& text);

// The digits of a text made of digits and punctuation only (a masked taxpayer number, a code,
// a date); empty for any other text.
QString digitsOfNumberText(const QString& text);

// One row of a search list: its position among the dataset's visible rows and its texts.
struct SearchRow {
    int recNo = 0;
    QStringList texts;
    QStringList folded; // foldForSearch of each text
    QStringList digits; // digitsOfNumberText of each text
};

SearchRow makeSearchRow(int recNo, const QStringList& texts);

// Indexes of the rows whose texts contain `typed` in any column; all rows when it is empty.
// Typed digits (with or without the punctuation . - /) also match the digits of a column that
// shows a number with punctuation: "11222333" finds "11.222.333/0001-81".
QList<int> narrowRows(const QList<SearchRow>& rows, const QString& typed);

} // namespace zel
