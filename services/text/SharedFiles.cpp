#include "SharedFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::sharedfiles {

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Closes the descriptor when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

ReadFile readRegular(const QString& path, qint64 maxBytes)
{
    ReadFile result;
    const QByteArray name = QFile::encodeName(path);
    Descriptor file;
    file.fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (file.fd < 0) {
        const int code = errno;
        struct stat info
        {
        };
        if (code == ENOENT || code == ENOTDIR)
            result.kind = ReadFile::Kind::Absent;
        else if (code == ELOOP || (::lstat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode)))
            result.kind = ReadFile::Kind::NotRegular;
        else
            result.kind = ReadFile::Kind::Unreadable;
        result.error = systemError(code);
        return result;
    }
    struct stat info
    {
    };
    if (::fstat(file.fd, &info) != 0) {
        result.kind = ReadFile::Kind::Unreadable;
        result.error = systemError(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.kind = ReadFile::Kind::NotRegular;
        return result;
    }
    result.owner = info.st_uid;
    if (info.st_size > maxBytes) {
        result.kind = ReadFile::Kind::TooLarge;
        return result;
    }
    // The file may grow while it is read: never more than the limit and one byte.
    result.bytes.resize(qsizetype(maxBytes + 1));
    qint64 got = 0;
    while (got <= maxBytes) {
        const ssize_t n = ::read(file.fd, result.bytes.data() + got, size_t(maxBytes + 1 - got));
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            result.kind = ReadFile::Kind::Unreadable;
            result.error = systemError(errno);
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        got += n;
    }
    result.bytes.truncate(qsizetype(got));
    result.kind = got > maxBytes ? ReadFile::Kind::TooLarge : ReadFile::Kind::Regular;
    if (result.kind == ReadFile::Kind::TooLarge)
        result.bytes.clear();
    return result;
}

int createExclusive(const QString& path, mode_t mode, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    if (fd < 0) {
        const int code = errno;
        if (error)
            *error = systemError(code);
        errno = code;
        return -1;
    }
    // The umask took bits away at the creation: the mode is what the folder's users need.
    if (::fchmod(fd, mode) != 0) {
        const int code = errno;
        if (error)
            *error = systemError(code);
        ::close(fd);
        ::unlink(QFile::encodeName(path).constData());
        errno = code;
        return -1;
    }
    return fd;
}

QString writeWhole(const QString& path, const QByteArray& bytes, mode_t mode)
{
    QString error;
    QString temporary;
    Descriptor file;
    // A name nobody holds: a file or link already there under a guessed name is never reused.
    for (int attempt = 0; attempt < 16 && file.fd < 0; ++attempt) {
        temporary =
            QStringLiteral("%1.%2.tmp").arg(path).arg(QRandomGenerator::system()->generate64(), 0, 36);
        file.fd = createExclusive(temporary, mode, &error);
        if (file.fd < 0 && errno != EEXIST)
            return QStringLiteral("%1: %2").arg(temporary, error);
    }
    if (file.fd < 0)
        return QStringLiteral("%1: %2").arg(temporary, error);
    const QByteArray temporaryName = QFile::encodeName(temporary);
    if (!writeAll(file.fd, bytes) || ::fsync(file.fd) != 0) {
        error = systemError(errno);
        ::unlink(temporaryName.constData());
        return QStringLiteral("%1: %2").arg(temporary, error);
    }
    ::close(file.fd);
    file.fd = -1;
    // rename() replaces the name itself, a link included, in one step.
    if (::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0) {
        error = systemError(errno);
        ::unlink(temporaryName.constData());
        return QStringLiteral("%1: %2").arg(path, error);
    }
    return {};
}

int removeLeftovers(const QString& path, std::chrono::seconds olderThan)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    const time_t before = ::time(nullptr) - time_t(olderThan.count());
    int removed = 0;
    QDirIterator entries(target.path(), {prefix + QStringLiteral("*.tmp")},
                         QDir::Files | QDir::System | QDir::Hidden);
    while (entries.hasNext()) {
        const QString name = entries.next();
        const QString fileName = entries.fileName(); // the view below reads it
        const QStringView random = QStringView(fileName).sliced(prefix.size()).chopped(4);
        if (random.isEmpty() || !std::all_of(random.begin(), random.end(), [](QChar c) {
                return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z');
            }))
            continue;
        const QByteArray encoded = QFile::encodeName(name);
        struct stat info = {};
        if (::lstat(encoded.constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid() || info.st_mtime > before)
            continue;
        if (::unlink(encoded.constData()) == 0)
            ++removed;
    }
    return removed;
}

QString moveAside(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return systemError(errno);
    // A file system without the exclusive rename: the name was found free just before.
    struct stat info
    {
    };
    if (::lstat(target.constData(), &info) == 0)
        return systemError(EEXIST);
    if (::rename(source.constData(), target.constData()) != 0)
        return systemError(errno);
    return {};
}

bool makeFolder(const QString& path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), mode) == 0) {
        if (::chmod(name.constData(), mode) != 0)
            return false;
    } else if (errno != EEXIST) {
        return false;
    }
    struct stat info
    {
    };
    return ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool openToAll(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return (info.st_mode & S_IWOTH) != 0 && (info.st_mode & S_ISVTX) == 0;
}

} // namespace zel::sharedfiles
