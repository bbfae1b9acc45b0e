#pragma once

#include "text/Result.h"

#include <QDate>
#include <QString>
#include <optional>

namespace zel {

class DataSet;

// The currency quotes typed at the receipt, one per (index code, reference date), kept in
// the data file "movindic.cds" of the data directory: fields CDINDICE (text 4), DTREFIND
// (date) and VRINDICE (float), unique index idxCotacao on "CDINDICE;DTREFIND".
namespace quotes {

QString filePath(const QString& dataDir);

// Loads the file into `table`. A file that does not exist yet is created empty first; two
// terminals creating it together end up with one file, neither's later rows lost. A file
// that cannot be read is an error value and nothing is written.
Status open(DataSet& table, const QString& dataDir);

// The quote stored for the index and date, if any.
std::optional<double> find(DataSet& table, const QString& cdIndice, const QDate& date);

// Adds a row and posts it (a key already stored throws DataSetError).
void add(DataSet& table, const QString& cdIndice, const QDate& date, double quote);

// Writes the rows added since `open` to the file, keeping the rows other terminals added
// meanwhile, and closes the table. Nothing added: nothing is written.
Status close(DataSet& table);

} // namespace quotes
} // namespace zel
