// Edit masks and taxpayer numbers. The input is split at its first NUL byte into a mask and a
// value: any mask applied to any value gives text no longer than the pattern, never a crash.
// The value is also read as a typed taxpayer number: a number the check digits accept comes to
// its stored form with the right person type, and that form, under the person type's mask,
// is accepted again and comes back to the same stored form.

#include "text/Consiste.h"
#include "text/MaskText.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkNumber(const QString& typed)
{
    const bool cpf = zel::CPFOk(typed);
    const bool cnpj = zel::CGCOk(typed);
    check(!(cpf && cnpj));
    QString stored = typed;
    const QString type = zel::Ajusta_Inscricao(stored);
    // One stored character for each typed one that is not punctuation or a blank.
    qsizetype kept = 0;
    for (const QChar c : typed)
        kept += c == u'.' || c == u'-' || c == u'/' || c.isSpace() ? 0 : 1;
    check(stored.size() == kept);
    if (cpf || cnpj)
        for (const QChar c : stored)
            check((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'));
    check(type.isEmpty() || type == zel::kPessoaFisica || type == zel::kPessoaJuridica);
    if (cpf)
        check(type == zel::kPessoaFisica);
    if (cnpj)
        check(type == zel::kPessoaJuridica);
    // The stored form is already stored: adjusting it again changes nothing.
    QString again = stored;
    check(zel::Ajusta_Inscricao(again) == type && again == stored);
    check(zel::CPFOk(stored) == cpf && zel::CGCOk(stored) == cnpj);
    if (type.isEmpty()) {
        check(zel::PictPess(type).isEmpty());
        return;
    }
    const QString shown = zel::FormatMaskText(zel::PictPess(type), stored);
    check(shown.size() == (type == zel::kPessoaFisica ? 14 : 18));
    QString fromShown = shown;
    check(zel::Ajusta_Inscricao(fromShown) == type && fromShown == stored);
    check(zel::CPFOk(shown) == cpf && zel::CGCOk(shown) == cnpj);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = bytes.indexOf('\0');
    const QString mask = QString::fromUtf8(nul < 0 ? QByteArray() : bytes.left(nul));
    const QString value = QString::fromUtf8(nul < 0 ? bytes : bytes.mid(nul + 1));

    const QString out = zel::FormatMaskText(mask, value);
    if (mask.isEmpty() || mask.startsWith(QLatin1Char(';')))
        check(out == value);
    else
        check(out.size() <= mask.size());
    checkNumber(value);
    checkNumber(QString::fromLatin1(bytes));
    return 0;
}
