#include "ChequePrint.h"

#include "devices/Peripherals.h"
#include "text/Consiste.h"

namespace zel::cheque {

namespace {

const QChar kEsc(27);
const QChar kLineFeed(10);
const QChar kFormFeed(12);
const QChar kQuote(34);
constexpr int kVersoPart = 60;

QString escape(char letter, const QString& text = {})
{
    return QString(kEsc) + QLatin1Char(letter) + text;
}

// Whole cents as digits. The value is already to the cent; its two-decimal text is exact
// however many integer digits it has.
QString cents(double valor)
{
    return QString::number(valor, 'f', 2).remove(u'.');
}

} // namespace

ChequePrinter chequePrinterFor(int idTipoImpFis, int idTipoImpChq)
{
    if (idTipoImpFis == 4)
        return ChequePrinter::None;
    switch (idTipoImpChq) {
    case 1:
        return ChequePrinter::Escape;
    case 2:
        return ChequePrinter::CommandString;
    default:
        return ChequePrinter::None;
    }
}

int valueWidth(ChequePrinter printer)
{
    switch (printer) {
    case ChequePrinter::Escape:
        return 14;
    case ChequePrinter::CommandString:
        return 12;
    case ChequePrinter::None:
        break;
    }
    return 0;
}

bool valueFits(ChequePrinter printer, double valor)
{
    if (printer == ChequePrinter::None)
        return true;
    return valor >= 0 && cents(valor).size() <= valueWidth(printer);
}

QString valueDigits(ChequePrinter printer, double valor)
{
    return padWithZeros(cents(valor), valueWidth(printer));
}

QStringList frontCommands(ChequePrinter printer, const ChequePrintout& cheque)
{
    const QString banco = TamFixo(cheque.banco, 3);
    switch (printer) {
    case ChequePrinter::Escape:
        return {escape('B', banco), escape('F'), escape('C'), escape('D', cheque.dataDig),
                escape('V', valueDigits(printer, cheque.valor))};
    case ChequePrinter::CommandString: {
        const QString anoMode =
            cheque.ano == QLatin1String("1") ? QStringLiteral("$0") : QStringLiteral("$4");
        return {QStringLiteral("!") + cheque.dataDig, anoMode + valueDigits(printer, cheque.valor) + banco};
    }
    case ChequePrinter::None:
        break;
    }
    return {};
}

QStringList backCommands(ChequePrinter printer, const QString& verso)
{
    if (verso.isEmpty())
        return {};
    const QString first = verso.left(kVersoPart);
    const QString second = verso.mid(kVersoPart, kVersoPart);
    const QString margin(10, QLatin1Char(' '));
    switch (printer) {
    case ChequePrinter::Escape:
        return {margin + first + kLineFeed, margin + second + kLineFeed + kFormFeed};
    case ChequePrinter::CommandString:
        if (verso.size() > kVersoPart)
            return {kQuote + first + u' ' + second + u' '};
        return {kQuote + verso + u' '};
    case ChequePrinter::None:
        break;
    }
    return {};
}

} // namespace zel::cheque
