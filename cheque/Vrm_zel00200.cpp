#include "Vrm_zel00200.h"

#include "zel/Pkg_zel.h"

namespace Vrm_zel00200 {
extern "C" {
TfrmRecebeCheque* frmRecebeCheque = nullptr;
QString IdImpCupFis;
bool boContinua = false;
double doTotal = 0;
double doPago = 0;
double doApagar = 0;
double doVrParcela = 0;
QString stRetParcela;
QString stRetBanco;
QString stRetAgencia;
QString stRetConta;
QString stRetCheque;
QString stRetData;
}

void Initialization() {}

void Finalization()
{
    for (QString* s : {&IdImpCupFis, &stRetParcela, &stRetBanco, &stRetAgencia, &stRetConta, &stRetCheque,
                       &stRetData})
        s->clear();
}
} // namespace Vrm_zel00200

// The cheque form comes with cheque capture; until then the call keeps the amounts it was
// given and opens nothing.
void ImpCheque(double apagar, double pago, double total)
{
    Vrm_zel00200::doApagar = apagar;
    Vrm_zel00200::doPago = pago;
    Vrm_zel00200::doTotal = total;
    Vrm_zel00200::boContinua = false;
}
