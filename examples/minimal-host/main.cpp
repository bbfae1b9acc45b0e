// A minimal host of the payment-receipt module: it installs devices (here the simulated ones),
// builds a sale, calls Recebimento and reads what came back. The receipt is a touch form that
// waits for the operator; with --unattended this program plays the operator itself (cash for the
// amount due, then OK), so it runs without anyone at the screen.
#include "SimulatedPeripherals.h" // include/zel/simulator: the devices without hardware
#include "zel/Pkg_zel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

using zel::FieldDef;
using zel::FieldType;

FieldDef text(const char* name, int size)
{
    return FieldDef{name, FieldType::String, size};
}
FieldDef number(const char* name)
{
    return FieldDef{name, FieldType::Float};
}

// The sale: the fields the receipt reads from each line (README, "Datasets a host passes").
void addLine(zel::DataSet& sale, const char* code, const char* name, double quantity, double price)
{
    sale.append();
    sale.fieldByName("CDARVPROD").setString(code);
    sale.fieldByName("NMPRODUTO").setString(name);
    sale.fieldByName("IDPRODIMPFIS").setString("N"); // "S": not a fiscal item
    sale.fieldByName("IDTPIMPOSFIS").setString("T"); // taxed at VRPEALIMPFIS percent
    sale.fieldByName("VRPEALIMPFIS").setFloat(18);
    sale.fieldByName("QTPRODCOMVEN").setFloat(quantity);
    sale.fieldByName("VRPRECCOMVEN").setFloat(price);
    sale.post();
}

// Touches the controls named in turn on the form in front, each once it is there. A control that
// never comes (a dialog in front, say) ends the receipt after half a minute: the form is closed,
// and Recebimento answers false.
void touch(const QStringList& names, int tries = 0)
{
    if (names.isEmpty())
        return;
    QWidget* form = QApplication::activeModalWidget();
    auto* button = form ? form->findChild<QAbstractButton*>(names.first()) : nullptr;
    // A payment-type button answers once the receipt has laid out its grid (it has a caption).
    const bool ready =
        button && button->isEnabled() && button->isVisible() &&
        (!names.first().startsWith("tcbBalcao") || !button->property("caption").toString().isEmpty());
    if (ready) {
        // The next touch is due before this one runs: a touch may open a prompt that waits, inside
        // the click, for the touches that answer it.
        QTimer::singleShot(50, [rest = names.mid(1)] { touch(rest); });
        button->click();
    } else if (tries > 600) {
        std::printf("gave up waiting for %s\n", qPrintable(names.first()));
        if (form)
            form->close();
    } else {
        QTimer::singleShot(50, [names, tries] { touch(names, tries + 1); });
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir state;
    zel::SimulatorConfig config;
    config.stateDir = state.path() + "/"; // the simulated printer's journal and counters
    config.dataDir = state.path() + "/";  // DsDirCad: the module's data files
    zel::SimulatedPeripherals devices(config);

    Initialize();
    InstalaPerifericos(&devices);
    DefineFilial("0001");

    zel::DataSet sale({text("CDARVPROD", 13), text("NMPRODUTO", 40), text("IDPRODIMPFIS", 1),
                       text("IDTPIMPOSFIS", 1), number("VRPEALIMPFIS"), number("QTPRODCOMVEN"),
                       number("VRPRECCOMVEN"), number("VRDESCCOMVEN"), number("VRTXSERVICO"),
                       number("VRCONSUMAMIN"), number("VRDESCOMANDA")});
    sale.createDataSet();
    addLine(sale, "7891001", "CAFE EXPRESSO", 2, 5.5);
    addLine(sale, "7891002", "PAO DE QUEIJO", 0.350, 39.9); // weighed: 0,350 kg

    // One payment type, cash, on the first button of the first group and page. The table has
    // every field of the host's payment-type configuration.
    QList<FieldDef> typeFields;
    for (const char* name :
         {"CDFILIAL",    "CDTIPORECE",   "NMTIPORECE",   "CDTIPOTROCO", "NRORDTROCO",   "IDEMIVALE",
          "IDVALE",      "IDDEBCLIE",    "CDFPIMPFIS",   "IDTIPORECE",  "CDTPINDICE",   "IDPERVALOR",
          "CDINDICE",    "NRCONFTELA",   "IDTPBUTTON",   "NRBUTTON",    "NRPGCONFTELA", "IDTPBUTONAUX",
          "NRBUTTONAUX", "NRPGCONFTAUX", "CDIDENTBUTON", "DSBUTTON",    "DSMESSAGEBUT", "DSIMAGEMBUT"})
        typeFields.append(text(name, 300));
    for (const char* name : {"VRTAXAADMI", "VRMINCARTAO", "NRCOLORTEXT", "NRCOLORBACK"})
        typeFields.append(number(name));
    zel::DataSet types(typeFields);
    types.createDataSet();
    types.append();
    for (const auto& [field, value] : {std::pair{"CDFILIAL", "0001"},
                                       {"CDTIPORECE", "001"},
                                       {"NMTIPORECE", "DINHEIRO"},
                                       {"IDTIPORECE", "4"},
                                       {"CDTIPOTROCO", "001"},
                                       {"NRORDTROCO", "1"},
                                       {"CDFPIMPFIS", "01"},
                                       {"IDTPBUTTON", "5"},
                                       {"NRBUTTON", "01"},
                                       {"NRBUTTONAUX", "01"},
                                       {"NRPGCONFTELA", "1"},
                                       {"DSBUTTON", "Dinheiro"}})
        types.fieldByName(field).setString(value);
    types.fieldByName("NRCOLORBACK").setFloat(0x00FFFF); // yellow, as 0x00BBGGRR
    types.fieldByName("NRCOLORTEXT").setFloat(0x800000); // navy
    types.post();

    zel::DataSet rates({text("CDALIQIMPFIS", 10), number("VRALIQIMPFIS"), text("IDALIQIMPFIS", 1)});
    rates.createDataSet();
    rates.append();
    rates.fieldByName("CDALIQIMPFIS").setString("T18");
    rates.fieldByName("VRALIQIMPFIS").setFloat(18);
    rates.fieldByName("IDALIQIMPFIS").setString("T");
    rates.post();

    zel::DataSet movements, clients({text("CDCLIENTE", 21)}), consumers({text("CDCONSUMIDOR", 21)});
    clients.createDataSet();
    consumers.createDataSet();

    if (app.arguments().contains("--unattended"))
        QTimer::singleShot(0, [] { touch({"tcbBalcao01", "tcbEnter", "tcbOk"}); });

    QString number = "000457"; // the sale's number in, the fiscal coupon's number out
    const bool settled = Recebimento(sale, movements, number, clients, consumers, rates, types, "CXA",
                                     QString(), QString(), QString());
    QString code, why;
    if (LastError(code, why))
        std::printf("last error: %s %s\n", qPrintable(code), qPrintable(why));
    std::printf("settled=%d coupon=%s movements=%d\n", settled, qPrintable(number), movements.recordCount());

    InstalaPerifericos(nullptr);
    Finalize();
    return settled ? 0 : 1;
}
