// A host process that goes through the module's whole life as a point-of-sale application
// does: load by file name, Initialize, install its devices and dialogs, run a receipt that is
// closed from outside, Finalize, unload, and end the process. Exit codes: 0 the whole life ran
// and the process ended cleanly; 1 the module or an entry is missing; 4 the receipt never
// opened or never closed.

#include "dialogs/Dialogs.h"
#include "fakes/RecordingPeripherals.h"
#include "receipt/support/PaymentTypes.h"
#include "zel/Pkg_zel.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <dlfcn.h>

namespace {

// The host's own dialogs: every message is answered with OK and noted.
class HostDialogs : public zel::Dialogs
{
public:
    int messages = 0;

    int TouchMessageDlg(const QString&, zel::DialogType, zel::DialogButtons, int, int,
                        const QString&) override
    {
        ++messages;
        return zel::mrOk;
    }
    int TouchMessage(const QString&, zel::DialogType, zel::DialogButtons, int, int, const QString&) override
    {
        ++messages;
        return zel::mrNone;
    }
    zel::DataPacket CriaDesconto(const QString&) override { return {}; }
    bool Pesquisa(zel::DataSet&, const QString&, const zel::FieldText&) override { return false; }
};

void fillSale(zel::DataSet& sale, double qt, double price)
{
    sale.setFieldDefs(zel::test::saleFields());
    sale.createDataSet();
    sale.append();
    sale.fieldByName("QTPRODCOMVEN").setFloat(qt);
    sale.fieldByName("VRPRECCOMVEN").setFloat(price);
    sale.post();
}

template <class Fn> Fn entry(void* module, const char* name)
{
    return reinterpret_cast<Fn>(dlsym(module, name));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
        return 1;
    }
    QApplication app(argc, argv);

    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto initialize = entry<InitializeFn>(module, "Initialize");
    auto finalize = entry<FinalizeFn>(module, "Finalize");
    auto instalaPerifericos = entry<InstalaPerifericosFn>(module, "InstalaPerifericos");
    auto instalaDialogos = entry<InstalaDialogosFn>(module, "InstalaDialogos");
    auto recebimento = entry<RecebimentoFn>(module, "Recebimento");
    if (!initialize || !finalize || !instalaPerifericos || !instalaDialogos || !recebimento)
        return 1;

    // The devices and dialogs belong to the host and live until the process ends, after the
    // module is gone.
    static zel::RecordingPeripherals devices;
    static HostDialogs dialogs;

    initialize();
    instalaPerifericos(&devices);
    instalaDialogos(&dialogs);

    // The receipt is closed from outside as soon as it shows.
    bool opened = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    closer.start(20);
    QTimer::singleShot(20000, [] { std::_Exit(4); });

    zel::DataSet venda, movimentos, clientes, consumidores, aliquotas, tipos;
    fillSale(venda, 2, 12.5);
    zel::test::definePaymentTypes(tipos);
    zel::test::addTipo(tipos, zel::test::TipoRow{});
    aliquotas.setFieldDefs({zel::FieldDef{"CDALIQIMPFIS", zel::FieldType::String, 10, {}, {}, true},
                            zel::FieldDef{"VRALIQIMPFIS", zel::FieldType::Float, 0, {}, {}, true},
                            zel::FieldDef{"IDALIQIMPFIS", zel::FieldType::String, 1, {}, {}, true}});
    aliquotas.createDataSet();
    QString nrVenda = QStringLiteral("7");
    const bool settled = recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos,
                                     QStringLiteral("RES"), QString(), QString(), QStringLiteral("1"));
    closer.stop();
    std::printf("opened=%d settled=%d\n", opened, settled);
    if (!opened)
        return 4;

    // The host says goodbye without taking its services back: Finalize has to.
    finalize();
    if (dlclose(module) != 0)
        return 1;
    return 0;
}
