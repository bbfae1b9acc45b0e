#include "Vrm_zel00400.h"

#include "consumer/ConsumerKeys.h"
#include "consumer/TfrmInfConsumidor.h"
#include "dialogs/Dialogs.h"
#include "receipt/state/ReceiptSession.h"
#include "toolkit/ErrorBarrier.h"

#include <memory>

namespace Vrm_zel00400 {
extern "C" {
QString stCdConsumidor;
QString stNmConsumidor;
QString stCdCliente;
QString stNmCliente;
QString stNmFantClie;
QString stIdPerDigCons;
QString stNrInsJurClie;
double VrAviDebCons = 0;
double VrPeSubClien = 0;
double VrPeSubTCCli = 0;
int NrPosIniCons = 0;
int NrPosFinCons = 0;
int IdTipoOpt = 0;
int QtDigiComand = 0;
}

int NrPasso = zel::kStepNone;

void Initialization()
{
    NrPasso = zel::kStepNone;
}

void Finalization()
{
    for (QString* s : {&stCdConsumidor, &stNmConsumidor, &stCdCliente, &stNmCliente, &stNmFantClie,
                       &stIdPerDigCons, &stNrInsJurClie})
        s->clear();
}

bool Consumidor(zel::ReceiptSession* receipt, QString, QString& cdConsumidor, QString& nmConsumidor,
                QString& cdCliente, QString& nmCliente, QString& nmFantClie)
{
    bool confirmado = false;
    // The codes of an earlier identification never come back from this one, however it fails.
    stCdConsumidor.clear();
    stCdCliente.clear();
    zel::guard([&] {
        if (!receipt) {
            // Nothing to search in: nothing is found.
            zel::dialogs().TouchMessageDlg(TfrmInfConsumidor::semRecebimentoText(), zel::DialogType::Error,
                                           zel::DialogButtons::Ok, 0, 0, QString());
            return;
        }
        const std::unique_ptr<TfrmInfConsumidor> form(new TfrmInfConsumidor(receipt));
        form->exec();
        confirmado = form->boConfirmado;
    });
    // The caller may pass these very variables (the payment entry passes stNmCliente and
    // stNmFantClie): take the values before writing any argument.
    const QString values[] = {stCdConsumidor, stNmConsumidor, stCdCliente, stNmCliente, stNmFantClie};
    cdConsumidor = values[0];
    nmConsumidor = values[1];
    cdCliente = values[2];
    nmCliente = values[3];
    nmFantClie = values[4];
    return confirmado;
}
} // namespace Vrm_zel00400
