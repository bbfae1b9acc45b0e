#include "IntPos.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdio>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IntPosFile::parse(file.readAll());
}

bool writeFileWhole(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".tmp");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        qWarning("tef: cannot write %s: %s", qPrintable(temporary), qPrintable(file.errorString()));
        file.remove();
        return false;
    }
    file.close();
    // rename() replaces the old file in one step: a reader sees the old one or the new one.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        qWarning("tef: cannot rename %s into place", qPrintable(temporary));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

QString intpos::receiptLineKey(int n)
{
    return QStringLiteral("029-%1").arg(n, 3, 10, QLatin1Char('0'));
}

} // namespace zel
