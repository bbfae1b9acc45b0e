#pragma once

#include <QString>
#include <QStringList>

// The commands that print a cheque, apart from the printer and the form: which printer a pair
// of printer settings selects, how the value, bank, date and back text are laid out, and the
// texts of each command in order.
namespace zel::cheque {

// The cheque printer as the peripheral settings select it. A fiscal printer of kind 4 takes
// no cheque command at all, whatever the cheque printer's kind; a cheque printer of a kind
// other than 1 or 2 is no printer here.
enum class ChequePrinter { None, Escape, CommandString };
ChequePrinter chequePrinterFor(int idTipoImpFis, int idTipoImpChq);

// The cheque on screen as the printer gets it.
struct ChequePrintout
{
    double valor = 0; // to the cent
    QString banco;    // as typed
    QString dataDig;  // the date digits as typed: ddmmyy or ddmmyyyy
    QString verso;    // the back text; may be empty
    QString ano;      // the year button chosen: "" or "1" to "4"
};

// Width of the value in cents: 14 digits for the escape-command printer, 12 for the
// command-string printer; none for no printer.
int valueWidth(ChequePrinter printer);

// Whether the printer's layout holds the value: below 1 000 000 000 000,00 (14 digits of
// cents) or 10 000 000 000,00 (12 digits). Every value fits when there is no printer.
bool valueFits(ChequePrinter printer, double valor);

// The value as whole cents, zero-filled on the left to the printer's width.
QString valueDigits(ChequePrinter printer, double valor);

// The front of the cheque, one text per command. Escape-command printer: ESC B and the bank
// in 3 characters, ESC F, ESC C, ESC D and the date digits, ESC V and the value. Command-
// string printer: "!" and the date digits, then the year mode ("$0" for the two-digit year
// button, "$4" otherwise), the value and the bank as one command. No printer: nothing.
QStringList frontCommands(ChequePrinter printer, const ChequePrintout& cheque);

// The back text, printed after the operator agreed to it. Characters 1 to 60 and 61 to 120
// are its two parts; anything after 120 is not printed. Escape-command printer: two texts,
// ten blanks and a part each, the first ending in a line feed, the second in a line feed and
// a form feed. Command-string printer: one command, a double quote and the text (its two
// parts when it is longer than 60), each part followed by a blank. Nothing for an empty text
// or no printer.
QStringList backCommands(ChequePrinter printer, const QString& verso);

} // namespace zel::cheque
