#pragma once

#include <QString>
#include <QStringList>

namespace zel {

// A form's message catalogue: lines made of a key, "|" and a text. Msg(key) gives the text
// after the first "|" of the first line whose key matches without regard to letter case.
// A key without a line yields the key itself, so a missing text shows up as its name on the
// screen instead of as an empty dialog; the first time in a process that a key is missing it is
// reported as a warning.
class TMessages
{
public:
    TMessages() = default;
    explicit TMessages(QStringList lines) : m_lines(std::move(lines)) {}

    const QStringList& Messages() const { return m_lines; }
    void setMessages(QStringList lines) { m_lines = std::move(lines); }
    void append(const QString& key, const QString& text) { m_lines.append(key + u'|' + text); }

    bool contains(const QString& key) const;
    QString Msg(const QString& key) const;

private:
    const QString* find(const QString& key) const;
    QStringList m_lines;
};

} // namespace zel
