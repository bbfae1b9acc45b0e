#include "Vrm_zel00200.h"

#include "cheque/TfrmRecebeCheque.h"
#include "toolkit/ErrorBarrier.h"

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

void ImpCheque(zel::ReceiptSession* receipt, double apagar, double pago, double total)
{
    std::unique_ptr<TfrmRecebeCheque> form;
    if (!zel::guard([&] { form = std::make_unique<TfrmRecebeCheque>(receipt); }))
        return;
    doApagar = apagar;
    doPago = pago;
    doTotal = total;
    form->exec();
}
} // namespace Vrm_zel00200
