#pragma once

#include "dataset/DataPacket.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <vector>

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
struct SearchRow
{
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

// The texts of a search list kept for typing at restaurant scale: every row's texts, their
// folded forms and their digits each in one buffer (no list per row), and the rows shown for
// each prefix of what was typed. A key that makes the text longer narrows the rows shown for
// the text before it instead of scanning every row again; Backspace takes back the rows
// already found for the shorter text. The rows shown are always those narrowRows gives.
class SearchIndex
{
public:
    explicit SearchIndex(int columns = 0);

    int columns() const { return m_columns; }
    int size() const { return int(m_rowAt.size()) - 1; }
    // Appends a row: `texts` has one text per column (missing ones are empty).
    void append(const QStringList& texts);
    QString text(int row, int column) const;

    // The indexes of the rows whose texts contain `typed` (as narrowRows counts it).
    const QList<int>& narrow(const QString& typed);

private:
    struct Found
    {
        QString typed;
        QString needle; // foldForSearch(typed)
        QString digits; // the typed digits of a masked number; empty when not one
        QList<int> rows;
    };
    // A text looked for, with the position of its character least often seen in the texts.
    struct Needle
    {
        QString text;
        qsizetype rare = 0;
    };
    Needle needleFor(const QString& text) const;
    // Where `needle` (not empty) first occurs in `haystack` from `from`; -1 when nowhere. Qt's
    // vectorised search finds the needle's rarest character, then the whole needle is compared.
    static qsizetype find(QStringView haystack, const Needle& needle, qsizetype from = 0);
    static QList<int> rowsHolding(const QString& buffer, const std::vector<qsizetype>& rowAt,
                                  const Needle& needle);
    QList<int> scanAll(const QString& needle, const QString& digits) const;
    bool rowMatches(int row, const Needle& needle, const Needle& digits) const;
    void forget(); // the prefixes found: a row appended invalidates them

    int m_columns = 0;
    QString m_texts;                   // each row's texts, one after the other
    std::vector<qsizetype> m_textAt;   // where text (row, column) begins; one more at the end
    QString m_folded;                  // each row's folded texts, "\n" after each
    QString m_digits;                  // each row's column digits, "\n" after each
    std::vector<qsizetype> m_rowAt;    // where each row begins in m_folded; one more at the end
    std::vector<qsizetype> m_digitsAt; // the same in m_digits
    QList<Found> m_found;              // the prefixes of the text typed, shortest first
    QList<int> m_all;
    std::array<qsizetype, 256> m_seen{}; // how often each Latin-1 character occurs in m_folded
};

} // namespace zel
