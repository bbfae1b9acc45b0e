#pragma once

#include "zel/Export.h"

#include <QString>

class TfrmRecebeCheque;

// The cheque unit: the cheque form's results, left here for the receipt and the host.
namespace Vrm_zel00200 {
extern "C" {
ZEL_EXPORT extern TfrmRecebeCheque* frmRecebeCheque;
ZEL_EXPORT extern QString IdImpCupFis;
ZEL_EXPORT extern bool boContinua;
ZEL_EXPORT extern double doTotal;
ZEL_EXPORT extern double doPago;
ZEL_EXPORT extern double doApagar;
ZEL_EXPORT extern double doVrParcela;
ZEL_EXPORT extern QString stRetParcela;
ZEL_EXPORT extern QString stRetBanco;
ZEL_EXPORT extern QString stRetAgencia;
ZEL_EXPORT extern QString stRetConta;
ZEL_EXPORT extern QString stRetCheque;
ZEL_EXPORT extern QString stRetData;
}
void Initialization();
void Finalization();
} // namespace Vrm_zel00200
