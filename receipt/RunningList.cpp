#include "RunningList.h"

#include "text/Consiste.h"
#include "text/Money.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace zel {

QString AjustaL(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    return text.leftJustified(width, u' ', true);
}

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

QString linhaValor(const QString& name, const QString& amountText)
{
    const QString amount = Ajusta(amountText, kListAmountWidth);
    const int nameWidth = std::min(kListNameWidth, kListWidth - 1 - static_cast<int>(amount.size()));
    return AjustaL(name, std::max(nameWidth, 0)) + u' ' + amount;
}

QString linhaPagamento(const QString& name, double value)
{
    return linhaValor(name, formatCurrency(value));
}

} // namespace zel
