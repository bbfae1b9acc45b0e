#include "DataFile.h"

#include "DataFileSchema.h"
#include "FieldValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zel::datafile {

using namespace schema;

namespace {

QString selectColumns(const QList<FieldDef>& fields)
{
    QStringList cols{kRowId};
    for (const FieldDef& f : fields)
        cols << sqlite::quoteIdent(f.name);
    return cols.join(QStringLiteral(", "));
}

bool sameRow(const Row& a, const Row& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (fieldvalue::compare(a[i], b[i]) != 0)
            return false;
    }
    return true;
}

// Same names (in any case), types and sizes, in order.
bool sameShape(const QList<FieldDef>& a, const QList<FieldDef>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].type != b[i].type || a[i].size != b[i].size ||
            a[i].name.compare(b[i].name, Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

QString describe(const QList<FieldDef>& fields)
{
    QStringList parts;
    for (const FieldDef& f : fields) {
        QString part = f.name + QLatin1Char(' ') + fieldTypeName(f.type);
        if (f.type == FieldType::String)
            part += QStringLiteral("(%1)").arg(f.size);
        parts << part;
    }
    return parts.join(QStringLiteral(", "));
}

QString indexKey(const IndexDef& ix)
{
    return QStringLiteral("%1 (%2%3%4%5)")
        .arg(ix.name, ix.fields.join(QLatin1Char(';')),
             ix.descFields.isEmpty() ? QString()
                                     : QStringLiteral(" desc ") + ix.descFields.join(QLatin1Char(';')),
             ix.descending ? QStringLiteral(" desc") : QString(),
             ix.unique ? QStringLiteral(" unique") : QString())
        .toLower();
}

QString describe(const QList<IndexDef>& indexes)
{
    QStringList parts;
    for (const IndexDef& ix : indexes)
        parts << indexKey(ix);
    parts.sort();
    return parts.join(QStringLiteral(", "));
}

// The file carries the module's definitions: its own field sizes or indexes never replace them.
Status checkDefinitions(const schema::Meta& meta, const Definitions& expected, const QString& path)
{
    if (!sameShape(meta.fields, expected.fields))
        return fileError(path, "ArqCamposDiferentes", describe(meta.fields), describe(expected.fields));
    if (describe(meta.indexes) != describe(expected.indexes))
        return fileError(path, "ArqIndicesDiferentes", describe(meta.indexes), describe(expected.indexes));
    return {};
}

// The "open untrusted" step. A data file and the journals SQLite keeps beside it are plain
// files of one name each: a symbolic or hard link would send writes to another file, and a
// FIFO or a device would hang the till. The folder may be a link; the name SQLite is given has
// it resolved, so that SQLITE_OPEN_NOFOLLOW refuses a link at the file only.
QString physicalPath(const QString& path)
{
    const QFileInfo fi(path);
    const QString folder = fi.absoluteDir().canonicalPath();
    return folder.isEmpty() ? fi.absoluteFilePath() : QDir(folder).filePath(fi.fileName());
}

Status checkPlainFiles(const QString& path, const QString& physical)
{
#ifdef Q_OS_UNIX
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        const QString name = physical + QLatin1String(suffix);
        struct stat st;
        if (::lstat(QFile::encodeName(name).constData(), &st) != 0) {
            if (errno == ENOENT)
                continue;
            return fileError(path, "ArqNaoAbre", QString::fromLocal8Bit(strerror(errno)));
        }
        if (S_ISLNK(st.st_mode))
            return fileError(path, "ArqLink", name);
        if (S_ISDIR(st.st_mode) && !*suffix)
            return fileError(path, "ArqPasta");
        if (!S_ISREG(st.st_mode))
            return fileError(path, "ArqNaoComum", name);
        if (st.st_nlink > 1)
            return fileError(path, "ArqVariosNomes", name, qint64(st.st_nlink));
    }
#else
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        if (QFileInfo(physical + QLatin1String(suffix)).isSymLink())
            return fileError(path, "ArqLink", physical + QLatin1String(suffix));
    }
#endif
    return {};
}

// A data file keeps its journal beside it (rollback journal). A database in WAL mode would
// have SQLite make and map a shared-memory file in the folder that every writer there can
// change under the till; its header says so (bytes 18 and 19 are 2), and it is refused unopened.
Status checkRollbackJournal(const QString& path, const QString& physical)
{
    QFile f(physical);
    if (!f.open(QIODevice::ReadOnly))
        return {}; // missing or new: SQLite's open reports it
    const QByteArray header = f.read(20);
    if (header.size() == 20 && header.startsWith("SQLite format 3") && (header[18] != 1 || header[19] != 1))
        return fileError(path, "ArqModoWal");
    return {};
}

