#include "MaskText.h"

#include <QStringList>

namespace zel {

namespace {

bool isPlace(QChar c)
{
    switch (c.unicode()) {
    case '0':
    case '9':
    case '#':
    case 'L':
    case 'l':
    case 'A':
    case 'a':
    case 'C':
    case 'c':
        return true;
    default:
        return false;
    }
}

bool isOptionalPlace(QChar c)
{
    return c == u'9' || c == u'#' || c == u'l' || c == u'a' || c == u'c';
}

enum class Case { Keep, Upper, Lower };

} // namespace

QString FormatMaskText(const QString& mask, const QString& value)
{
    // The pattern may itself hold an escaped ";", so split by hand.
    QStringList sections{QString()};
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask.at(i) == u'\\' && i + 1 < mask.size()) {
            sections.back() += mask.at(i);
            sections.back() += mask.at(++i);
        } else if (mask.at(i) == u';' && sections.size() < 3) {
            sections.append(QString());
        } else {
            sections.back() += mask.at(i);
        }
    }
    const QString pattern = sections.value(0);
    if (pattern.isEmpty())
        return value;
    const bool valueHasLiterals = sections.size() < 2 || sections.at(1) != QStringLiteral("0");
    const QChar blank =
        sections.size() >= 3 && !sections.at(2).isEmpty() ? sections.at(2).front() : QChar(u'_');

    QString out;
    qsizetype next = 0;
    Case letterCase = Case::Keep;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'>') {
            letterCase = Case::Upper;
            continue;
        }
        if (c == u'<') {
            const bool endsCase = i + 1 < pattern.size() && pattern.at(i + 1) == u'>';
            letterCase = endsCase ? Case::Keep : Case::Lower;
            i += endsCase ? 1 : 0;
            continue;
        }
        if (c == u'!')
            continue;
        if (isPlace(c)) {
            if (next < value.size()) {
                QChar v = value.at(next++);
                if (letterCase == Case::Upper)
                    v = v.toUpper();
                else if (letterCase == Case::Lower)
                    v = v.toLower();
                out += v;
            } else if (!isOptionalPlace(c)) {
                out += blank;
            }
            continue;
        }
        QChar literal = c;
        if (c == u'\\' && i + 1 < pattern.size())
            literal = pattern.at(++i);
        out += literal;
        if (valueHasLiterals && next < value.size() && value.at(next) == literal)
            ++next;
    }
    return out;
}

} // namespace zel
