#pragma once

#include "dataset/DataSet.h"
#include "receipt/payment/InputStep.h"
#include "receipt/payment/OpeningTotals.h"
#include "text/ErrorLog.h"
#include "zel/Export.h"

#include <QSet>
#include <QString>

class TfrmRecebimento;

namespace zel {
class ReceiptSession;
struct ReceiptTables;

// Why a receipt cannot open: the catalogue key and the text the operator reads; both empty when
// it can. Without installed peripheral services the form could neither open nor be left, tables
// without what the receipt reads would fail it half-way (ReceiptTables.h), and a sale the
// opening computation refuses (`totals`, OpeningTotals.h) cannot be totalled. Only the fields of
// `tables.sale` are read.
ErrorRecord receiptRefusal(const ReceiptTables& tables, const Result<OpeningTotals>& totals,
                           bool devicesInstalled, bool printsCoupon);

// Settles the Pix charges the till's journal lists (its data folder): open ones removed, paid
// ones kept when their txid is in `keptBySale` (recorded by a sale that closed), refunded
// otherwise; what could not be settled stays listed. The texts for the operator. Nothing
// listed: nothing asked, no settings needed.
QStringList settlePixCharges(const QSet<QString>& keptBySale = {});
// The txids of the Pix payments among `movements` ("PIX <txid> <e2eid>" descriptions).
QSet<QString> pixChargesOf(const DataSet& movements);
// The txids of the Pix payments recorded in the open receipt and not refunded.
QStringList recordedPixCharges();
} // namespace zel

// The receipt unit's state: it lives as long as the module stays loaded.
namespace Vrm_zel00000 {
extern "C" {
ZEL_EXPORT extern TfrmRecebimento* frmRecebimento; // the newest receipt form
ZEL_EXPORT extern TInputStep InputStep;
ZEL_EXPORT extern bool boVendaOk;        // the last receipt settled the sale
ZEL_EXPORT extern bool boIdCriado;       // the first activation of the new form is pending
ZEL_EXPORT extern QString StnrVenda;     // sale number given by the host
ZEL_EXPORT extern QString IdTipoSis;     // "RES" or "CXA"
ZEL_EXPORT extern QString stFigura;      // background picture
ZEL_EXPORT extern QString stIdImpCupFis; // printer-model code
}
void Initialization();
void Finalization();

// The unit's entry points, exported to hosts under the same names (package/): the receipt of
// a sale; the last error a call of the module reported; whether the fiscal coupon is printed.
bool Recebimento(zel::DataSet& venda, zel::DataSet& movimentos, QString& nrVenda,
                 const zel::DataSet& clientes, const zel::DataSet& consumidores,
                 const zel::DataSet& aliquotas, const zel::DataSet& tiposRecebimento, QString idTipoSis,
                 QString naoUsado, QString figura, QString idImpCupFis);
bool LastError(QString& code, QString& text);
bool UtilizaImpFis();
// The number of a coupon an abandoned receipt left open on the printer (it refused to cancel
// it); empty when none. The next receipt cancels it first.
void setCupomAberto(const QString& numero);

// The running receipt's session, which the cheque and consumer forms work on; none before the
// first receipt form.
zel::ReceiptSession* runningSession();
QString cupomAberto();
} // namespace Vrm_zel00000
