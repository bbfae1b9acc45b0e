// Another terminal that holds the TEF sequence counter's lock: it takes the lock, says "locked",
// and holds it until told "take" on its input; it then hands itself the next number, says
// "took N", and lets the lock go. Input closed: it lets the lock go without a number.
//   tef_sequence_holder <stateDir>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("tef-sequence"));
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(120000))
        return 1;
    std::printf("locked\n");
    std::fflush(stdout);

    char line[64] = {};
    if (!std::fgets(line, sizeof line, stdin) || std::strncmp(line, "take", 4) != 0)
        return 0;
    QFile counter(path);
    const qint64 next =
        (counter.open(QIODevice::ReadOnly) ? counter.readAll().trimmed().toLongLong() : 0) + 1;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(next) + '\n') < 0 || !out.commit())
        return 1;
    std::printf("took %lld\n", static_cast<long long>(next));
    std::fflush(stdout);
    return 0;
}
