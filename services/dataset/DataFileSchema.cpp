#include "DataFileSchema.h"

#include "FieldValue.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#include <sqlite3.h>

namespace zel::datafile::schema {
namespace {

QString sqlMessage(const sqlite::Db& db)
{
    return db.message();
}

bool isNotADatabase(const sqlite::Db& db)
{
    const int rc = db.errorCode() & 0xff;
    return rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT;
}

// SQL text ends at a NUL character: a name holding one could be read but never written back.
bool holdsNul(const QString& name)
{
    return name.contains(QChar(u'\0'));
}

Status checkFieldList(const QList<FieldDef>& fields, const QString& path)
{
    if (fields.isEmpty())
        return fileError(path, "ArqSemCampos");
    QSet<QString> seen;
    for (const FieldDef& f : fields) {
        const QString key = f.name.toLower();
        if (f.name.isEmpty() || f.name.contains(QLatin1Char(';')) || holdsNul(f.name) || key == kRowId ||
            seen.contains(key) || f.size < 0)
            return fileError(path, "ArqCampoInvalido", f.name);
        seen.insert(key);
    }
    return {};
}

QString typeName(int sqlType)
{
    switch (sqlType) {
    case SQLITE_INTEGER:
        return dataSetText("TipoInteiro");
    case SQLITE_FLOAT:
        return dataSetText("TipoReal");
    case SQLITE_TEXT:
        return dataSetText("TipoTexto");
    case SQLITE_BLOB:
        return dataSetText("TipoBlob");
    default:
        return dataSetText("TipoNulo");
    }
}

} // namespace

QString columnType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Boolean:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("REAL");
    default:
        return QStringLiteral("TEXT");
    }
}

Result<Kind> inspect(sqlite::Db& db, const QString& path)
{
    sqlite::Stmt st(db, QStringLiteral("SELECT type, name FROM sqlite_schema"));
    if (!st.ok()) {
        if (isNotADatabase(db))
            return fileError(path, "ArqNaoSqlite");
        return fileError(path, "ArqNaoLe", sqlMessage(db));
    }
    bool any = false, meta = false;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        any = true;
        meta = meta ||
               (st.text(0) == QLatin1String("table") && st.text(1).toLower() == QLatin1String("zel_meta"));
    }
    if (rc != SQLITE_DONE) {
        if (isNotADatabase(db))
            return fileError(path, "ArqNaoSqlite");
        return fileError(path, "ArqNaoLe", sqlMessage(db));
    }
    if (!any)
        return Kind::Empty;
    return meta ? Kind::DataFile : Kind::Foreign;
}