Status openDataFile(sqlite::Db& db, const QString& path, int flags, const char* failKey)
{
    const QString physical = physicalPath(path);
    if (Status s = checkPlainFiles(path, physical); !s)
        return s;
    if (Status s = checkRollbackJournal(path, physical); !s)
        return s;
    if (Status s = db.openUntrusted(physical, flags, kBusyMs, kDeadlineMs); !s) {
        if (QFileInfo(physical).isSymLink()) // made between the check and the open
            return fileError(path, "ArqLink", physical);
        return fileError(path, failKey, s.errorMessage());
    }
    return {};
}

// A new file is made here, not by SQLite: never through a link, readable and writable by the
// owner and the group of the tills only (docs/datasets.md). False: the file already existed.
Result<bool> createPlainFile(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(physicalPath(path)).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0660);
    if (fd < 0) {
        if (errno == EEXIST)
            return false; // another terminal's, or a link: the open step decides
        return fileError(path, "ArqNaoCria", QString::fromLocal8Bit(strerror(errno)));
    }
    const bool modeSet = ::fchmod(fd, 0660) == 0; // whatever the umask
    ::close(fd);
    if (!modeSet)
        return fileError(path, "ArqNaoCria", QString::fromLocal8Bit(strerror(errno)));
    return true;
#else
    QFile f(path);
    if (f.exists())
        return false;
    if (f.open(QIODevice::NewOnly))
        return true;
    if (f.exists())
        return false;
    return fileError(path, "ArqNaoCria", f.errorString());
#endif
}

// An error SQLite reported as an interrupted statement or an oversized value, as the reason.
Error explain(const sqlite::Db& db, const QString& path, Error error)
{
    if (db.timedOut())
        return fileError(path, "ArqDemora", kDeadlineMs / 1000);
    if ((db.errorCode() & 0xff) == SQLITE_TOOBIG || error.message.contains(QLatin1String("too big")))
        return fileError(path, "ArqGrande", error.message);
    return error;
}

// Applies the change log. Rows changed or deleted by another process since they were loaded
// are conflicts: the save stops and its transaction is rolled back. Deleted and changed rows
// leave the table first and the changed ones come back (under their ids) before the new rows
// go in, so a key that moved from one row to another within the log never meets itself in
// the unique SQL indexes; only a key another terminal stored is refused.
Result<QList<qint64>> applyChanges(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields,
                                   const QList<Change>& changes)
{
    const QString table = sqlite::quoteIdent(kTable);
    sqlite::Stmt select(
        db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(selectColumns(fields), table, kRowId));
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    sqlite::Stmt remove(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, kRowId));
    sqlite::Stmt insert(db, QStringLiteral("INSERT INTO %1(%2) VALUES (%3)")
                                .arg(table, selectColumns(fields).section(QStringLiteral(", "), 1),
                                     marks.join(QStringLiteral(", "))));
    sqlite::Stmt restore(db, QStringLiteral("INSERT INTO %1(%2) VALUES (?, %3)")
                                 .arg(table, selectColumns(fields), marks.join(QStringLiteral(", "))));
    if (!select.ok() || !remove.ok() || !insert.ok() || !restore.ok())
        return fileError(path, "ArqNaoGrava", db.message());

    auto failed = [&] {
        if (db.errorCode() == SQLITE_CONSTRAINT_UNIQUE)
            return fileError(path, "ArqMesmaChave", db.message());
        return fileError(path, "ArqNaoGrava", db.message());
    };
    for (const Change& c : changes) {
        if (c.kind == ChangeKind::Inserted)
            continue;
        select.bind(1, c.fileRowId);
        const int rc = select.step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return failed();
        std::optional<Row> now;
        if (rc == SQLITE_ROW) {
            auto r = readRow(select, 1, fields, path, c.fileRowId);
            if (!r)
                return r.error();
            now = r.value();
        }
        select.reset();
        if (!now && c.kind == ChangeKind::Deleted)
            continue; // already gone: what the deletion wanted
        if (!now)
            return fileError(path, "ArqLinhaExcluida", c.fileRowId);
        if (!sameRow(*now, c.before))
            return fileError(path, "ArqLinhaAlterada", c.fileRowId);
        remove.bind(1, c.fileRowId);
        if (remove.step() != SQLITE_DONE)
            return failed();
        remove.reset();
    }
    for (const Change& c : changes) {
        if (c.kind != ChangeKind::Modified)
            continue;
        restore.bind(1, c.fileRowId);
        bindRow(restore, 2, fields, c.after);
        if (restore.step() != SQLITE_DONE)
            return failed();
        restore.reset();
    }
    QList<qint64> inserted;
    for (const Change& c : changes) {
        if (c.kind != ChangeKind::Inserted)
            continue;
        bindRow(insert, 1, fields, c.after);
        if (insert.step() != SQLITE_DONE)
            return failed();
        insert.reset();
        inserted << sqlite3_last_insert_rowid(db.handle());
    }
    return inserted;
}

