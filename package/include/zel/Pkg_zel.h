#pragma once

// The module's boundary, as a host sees it. The host loads libPkg_zel.so, resolves these
// names (dlsym finds them as written: they have C linkage), calls Initialize once, installs
// its peripheral services and dialogs, calls the entry functions any number of times, and
// calls Finalize before unloading.
//
// Datasets cross the boundary as whole packets: the module copies a host dataset's packet in
// and writes its own packet back, and never keeps a reference to a host dataset.

#include "dataset/DataSet.h"
#include "zel/Export.h"

#include <QString>

class TfrmRecebimento;

namespace zel {
class Peripherals;
class Dialogs;
} // namespace zel

extern "C" {

// The initialization table: one pair per unit, in initialization order
// (Vrm_zel00200, Vrm_zel00300, Vrm_zel00400, Vrm_zel00000).
struct PackageUnitEntry
{
    const char* UnitName;
    void (*Initialization)();
    void (*Finalization)();
};

struct PackageInfoTable
{
    int UnitCount;
    const PackageUnitEntry* UnitInfo;
};

// Runs each unit's initialization once, in table order; a second call does nothing more.
ZEL_EXPORT void Initialize();
// Runs the finalizations in reverse table order, each once for each initialization, then takes
// back everything the module handed out: the installed peripheral services and dialogs are
// removed (a host that initializes the module again installs them again) and the module's
// widgets still alive are destroyed, so the module can be unloaded safely.
ZEL_EXPORT void Finalize();
ZEL_EXPORT const PackageInfoTable* GetPackageInfoTable();

// How many times a unit's initialization and finalization have actually run (by unit name;
// -1 for an unknown unit). Lets a host or a test see that each unit initializes once.
ZEL_EXPORT int UnitInitCount(const char* unitName);
ZEL_EXPORT int UnitFinalCount(const char* unitName);

// Services the host provides. The module keeps the pointers and does not own them; they
// must outlive the entry function calls. Passing null removes the installed one; Finalize
// removes both.
ZEL_EXPORT void InstalaPerifericos(zel::Peripherals* peripherals);
ZEL_EXPORT void InstalaDialogos(zel::Dialogs* dialogs);
// The branch code stamped on new movements.
ZEL_EXPORT void DefineFilial(const QString& branchCode);

// The receipt. Parameters: sale lines (in/out), movements (out), sale number in / fiscal coupon
// number out, clients, consumers, tax rates, payment types, system type ("RES" or "CXA"), an
// unused text, background picture path, printer-model code. True when the sale was settled.
ZEL_EXPORT bool Recebimento(zel::DataSet& venda, zel::DataSet& movimentos, QString& nrVenda,
                            const zel::DataSet& clientes, const zel::DataSet& consumidores,
                            const zel::DataSet& aliquotas, const zel::DataSet& tiposRecebimento,
                            QString idTipoSis, QString naoUsado, QString figura, QString idImpCupFis);

// The last error the module reported since the last Recebimento started (a refusal before the
// form opened, a printer or TEF failure, a coupon that did not close): its catalogue key, stable
// for a host to act on ("SemPerifericos", "VendaSemCampo", "ErroComando", ...), and the text the
// operator read, in Portuguese. False, with both empty, when there was none. The same errors are
// logged under the categories "zel.receipt", "zel.tef" and "zel.devices" (QLoggingCategory), so a
// host can route or silence them.
ZEL_EXPORT bool LastError(QString& code, QString& text);

// Whether the fiscal printer is in use: false only when the setting "UtilizaImpFis" under
// KORVANA / "Sistemas Integrados Korvana/Vormel" (system scope) reads exactly "1".
ZEL_EXPORT bool UtilizaImpFis();

// The cheque form: amount still due, amount paid, sale total.
ZEL_EXPORT void ImpCheque(double apagar, double pago, double total);

// The taxpayer-id form: returns the CPF/CNPJ, gives back the buyer's name.
ZEL_EXPORT QString CriaInfAdicional(QString& nome);

// The consumer identification form: picture path (not used), then consumer code, consumer
// name, client code, client name and client trade name (in/out). True when a consumer was found.
ZEL_EXPORT bool Consumidor(QString figura, QString& cdConsumidor, QString& nmConsumidor, QString& cdCliente,
                           QString& nmCliente, QString& nmFantClie);

} // extern "C"

// Function-pointer types for hosts that resolve the entry functions with dlsym.
using InitializeFn = void (*)();
using FinalizeFn = void (*)();
using GetPackageInfoTableFn = const PackageInfoTable* (*)();
using RecebimentoFn = decltype(&Recebimento);
using UtilizaImpFisFn = decltype(&UtilizaImpFis);
using ImpChequeFn = decltype(&ImpCheque);
using CriaInfAdicionalFn = decltype(&CriaInfAdicional);
using ConsumidorFn = decltype(&Consumidor);
using InstalaPerifericosFn = decltype(&InstalaPerifericos);
using InstalaDialogosFn = decltype(&InstalaDialogos);
using DefineFilialFn = decltype(&DefineFilial);
using LastErrorFn = decltype(&LastError);
