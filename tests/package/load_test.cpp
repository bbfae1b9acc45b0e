#include "support/Eventually.h"
#include "zel/Pkg_zel.h"

#include <QProcess>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>

// The module as a host meets it: loaded by file name, every export found by its plain name.
TEST(PackageLoad, ExportsResolveByNameAndUnitsInitializeOnce)
{
    void* module = dlopen(ZEL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();

    for (const char* name :
         {"Initialize", "Finalize", "GetPackageInfoTable", "Recebimento", "UtilizaImpFis", "ImpCheque",
          "CriaInfAdicional", "Consumidor", "InstalaPerifericos", "InstalaDialogos", "DefineFilial",
          "UnitInitCount", "UnitFinalCount",
          // unit variables
          "frmRecebimento", "InputStep", "boVendaOk", "boIdCriado", "StnrVenda", "IdTipoSis", "stFigura",
          "stIdImpCupFis", "arValLabels", "arLabels", "MsgInputStep", "TeclMsgInputStep", "frmRecebeCheque",
          "IdImpCupFis", "boContinua", "doTotal", "doPago", "doApagar", "doVrParcela", "stRetParcela",
          "stRetBanco", "stRetAgencia", "stRetConta", "stRetCheque", "stRetData", "stCdConsumidor",
          "stNmConsumidor", "stCdCliente", "stNmCliente", "stNmFantClie", "stIdPerDigCons", "stNrInsJurClie",
          "VrAviDebCons", "VrPeSubClien", "VrPeSubTCCli", "NrPosIniCons", "NrPosFinCons", "IdTipoOpt",
          "QtDigiComand"})
        EXPECT_NE(dlsym(module, name), nullptr) << name;

    // Nothing of the module's inside leaks out.
    EXPECT_EQ(dlsym(module, "_ZN3zel6Trunc2Ed"), nullptr);

    auto table = reinterpret_cast<GetPackageInfoTableFn>(dlsym(module, "GetPackageInfoTable"))();
    ASSERT_EQ(table->UnitCount, 4);
    const char* order[] = {"Vrm_zel00200", "Vrm_zel00300", "Vrm_zel00400", "Vrm_zel00000"};
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(table->UnitInfo[i].UnitName, order[i]);

    auto initialize = reinterpret_cast<InitializeFn>(dlsym(module, "Initialize"));
    auto finalize = reinterpret_cast<FinalizeFn>(dlsym(module, "Finalize"));
    auto initCount = reinterpret_cast<int (*)(const char*)>(dlsym(module, "UnitInitCount"));
    auto finalCount = reinterpret_cast<int (*)(const char*)>(dlsym(module, "UnitFinalCount"));
    auto* boIdCriado = static_cast<bool*>(dlsym(module, "boIdCriado"));
    auto* stFigura = static_cast<QString*>(dlsym(module, "stFigura"));

    EXPECT_FALSE(*boIdCriado);
    initialize();
    initialize(); // a second request runs nothing again
    for (const char* unit : order) {
        EXPECT_EQ(initCount(unit), 1) << unit;
        EXPECT_EQ(finalCount(unit), 0) << unit;
    }
    EXPECT_TRUE(*boIdCriado);
    *stFigura = "fundo.png";

    finalize();
    finalize();
    for (const char* unit : order)
        EXPECT_EQ(finalCount(unit), 1) << unit;
    EXPECT_TRUE(stFigura->isEmpty()) << "finalization releases the unit's strings";

    initialize();
    finalize();
    for (const char* unit : order) {
        EXPECT_EQ(initCount(unit), 2) << unit;
        EXPECT_EQ(finalCount(unit), 2) << unit;
    }
    EXPECT_EQ(initCount("Vrm_zel99999"), -1);
    EXPECT_EQ(dlclose(module), 0);
}

// A host that installs its devices and dialogs, runs a receipt, finalizes and unloads the
// module, then ends: nothing the module handed out may outlive it.
TEST(PackageLoad, HostEndsCleanlyAfterReceiptFinalizeAndUnload)
{
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(env);
    host.start(ZEL_LIFECYCLE_HOST, {ZEL_MODULE_PATH});
    ASSERT_TRUE(zel::test::ended(host));
    const QString out = QString::fromUtf8(host.readAllStandardOutput());
    EXPECT_TRUE(out.contains("opened=1 settled=0")) << out.toStdString();
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << host.readAllStandardError().toStdString();
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
}
