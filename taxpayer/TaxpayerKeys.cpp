#include "TaxpayerKeys.h"

#include "text/Consiste.h"

#include <Qt>

namespace zel {

namespace {

QString& stepText(int step, TaxpayerEntry& entry)
{
    return step == kPassoNumero ? entry.stCNPJCPF : entry.stNome;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
bool isCapital(QChar c)
{
    return c >= u'A' && c <= u'Z';
}
bool isSmall(QChar c)
{
    return c >= u'a' && c <= u'z';
}

constexpr char16_t kCedillaCapital = 0xC7; // Ç
constexpr char16_t kCedillaSmall = 0xE7;   // ç

} // namespace

TaxpayerKey taxpayerKeyDown(int step, TaxpayerEntry& entry, int key)
{
    if (step != kPassoNumero && step != kPassoNome)
        return TaxpayerKey::None;
    QString& text = stepText(step, entry);
    switch (key) {
    case Qt::Key_Backspace:
        text.chop(1);
        return TaxpayerKey::Show;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (step == kPassoNome)
            return TaxpayerKey::EndName;
        return text.isEmpty() ? TaxpayerKey::None : TaxpayerKey::CheckNumber;
    case Qt::Key_Delete:
        text.clear();
        return TaxpayerKey::Show;
    case Qt::Key_Escape:
        return TaxpayerKey::Exit;
    case Qt::Key_Shift:
        if (entry.boShift)
            return TaxpayerKey::None;
        entry.boShift = true;
        return TaxpayerKey::Captions;
    default:
        return TaxpayerKey::None;
    }
}

bool taxpayerKeyPress(int step, TaxpayerEntry& entry, QChar ch)
{
    if (step == kPassoNumero) {
        const bool punctuation = ch == u',' || ch == u'-' || ch == u'.' || ch == u'/';
        if (!punctuation && !isDigit(ch) && !isCapital(ch) && !isSmall(ch))
            return false;
        entry.stCNPJCPF += isSmall(ch) ? ch.toUpper() : ch;
        return true;
    }
    if (step == kPassoNome) {
        const bool accepted = ch == u' ' || ch == u',' || ch == u'.' || ch == u'/' || isDigit(ch) ||
                              isCapital(ch) || isSmall(ch) || ch == kCedillaCapital || ch == kCedillaSmall;
        if (!accepted)
            return false;
        entry.stNome += ch;
        if (entry.boShift)
            toggleShift(entry);
        return true;
    }
    return false;
}

void toggleShift(TaxpayerEntry& entry)
{
    entry.boShift = !entry.boShift;
}

void toggleCapsLock(TaxpayerEntry& entry)
{
    entry.boShift = false;
    entry.boCapsLock = !entry.boCapsLock;
}

bool capitalKeys(const TaxpayerEntry& entry)
{
    return entry.boCapsLock != entry.boShift;
}

QChar letterKey(QChar letter, const TaxpayerEntry& entry)
{
    return capitalKeys(entry) ? letter.toUpper() : letter.toLower();
}

QString taxpayerNumberChars(const QString& typed)
{
    QString chars;
    chars.reserve(typed.size());
    for (const QChar c : typed) {
        if (isDigit(c) || isCapital(c))
            chars += c;
        else if (isSmall(c))
            chars += c.toUpper();
    }
    return chars;
}

bool taxpayerNumberOk(const QString& typed)
{
    const QString chars = taxpayerNumberChars(typed);
    return CPFOk(chars) || CGCOk(chars);
}

} // namespace zel
