#include "zel/Pkg_zel.h"

#include "cheque/Vrm_zel00200.h"
#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "taxpayer/Vrm_zel00300.h"
#include "text/FiliProc.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <typeinfo>

namespace {

// The units of the package in initialization order; finalization runs backwards.
const PackageUnitEntry kUnits[] = {
    {"Vrm_zel00200", &Vrm_zel00200::Initialization, &Vrm_zel00200::Finalization},
    {"Vrm_zel00300", &Vrm_zel00300::Initialization, &Vrm_zel00300::Finalization},
    {"Vrm_zel00400", &Vrm_zel00400::Initialization, &Vrm_zel00400::Finalization},
    {"Vrm_zel00000", &Vrm_zel00000::Initialization, &Vrm_zel00000::Finalization},
};
constexpr int kUnitCount = sizeof kUnits / sizeof kUnits[0];
const PackageInfoTable kTable{kUnitCount, kUnits};

// Per unit: how many initializations are outstanding (0 or 1), and how often each part ran.
struct UnitCounters
{
    int pending = 0;
    int initialized = 0;
    int finalized = 0;
};
UnitCounters counters[kUnitCount];

// Every exported name, referred to once so the linker keeps it even where nothing inside the
// module uses it.
[[maybe_unused]] __attribute__((used)) const void* const kExports[] = {
    reinterpret_cast<const void*>(&Recebimento),
    reinterpret_cast<const void*>(&UtilizaImpFis),
    reinterpret_cast<const void*>(&ImpCheque),
    reinterpret_cast<const void*>(&CriaInfAdicional),
    reinterpret_cast<const void*>(&Consumidor),
    reinterpret_cast<const void*>(&LastError),
    &Vrm_zel00000::frmRecebimento,
    &Vrm_zel00000::InputStep,
    &Vrm_zel00000::arValLabels,
    &Vrm_zel00000::arLabels,
    &Vrm_zel00000::MsgInputStep,
    &Vrm_zel00000::TeclMsgInputStep,
    &Vrm_zel00200::frmRecebeCheque,
    &Vrm_zel00400::stCdConsumidor,
};

int unitIndex(const char* name)
{
    for (int i = 0; name && i < kUnitCount; ++i)
        if (std::strcmp(kUnits[i].UnitName, name) == 0)
            return i;
    return -1;
}

// Whether the object's class is one of the module's: its type information lives in the module's
// image, which is unmapped when the host unloads it.
bool fromThisModule(const std::type_info& type)
{
    Dl_info self{};
    Dl_info of{};
    return dladdr(reinterpret_cast<const void*>(&Finalize), &self) != 0 &&
           dladdr(static_cast<const void*>(&type), &of) != 0 && of.dli_fbase == self.dli_fbase;
}

// Takes back everything the module handed to the host's libraries, so nothing with the
// module's code in it outlives the module: the host's services installed in the devices
// library (held there with a deleter of the module) and its dialogs, and every widget of the
// module's classes the application still holds (a notice still on screen, a form closed for
// deferred deletion, a form the host adopted as a child).
void releaseWhatTheModuleHandedOut()
{
    zel::setPeripherals(nullptr);
    zel::setDialogs(nullptr);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QList<QPointer<QWidget>> own;
    for (QWidget* widget : QApplication::allWidgets())
        if (fromThisModule(typeid(*widget)))
            own.append(widget);
    for (const QPointer<QWidget>& widget : own)
        delete widget.data(); // a widget already gone with its parent is null here
}

} // namespace

void Initialize()
{
    for (int i = 0; i < kUnitCount; ++i) {
        if (counters[i].pending > 0)
            continue;
        counters[i].pending = 1;
        ++counters[i].initialized;
        kUnits[i].Initialization();
    }
}

void Finalize()
{
    for (int i = kUnitCount - 1; i >= 0; --i) {
        if (counters[i].pending == 0)
            continue;
        counters[i].pending = 0;
        ++counters[i].finalized;
        kUnits[i].Finalization();
    }
    releaseWhatTheModuleHandedOut();
}

const PackageInfoTable* GetPackageInfoTable()
{
    return &kTable;
}

int UnitInitCount(const char* unitName)
{
    const int i = unitIndex(unitName);
    return i < 0 ? -1 : counters[i].initialized;
}

int UnitFinalCount(const char* unitName)
{
    const int i = unitIndex(unitName);
    return i < 0 ? -1 : counters[i].finalized;
}

void InstalaPerifericos(zel::Peripherals* peripherals)
{
    // The host owns its services; the module only borrows them.
    zel::setPeripherals(peripherals ? std::shared_ptr<zel::Peripherals>(peripherals, [](zel::Peripherals*) {})
                                    : nullptr);
}

void InstalaDialogos(zel::Dialogs* dialogs)
{
    zel::setDialogs(dialogs ? std::shared_ptr<zel::Dialogs>(dialogs, [](zel::Dialogs*) {}) : nullptr);
}

void DefineFilial(const QString& branchCode)
{
    zel::setFiliProc(branchCode);
}

// The units' entry points, as hosts call them: the cheque and consumer forms work on the
// running receipt, the one Recebimento has open (none: they say so and find nothing).

bool Recebimento(zel::DataSet& venda, zel::DataSet& movimentos, QString& nrVenda,
                 const zel::DataSet& clientes, const zel::DataSet& consumidores,
                 const zel::DataSet& aliquotas, const zel::DataSet& tiposRecebimento, QString idTipoSis,
                 QString naoUsado, QString figura, QString idImpCupFis)
{
    return Vrm_zel00000::Recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas,
                                     tiposRecebimento, std::move(idTipoSis), std::move(naoUsado),
                                     std::move(figura), std::move(idImpCupFis));
}

bool LastError(QString& code, QString& text)
{
    return Vrm_zel00000::LastError(code, text);
}

bool UtilizaImpFis()
{
    return Vrm_zel00000::UtilizaImpFis();
}

void ImpCheque(double apagar, double pago, double total)
{
    Vrm_zel00200::ImpCheque(Vrm_zel00000::runningSession(), apagar, pago, total);
}

QString CriaInfAdicional(QString& nome)
{
    return Vrm_zel00300::CriaInfAdicional(nome);
}

bool Consumidor(QString figura, QString& cdConsumidor, QString& nmConsumidor, QString& cdCliente,
                QString& nmCliente, QString& nmFantClie)
{
    return Vrm_zel00400::Consumidor(Vrm_zel00000::runningSession(), std::move(figura), cdConsumidor,
                                    nmConsumidor, cdCliente, nmCliente, nmFantClie);
}
