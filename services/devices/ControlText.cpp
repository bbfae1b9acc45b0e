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

} // namespace zel
