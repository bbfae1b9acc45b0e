#pragma once

#include "zel/Export.h"

#include <QString>

class TfrmRecebeCheque;

namespace zel {
class ReceiptSession;
}

// The cheque unit: the cheque form's results, left here for the receipt and the host.
namespace Vrm_zel00200 {
extern "C" {
ZEL_EXPORT extern TfrmRecebeCheque* frmRecebeCheque; // each ImpCheque call uses a form of its own
ZEL_EXPORT extern QString IdImpCupFis; // set by the host: "1" hides the year buttons, "2" prints cheques
ZEL_EXPORT extern bool boContinua;     // further instalments are pending
ZEL_EXPORT extern double doTotal;
ZEL_EXPORT extern double doPago;
ZEL_EXPORT extern double doApagar;
ZEL_EXPORT extern double doVrParcela;   // value of the last accepted cheque
ZEL_EXPORT extern QString stRetParcela; // instalments still to capture, as decimal text
ZEL_EXPORT extern QString stRetBanco;
ZEL_EXPORT extern QString stRetAgencia;
ZEL_EXPORT extern QString stRetConta;
ZEL_EXPORT extern QString stRetCheque;
ZEL_EXPORT extern QString stRetData;
}

// The fields of the cheque form, in their order on screen and in Page Up / Page Down.
enum TTipoTecl { ttParcela, ttValor, ttAgencia, ttBanco, ttConta, ttCheque, ttData, ttVerso };
constexpr int kTipoTeclCount = ttVerso + 1;

// Per field: the label that captions it (underlined while the field is current) and the label
// that holds its content. The form finds them by name.
extern const char* const arLabels[kTipoTeclCount];
extern const char* const arValLabels[kTipoTeclCount];

void Initialization();
void Finalization();

// The cheque form, modal, for the cheques of one payment of the receipt `receipt`. A form that
// cannot open (no receipt running, no peripheral services) says why and leaves the amounts as
// they were. Exported to hosts as ImpCheque (the running receipt).
void ImpCheque(zel::ReceiptSession* receipt, double apagar, double pago, double total);
} // namespace Vrm_zel00200
