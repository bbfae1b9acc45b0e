#pragma once

#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/tef/TefExchange.h"
#include "support/QStringPrinter.h"
#include "toolkit/Waits.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <ostream>

namespace zel {
// The exchange as these tests start it: the installed devices and dialogs, no screen.
inline TefContext tefContext()
{
    return {peripherals(), dialogs(), {}};
}
} // namespace zel

namespace zel::teftest {

// A response as a manager writes it: the given lines, CR LF after each, the end line last.
inline QByteArray response(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes + "999-999 = 0\r\n";
}

// Writes the file whole: a reader sees nothing or all of it.
inline bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The IntPos files in a folder ("intpos.002", ...), by name.
inline QStringList intposFiles(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("intpos.*")}, QDir::Files, QDir::Name);
}

// A TEF exchange's surroundings for one test: a TEF folder of its own (<tmp>/tef/ with req/ and
// resp/) handed to `devices`, which stand as the till's peripherals; a stall noticed after
// 300 ms and every wait limited to `limit`, so a wait that never ends fails the test in seconds.
// All of it is put back when the scope ends.
class TefScope
{
public:
    TefScope(std::shared_ptr<Peripherals> devices, std::chrono::milliseconds limit)
        : m_devices(std::move(devices))
    {
        dir = tmp.path() + QStringLiteral("/tef/");
        ready = tmp.isValid() && QDir().mkpath(dir + "req") && QDir().mkpath(dir + "resp");
        m_devices->setDirTef(dir);
        m_previous = setPeripherals(m_devices);
        m_stall = setTefStallPeriod(std::chrono::milliseconds(300));
        m_limit = waits::timeLimit();
        waits::setTimeLimit(limit);
    }
    ~TefScope()
    {
        setPeripherals(m_previous);
        setTefStallPeriod(m_stall);
        waits::setTimeLimit(m_limit);
    }
    TefScope(const TefScope&) = delete;
    TefScope& operator=(const TefScope&) = delete;

    QString req() const { return dir + QStringLiteral("req/intpos.001"); }
    QString resp() const { return dir + QStringLiteral("resp/"); }

    QTemporaryDir tmp;
    QString dir;        // with its trailing slash
    bool ready = false; // the folders were made

private:
    std::shared_ptr<Peripherals> m_devices;
    std::shared_ptr<Peripherals> m_previous;
    std::chrono::milliseconds m_stall{};
    std::chrono::milliseconds m_limit{};
};

} // namespace zel::teftest
