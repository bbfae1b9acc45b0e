#include "ChequeEntry.h"

#include "text/Consiste.h"
#include "text/Money.h"

#include <QLocale>

namespace zel::cheque {

using namespace Vrm_zel00200;

namespace {

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The value field always holds "," as its decimal separator, whatever the system's.
const QLocale& valueLocale()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

} // namespace

int fieldLimit(TTipoTecl field)
{
    switch (field) {
    case ttParcela:
        return 2;
    case ttAgencia:
        return 6;
    case ttBanco:
        return 3;
    case ttConta:
        return 17;
    case ttCheque:
        return 7;
    case ttValor:
    case ttData:
    case ttVerso:
        return 0;
    }
    return 0;
}

bool fieldFull(TTipoTecl field, const QString& text, bool substitui, QChar ch)
{
    return isDigitField(field) && isDigit(ch) && !substitui && text.size() >= fieldLimit(field);
}

QString valueText(double valor)
{
    return formatFixed(valor, valueLocale());
}

bool isDigitField(TTipoTecl field)
{
    return fieldLimit(field) > 0;
}

bool isVersoChar(QChar ch)
{
    if (isDigit(ch) || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z'))
        return true;
    switch (ch.unicode()) {
    case u' ':
    case u',':
    case u'.':
    case u'/':
    case u'Ç':
    case u'ç':
        return true;
    default:
        return false;
    }
}

int dateWidth(int idTipoImpFis, int idTipoImpChq)
{
    if (idTipoImpFis == 4)
        return 8;
    if (idTipoImpChq == 1 || idTipoImpChq == 2)
        return 6;
    return 8;
}

QString dateDisplay(const QString& digits, int width)
{
    if (digits.isEmpty())
        return {};
    const QString fixed = TamFixoR(digits, width);
    return fixed.left(2) + u'/' + fixed.mid(2, 2) + u'/' + fixed.mid(4);
}

bool typeChar(TTipoTecl field, QString& text, bool& substitui, QChar ch, int dateLimit)
{
    QString next = substitui ? QString() : text;
    if (isDigitField(field)) {
        if (!isDigit(ch) || next.size() >= fieldLimit(field))
            return false;
        next.append(ch);
    } else if (field == ttValor) {
        if (ch == u'.')
            ch = u',';
        if (!isDigit(ch) && ch != u',')
            return false;
        if (ch == u',' && next.contains(u','))
            return false;
        next.append(ch);
    } else if (field == ttData) {
        if (!isDigit(ch) || next.size() >= dateLimit)
            return false;
        next.append(ch);
    } else {
        if (!isVersoChar(ch) || next.size() >= kVersoMaximo)
            return false;
        next.append(ch);
    }
    text = next;
    substitui = false;
    return true;
}

QString normalizeValue(const QString& text)
{
    const Result<double> value = parseAmount(text, valueLocale());
    if (!value)
        return text;
    return formatFixed(*value, valueLocale());
}

TTipoTecl nextField(TTipoTecl current, bool parcelaEnabled)
{
    if (current == ttVerso)
        return parcelaEnabled ? ttParcela : ttValor;
    return TTipoTecl(current + 1);
}

TTipoTecl previousField(TTipoTecl current, bool parcelaEnabled)
{
    if (current == ttParcela)
        return ttVerso;
    if (current == ttValor)
        return parcelaEnabled ? ttParcela : ttVerso;
    return TTipoTecl(current - 1);
}

KeyboardPlace keyboardFor(TTipoTecl field)
{
    switch (field) {
    case ttValor:
        return {Keyboard::Value, QPoint(485, 260)};
    case ttVerso:
        // Below the value row, which stays whole above it, and above the back text being typed.
        return {Keyboard::Alpha, QPoint(8, 146)};
    default:
        return {Keyboard::Numeric, QPoint(485, 275)};
    }
}

} // namespace zel::cheque
