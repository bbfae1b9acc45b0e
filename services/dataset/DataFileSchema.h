#pragma once

// Schema of the data files, shared by their reader and writer.

#include "DataFile.h"
#include "DataSetMessages.h"
#include "SqliteDb.h"

namespace zel::datafile::schema {

constexpr int kBusyMs = 15000;
constexpr int kDeadlineMs = 5000; // the work of one statement on a data file
constexpr int kFormat = 1;
constexpr qint64 kApplicationId = 0x5A454C44; // "ZELD"
inline const QString kTable = QStringLiteral("records");
inline const QString kRowId = QStringLiteral("zel_rowid");

QString columnType(FieldType type);
// "Arquivo de dados <path>: <text under key>", with the key as the error's code.
template <class... A> Error fileError(const QString& path, const char* key, const A&... args)
{
    return Error{dataSetText("ArqErro", path, dataSetText(key, args...)), QLatin1String(key)};
}

// What the database holds: nothing at all yet, a data file, or something else.
enum class Kind { Empty, DataFile, Foreign };
Result<Kind> inspect(sqlite::Db& db, const QString& path);

// An entry of the database's schema (sqlite_schema): type, name, table and CREATE text (empty
// for the indexes SQLite makes itself).
struct SchemaObject
{
    QString type, name, table, sql;
    bool operator==(const SchemaObject&) const = default;
};
// Every object a data file of these fields and indexes holds, with the CREATE text this module
// gives it.
QList<SchemaObject> schemaObjects(const QList<FieldDef>& fields, const QList<IndexDef>& indexes);

struct Meta
{
    QString fileId;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
};
// Reads and checks the metadata tables and that the table's columns match the fields.
Result<Meta> readMeta(sqlite::Db& db, const QString& path);
// The metadata of a data file that holds exactly the objects this module creates, with their
// CREATE texts, and passes SQLite's quick check; otherwise an error value (ArqObjetoEstranho,
// ArqObjetoAlterado, ArqObjetoFalta, ArqDanificado, or one of readMeta's).
// `wholeCheck`: the quick check runs whatever this process found before (a read of every row
// pays a pass over the file anyway).
Result<Meta> validateSchema(sqlite::Db& db, const QString& path, bool wholeCheck = false);

// The whole-file checks (SQLite's quick check in validateSchema, scanValues) cost a pass over
// the file. A file whose identity, size and change time are those this process last found
// checked (or left by its own save) has them skipped, so that a keyed read or a save of one
// row costs what it touches. The change time cannot be set back by another account: any
// other writer's change brings the checks back (except one of the same size within the same
// tick of the file system's clock, a few milliseconds: then the checks wait for the next read of
// the whole file; SQLite still checks every page it reads, see openUntrusted).
bool wholeFileChecked(const QString& path);
void markWholeFileChecked(const QString& path);
void forgetWholeFileChecked(const QString& path);

// Reads every stored value once, so that a value longer than the connection's limits
// (SqliteDb's untrusted open) is an error value before anything is written.
Status scanValues(sqlite::Db& db, const QString& path);

// Columns 1..n of the statement as stored values of `fields`, from column `first` on.
Result<Row> readRow(const sqlite::Stmt& st, int first, const QList<FieldDef>& fields, const QString& path,
                    qint64 rowId);
void bindRow(sqlite::Stmt& st, int first, const QList<FieldDef>& fields, const Row& row);

Status createSchema(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields,
                    const QString& fileId);
// Rewrites the field and index metadata and brings the unique SQL indexes in line.
Status writeMeta(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields,
                 const QList<IndexDef>& indexes, const QList<IndexDef>& stored);

} // namespace zel::datafile::schema
