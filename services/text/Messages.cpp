#include "Messages.h"

#include <QDebug>

namespace zel {

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
    qWarning().noquote() << "message catalogue: no text for key" << key;
    return key;
}

} // namespace zel
