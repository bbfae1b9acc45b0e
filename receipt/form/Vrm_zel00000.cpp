#include "Vrm_zel00000.h"

#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/ReceiptMessages.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/payment/ReceiptTables.h"
#include "text/Money.h"

#include <QGuiApplication>
#include <optional>

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

namespace {
std::optional<QString> g_cupomAberto;
}

void setCupomAberto(const QString& numero)
{
    g_cupomAberto = numero;
}

zel::ReceiptSession* runningSession()
{
    return frmRecebimento ? &frmRecebimento->session() : nullptr;
}

QString cupomAberto()
{
    return g_cupomAberto.value_or(QString());
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

namespace zel {

ErrorRecord receiptRefusal(const ReceiptTables& tables, const Result<OpeningTotals>& totals,
                           bool devicesInstalled, bool printsCoupon)
{
    if (!devicesInstalled)
        return {QStringLiteral("SemPerifericos"), receiptMessages().Msg(QStringLiteral("SemPerifericos"))};
    if (ErrorRecord refusal = tablesRefusal(tables, printsCoupon); !refusal.code.isEmpty())
        return refusal;
    if (!totals)
        return {totals.errorCode(), totals.errorMessage()};
    // A sale worth less than nothing (a comanda discount above the products) cannot be received:
    // its change would be money the drawer never took.
    if (toCents(totals->total) < 0)
        return {QStringLiteral("VendaSemValor"),
                receiptMessages().Msg(QStringLiteral("VendaSemValor")).arg(formatCurrency(totals->total))};
    return {};
}

} // namespace zel

namespace {

// The hourglass for as long as the receipt runs, whatever way it ends.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Set from the start of a receipt to its return, whatever way it ends.
bool receiptOpen = false;

class OpenReceipt
{
public:
    OpenReceipt() { receiptOpen = true; }
    ~OpenReceipt() { receiptOpen = false; }
    OpenReceipt(const OpenReceipt&) = delete;
    OpenReceipt& operator=(const OpenReceipt&) = delete;
};

// A refusal: logged and kept for the host (LastError), and shown to the operator.
void showError(const QString& code, const QString& text)
{
    zel::reportError(lcReceipt(), code, text);
    zel::dialogs().TouchMessageDlg(text, zel::DialogType::Error, zel::DialogButtons::Ok, 0, 0, QString());
}

} // namespace

namespace Vrm_zel00000 {

bool Recebimento(zel::DataSet& venda, zel::DataSet& movimentos, QString& nrVenda,
                 const zel::DataSet& clientes, const zel::DataSet& consumidores,
                 const zel::DataSet& aliquotas, const zel::DataSet& tiposRecebimento, QString idTipoSis,
                 QString, QString figura, QString idImpCupFis)
{
    using namespace Vrm_zel00000;

    // A call while a receipt is open (a host re-entering from a timer, say) is refused and
    // changes nothing: the open receipt, its form and the unit's state go on as they were, and
    // the caller's arguments come back as they went in.
    if (receiptOpen) {
        showError(QStringLiteral("RecebimentoAberto"),
                  zel::receiptMessages().Msg(QStringLiteral("RecebimentoAberto")));
        return false;
    }
    const OpenReceipt open;
    zel::clearLastError();

    boVendaOk = true;
    boIdCriado = false;
    IdTipoSis = idTipoSis;
    StnrVenda = nrVenda;
    stFigura = figura;
    stIdImpCupFis = idImpCupFis;

    // A receipt that could not run to its end (no devices to reach, a sale it cannot total) is
    // refused before any form opens. The host's datasets stay as they were; no coupon was
    // printed, so parameter 3 comes back empty.
    // The sale's lines are read once, for the opening amounts; the refusal checks only the
    // sale's fields, and the form takes the lines as the dataset keeps them.
    // The lookup tables (clients, consumers, tax rates) are checked by their fields alone, and
    // every table reaches the form as its rows are kept, never unpacked and packed again: with
    // 100,000 clients that copy was most of an opening. The payment types' rows are read (which
    // of them can become a button).
    const auto fieldsOf = [](const zel::DataSet& table) {
        zel::DataPacket packet;
        packet.fields = table.fieldDefs();
        return packet;
    };
    const zel::Result<zel::OpeningTotals> totals =
        zel::computeOpeningTotals(venda.columns(zel::kOpeningFields));
    if (const zel::ErrorRecord refusal =
            zel::receiptRefusal({fieldsOf(venda), fieldsOf(clientes), fieldsOf(consumidores),
                                 fieldsOf(aliquotas), tiposRecebimento.data()},
                                totals, zel::peripheralsInstalled(), UtilizaImpFis());
        !refusal.text.isEmpty()) {
        showError(refusal.code, refusal.text);
        boVendaOk = false;
        nrVenda.clear();
        return false;
    }

    // A coupon an abandoned receipt could not cancel is cancelled before this sale starts; while
    // the printer refuses, no receipt opens.
    if (g_cupomAberto) {
        if (!zel::peripherals().Cancela_Cupom(false, false, *g_cupomAberto)) {
            showError(QStringLiteral("CupomAnteriorAberto"),
                      zel::receiptMessages().Msg(QStringLiteral("CupomAnteriorAberto")).arg(*g_cupomAberto));
            boVendaOk = false;
            nrVenda.clear();
            return false;
        }
        g_cupomAberto.reset();
    }

    // Pix charges a receipt that never ended left behind (the host killed with a charge live)
    // are settled first: removed, or refunded if paid. What cannot be settled now stays listed.
    if (const QStringList avisos = zel::settlePixCharges(); !avisos.isEmpty())
        zel::dialogs().TouchMessage(avisos.join(u'\n'), zel::DialogType::Information);

    WaitCursor cursor;
    delete frmRecebimento; // the form of the previous receipt
    frmRecebimento = new TfrmRecebimento();
    boIdCriado = true;
    TfrmRecebimento& form = *frmRecebimento;

    form.cdsReceb.copyFrom(tiposRecebimento);
    form.cdsReceb.open();
    form.figura = stFigura;
    form.cdsVendaOk.copyFrom(venda);
    form.session().setOpeningTotals(*totals);
    form.cdsAliqImpFis.copyFrom(aliquotas);
    form.cdsAliqImpFis.open();
    form.cdsCliente.copyFrom(clientes);
    form.cdsCliente.open();
    form.cdsConsumidor.copyFrom(consumidores);
    form.cdsConsumidor.open();
    form.CarregaDiarioTef();

    // The Pix charges of this receipt: kept with a closed sale, given back with one given up.
    // A Pix the provider gave back leaves the movements, as an undone card does: what goes back
    // to the host is what the receipt still holds.
    const auto settlePix = [&form](bool saleClosed) {
        const QSet<QString> kept = saleClosed ? zel::pixChargesOf(form.cdsMovCaixa) : QSet<QString>();
        if (const QStringList avisos = zel::settlePixCharges(kept); !avisos.isEmpty())
            zel::dialogs().TouchMessage(avisos.join(u'\n'), zel::DialogType::Information);
        if (!saleClosed) {
            const QStringList held = zel::recordedPixCharges();
            form.session().dropRefundedPix(QSet<QString>(held.cbegin(), held.cend()));
        }
    };
    // The sale is settled only by OK, which closes the form as accepted. A form closed any other
    // way (Exit, or from outside the module) hands back what it recorded as not settled.
    if (form.exec() == QDialog::Accepted) {
        form.cards().settle();
        settlePix(true);
    } else {
        boVendaOk = false;
        form.DesfazCartoes(true); // a form closed from outside: Exit has done it otherwise
        settlePix(false);
    }

    movimentos.copyFrom(form.cdsMovCaixa);
    venda.copyFrom(form.cdsVendaOk);
    // Only a sale coupon the printer closed has a number to hand back.
    nrVenda = form.couponStage() == TfrmRecebimento::CouponStage::Closed ? form.stNrCupom : QString();
    return boVendaOk;
}

bool LastError(QString& code, QString& text)
{
    const zel::ErrorRecord last = zel::lastError();
    code = last.code;
    text = last.text;
    return !last.text.isEmpty();
}

bool UtilizaImpFis()
{
    const zel::SettingsStore settings;
    const QString key = zel::settingKey(QStringLiteral("UtilizaImpFis"));
    if (settings.status() != QSettings::NoError || !settings.contains(key))
        return true;
    return settings.value(key).toString() != QLatin1String("1");
}

} // namespace Vrm_zel00000
