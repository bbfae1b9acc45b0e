#include "SqliteDb.h"

#include <sqlite3.h>

namespace zel::sqlite {

namespace {

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

Status Db::exec(const QString& sql)
{
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

Stmt::Stmt(Db& db, const QString& sql)
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
