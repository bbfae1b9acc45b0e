#include "IntPos.h"

#include "text/SharedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace zel {

IntPosFile IntPosFile::parse(const QByteArray& bytes)
{
    IntPosFile file;
    const QString text = QString::fromLatin1(bytes);
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        file.m_lines << line;
    }
    // A final line break leaves one empty piece after it.
    if (!file.m_lines.isEmpty() && file.m_lines.last().isEmpty())
        file.m_lines.removeLast();
    return file;
}

QByteArray IntPosFile::toBytes() const
{
    QByteArray bytes;
    for (const auto& line : m_lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

std::optional<QString> IntPosFile::find(const QString& key) const
{
    const QString name = key + QLatin1Char(' ');
    for (const auto& line : m_lines) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && line.left(eq) == name)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

bool IntPosFile::isComplete() const
{
    return !m_lines.isEmpty() && m_lines.last() == QLatin1String("999-999 = 0");
}

bool IntPosFile::isWellFormed() const
{
    static const QRegularExpression form(QStringLiteral("^\\d{3}-\\d{3} = .*$"));
    for (const auto& line : m_lines) {
        if (!form.match(line).hasMatch())
            return false;
    }
    return !m_lines.isEmpty();
}

std::optional<IntPosFile> readIntPosFile(const QString& path)
{
    const sharedfiles::ReadFile file = sharedfiles::readRegular(path, intpos::kMaxFileBytes);
    if (file.kind != sharedfiles::ReadFile::Kind::Regular) {
        if (file.kind == sharedfiles::ReadFile::Kind::NotRegular ||
            file.kind == sharedfiles::ReadFile::Kind::TooLarge)
            qWarning("tef: %s is not an IntPos file (not a regular file, or over %lld bytes)",
                     qPrintable(path), static_cast<long long>(intpos::kMaxFileBytes));
        return std::nullopt;
    }
    return IntPosFile::parse(file.bytes);
}

bool writeFileWhole(const QString& path, const QByteArray& bytes)
{
    // A new temporary file of its own, flushed and renamed into place: a reader sees the old
    // file or the new one, and a link planted at either name is never written through.
    if (const QString error = sharedfiles::writeWhole(path, bytes); !error.isEmpty()) {
        qWarning("tef: cannot write %s: %s", qPrintable(path), qPrintable(error));
        return false;
    }
    return true;
}

bool makeExchangeFolders(const QString& dir, QString* why)
{
    const QString root = QDir::cleanPath(dir);
    QDir().mkpath(QFileInfo(root).path());
    for (const QString& folder : {root, root + QStringLiteral("/req"), root + QStringLiteral("/resp")}) {
        if (!sharedfiles::makeFolder(folder)) {
            *why = QStringLiteral("cannot create the folder %1").arg(folder);
            return false;
        }
        if (sharedfiles::openToAll(folder)) {
            *why = QStringLiteral("%1 is writable by every user and has no sticky bit: anyone could answer "
                                  "or take requests there")
                       .arg(folder);
            return false;
        }
    }
    return true;
}

QString intpos::receiptLineKey(int n)
{
    return QStringLiteral("029-%1").arg(n, 3, 10, QLatin1Char('0'));
}

} // namespace zel
