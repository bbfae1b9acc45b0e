#include "Messages.h"

#include <QDebug>
#include <QMutex>
#include <QSet>

namespace zel {

namespace {

// True the first time a missing key is asked for in this process (keys without case).
bool firstMiss(const QString& key)
{
    static QMutex mutex;
    static QSet<QString> reported;
    const QMutexLocker lock(&mutex);
    const QString folded = key.toCaseFolded();
    if (reported.contains(folded))
        return false;
    reported.insert(folded);
    return true;
}

} // namespace

const QString* TMessages::find(const QString& key) const
{
    for (const QString& line : m_lines) {
        const qsizetype bar = line.indexOf(u'|');
        if (bar < 0)
            continue;
        if (QStringView(line).left(bar).compare(key, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

bool TMessages::contains(const QString& key) const
{
    return find(key) != nullptr;
}

QString TMessages::Msg(const QString& key) const
{
    if (const QString* line = find(key))
        return line->mid(line->indexOf(u'|') + 1);
    if (firstMiss(key))
        qWarning().noquote() << "message catalogue: no text for key" << key;
    return key;
}

} // namespace zel
