#pragma once

#include "zel/Export.h"

#include <QString>

// The consumer unit: the client and consumer found by the last identification.
namespace Vrm_zel00400 {
extern "C" {
ZEL_EXPORT extern QString stCdConsumidor;
ZEL_EXPORT extern QString stNmConsumidor;
ZEL_EXPORT extern QString stCdCliente;
ZEL_EXPORT extern QString stNmCliente;
ZEL_EXPORT extern QString stNmFantClie;
ZEL_EXPORT extern QString stIdPerDigCons;
ZEL_EXPORT extern QString stNrInsJurClie;
ZEL_EXPORT extern double VrAviDebCons;
ZEL_EXPORT extern double VrPeSubClien;
ZEL_EXPORT extern double VrPeSubTCCli;
ZEL_EXPORT extern int NrPosIniCons;
ZEL_EXPORT extern int NrPosFinCons;
ZEL_EXPORT extern int IdTipoOpt;
ZEL_EXPORT extern int QtDigiComand;
}

// The step of the running identification (zel::kStepClient, zel::kStepConsumer), or
// zel::kStepNone when the consumer code was entered or nothing runs; keys are ignored then.
extern int NrPasso;

void Initialization();
void Finalization();
} // namespace Vrm_zel00400
