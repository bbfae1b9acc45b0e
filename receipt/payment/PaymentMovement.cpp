#include "PaymentMovement.h"

#include "dataset/DataSet.h"
#include "receipt/payment/AmountLimit.h"
#include "text/Consiste.h"
#include "text/Messages.h"
#include "text/Money.h"

#include <algorithm>

namespace zel {

TInputStep amountStepOfKind(const QString& idTipoRece)
{
    if (idTipoRece == kind::credito)
        return isCredito3;
    if (idTipoRece == kind::debito || idTipoRece == kind::pix)
        return isDebito3;
    if (idTipoRece == kind::cheque)
        return isCheque6;
    if (idTipoRece == kind::dinheiro)
        return isDinheiro1;
    if (idTipoRece == kind::ticket || idTipoRece == kind::ticket2)
        return isTicket1;
    return isNone;
}

bool isCardKind(const QString& idTipoRece)
{
    return idTipoRece == kind::credito || idTipoRece == kind::debito;
}

QString tefLetterOfKind(const QString& idTipoRece)
{
    if (idTipoRece == kind::credito)
        return QStringLiteral("C");
    if (idTipoRece == kind::debito)
        return QStringLiteral("D");
    if (idTipoRece == kind::cheque)
        return QStringLiteral("Q");
    return QString();
}

bool removeRow(DataSet& table, qint64 bookmark)
{
    if (!table.active() || bookmark == 0)
        return false;
    const bool filtered = table.filtered();
    table.setFiltered(false);
    const bool found = table.gotoBookmark(bookmark);
    if (found)
        table.deleteRecord();
    table.setFiltered(filtered);
    return found;
}

QDate movementDate(const QDateTime& dtMovFiscal, const QDateTime& taken)
{
    if (dtMovFiscal.isValid() && dtMovFiscal.date().isValid())
        return dtMovFiscal.date();
    return taken.date();
}

void appendMovement(DataSet& movements, const PaymentMovement& movement)
{
    movements.append();
    movements.fieldByName(QStringLiteral("CDFILIAL")).setString(movement.cdFilial);
    movements.fieldByName(QStringLiteral("IDTIPOMOVIVE")).setString(QStringLiteral("E"));
    movements.fieldByName(QStringLiteral("CDTIPORECE")).setString(movement.cdTipoRece);
    movements.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(movement.dtHrIncMov);
    movements.fieldByName(QStringLiteral("CDTIPOTROCO")).setString(movement.cdTipoTroco);
    movements.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(movement.valor);
    movements.fieldByName(QStringLiteral("NMTIPORECE")).setString(movement.nmTipoRece);
    movements.fieldByName(QStringLiteral("NRORDTROCO")).setString(movement.nrOrdTroco);
    movements.fieldByName(QStringLiteral("CDCLIENTE")).setString(movement.cdCliente);
    movements.fieldByName(QStringLiteral("CDCONSUMIDOR")).setString(movement.cdConsumidor);
    movements.fieldByName(QStringLiteral("DTMOVIMCAIXA")).setDate(movement.dtMovimCaixa);
    if (movement.vrMoviveOut)
        movements.fieldByName(QStringLiteral("VRMOVIVEOUT")).setFloat(*movement.vrMoviveOut);
    if (movement.vrCotIndOut)
        movements.fieldByName(QStringLiteral("VRCOTINDOUT")).setFloat(*movement.vrCotIndOut);
    if (!movement.dsMoviVend.isEmpty())
        movements.fieldByName(QStringLiteral("DSMOVIVEND")).setString(movement.dsMoviVend);
    if (movement.cheque) {
        movements.fieldByName(QStringLiteral("CDAGECHEQVEN")).setString(movement.cheque->agencia);
        movements.fieldByName(QStringLiteral("CDBANCHEQVEN")).setString(movement.cheque->banco);
        movements.fieldByName(QStringLiteral("CDCNTCHEQVEN")).setString(movement.cheque->conta);
        movements.fieldByName(QStringLiteral("DTDEPCHEQVEN"))
            .setDateTime(QDateTime(movement.cheque->data, QTime(0, 0)));
        movements.fieldByName(QStringLiteral("NRCHEQUEVEND")).setString(movement.cheque->numero);
    }
    movements.post();
}

ForeignPayment foreignPayment(double typed, double quote)
{
    ForeignPayment payment;
    payment.vrMoviveOut = Trunc2(typed);
    payment.valor = Trunc2(payment.vrMoviveOut * quote);
    return payment;
}

bool isUsableQuote(double quote)
{
    return quote > 0 && withinAmountLimit(quote);
}

QStringList keyboardSummary(const TMessages& messages, double total, double pago, double aPagar)
{
    // 40 columns: every amount whole and right-aligned in its part of the line.
    const auto part = [&messages](const char* key, double value, int width) {
        const QString caption = messages.Msg(QLatin1String(key));
        return caption + u' ' + TamFixoR(formatFixed(value), std::max(0, width - int(caption.size()) - 1));
    };
    const QString titulo = messages.Msg(QStringLiteral("Recebimento"));
    return {titulo + u' ' + part("TeclTotal", total, kKeyboardColumns - int(titulo.size()) - 1),
            part("TeclPago", pago, kKeyboardColumns / 2 - 1) + u' ' +
                part("TeclFalta", aPagar, kKeyboardColumns / 2)};
}

QString customerDisplayLine(const QString& caption, double value, int displayWidth)
{
    const int width = std::max(0, displayWidth - static_cast<int>(caption.size()) - 1);
    return caption + u' ' + TamFixoR(formatFixed(value), width);
}

} // namespace zel
