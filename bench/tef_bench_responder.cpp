// tef-bench-responder: a minimal TEF manager for the exchange benchmarks.
//   tef-bench-responder --dir <tefdir> [--delay-ms N]
// It takes each request of <tefdir>/req, writes the status file at once and, after the
// delay, approves the payment (no message, no receipt lines) by renaming a finished response
// into resp/intpos.001. Right after each rename it prints "renamed <sequence> <ns>" on
// standard output, <ns> being CLOCK_MONOTONIC, which every process of the machine shares.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool renameInto(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".tmp");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

QByteArray fileOf(const QByteArray& header, const QByteArray& sequence, const QByteArray& rest = {})
{
    return "000-000 = " + header + "\r\n001-000 = " + sequence + "\r\n" + rest + "999-999 = 0\r\n";
}

class Responder
{
public:
    Responder(QString dir, int delayMs) : m_dir(std::move(dir)), m_delayMs(delayMs)
    {
        QDir(m_dir).mkpath(QStringLiteral("req"));
        QDir(m_dir).mkpath(QStringLiteral("resp"));
        m_watcher.addPath(m_dir + QStringLiteral("req"));
        QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, [this] { scan(); });
        QObject::connect(&m_safety, &QTimer::timeout, [this] { scan(); });
        m_safety.start(500);
    }

private:
    void scan()
    {
        QFile file(m_dir + QStringLiteral("req/intpos.001"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        QByteArray header, sequence;
        bool complete = false;
        for (QByteArray line : lines) {
            line = line.trimmed();
            if (line.startsWith("000-000 = "))
                header = line.mid(10);
            else if (line.startsWith("001-000 = "))
                sequence = line.mid(10);
            complete = complete || line == "999-999 = 0";
        }
        if (!complete)
            return;
        QFile::remove(file.fileName());
        renameInto(m_dir + QStringLiteral("resp/intpos.sts"), fileOf(header, sequence));
        if (header == "ATV")
            return;
        QTimer::singleShot(m_delayMs, Qt::PreciseTimer, [this, header, sequence] {
            renameInto(m_dir + QStringLiteral("resp/intpos.001"),
                       fileOf(header, sequence, "009-000 = 0\r\n028-000 = 0\r\n"));
            std::printf("renamed %s %lld\n", sequence.constData(), static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
        });
    }

    QString m_dir;
    int m_delayMs;
    QFileSystemWatcher m_watcher;
    QTimer m_safety;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption dirOption(QStringLiteral("dir"), QStringLiteral("The TEF directory."),
                                       QStringLiteral("tefdir"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"), QStringLiteral("Wait before answering."),
                                         QStringLiteral("ms"), QStringLiteral("0"));
    parser.addOptions({dirOption, delayOption});
    parser.process(app);
    if (parser.value(dirOption).isEmpty()) {
        std::fprintf(stderr, "tef-bench-responder: --dir <tefdir> is required\n");
        return 2;
    }
    QString dir = parser.value(dirOption);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    Responder responder(dir, parser.value(delayOption).toInt());
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