QList<SchemaObject> schemaObjects(const QList<FieldDef>& fields, const QList<IndexDef>& indexes)
{
    const QString table = QStringLiteral("table"), index = QStringLiteral("index");
    QStringList columns{kRowId + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (const FieldDef& f : fields)
        columns << sqlite::quoteIdent(f.name) + QLatin1Char(' ') + columnType(f.type);
    QList<SchemaObject> objects{
        {table, QStringLiteral("zel_meta"), QStringLiteral("zel_meta"),
         QStringLiteral("CREATE TABLE zel_meta(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL)")},
        {index, QStringLiteral("sqlite_autoindex_zel_meta_1"), QStringLiteral("zel_meta"), {}},
        {table, QStringLiteral("zel_fields"), QStringLiteral("zel_fields"),
         QStringLiteral(
             "CREATE TABLE zel_fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, "
             "type TEXT NOT NULL, size INTEGER NOT NULL, label TEXT NOT NULL, format TEXT NOT NULL, "
             "visible INTEGER NOT NULL)")},
        {table, QStringLiteral("zel_indexes"), QStringLiteral("zel_indexes"),
         QStringLiteral("CREATE TABLE zel_indexes(position INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                        "fields TEXT NOT NULL, desc_fields TEXT NOT NULL, descending INTEGER NOT NULL, "
                        "is_unique INTEGER NOT NULL)")},
        {table, kTable, kTable,
         QStringLiteral("CREATE TABLE %1(%2)").arg(kTable, columns.join(QStringLiteral(", ")))},
        {table, QStringLiteral("sqlite_sequence"), QStringLiteral("sqlite_sequence"),
         QStringLiteral("CREATE TABLE sqlite_sequence(name,seq)")},
    };
    for (const IndexDef& ix : indexes) {
        if (!ix.unique)
            continue;
        QStringList cols;
        for (const QString& f : ix.fields)
            cols << sqlite::quoteIdent(f);
        const QString name = QStringLiteral("zel_uq_") + ix.name;
        objects.append({index, name, kTable,
                        QStringLiteral("CREATE UNIQUE INDEX %1 ON %2(%3)")
                            .arg(sqlite::quoteIdent(name), kTable, cols.join(QStringLiteral(", ")))});
    }
    return objects;
}

namespace {

// The objects the module's tables take their names from: a first look, before any metadata is
// read, refuses whatever else a file holds.
bool knownKind(const SchemaObject& o, const QList<SchemaObject>& fixed)
{
    for (const SchemaObject& f : fixed) {
        if (f.type == o.type && f.name.compare(o.name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return o.type == QLatin1String("index") && o.name.startsWith(QLatin1String("zel_uq_")) &&
           o.table.compare(kTable, Qt::CaseInsensitive) == 0;
}

QString objectLabel(const SchemaObject& o)
{
    const QString key = QStringLiteral("Objeto_") + o.type;
    return dataSetCatalogue().contains(key) ? dataSetCatalogue().Msg(key) : o.type.left(40);
}

} // namespace

namespace {

#ifdef Q_OS_UNIX
struct FileStamp
{
    dev_t dev;
    ino_t ino;
    off_t size;
    qint64 ctimeNs;
    qint64 mtimeNs;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size,
                     qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec,
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::mutex g_checkedMutex;
QHash<QString, FileStamp>& checkedFiles()
{
    static QHash<QString, FileStamp> files;
    return files;
}
#endif

} // namespace

bool wholeFileChecked(const QString& path)
{
#ifdef Q_OS_UNIX
    const QString key = QFileInfo(path).absoluteFilePath();
    const auto stamp = stampOf(key);
    const std::lock_guard lock(g_checkedMutex);
    const auto it = checkedFiles().constFind(key);
    return stamp && it != checkedFiles().cend() && *it == *stamp;
#else
    Q_UNUSED(path);
    return false;
#endif
}

void markWholeFileChecked(const QString& path)
{
#ifdef Q_OS_UNIX
    const QString key = QFileInfo(path).absoluteFilePath();
    const auto stamp = stampOf(key);
    const std::lock_guard lock(g_checkedMutex);
    if (stamp)
        checkedFiles().insert(key, *stamp);
    else
        checkedFiles().remove(key);
#else
    Q_UNUSED(path);
#endif
}

void forgetWholeFileChecked(const QString& path)
{
#ifdef Q_OS_UNIX
    const QString key = QFileInfo(path).absoluteFilePath();
    const std::lock_guard lock(g_checkedMutex);
    checkedFiles().remove(key);
#else
    Q_UNUSED(path);
#endif
}

Result<Meta> validateSchema(sqlite::Db& db, const QString& path, bool wholeCheck)
{
    QList<SchemaObject> found;
    {
        sqlite::Stmt st(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_schema"));
        if (!st.ok())
            return fileError(path, "ArqNaoLe", sqlMessage(db));
        int rc;
        while ((rc = st.step()) == SQLITE_ROW)
            found.append({st.text(0), st.text(1), st.text(2), st.text(3)});
        if (rc != SQLITE_DONE)
            return fileError(path, "ArqNaoLe", sqlMessage(db));
    }
    const QList<SchemaObject> fixed = schemaObjects({}, {});
    for (const SchemaObject& o : found) {
        if (!knownKind(o, fixed))
            return fileError(path, "ArqObjetoEstranho", objectLabel(o), o.name.left(80));
    }
    // The metadata tables are read only once their definitions are this module's.
    for (const SchemaObject& want : fixed) {
        if (want.name == kTable)
            continue;
        const auto it = std::find_if(found.cbegin(), found.cend(), [&](const SchemaObject& o) {
            return o.type == want.type && o.name.compare(want.name, Qt::CaseInsensitive) == 0;
        });
        if (it == found.cend())
            return fileError(path, "ArqObjetoFalta", objectLabel(want), want.name);
        if (*it != want)
            return fileError(path, "ArqObjetoAlterado", objectLabel(want), want.name);
    }
    if (wholeCheck || !wholeFileChecked(path)) {
        forgetWholeFileChecked(path); // checked again below, marked only once a read or save ends well
        sqlite::Stmt st(db, QStringLiteral("PRAGMA quick_check(1)"));
        if (!st.ok() || st.step() != SQLITE_ROW)
            return fileError(path, "ArqDanificado", sqlMessage(db));
        if (st.text(0) != QLatin1String("ok")) {
            QString found = st.text(0);
            found.remove(QStringLiteral("*** in database main ***"));
            return fileError(path, "ArqDanificado", found.simplified().left(200));
        }
    }
    auto meta = readMeta(db, path);
    if (!meta)
        return meta.error();
    const QList<SchemaObject> expected = schemaObjects(meta->fields, meta->indexes);
    for (const SchemaObject& want : expected) {
        if (!found.contains(want)) {
            const bool there = std::any_of(found.cbegin(), found.cend(), [&](const SchemaObject& o) {
                return o.type == want.type && o.name.compare(want.name, Qt::CaseInsensitive) == 0;
            });
            return fileError(path, there ? "ArqObjetoAlterado" : "ArqObjetoFalta", objectLabel(want),
                             want.name);
        }
    }
    for (const SchemaObject& o : found) {
        if (!expected.contains(o))
            return fileError(path, "ArqObjetoEstranho", objectLabel(o), o.name.left(80));
    }
    return meta;
}

Result<Meta> readMeta(sqlite::Db& db, const QString& path)
{
    {
        sqlite::Stmt st(db, QStringLiteral("PRAGMA application_id"));
        if (!st.ok() || st.step() != SQLITE_ROW || st.int64(0) != kApplicationId)
            return fileError(path, "ArqOutroSistema", dataSetText("ArqIdAplicacao"));
    }
    Meta meta;
    {
        sqlite::Stmt st(db, QStringLiteral("SELECT key, value FROM zel_meta"));
        if (!st.ok())
            return fileError(path, "ArqOutroSistema", sqlMessage(db));
        QString format;
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            if (st.text(0) == QLatin1String("format"))
                format = st.text(1);
            else if (st.text(0) == QLatin1String("file_id"))
                meta.fileId = st.text(1);
        }
        if (rc != SQLITE_DONE)
            return fileError(path, "ArqNaoLe", sqlMessage(db));
        if (format != QString::number(kFormat))
            return fileError(path, "ArqVersao", format, kFormat);
        if (meta.fileId.isEmpty())
            return fileError(path, "ArqOutroSistema", dataSetText("ArqSemIdentidade"));
    }
    {
        sqlite::Stmt st(db, QStringLiteral("SELECT name, type, size, label, format, visible FROM zel_fields "
                                           "ORDER BY position"));
        if (!st.ok())
            return fileError(path, "ArqOutroSistema", sqlMessage(db));
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            FieldDef f;
            f.name = st.text(0);
            auto type = fieldTypeFromName(st.text(1));
            if (!type)
                return fileError(path, "ArqTipoDesconhecido", f.name, st.text(1));
            f.type = *type;
            f.size = int(std::clamp<qint64>(st.int64(2), -1, 1 << 30));
            f.displayLabel = st.text(3);
            f.displayFormat = st.text(4);
            f.visible = st.int64(5) != 0;
            meta.fields.append(f);
        }
        if (rc != SQLITE_DONE)
            return fileError(path, "ArqNaoLe", sqlMessage(db));
        if (Status s = checkFieldList(meta.fields, path); !s)
            return s.error();
    }
    {
        sqlite::Stmt st(db, QStringLiteral("PRAGMA table_info(%1)").arg(sqlite::quoteIdent(kTable)));
        QStringList have, want{kRowId + QStringLiteral(" INTEGER")};
        while (st.ok() && st.step() == SQLITE_ROW)
            have << st.text(1) + QLatin1Char(' ') + st.text(2).toUpper();
        for (const FieldDef& f : meta.fields)
            want << f.name + QLatin1Char(' ') + columnType(f.type);
        if (have.join(QLatin1Char(',')).compare(want.join(QLatin1Char(',')), Qt::CaseInsensitive) != 0)
            return fileError(path, "ArqColunas", have.join(QStringLiteral(", ")),
                             want.join(QStringLiteral(", ")));
    }
    {
        sqlite::Stmt st(db, QStringLiteral("SELECT name, fields, desc_fields, descending, is_unique "
                                           "FROM zel_indexes ORDER BY position"));
        if (!st.ok())
            return fileError(path, "ArqOutroSistema", sqlMessage(db));
        QSet<QString> names;
        int rc;
        while ((rc = st.step()) == SQLITE_ROW) {
            IndexDef ix;
            ix.name = st.text(0);
            ix.fields = st.text(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            ix.descFields = st.text(2).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            ix.descending = st.int64(3) != 0;
            ix.unique = st.int64(4) != 0;
            bool fieldsKnown = !ix.fields.isEmpty();
            for (const QString& f : ix.fields + ix.descFields) {
                bool found = false;
                for (const FieldDef& fd : meta.fields)
                    found = found || fd.name.compare(f, Qt::CaseInsensitive) == 0;
                fieldsKnown = fieldsKnown && found;
            }
            if (ix.name.isEmpty() || holdsNul(ix.name) || names.contains(ix.name.toLower()) || !fieldsKnown)
                return fileError(path, "ArqIndiceInvalido", ix.name);
            names.insert(ix.name.toLower());
            meta.indexes.append(ix);
        }
        if (rc != SQLITE_DONE)
            return fileError(path, "ArqNaoLe", sqlMessage(db));
    }
    return meta;
}

Status scanValues(sqlite::Db& db, const QString& path)
{
    sqlite::Stmt st(db, QStringLiteral("SELECT * FROM %1").arg(sqlite::quoteIdent(kTable)));
    if (!st.ok())
        return fileError(path, "ArqNaoLe", sqlMessage(db));
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        return fileError(path, "ArqNaoLe", sqlMessage(db));
    return {};
}

Result<Row> readRow(const sqlite::Stmt& st, int first, const QList<FieldDef>& fields, const QString& path,
                    qint64 rowId)
{
    Row row;
    row.reserve(fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const int col = first + i;
        const int t = st.columnType(col);
        auto wrong = [&](const char* key, const QString& why) {
            return Error{dataSetText("ArqErro", path, dataSetText("ArqLinhaCampo", rowId, f.name, why)),
                         QLatin1String(key)};
        };
        auto wrongType = [&] {
            return wrong("ArqTipoErrado", dataSetText("ArqTipoErrado", typeName(t), fieldTypeLabel(f.type)));
        };
        if (t == SQLITE_NULL) {
            row.append(QVariant());
            continue;
        }
        switch (f.type) {
        case FieldType::String: {
            if (t != SQLITE_TEXT)
                return wrongType();
            const QString s = st.text(col);
            if (f.size > 0 && s.size() > f.size)
                return wrong("ArqTextoLongo", dataSetText("ArqTextoLongo", s.left(40), f.size));
            row.append(s);
            break;
        }
        case FieldType::Integer:
            if (t != SQLITE_INTEGER)
                return wrongType();
            row.append(QVariant(st.int64(col)));
            break;
        case FieldType::Float: {
            if (t != SQLITE_INTEGER && t != SQLITE_FLOAT)
                return wrongType();
            const double d = st.real(col);
            if (!std::isfinite(d))
                return wrong("ArqNaoFinito", dataSetText("ArqNaoFinito"));
            row.append(QVariant(d));
            break;
        }
        case FieldType::Date: {
            auto d = t == SQLITE_TEXT ? fieldvalue::parseDate(st.text(col)) : std::nullopt;
            if (!d)
                return wrong("ArqDataInvalida", dataSetText("ArqDataInvalida", st.text(col).left(40)));
            row.append(QVariant(*d));
            break;
        }
        case FieldType::DateTime: {
            auto d = t == SQLITE_TEXT ? fieldvalue::parseDateTime(st.text(col)) : std::nullopt;
            if (!d)
                return wrong("ArqDataInvalida", dataSetText("ArqDataInvalida", st.text(col).left(40)));
            row.append(QVariant(*d));
            break;
        }
        case FieldType::Boolean:
            if (t != SQLITE_INTEGER || (st.int64(col) != 0 && st.int64(col) != 1))
                return wrong("ArqValorLogico", dataSetText("ArqValorLogico", st.text(col).left(40)));
            row.append(QVariant(st.int64(col) == 1));
            break;
        }
    }
    return row;
}

void bindRow(sqlite::Stmt& st, int first, const QList<FieldDef>& fields, const Row& row)
{
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant v = i < row.size() ? row[i] : QVariant();
        const int at = first + i;
        if (!v.isValid()) {
            st.bindNull(at);
            continue;
        }
        switch (fields[i].type) {
        case FieldType::String:
            st.bind(at, v.toString());
            break;
        case FieldType::Integer:
            st.bind(at, qint64(v.toLongLong()));
            break;
        case FieldType::Float:
            st.bind(at, v.toDouble());
            break;
        case FieldType::Date:
            st.bind(at, fieldvalue::dateText(v.toDate()));
            break;
        case FieldType::DateTime:
            st.bind(at, fieldvalue::dateTimeText(v.toDateTime()));
            break;
        case FieldType::Boolean:
            st.bind(at, qint64(v.toBool() ? 1 : 0));
            break;
        }
    }
}

Status createSchema(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields, const QString& fileId)
{
    // The module's own CREATE texts, the ones validateSchema asks of every file; SQLite makes
    // the automatic index and sqlite_sequence itself.
    QStringList creates;
    for (const SchemaObject& o : schemaObjects(fields, {})) {
        if (o.type == QLatin1String("table") && o.name != QLatin1String("sqlite_sequence"))
            creates << o.sql;
    }
    const QString sql = QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;"
                                       "%3;"
                                       "INSERT INTO zel_meta VALUES ('format', '%2'), ('table', '%4');")
                            .arg(kApplicationId)
                            .arg(kFormat)
                            .arg(creates.join(QLatin1Char(';')), kTable);
    if (Status s = db.exec(sql); !s)
        return fileError(path, "ArqNaoCria", s.errorMessage());
    sqlite::Stmt st(db, QStringLiteral("INSERT INTO zel_meta VALUES ('file_id', ?)"));
    st.bind(1, fileId);
    if (!st.ok() || st.step() != SQLITE_DONE)
        return fileError(path, "ArqNaoCria", db.message());
    return {};
}

Status writeMeta(sqlite::Db& db, const QString& path, const QList<FieldDef>& fields,
                 const QList<IndexDef>& indexes, const QList<IndexDef>& stored)
{
    auto failed = [&] { return fileError(path, "ArqNaoGrava", db.message()); };
    if (!db.exec(QStringLiteral("DELETE FROM zel_fields")))
        return failed();
    {
        sqlite::Stmt st(db, QStringLiteral("INSERT INTO zel_fields VALUES (?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < fields.size() && st.ok(); ++i) {
            const FieldDef& f = fields[i];
            st.bind(1, qint64(i));
            st.bind(2, f.name);
            st.bind(3, fieldTypeName(f.type));
            st.bind(4, qint64(f.size));
            st.bind(5, f.displayLabel);
            st.bind(6, f.displayFormat);
            st.bind(7, qint64(f.visible ? 1 : 0));
            if (st.step() != SQLITE_DONE)
                return failed();
            st.reset();
        }
        if (!st.ok())
            return failed();
    }
    if (indexes == stored)
        return {};
    QStringList old;
    {
        sqlite::Stmt st(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                           "name LIKE 'zel\\_uq\\_%' ESCAPE '\\'"));
        while (st.ok() && st.step() == SQLITE_ROW)
            old << st.text(0);
    }
    QString sql = QStringLiteral("DELETE FROM zel_indexes;");
    for (const QString& name : old)
        sql += QStringLiteral("DROP INDEX %1;").arg(sqlite::quoteIdent(name));
    if (!db.exec(sql))
        return failed();
    sqlite::Stmt st(db, QStringLiteral("INSERT INTO zel_indexes VALUES (?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < indexes.size() && st.ok(); ++i) {
        const IndexDef& ix = indexes[i];
        st.bind(1, qint64(i));
        st.bind(2, ix.name);
        st.bind(3, ix.fields.join(QLatin1Char(';')));
        st.bind(4, ix.descFields.join(QLatin1Char(';')));
        st.bind(5, qint64(ix.descending ? 1 : 0));
        st.bind(6, qint64(ix.unique ? 1 : 0));
        if (st.step() != SQLITE_DONE)
            return failed();
        st.reset();
        if (!ix.unique)
            continue;
        const QString create = schemaObjects({}, {ix}).constLast().sql;
        if (!db.exec(create)) {
            if ((db.errorCode() & 0xff) == SQLITE_CONSTRAINT)
                return fileError(path, "ArqChaveRepetida", ix.name);
            return failed();
        }
    }
    return st.ok() ? Status() : failed();
}

} // namespace zel::datafile::schema
