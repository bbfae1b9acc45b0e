#include "SqliteDb.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace zel::sqlite {

namespace {

// Limits for untrusted files: generous for the module's own tables and statements, far below
// what would let a planted value or statement take the memory or the time of a till.
constexpr struct
{
    int id;
    int value;
} kLimits[] = {
    {SQLITE_LIMIT_LENGTH, 1 << 20},          // a text or blob value, a row
    {SQLITE_LIMIT_SQL_LENGTH, 100000},       // a statement, a CREATE text in the schema
    {SQLITE_LIMIT_COLUMN, 250},              // columns of a table, an index, a result
    {SQLITE_LIMIT_EXPR_DEPTH, 50},           //
    {SQLITE_LIMIT_COMPOUND_SELECT, 3},       //
    {SQLITE_LIMIT_VDBE_OP, 100000},          // program size of one statement
    {SQLITE_LIMIT_FUNCTION_ARG, 8},          //
    {SQLITE_LIMIT_ATTACHED, 0},              //
    {SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 100}, //
    {SQLITE_LIMIT_VARIABLE_NUMBER, 500},     // one per field, and a row id
    {SQLITE_LIMIT_TRIGGER_DEPTH, 1},         //
    {SQLITE_LIMIT_WORKER_THREADS, 0},        //
};

constexpr int kProgressOps = 1000; // virtual machine steps between deadline checks
// A longer pause between two checks is a wait (another process's lock, the disk), not work.
constexpr auto kWaitGap = std::chrono::milliseconds(100);

// SQLite's own busy timeout backs off to sleeps of 100 ms and more, so a terminal waiting
// behind a save of a few milliseconds may sleep far longer than the save took. Retrying
// every millisecond up to the same overall limit lets waiters in as soon as the lock is free.
int retryEveryMillisecond(void* limitMs, int attempt)
{
    if (attempt >= *static_cast<const int*>(limitMs))
        return 0;
    sqlite3_sleep(1);
    return 1;
}

} // namespace

Db::~Db()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

Status Db::open(const QString& path, int flags, int busyMs)
{
    const QByteArray name = path.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        if (m_db) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
        return Error{msg};
    }
    sqlite3_extended_result_codes(m_db, 1);
    m_busyMs = busyMs;
    sqlite3_busy_handler(m_db, retryEveryMillisecond, &m_busyMs);
    return {};
}

Status Db::openUntrusted(const QString& path, int flags, int busyMs, int deadlineMs)
{
    // An absolute name never reads as a URI ("file:..."), whatever SQLite was built with.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (Status s = open(absolute, (flags & ~SQLITE_OPEN_URI) | SQLITE_OPEN_NOFOLLOW, busyMs); !s)
        return s;
    struct
    {
        int op;
        int value;
    } const configs[] = {
        {SQLITE_DBCONFIG_DEFENSIVE, 1},
        {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0},
        {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0},
        {SQLITE_DBCONFIG_ENABLE_VIEW, 0},
        {SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0},
    };
    for (const auto& c : configs) {
        int now = -1;
        if (sqlite3_db_config(m_db, c.op, c.value, &now) != SQLITE_OK || now != c.value) {
            const QString msg = QStringLiteral("SQLite configuration %1").arg(c.op);
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            return Error{msg};
        }
    }
    for (const auto& l : kLimits)
        sqlite3_limit(m_db, l.id, l.value);
    m_deadline = std::chrono::milliseconds(deadlineMs);
    sqlite3_progress_handler(m_db, kProgressOps, &Db::progress, this);
    // Pages are checked as they are read; nothing is mapped into memory.
    return exec(
        QStringLiteral("PRAGMA cell_size_check = ON; PRAGMA mmap_size = 0; PRAGMA trusted_schema = OFF"));
}

void Db::startWork()
{
    m_last = std::chrono::steady_clock::now();
    m_spent = {};
}

int Db::progress(void* self)
{
    Db& db = *static_cast<Db*>(self);
    const auto now = std::chrono::steady_clock::now();
    const auto gap = now - db.m_last;
    db.m_last = now;
    if (gap < kWaitGap)
        db.m_spent += gap;
    if (db.m_deadline.count() > 0 && db.m_spent > db.m_deadline) {
        db.m_timedOut = true;
        return 1;
    }
    return 0;
}

Status Db::exec(const QString& sql)
{
    startWork();
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc == SQLITE_OK)
        return {};
    QString msg = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_free(err);
    return Error{msg};
}

QString Db::message() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

int Db::errorCode() const
{
    return m_db ? sqlite3_extended_errcode(m_db) : SQLITE_ERROR;
}

Stmt::Stmt(Db& db, const QString& sql) : m_db(&db)
{
    m_prepareCode = sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &m_stmt, nullptr);
    if (m_prepareCode != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Stmt::~Stmt()
{
    sqlite3_finalize(m_stmt);
}

void Stmt::bindNull(int i)
{
    sqlite3_bind_null(m_stmt, i);
}
void Stmt::bind(int i, qint64 v)
{
    sqlite3_bind_int64(m_stmt, i, v);
}
void Stmt::bind(int i, double v)
{
    sqlite3_bind_double(m_stmt, i, v);
}

void Stmt::bind(int i, const QString& v)
{
    const QByteArray utf8 = v.toUtf8();
    sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

int Stmt::step()
{
    m_db->startWork();
    return sqlite3_step(m_stmt);
}

void Stmt::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Stmt::columnType(int i) const
{
    return sqlite3_column_type(m_stmt, i);
}
qint64 Stmt::int64(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}
double Stmt::real(int i) const
{
    return sqlite3_column_double(m_stmt, i);
}

QString Stmt::text(int i) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    const int n = sqlite3_column_bytes(m_stmt, i);
    return p ? QString::fromUtf8(p, n) : QString();
}

QString quoteIdent(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace zel::sqlite
