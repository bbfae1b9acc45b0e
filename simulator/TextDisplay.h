#pragma once

#include <QStringList>

namespace zel {

// A character display of a few lines as a text buffer with a cursor. Rows and columns count
// from 1. Two ways of writing, one per device:
//
//  - write(): the POS keyboard's display. Text goes from the cursor to the end of the line;
//    what does not fit is dropped (it never runs onto the other line). Control characters
//    show as blanks.
//  - stream(): the customer display. Text runs on from the cursor; after the last column
//    the next character goes to column 1 of the next line, and after the last column of the
//    last line the lines scroll up by one. The wrap waits for the next character, so a text
//    that fills a line exactly leaves the cursor at its end and the next text starts the
//    following line. Character 12 clears the display, 13 returns to column 1, 10 goes down
//    a line (scrolling on the last); other control characters are ignored.
class TextDisplay
{
public:
    TextDisplay(int rows, int columns);

    int rows() const { return m_lines.size(); }
    int columns() const { return m_columns; }
    void setColumns(int columns); // clears

    // Every line, each exactly columns() characters (blanks where nothing was written).
    const QStringList& lines() const { return m_lines; }
    // The lines without trailing blanks, for tests and logs.
    QStringList trimmedLines() const;
    int cursorRow() const { return m_row + 1; }
    int cursorColumn() const { return m_col + 1; }

    void clear();            // blank lines, cursor to 1,1
    void clearLine(int row); // blank that line, cursor to its column 1
    // Moves the cursor; false (and no move) when the position is outside the display.
    bool goTo(int row, int column);
    void write(const QString& text);
    void stream(const QString& text);

private:
    void lineFeed();

    QStringList m_lines;
    int m_columns;
    int m_row = 0;
    int m_col = 0;
    bool m_wrapPending = false;
};

} // namespace zel
