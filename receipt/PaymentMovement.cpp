#include "PaymentMovement.h"

#include "dataset/DataSet.h"
#include "receipt/AmountLimit.h"
#include "text/Consiste.h"
#include "text/Messages.h"
#include "text/Money.h"

#include <algorithm>

namespace zel {

TInputStep amountStepOfKind(const QString& idTipoRece)
{
    if (idTipoRece == kind::credito)
        return isCredito3;
    if (idTipoRece == kind::debito)
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

QStringList keyboardSummary(const TMessages& messages, const QString& total, const QString& pago,
                            const QString& aPagar)
{
    const QString gap(3, u' ');
    return {messages.Msg(QStringLiteral("Recebimento")) + gap + messages.Msg(QStringLiteral("Total")) + total,
            messages.Msg(QStringLiteral("TotalPago")) + pago + gap +
                messages.Msg(QStringLiteral("TotalAPagar")) + aPagar};
}

QString customerDisplayLine(const QString& caption, double value, int displayWidth)
{
    const int width = std::max(0, displayWidth - static_cast<int>(caption.size()) - 1);
    return caption + u' ' + TamFixoR(formatFixed(value), width);
}

} // namespace zel
