#pragma once

#include <QString>

namespace zel {

// Taxpayer numbers. Both accept the number with or without its punctuation (".", "-", "/"
// and blanks are ignored) and refuse a number made of one repeated character, which passes
// the arithmetic but is no registration.

// CPF: eleven digits, two modulo-11 check digits.
bool CPFOk(const QString& number);

// CNPJ: fourteen characters, the twelve first digits or capital letters (the alphanumeric
// CNPJ; a letter counts as its character code minus 48), two numeric modulo-11 check digits.
bool CGCOk(const QString& number);

// Person types of the client table: "F" for a person (CPF), "J" for a company (CNPJ).
inline const QString kPessoaFisica = QStringLiteral("F");
inline const QString kPessoaJuridica = QStringLiteral("J");

// Brings a typed taxpayer number to its stored form (punctuation and blanks removed, letters
// a to z in capitals, any other character kept as it is) and answers its person type: "F" for eleven digits,
// "J" for fourteen characters, "" for anything else.
QString Ajusta_Inscricao(QString& number);

// The edit mask of a person type's stored number, for FormatMaskText: a CPF
// "000.000.000-00", a CNPJ "AA.AAA.AAA/AAAA-00" (letters allowed in its first twelve
// places). Other types get an empty mask, which leaves the number as it is.
QString PictPess(const QString& personType);

// Width routines. The fill character is a blank.
// Ajusta: right-aligned in the width. A longer text is returned whole: an amount never loses
// digits to a column.
QString Ajusta(const QString& text, int width);
// Exactly the width, the text at the left; a longer text keeps its first `width` characters.
QString TamFixo(const QString& text, int width);
// Exactly the width, the text at the right; a longer text keeps its last `width` characters.
QString TamFixoR(const QString& text, int width);
// Centred in the width (an odd blank goes to the right); a longer text is returned whole.
QString Centraliza(const QString& text, int width);

template <class T> T iif(bool condition, T whenTrue, T whenFalse)
{
    return condition ? whenTrue : whenFalse;
}

} // namespace zel