Result<QList<qint64>> replaceRows(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields,
                                  const QList<Row>& rows)
{
    const QString table = sqlite::quoteIdent(kTable);
    if (Status s = db.exec(QStringLiteral("DELETE FROM %1").arg(table)); !s)
        return fileError(path, "ArqNaoGrava", s.errorMessage());
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    sqlite::Stmt insert(db, QStringLiteral("INSERT INTO %1(%2) VALUES (%3)")
                                .arg(table, selectColumns(fields).section(QStringLiteral(", "), 1),
                                     marks.join(QStringLiteral(", "))));
    if (!insert.ok())
        return fileError(path, "ArqNaoGrava", db.message());
    QList<qint64> ids;
    ids.reserve(rows.size());
    for (const Row& row : rows) {
        bindRow(insert, 1, fields, row);
        if (insert.step() != SQLITE_DONE)
            return fileError(path, "ArqNaoGrava", db.message());
        insert.reset();
        ids << sqlite3_last_insert_rowid(db.handle());
    }
    return ids;
}

Result<SaveResult> writeInTransaction(sqlite::Db& db, const QString& path, const SaveRequest& req)
{
    auto kind = inspect(db, path);
    if (!kind)
        return kind.error();
    SaveResult result;
    QList<IndexDef> stored;
    if (*kind == Kind::Foreign)
        return fileError(path, "ArqOutroTipo");
    if (*kind == Kind::Empty) {
        result.fileId = QUuid::createUuid().toString(QUuid::WithoutBraces);
        if (Status s = createSchema(db, path, req.fields, result.fileId); !s)
            return s.error();
    } else {
        auto meta = validateSchema(db, path);
        if (!meta)
            return meta.error();
        if (!sameShape(meta->fields, req.fields))
            return fileError(path, "ArqOutraForma", describe(meta->fields), describe(req.fields));
        result.fileId = meta->fileId;
        stored = meta->indexes;
        if (!wholeFileChecked(path)) {
            if (Status s = scanValues(db, path); !s)
                return s.error();
        }
    }
    result.applied = !req.replace;
    if (result.applied && !req.baseFileId.isEmpty() && req.baseFileId != result.fileId)
        return fileError(path, "ArqSubstituido");
    auto ids = result.applied ? applyChanges(db, path, req.fields, req.changes)
                              : replaceRows(db, path, req.fields, req.rows);
    if (!ids)
        return ids.error();
    result.rowIds = ids.value();
    if (Status s = writeMeta(db, path, req.fields, req.indexes, stored); !s)
        return s.error();
    return result;
}

