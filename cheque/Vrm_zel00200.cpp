#include "Vrm_zel00200.h"

#include "cheque/TfrmRecebeCheque.h"
#include "toolkit/ErrorBarrier.h"
#include "zel/Pkg_zel.h"

#include <memory>

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

const char* const arLabels[kTipoTeclCount] = {"lblParcelas", "lblVrCheque", "lblAgencia", "lblNmBanco",
                                              "lblConta",    "lblCheque",   "lblData",    "lblVerso"};
const char* const arValLabels[kTipoTeclCount] = {"lblNrParcelas", "lblValor",   "lblNrAgencia",
                                                 "lblNrBanco",    "lblNrConta", "lblNrCheque",
                                                 "lblDtImp",      "lblNmVerso"};

void Initialization() {}

void Finalization()
{
    for (QString* s :
         {&IdImpCupFis, &stRetParcela, &stRetBanco, &stRetAgencia, &stRetConta, &stRetCheque, &stRetData})
        s->clear();
}
} // namespace Vrm_zel00200

// The cheque form, modal, for the cheques of one payment. A form that cannot open (no receipt
// running, no peripheral services) says why and leaves the amounts as they were.
void ImpCheque(double apagar, double pago, double total)
{
    std::unique_ptr<TfrmRecebeCheque> form;
    if (!zel::guard([&] { form = std::make_unique<TfrmRecebeCheque>(); }))
        return;
    Vrm_zel00200::doApagar = apagar;
    Vrm_zel00200::doPago = pago;
    Vrm_zel00200::doTotal = total;
    form->exec();
}
