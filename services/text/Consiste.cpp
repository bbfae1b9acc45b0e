#include "Consiste.h"

namespace zel {

namespace {

QString withoutPunctuation(const QString& number)
{
    QString out;
    out.reserve(number.size());
    for (QChar c : number) {
        if (c == u'.' || c == u'-' || c == u'/' || c.isSpace())
            continue;
        out += c;
    }
    return out;
}

// Small letters a to z in capitals, nothing else: a full case mapping would turn one typed
// character into two ("ß" into "SS") or a foreign letter into a CNPJ letter ("ı" into "I").
QString capitals(QString text)
{
    for (QChar& c : text)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    return text;
}

bool allSame(const QString& text)
{
    for (QChar c : text)
        if (c != text.front())
            return false;
    return true;
}

// Check digit of the modulo-11 rule: weights run from `firstWeight` down to 2, then start
// again at 9 (the CNPJ) or go on (the CPF, whose weights never wrap).
int checkDigit(const QString& chars, int firstWeight, bool wrapAtNine)
{
    int sum = 0;
    int weight = firstWeight;
    for (QChar c : chars) {
        sum += (c.unicode() - u'0') * weight;
        --weight;
        if (weight < 2 && wrapAtNine)
            weight = 9;
    }
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
bool isCapital(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

} // namespace

bool CPFOk(const QString& input)
{
    const QString n = withoutPunctuation(input);
    if (n.size() != 11 || allSame(n))
        return false;
    for (QChar c : n)
        if (!isDigit(c))
            return false;
    const int d1 = checkDigit(n.left(9), 10, false);
    const int d2 = checkDigit(n.left(10), 11, false);
    return n.at(9).unicode() - u'0' == d1 && n.at(10).unicode() - u'0' == d2;
}

bool CGCOk(const QString& input)
{
    const QString n = capitals(withoutPunctuation(input));
    if (n.size() != 14 || allSame(n))
        return false;
    for (int i = 0; i < 12; ++i)
        if (!isDigit(n.at(i)) && !isCapital(n.at(i)))
            return false;
    if (!isDigit(n.at(12)) || !isDigit(n.at(13)))
        return false;
    const int d1 = checkDigit(n.left(12), 5, true);
    const int d2 = checkDigit(n.left(13), 6, true);
    return n.at(12).unicode() - u'0' == d1 && n.at(13).unicode() - u'0' == d2;
}

QString Ajusta_Inscricao(QString& number)
{
    number = capitals(withoutPunctuation(number));
    if (number.size() == 11)
        return kPessoaFisica;
    if (number.size() == 14)
        return kPessoaJuridica;
    return QString();
}

QString PictPess(const QString& personType)
{
    if (personType.compare(kPessoaFisica, Qt::CaseInsensitive) == 0)
        return QStringLiteral("000.000.000-00;0;_");
    if (personType.compare(kPessoaJuridica, Qt::CaseInsensitive) == 0)
        return QStringLiteral("AA.AAA.AAA/AAAA-00;0;_");
    return QString();
}

QString Ajusta(const QString& text, int width)
{
    return text.size() >= width ? text : text.rightJustified(width, u' ');
}

QString TamFixo(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    return text.size() >= width ? text.left(width) : text.leftJustified(width, u' ');
}

QString TamFixoR(const QString& text, int width)
{
    if (width <= 0)
        return QString();
    return text.size() >= width ? text.right(width) : text.rightJustified(width, u' ');
}

QString Centraliza(const QString& text, int width)
{
    if (text.size() >= width)
        return text;
    const qsizetype left = (width - text.size()) / 2;
    return QString(left, u' ') + text + QString(width - text.size() - left, u' ');
}

} // namespace zel
