#include "RunningListMemo.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace zel {

void Linha(QPlainTextEdit* memo, const QString& text)
{
    QString line = text.left(kListWidth);
    for (QChar& ch : line) {
        if (ch == u'\n' || ch == u'\r' || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
            ch = u' ';
    }
    // Every call is one line, an empty one too: a list whose only line is empty still holds it
    // (appending to a memo that looks empty would write over it). Written lines are marked.
    constexpr int kWritten = 1;
    QTextDocument* document = memo->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (!document->isEmpty() || document->firstBlock().userState() == kWritten)
        cursor.insertBlock();
    cursor.insertText(line);
    cursor.block().setUserState(kWritten);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}

} // namespace zel
