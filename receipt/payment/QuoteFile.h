#pragma once

#include "text/Result.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>

namespace zel {

// The day a quote is looked up for: the fiscal movement's date when the printer gave one, else
// today (the module's clock).
QDate quoteReferenceDate(const QDateTime& dtMovFiscal);

class DataSet;

// The currency quotes typed at the receipt, one per (index code, reference date), kept in
// the data file "movindic.cds" of the data directory: fields CDINDICE (text 4), DTREFIND
// (date) and VRINDICE (float), unique index idxCotacao on "CDINDICE;DTREFIND".
namespace quotes {

QString filePath(const QString& dataDir);

// Checks the file without reading its rows (find and add read the one key they need). A file that does not
// exist yet is created empty first; two terminals creating it together end up with one file, neither's later
// rows lost. A file that cannot be read is an error value and nothing is written.
Status open(DataSet& table, const QString& dataDir);

// The quote stored for the index and date, if any, read from the file by its key (the row
// stays in `table` for add).
std::optional<double> find(DataSet& table, const QString& cdIndice, const QDate& date);

// Stores the quote of the index and date: a new row, or the stored one changed (a quote that
// could not be used is replaced by the one typed). The stored row is the one find read (or,
// without a find, read here): a quote of the key that another terminal stored since then makes
// close fail; it is not overwritten.
void add(DataSet& table, const QString& cdIndice, const QDate& date, double quote);

// Writes the rows added since `open` to the file, keeping the rows other terminals added
// meanwhile, and closes the table. Nothing added: nothing is written.
Status close(DataSet& table);

} // namespace quotes

// The quotes one sale uses: one per currency index from its first use (a payment or a change in
// that currency) to the sale's end. Once the sale has a quote for an index, its later payments
// and its change in that currency use it, whatever another terminal stores in the quote file
// meanwhile (two terminals typing the day's first quote at once keep one each).
class SaleQuotes
{
public:
    std::optional<double> find(const QString& cdIndice) const;
    // The quote the sale uses for the index: the one kept before, else `quote`, which is kept.
    double use(const QString& cdIndice, double quote);

private:
    QHash<QString, double> m_quotes;
};

} // namespace zel
