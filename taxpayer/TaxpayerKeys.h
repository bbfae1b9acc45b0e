#pragma once

#include <QChar>
#include <QString>

namespace zel {

// Steps of the taxpayer identification: the number, then the name; keys are ignored at
// kPassoFim (before the dialogue starts and after it ends).
inline constexpr int kPassoFim = 0;
inline constexpr int kPassoNumero = 1;
inline constexpr int kPassoNome = 2;

// What the operator typed and the state of the letter keys.
struct TaxpayerEntry
{
    QString stCNPJCPF; // the number step's text, punctuation included
    QString stNome;    // the name step's text
    bool boCapsLock = false;
    bool boShift = false;
};

// What the form does after a key-down.
enum class TaxpayerKey {
    None,        // nothing (also a key that changed nothing visible)
    Show,        // the step's text changed: show it
    CheckNumber, // Enter on a typed number: check it
    EndName,     // Enter in the name step: the dialogue is done
    Exit,        // Escape: the exit button
    Captions,    // the letter keys' case changed: relabel them
};

// Backspace drops the last character, Delete empties the step's text, Enter ends the step
// (ignored on an empty number; an empty name is accepted), Escape exits, Shift turns shift on.
TaxpayerKey taxpayerKeyDown(int step, TaxpayerEntry& entry, int key);

// The most characters of a name: the fiscal coupon's 48 columns less its "NOME: " caption.
inline constexpr int kNomeMaximo = 42;
// The most digits and letters of a number: a CNPJ's fourteen.
inline constexpr int kNumeroMaximo = 14;

// Appends a character the step accepts to its text and answers whether it did.
// Number step: up to kNumeroMaximo digits and letters of the alphanumeric CNPJ, taken in
// capitals, and a punctuation mark only where the CPF (000.000.000-00) or the CNPJ
// (00.000.000/0000-00) has one, once there. Name step: up to kNomeMaximo characters: blank,
// "," "." "/", digits, letters A–Z in either case, "Ç" and "ç"; another accented letter is
// taken as its plain letter ("é" as "e"). A character taken there releases shift.
bool taxpayerKeyPress(int step, TaxpayerEntry& entry, QChar ch);

// Shift turns on or off; Caps Lock turns shift off and toggles itself.
void toggleShift(TaxpayerEntry& entry);
void toggleCapsLock(TaxpayerEntry& entry);

// The letter keys type and show capitals when exactly one of Caps Lock and Shift is on, as
// on a keyboard.
bool capitalKeys(const TaxpayerEntry& entry);
// What the key of a capital letter `letter` (A–Z, or "Ç") types and shows now.
QChar letterKey(QChar letter, const TaxpayerEntry& entry);

// The characters a typed number is checked on: its digits and letters, punctuation dropped.
QString taxpayerNumberChars(const QString& typed);
// A CPF (eleven digits) or a CNPJ (fourteen characters, numeric or alphanumeric) whose check
// digits hold.
bool taxpayerNumberOk(const QString& typed);
// A number whose check digits hold in its standard form: 000.000.000-00 for a CPF,
// 00.000.000/0000-00 for a CNPJ (letters in the first twelve places for the alphanumeric
// one); any other text as it is.
QString taxpayerNumberStandard(const QString& typed);
// The letter the printer has for `ch`: an accented letter without its accent ("Ô" gives
// "O"); "Ç", "ç" and any other character as they are.
QChar plainLetter(QChar ch);

} // namespace zel