Result<Contents> readInTransaction(sqlite::Db& db, const QString& path,
                                   const std::optional<Definitions>& expected, const RowKey* key)
{
    if (Status s = db.exec(QStringLiteral("BEGIN")); !s)
        return fileError(path, "ArqNaoLe", s.errorMessage());
    auto kind = inspect(db, path);
    if (!kind)
        return kind.error();
    if (*kind != Kind::DataFile)
        return fileError(path, "ArqOutroSistema", dataSetText("ArqSemTabelas"));
    auto meta = validateSchema(db, path, key == nullptr);
    if (!meta)
        return meta.error();
    Contents c;
    c.fileId = meta->fileId;
    c.fields = meta->fields;
    c.indexes = meta->indexes;
    if (expected) {
        if (Status s = checkDefinitions(*meta, *expected, path); !s)
            return s.error();
        c.fields = expected->fields; // the module's labels, formats and visibility
        c.indexes = expected->indexes;
    }
    QList<FieldDef> keyFields;
    Row keyValues;
    QString where;
    if (key) {
        QStringList terms;
        bool holdable = !key->fields.isEmpty() && key->fields.size() == key->values.size();
        for (qsizetype i = 0; i < key->fields.size() && holdable; ++i) {
            const int at = DataPacket{c.fields, {}}.fieldIndex(key->fields[i].trimmed());
            if (at < 0)
                return Error{dataSetText("ArqNaoCabe", path, dataSetText("DsCampoNaoExiste", key->fields[i])),
                             QStringLiteral("DsCampoNaoExiste")};
            FieldDef unbounded = c.fields[at];
            unbounded.size = 0;
            auto v = fieldvalue::convert(unbounded, key->values[i]);
            holdable = bool(v);
            keyFields << unbounded;
            keyValues << (v ? v.value() : QVariant());
            terms << sqlite::quoteIdent(c.fields[at].name) + QStringLiteral(" IS ?");
        }
        where = holdable ? QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "))
                         : QStringLiteral(" WHERE 0");
        if (!holdable)
            keyFields.clear();
    }
    sqlite::Stmt st(db, QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4")
                            .arg(selectColumns(c.fields), sqlite::quoteIdent(kTable), where, kRowId));
    if (!st.ok())
        return fileError(path, "ArqNaoLe", db.message());
    bindRow(st, 1, keyFields, keyValues);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const qint64 id = st.int64(0);
        auto row = readRow(st, 1, c.fields, path, id);
        if (!row)
            return row.error();
        c.rows.append(std::move(row).value());
        c.rowIds.append(id);
    }
    if (rc != SQLITE_DONE)
        return fileError(path, "ArqNaoLe", db.message());
    markWholeFileChecked(path); // still under the read lock: no writer has changed it since
    db.exec(QStringLiteral("COMMIT"));
    return c;
}

} // namespace

QString identityPath(const QString& path)
{
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : canonical;
}

Result<Contents> read(const QString& path, const std::optional<Definitions>& expected, const RowKey* key)
{
    if (path.isEmpty())
        return dataSetError("ArqSemNome");
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return fileError(path, "ArqNaoExiste");
    if (fi.isDir())
        return fileError(path, "ArqPasta");

    // Read-write without create, so that a transaction interrupted by a crash is rolled back
    // before reading; read-only when the file may not be written.
    sqlite::Db db;
    Status opened = openDataFile(db, path, SQLITE_OPEN_READWRITE, "ArqNaoAbre");
    if (!opened && opened.errorCode() == QLatin1String("ArqNaoAbre"))
        opened = openDataFile(db, path, SQLITE_OPEN_READONLY, "ArqNaoAbre");
    if (!opened)
        return opened.error();
    Result<Contents> contents = readInTransaction(db, path, expected, key);
    if (!contents)
        return explain(db, path, contents.error());
    return contents;
}

Result<SaveResult> write(const QString& path, const SaveRequest& request)
{
    if (path.isEmpty())
        return dataSetError("ArqSemNome");
    const QFileInfo fi(path);
    if (fi.isDir())
        return fileError(path, "ArqPasta");
    if (!fi.exists() && !fi.isSymLink() && !fi.absoluteDir().exists())
        return fileError(path, "ArqPastaNaoExiste", fi.absolutePath());
    const QString physical = physicalPath(path);
    if (Status s = checkPlainFiles(path, physical); !s)
        return s.error();
    const Result<bool> created = createPlainFile(path);
    if (!created)
        return created.error();

    Result<SaveResult> result = Error{};
    {
        sqlite::Db db;
        if (Status s = openDataFile(db, path, SQLITE_OPEN_READWRITE, "ArqNaoAbreGravar"); !s)
            return s.error();
        if (Status s = db.exec(QStringLiteral("BEGIN IMMEDIATE")); !s) {
            const int rc = db.errorCode() & 0xff;
            if (rc == SQLITE_NOTADB)
                return fileError(path, "ArqNaoSqlite");
            if (rc == SQLITE_BUSY)
                return fileError(path, "ArqOcupado");
            return fileError(path, "ArqNaoGrava", s.errorMessage());
        }
        result = writeInTransaction(db, path, request);
        if (result) {
            if (Status s = db.exec(QStringLiteral("COMMIT")); !s)
                result = fileError(path, "ArqNaoGrava", s.errorMessage());
            else
                markWholeFileChecked(path); // checked before the save, and what it wrote
        }
        if (!result) {
            result = explain(db, path, result.error());
            db.exec(QStringLiteral("ROLLBACK"));
        }
    }
    // A file this save created and could not fill is removed again, so that a later
    // load reports it missing rather than foreign.
    if (!result && *created && QFileInfo(physical).size() == 0 &&
        !QFile::exists(physical + QStringLiteral("-journal")))
        QFile::remove(physical);
    return result;
}

} // namespace zel::datafile
