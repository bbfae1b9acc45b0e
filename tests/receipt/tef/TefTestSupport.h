#pragma once

#include "support/QStringPrinter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <ostream>

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

} // namespace zel::teftest
