#include "TextDisplay.h"

#include <algorithm>

namespace zel {

TextDisplay::TextDisplay(int rows, int columns) : m_columns(std::max(1, columns))
{
    for (int i = 0; i < std::max(1, rows); ++i)
        m_lines << QString(m_columns, QLatin1Char(' '));
}

void TextDisplay::setColumns(int columns)
{
    m_columns = std::max(1, columns);
    clear();
}

QStringList TextDisplay::trimmedLines() const
{
    QStringList trimmed;
    for (const auto& line : m_lines) {
        int end = line.size();
        while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
            --end;
        trimmed << line.left(end);
    }
    return trimmed;
}

void TextDisplay::clear()
{
    for (auto& line : m_lines)
        line = QString(m_columns, QLatin1Char(' '));
    m_row = m_col = 0;
    m_wrapPending = false;
}

void TextDisplay::clearLine(int row)
{
    if (row < 1 || row > rows())
        return;
    m_lines[row - 1] = QString(m_columns, QLatin1Char(' '));
    m_row = row - 1;
    m_col = 0;
    m_wrapPending = false;
}

bool TextDisplay::goTo(int row, int column)
{
    if (row < 1 || row > rows() || column < 1 || column > m_columns)
        return false;
    m_row = row - 1;
    m_col = column - 1;
    m_wrapPending = false;
    return true;
}

void TextDisplay::write(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() == 0)
            break; // the text ends at its terminator
        if (m_col >= m_columns)
            continue;
        m_lines[m_row][m_col++] = c.unicode() < 32 ? QLatin1Char(' ') : c;
    }
}

void TextDisplay::lineFeed()
{
    if (m_row + 1 < rows()) {
        ++m_row;
        return;
    }
    m_lines.removeFirst();
    m_lines << QString(m_columns, QLatin1Char(' '));
}

void TextDisplay::stream(const QString& text)
{
    for (QChar c : text) {
        switch (c.unicode()) {
        case 12:
            clear();
            continue;
        case 13:
            m_col = 0;
            m_wrapPending = false;
            continue;
        case 10:
            lineFeed();
            m_wrapPending = false;
            continue;
        default:
            break;
        }
        if (c.unicode() < 32 || c.unicode() == 127)
            continue;
        if (m_wrapPending) {
            lineFeed();
            m_col = 0;
            m_wrapPending = false;
        }
        m_lines[m_row][m_col] = c;
        if (m_col + 1 < m_columns)
            ++m_col;
        else
            m_wrapPending = true;
    }
}

} // namespace zel
