#include "ControlText.h"

namespace zel {

QString showControlChars(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case 0:
            shown += QStringLiteral("<NUL>");
            break;
        case 10:
            shown += QStringLiteral("<LF>");
            break;
        case 12:
            shown += QStringLiteral("<FF>");
            break;
        case 13:
            shown += QStringLiteral("<CR>");
            break;
        case 27:
            shown += QStringLiteral("<ESC>");
            break;
        default:
            if (u < 32 || u == 127)
                shown += QStringLiteral("<0x") +
                         QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0')) +
                         QLatin1Char('>');
            else
                shown += c;
        }
    }
    return shown;
}

bool isControlChar(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

QString printableText(const QString& text, QStringView keep)
{
    QString printable;
    printable.reserve(text.size());
    for (const QChar c : text) {
        if (!isControlChar(c) || keep.contains(c))
            printable += c;
    }
    return printable;
}

} // namespace zel
