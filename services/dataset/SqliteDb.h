#pragma once

// A thin owner of an SQLite connection and its statements, for the data files.

#include "text/Result.h"

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace zel::sqlite {

class Db
{
public:
    Db() = default;
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // flags: SQLITE_OPEN_* ; waits up to `busyMs` for other processes' locks.
    Status open(const QString& path, int flags, int busyMs);
    sqlite3* handle() const { return m_db; }
    Status exec(const QString& sql);
    QString message() const; // the connection's last error text
    int errorCode() const;   // extended code of the last error

private:
    sqlite3* m_db = nullptr;
    int m_busyMs = 0; // the busy handler's limit: one attempt a millisecond
};

class Stmt
{
public:
    Stmt(Db& db, const QString& sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    int prepareCode() const { return m_prepareCode; }

    void bindNull(int i);
    void bind(int i, qint64 v);
    void bind(int i, double v);
    void bind(int i, const QString& v);
    int step(); // SQLITE_ROW, SQLITE_DONE or an error code
    void reset();

    int columnType(int i) const; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    qint64 int64(int i) const;
    double real(int i) const;
    QString text(int i) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_prepareCode = 0;
};

QString quoteIdent(const QString& name); // "name" with inner quotes doubled

} // namespace zel::sqlite
