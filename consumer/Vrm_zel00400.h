#pragma once

#include "zel/Export.h"

#include <QString>

namespace zel {
class ReceiptSession;
}

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

// The consumer identification for a client-account payment of the receipt `receipt`: the form,
// modal; then the unit's client and consumer found, copied into the five in/out texts in
// that order. True only when a consumer was found. The picture is the receipt's own (the
// second argument is not used). Exported to hosts as Consumidor (the running receipt).
bool Consumidor(zel::ReceiptSession* receipt, QString figura, QString& cdConsumidor, QString& nmConsumidor,
                QString& cdCliente, QString& nmCliente, QString& nmFantClie);
} // namespace Vrm_zel00400
