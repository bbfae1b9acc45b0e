#include "Vrm_zel00400.h"

#include "zel/Pkg_zel.h"

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

void Initialization() {}

void Finalization()
{
    for (QString* s : {&stCdConsumidor, &stNmConsumidor, &stCdCliente, &stNmCliente, &stNmFantClie,
                       &stIdPerDigCons, &stNrInsJurClie})
        s->clear();
}
} // namespace Vrm_zel00400

// The consumer form comes with consumer identification; until then no consumer is found and
// the five texts come back as the unit holds them, as after a cancellation.
bool Consumidor(QString, QString& cdConsumidor, QString& nmConsumidor, QString& cdCliente, QString& nmCliente,
                QString& nmFantClie)
{
    using namespace Vrm_zel00400;
    stCdConsumidor.clear();
    stCdCliente.clear();
    cdConsumidor = stCdConsumidor;
    nmConsumidor = stNmConsumidor;
    cdCliente = stCdCliente;
    nmCliente = stNmCliente;
    nmFantClie = stNmFantClie;
    return false;
}
