#include "Vrm_zel00000.h"

#include "receipt/OpeningTotals.h"
#include "receipt/TfrmRecebimento.h"

#include "zel/Pkg_zel.h"

#include "dialogs/Dialogs.h"

#include <QGuiApplication>
#include <QSettings>

namespace Vrm_zel00000 {
extern "C" {
TfrmRecebimento* frmRecebimento = nullptr;
TInputStep InputStep = isNone;
bool boVendaOk = false;
bool boIdCriado = false;
QString StnrVenda;
QString IdTipoSis;
QString stFigura;
QString stIdImpCupFis;
}

void Initialization()
{
    boIdCriado = true;
}

void Finalization()
{
    delete frmRecebimento;
    frmRecebimento = nullptr;
    for (QString* s : {&StnrVenda, &IdTipoSis, &stFigura, &stIdImpCupFis})
        s->clear();
}
} // namespace Vrm_zel00000

namespace {

// The hourglass for as long as the receipt runs, whatever way it ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

bool Recebimento(zel::DataSet& venda, zel::DataSet& movimentos, QString& nrVenda, const zel::DataSet& clientes,
                 const zel::DataSet& consumidores, const zel::DataSet& aliquotas,
                 const zel::DataSet& tiposRecebimento, QString idTipoSis, QString, QString figura,
                 QString idImpCupFis)
{
    using namespace Vrm_zel00000;
    boVendaOk = true;
    boIdCriado = false;
    IdTipoSis = idTipoSis;
    StnrVenda = nrVenda;
    stFigura = figura;
    stIdImpCupFis = idImpCupFis;

    WaitCursor cursor;

    // A sale the receipt cannot total is refused before any form opens; the host's datasets
    // stay as they were.
    const zel::DataPacket sale = venda.data();
    if (const auto totals = zel::computeOpeningTotals(sale); !totals) {
        zel::dialogs().TouchMessageDlg(totals.errorMessage(), zel::DialogType::Error, zel::DialogButtons::Ok, 0, 0,
                                       QString());
        boVendaOk = false;
        return false;
    }

    delete frmRecebimento; // the form of the previous receipt
    frmRecebimento = new TfrmRecebimento();
    boIdCriado = true;
    TfrmRecebimento& form = *frmRecebimento;

    form.cdsReceb.setData(tiposRecebimento.data());
    form.cdsReceb.open();
    form.cdsVendaOk.setData(sale);
    form.cdsAliqImpFis.setData(aliquotas.data());
    form.cdsAliqImpFis.open();
    form.cdsCliente.setData(clientes.data());
    form.cdsCliente.open();
    form.cdsConsumidor.setData(consumidores.data());
    form.cdsConsumidor.open();

    // The sale is settled only by OK, which closes the form as accepted. A form closed any other
    // way (Exit, or from outside the module) hands back what it recorded as not settled.
    if (form.exec() != QDialog::Accepted)
        boVendaOk = false;

    movimentos.setData(form.cdsMovCaixa.data());
    venda.setData(form.cdsVendaOk.data());
    nrVenda = form.stNrCupom;
    return boVendaOk;
}

bool UtilizaImpFis()
{
    QSettings settings(QSettings::SystemScope, QStringLiteral("KORVANA"),
                       QStringLiteral("Sistemas Integrados Korvana"));
    const QString key = QStringLiteral("Vormel/UtilizaImpFis");
    if (settings.status() != QSettings::NoError || !settings.contains(key))
        return true;
    return settings.value(key).toString() != QLatin1String("1");
}
