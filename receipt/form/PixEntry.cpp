// A Pix payment taken on the receipt form: the charge asked of the provider (or a static code
// the operator confirms), shown on the Pix dialog, and recorded only once it is paid.

#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/PixDialog.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/pix/BrCode.h"
#include "receipt/pix/PixMessages.h"
#include "receipt/pix/PixSettings.h"
#include "receipt/pix/PixSettler.h"
#include "receipt/pix/PixTxid.h"
#include "text/Money.h"
#include "toolkit/Waits.h"

using namespace zel::pix;

namespace {

// The customer display while the customer pays: "Pague com Pix" and the amount.
void mostraPixNoDisplay(double valor)
{
    zel::Peripherals& devices = zel::peripherals();
    if (!devices.DisplayOK())
        return;
    const int largura = devices.TAM_DISPLAY();
    devices.DisplayChar(QString(QChar(12)));
    devices.DisplayChar(zel::customerDisplayLine(pixText("PixDisplay"), valor, largura));
}

} // namespace

bool TfrmRecebimento::EntradaPix(double valor, QString& descricao)
{
    const zel::Cents centavos = zel::toCents(valor);
    // Like a card, a Pix payment is never above what is due: no change is given out of it.
    if (centavos <= 0 || centavos > m_session.ledger().due()) {
        DesisteEntrada(
            pixText("PixAcimaDoDevido").arg(zel::formatCurrency(valor), zel::formatCurrency(doVrAPagar)));
        return false;
    }
    const zel::Result<PixSettings> settings = readPixSettings();
    if (!settings) {
        DesisteEntrada(settings.errorMessage());
        return false;
    }
    mostraPixNoDisplay(valor);
    // Nothing on the form acts while the customer pays; the panels come back as they were.
    const std::function<void()> religa = DesligaPaineis();
    const auto desiste = [&](const QString& motivo) {
        religa();
        if (motivo.isEmpty()) {
            CtrlBotoes(QStringLiteral("D"));
            boDesistiu = true;
        } else {
            DesisteEntrada(motivo);
        }
        MostraResumo();
        return false;
    };

    if (settings->staticCode) {
        // No provider to ask: the code names the till's key and the amount; the operator sees
        // the payment arrive in the account and confirms it.
        const QString txid = newTxid().left(25);
        const zel::Result<QString> payload = composeStaticBrCode(
            {settings->key, centavos, settings->receiverName, settings->receiverCity, txid, {}});
        if (!payload)
            return desiste(payload.errorMessage());
        zel::PixDialog dialog(payload.value(), centavos, this);
        if (dialog.exec() != QDialog::Accepted)
            return desiste({});
        if (zel::dialogs().TouchMessageDlg(pixText("PixConfirmaRecebido").arg(zel::formatCurrency(valor)),
                                           zel::DialogType::Confirmation,
                                           zel::DialogButtons::YesNo) != zel::mrYes)
            return desiste({});
        descricao = QStringLiteral("PIX ") + txid;
        religa();
        return true;
    }

    PixClient client(*settings->provider);
    PixCheckout checkout(&client, pixJournalPath(zel::peripherals().DsDirCad()));
    zel::PixDialog dialog(&checkout, centavos, this);
    // The payer's bank shows the sale by its number (the coupon has none until the sale closes).
    checkout.start(centavos, pixText("PixSolicitacao").arg(Vrm_zel00000::StnrVenda));
    dialog.exec();
    // A dialog closed from outside (the receipt closed, a test's limit) leaves the charge live:
    // it is cancelled and its end waited for, so it is recorded if it was paid meanwhile.
    if (checkout.running()) {
        checkout.cancel();
        zel::waitWhile([&checkout] { return checkout.running(); }, QStringLiteral("pix: cancel"),
                       zel::WaitEnd::OnCondition);
    }
    const PixCheckoutResult& resultado = dialog.result();
    if (resultado.kind != PixCheckoutResult::Kind::Paid)
        return desiste(resultado.message); // the operator's own Cancelar ends as Back does
    descricao = QStringLiteral("PIX %1 %2").arg(resultado.txid, resultado.endToEndId);
    religa();
    if (!resultado.message.isEmpty()) // paid, but the journal could not note it
        zel::dialogs().TouchMessage(resultado.message, zel::DialogType::Error);
    else if (dialog.cancelAsked()) // the customer paid as the operator gave up: it is kept
        zel::dialogs().TouchMessage(pixText("PixJaPago"), zel::DialogType::Information);
    return true;
}

namespace zel {

QSet<QString> pixChargesOf(const DataSet& movements)
{
    QSet<QString> txids;
    const DataPacket rows = movements.columns({QStringLiteral("DSMOVIVEND")});
    for (const Row& row : rows.rows) {
        const QString text = row.value(0).toString();
        if (text.startsWith(QLatin1String("PIX ")))
            txids.insert(text.section(u' ', 1, 1));
    }
    return txids;
}

QStringList settlePixCharges(const QSet<QString>& keptBySale)
{
    const QString journal = pixJournalPath(peripherals().DsDirCad());
    const Result<QList<PixJournalEntry>> listed = readPixJournal(journal);
    if (listed && listed->isEmpty())
        return {};
    if (!listed)
        return {listed.errorMessage()};
    const Result<PixSettings> settings = readPixSettings();
    if (!settings || !settings->provider)
        return {pixText("PixSemProvedor").arg(listed->size()) +
                (settings ? QString() : u' ' + settings.errorMessage())};
    PixClient client(*settings->provider);
    PixSettler settler(&client, journal);
    bool done = false;
    QStringList messages;
    QObject::connect(&settler, &PixSettler::settled, [&](const QStringList& m) {
        messages = m;
        done = true;
    });
    settler.settle(keptBySale);
    waitWhile([&done] { return !done; }, QStringLiteral("pix: settle"), WaitEnd::OnCondition);
    return messages;
}

QStringList recordedPixCharges()
{
    QStringList txids;
    const Result<QList<PixJournalEntry>> listed = readPixJournal(pixJournalPath(peripherals().DsDirCad()));
    if (listed) {
        for (const PixJournalEntry& e : listed.value()) {
            if (e.state == PixJournalEntry::State::Recorded)
                txids << e.txid;
        }
    }
    return txids;
}

} // namespace zel
