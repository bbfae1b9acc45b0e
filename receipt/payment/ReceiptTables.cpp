#include "ReceiptTables.h"

#include "receipt/coupon/CouponArgs.h"
#include "receipt/payment/ButtonGrid.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/ReceiptMessages.h"

#include <QSet>

namespace zel {

namespace {

QString text(const Row& row, int column)
{
    return column < 0 ? QString() : row.value(column).toString();
}

bool hasKind(const DataPacket& paymentTypes, const QString& kind)
{
    const int column = paymentTypes.fieldIndex(QStringLiteral("IDTIPORECE"));
    for (const Row& row : paymentTypes.rows)
        if (text(row, column) == kind)
            return true;
    return false;
}

QStringList missing(const DataPacket& table, const QStringList& wanted)
{
    QStringList absent;
    for (const QString& name : wanted)
        if (table.fieldIndex(name) < 0)
            absent.append(name);
    return absent;
}

} // namespace

int reachablePaymentButtons(const DataPacket& types)
{
    const int tpButton = types.fieldIndex(QStringLiteral("IDTPBUTTON"));
    const int nrButton = types.fieldIndex(QStringLiteral("NRBUTTON"));
    const int group = types.fieldIndex(QStringLiteral("NRBUTTONAUX"));
    const int page = types.fieldIndex(QStringLiteral("NRPGCONFTELA"));
    const int form = types.fieldIndex(QStringLiteral("CDFPIMPFIS"));
    const int kind = types.fieldIndex(QStringLiteral("IDTIPORECE"));

    QSet<QString> groups{QStringLiteral("01")}; // the group shown when the form opens
    for (const Row& row : types.rows)
        if (text(row, tpButton) == QLatin1String("6") && buttonIndex(text(row, nrButton), kGroupButtons))
            groups.insert(text(row, nrButton));

    int reachable = 0;
    for (const Row& row : types.rows) {
        bool pageOk = false;
        const QString pageText = text(row, page);
        const int pageNumber = pageText.toInt(&pageOk);
        if (text(row, tpButton) == QLatin1String("5") && !text(row, form).isEmpty() &&
            buttonIndex(text(row, nrButton), kPaymentButtons) && groups.contains(text(row, group)) &&
            pageOk && pageNumber >= 1 && QString::number(pageNumber) == pageText &&
            !isHiddenKind(text(row, kind)))
            ++reachable;
    }
    return reachable;
}

ErrorRecord tablesRefusal(const ReceiptTables& tables, bool printsCoupon)
{
    const TMessages messages = receiptMessages();
    QStringList typeFields{"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "CDTIPOTROCO", "NRORDTROCO",
                           "CDFPIMPFIS", "IDTPBUTTON", "NRBUTTON",   "NRBUTTONAUX", "NRPGCONFTELA"};
    if (hasKind(tables.paymentTypes, kind::moeda))
        typeFields.append(QStringLiteral("CDINDICE"));
    const bool clientAccount = hasKind(tables.paymentTypes, kind::conta);

    const struct
    {
        const char* table;
        const DataPacket& packet;
        QStringList fields;
    } checks[] = {
        {"TabelaVenda", tables.sale, printsCoupon ? couponLineFields() + kOpeningFields : kOpeningFields},
        {"TabelaTipos", tables.paymentTypes, typeFields},
        {"TabelaAliquotas", tables.taxRates, printsCoupon ? aliquotFields() : QStringList()},
        {"TabelaClientes", tables.clients,
         clientAccount ? QStringList{"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "CDEXCLIENTE",
                                     "NMRAZSOCCLIE", "NMFANTCLIE"}
                       : QStringList()},
        {"TabelaConsumidores", tables.consumers,
         clientAccount
             ? QStringList{"CDCLIENTE", "CDIDCONSUMID", "CDCONSUMIDOR", "CDEXCONSUMID", "NMCONSUMIDOR"}
             : QStringList()},
    };
    for (const auto& check : checks) {
        QStringList absent = missing(check.packet, check.fields);
        absent.removeDuplicates();
        if (!absent.isEmpty())
            return {
                QStringLiteral("TabelaSemCampos"),
                messages.Msg(QStringLiteral("TabelaSemCampos"))
                    .arg(messages.Msg(QString::fromLatin1(check.table)), absent.join(QStringLiteral(", ")))};
    }
    if (reachablePaymentButtons(tables.paymentTypes) == 0)
        return {QStringLiteral("TiposSemBotao"), messages.Msg(QStringLiteral("TiposSemBotao"))};
    return {};
}

} // namespace zel
