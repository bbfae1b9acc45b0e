#include "TaxpayerKeys.h"

#include "text/Consiste.h"
#include "text/MaskText.h"

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

// Where the standard forms put a punctuation mark: after how many digits and letters.
struct Mark
{
    int after;
    QChar mark;
};
constexpr Mark kCpfMarks[] = {{3, u'.'}, {6, u'.'}, {9, u'-'}};
constexpr Mark kCnpjMarks[] = {{2, u'.'}, {5, u'.'}, {8, u'/'}, {12, u'-'}};

// Whether `text` can still become a number in the form of `marks`: each mark in its place,
// once, and none elsewhere.
template <std::size_t N> bool followsMarks(const QString& text, const Mark (&marks)[N])
{
    int chars = 0;
    int lastMarkAt = -1;
    for (const QChar c : text) {
        if (isDigit(c) || isCapital(c)) {
            ++chars;
            continue;
        }
        if (lastMarkAt == chars)
            return false;
        bool placed = false;
        for (const Mark& m : marks)
            placed = placed || (m.after == chars && m.mark == c);
        if (!placed)
            return false;
        lastMarkAt = chars;
    }
    return true;
}

bool numberCharAccepted(const QString& text, QChar ch)
{
    if (isDigit(ch) || isCapital(ch))
        return taxpayerNumberChars(text).size() < kNumeroMaximo;
    const QString next = text + ch;
    return followsMarks(next, kCpfMarks) || followsMarks(next, kCnpjMarks);
}

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
        if (isSmall(ch))
            ch = ch.toUpper();
        if (!numberCharAccepted(entry.stCNPJCPF, ch))
            return false;
        entry.stCNPJCPF += ch;
        return true;
    }
    if (step == kPassoNome) {
        ch = plainLetter(ch);
        if (entry.stNome.size() >= kNomeMaximo)
            return false;
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

QString taxpayerNumberStandard(const QString& typed)
{
    if (!taxpayerNumberOk(typed))
        return typed;
    QString chars = taxpayerNumberChars(typed);
    return FormatMaskText(PictPess(Ajusta_Inscricao(chars)), chars);
}

QChar plainLetter(QChar ch)
{
    if (ch == kCedillaCapital || ch == kCedillaSmall || ch.unicode() < 0x80)
        return ch;
    const QString decomposed = QString(ch).normalized(QString::NormalizationForm_D);
    const QChar base = decomposed.front();
    return isCapital(base) || isSmall(base) ? base : ch;
}

} // namespace zel
