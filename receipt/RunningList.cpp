#include "RunningList.h"

#include "text/Consiste.h"
#include "text/Money.h"

#include <QPlainTextEdit>

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
    memo->appendPlainText(line);
}

QString linhaPagamento(const QString& name, double value)
{
    const QString amount = Ajusta(formatCurrency(value), kListAmountWidth);
    const int nameWidth = std::min(kListNameWidth, kListWidth - 1 - static_cast<int>(amount.size()));
    return AjustaL(name, std::max(nameWidth, 0)) + u' ' + amount;
}

} // namespace zel
