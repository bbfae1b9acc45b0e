#pragma once

// A thin owner of an SQLite connection and its statements, for the data files.

#include "text/Result.h"

#include <QString>
#include <QVariant>
#include <chrono>

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
    // Opens a database that others can write (a data file in a shared folder) as SQLite advises
    // for untrusted files: no symbolic link in its name, no URI name, defensive mode, no trigger,
    // no view, no function from the schema, tight length and depth limits, and every statement
    // abandoned (SQLITE_INTERRUPT, timedOut()) after `deadlineMs` of work (waits for other
    // processes' locks excluded).
    Status openUntrusted(const QString& path, int flags, int busyMs, int deadlineMs);
    bool timedOut() const { return m_timedOut; }
    void startWork(); // a statement starts: its deadline counts from now
    sqlite3* handle() const { return m_db; }
    Status exec(const QString& sql);
    QString message() const; // the connection's last error text
    int errorCode() const;   // extended code of the last error

private:
    static int progress(void* self);

    sqlite3* m_db = nullptr;
    std::chrono::milliseconds m_deadline{0}; // 0: no deadline
    std::chrono::steady_clock::time_point m_last;
    std::chrono::steady_clock::duration m_spent{};
    bool m_timedOut = false;
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
    Db* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    int m_prepareCode = 0;
};

QString quoteIdent(const QString& name); // "name" with inner quotes doubled

} // namespace zel::sqlite
