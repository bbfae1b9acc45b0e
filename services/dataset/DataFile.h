#pragma once

// The dataset's own files: one SQLite database per dataset. Layout and rules are in
// docs/datasets.md ("Data files and packets").

#include "DataSet.h"

#include <optional>

namespace zel::datafile {

struct Contents
{
    QString fileId; // identity given to the file when it was created
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    QList<Row> rows;
    QList<qint64> rowIds; // one per row
};

// The rows a read keeps: those whose `fields` hold `values` (null matches null; a value a
// field cannot hold matches nothing), found through the file's SQL indexes. No fields: no rows.
struct RowKey
{
    QStringList fields;
    QVariantList values;
};

// The definitions the module gives a table. A file read for it must carry these fields (names,
// types and sizes, in order) and these indexes; it never replaces them.
struct Definitions
{
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
};

// Reads a whole data file in one read transaction. A missing file, a link, a file that is not
// an SQLite database, a database that is not a data file (see validateSchema: objects the module
// does not create, CREATE texts of its own), a table that does not match its field list, values
// of the wrong type, and a file whose definitions are not `expected` are error values; the file
// is not changed. With `expected`, the contents carry the expected definitions.
// With `key`, only the rows whose fields hold its values are read, through the file's SQL indexes.
Result<Contents> read(const QString& path, const std::optional<Definitions>& expected = std::nullopt,
                      const RowKey* key = nullptr);

struct SaveRequest
{
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    bool replace = false; // `rows` replace the file's rows; otherwise `changes` are applied
    // The file the changes were made against: the save fails when the file no longer carries
    // this identity. Empty: the changes are all inserts and apply to any file of this shape.
    QString baseFileId;
    QList<Change> changes;
    QList<Row> rows; // every row, for a replace
};

struct SaveResult
{
    QString fileId;
    bool applied = false; // the changes were applied; otherwise the rows were replaced
    QList<qint64> rowIds; // applied: ids of the Inserted changes in order; else one per row
};

// Writes in one immediate transaction, waiting for other writers. Creates the file when it
// does not exist. On error nothing is written.
Result<SaveResult> write(const QString& path, const SaveRequest& request);

// The path that identifies a file: canonical when it exists, absolute otherwise.
QString identityPath(const QString& path);

} // namespace zel::datafile
