#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Discount.h"
#include "receipt/tef/TefExchange.h"
#include "taxpayer/Vrm_zel00300.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"
#include "ui_TfrmRecebimento.h"

#include <QScopeGuard>

// Once OK or Exit has posted the close, the receipt is over: a second tap that arrives before
// the close is handled would otherwise fold the discount again, print again, or turn a settled
// sale into an abandoned one. While a card exchange waits for the TEF manager, the card may be
// charged: the answer must be read and recorded by this form as it stands.
bool TfrmRecebimento::comandoBloqueado() const
{
    return m_encerrando || zel::tefExchangeRunning();
}

// Before a command gives up or changes the sale: a coupon that a failed OK left open on the
// printer is cancelled first, since it holds the sale as it was; a coupon already printed
// leaves only OK. False, with the reason shown, when the command must not go on.
bool TfrmRecebimento::liberaCupom(bool cancela)
{
    QString motivo;
    if (couponStage() == CouponStage::Closed)
        motivo = msgPadrao.Msg(QStringLiteral("CupomImpresso"));
    else if (cancela && !AbandonaCupom())
        motivo = msgPadrao.Msg(QStringLiteral("ErroComando"));
    if (motivo.isEmpty())
        return true;
    zel::dialogs().TouchMessageDlg(motivo, zel::DialogType::Error, zel::DialogButtons::Ok);
    return false;
}

// Ends the receipt: the close is posted, and until it is handled no payment can be started
// (a payment type that asks nothing would record at once) and no command acts.
void TfrmRecebimento::encerra(int result)
{
    m_encerrando = true;
    applyCommands(zel::CommandStep::Ending);
    postClose(result);
}

// OK: closes a covered sale. With the fiscal printer, the coupon must be completed; a coupon
// that fails leaves the form open with every payment, and OK or Exit can be tried again.
// Without it, the coupon discount goes back to the host inside the comanda discount of every
// sale line. Only a sale closed here counts as settled.
void TfrmRecebimento::tcbOkClick()
{
    if (boFechando || comandoBloqueado())
        return;
    boFechando = true;
    applyCommands(zel::CommandStep::Closing);
    bool concluido = false;
    {
        const auto limpa = qScopeGuard([this] {
            Vrm_zel00000::boVendaOk = true;
            boFechando = false;
            applyCommands(zel::CommandStep::ClosingEnded);
        });
        if (Vrm_zel00000::UtilizaImpFis()) {
            concluido = ImprimeCupom();
        } else {
            zel::foldDiscount(cdsVendaOk, doVrDesconto);
            concluido = true;
        }
    }
    if (concluido)
        encerra(QDialog::Accepted);
}

// Exit: abandons the receipt. The movements recorded so far still go back to the host, which
// sees False. A payment entry waiting for a value ends without recording it.
void TfrmRecebimento::tcbSairClick()
{
    if (boFechando || comandoBloqueado())
        return;
    // Exit is always a way out. A coupon the printer will neither close nor cancel stays open
    // there, and the next receipt cancels it before anything else.
    if (couponStage() != CouponStage::Closed && !AbandonaCupom()) {
        Vrm_zel00000::setCupomAberto(stNrCupom);
        zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("CupomFicaAberto")).arg(stNrCupom),
                                       zel::DialogType::Error, zel::DialogButtons::Ok);
    } else if (!liberaCupom(true)) {
        return;
    }
    boConfirmaAuto = false;
    DesfazCartoes(true);
    zel::Peripherals& devices = zel::peripherals();
    devices.setInContCuponsTEF(0);
    boDesistiu = true;
    Vrm_zel00000::boVendaOk = false;
    if (devices.DisplayOK())
        devices.DisplayChar(QString(QChar(12)));
    encerra(QDialog::Rejected);
}

// Discount on the coupon, as an amount or a percentage of the total. A second discount
// replaces the first: the amount due is worked out again from the total, the payments and
// the new discount. The total itself does not change; the closing of a payment entry and the
// coupon use total less discount.
void TfrmRecebimento::tcbDescontoClick()
{
    if (boFechando || comandoBloqueado() || m_entradaAtiva)
        return;
    if (!zel::discountAllowed(doVrTotal)) {
        zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("DescontoSemTotal")),
                                       zel::DialogType::Error, zel::DialogButtons::Ok);
        return;
    }
    if (!liberaCupom(true))
        return;
    cdsDesconto.setRows(zel::dialogs().CriaDesconto(QString()));
    if (cdsDesconto.isEmpty())
        return;
    cdsDesconto.first();
    const auto desconto =
        zel::couponDiscount(cdsDesconto.fieldByName(QStringLiteral("TIPO")).asString(),
                            cdsDesconto.fieldByName(QStringLiteral("VALOR")).asFloat(), doVrTotal);
    if (!desconto)
        return;
    // What cards and Pix charged stays charged: a discount that would leave the sale below it is
    // refused (Clear gives them back first).
    if (const QString recusa = m_session.giveDiscount(zel::toCents(desconto->value)); !recusa.isEmpty()) {
        zel::dialogs().TouchMessageDlg(recusa, zel::DialogType::Error, zel::DialogButtons::Ok);
        return;
    }
    doPcDesconto = desconto->percent;
    m_session.note(zel::discountLines(msgPadrao.Msg(QStringLiteral("Desconto")),
                                      msgPadrao.Msg(QStringLiteral("Subtotal")), *desconto, doVrTotal));
    // What is due changed: with payments already taken (the sale covered, change given), the
    // change is worked out again and the commands follow; OK is not pressed for the operator.
    if (!cdsMovCaixa.isEmpty()) {
        FechaEntrada(false);
        return;
    }
    m_session.sync();
    MostraValores();
}

// Clear: every payment and the discount are removed and the receipt is back at its opening
// amounts, captions and colours, with the payment types usable. The taxpayer id stays for the
// coupon.
void TfrmRecebimento::tcbClearClick()
{
    if (boFechando || comandoBloqueado() || m_entradaAtiva || !liberaCupom(true))
        return;
    boConfirmaAuto = false;
    // Cards the manager would not undo stay, with their slips still to print.
    DesfazCartoes(false);
    zel::peripherals().setInContCuponsTEF(m_cartoes.pendingSlips());
    // Pix payments are given back; one the provider could not refund now stays, as a card the
    // manager would not undo does (a receipt never drops money it holds).
    if (const QStringList avisos = zel::settlePixCharges(); !avisos.isEmpty())
        zel::dialogs().TouchMessage(avisos.join(u'\n'), zel::DialogType::Information);
    const QStringList pixMantidos = zel::recordedPixCharges();
    m_session.clearPayments([this, &pixMantidos](qint64 movimento, const QString& descricao) {
        return m_cartoes.holds(movimento) || (descricao.startsWith(QLatin1String("PIX ")) &&
                                              pixMantidos.contains(descricao.section(u' ', 1, 1)));
    });

    applyCommands(zel::CommandStep::PaymentsCleared);

    MostraValores();
    m_ui->lblInputReceb2->clear();

    MostraResumo();
    CtrlBotoes(QStringLiteral("P"));
}

// CNPJ/CPF: the buyer's taxpayer id and name for the coupon, shown in the running list. A
// cancelled form leaves both empty and the list as it was.
void TfrmRecebimento::tcbCNPJCPFClick()
{
    // The taxpayer id goes to the printer with the closing of the coupon: a coupon left open
    // takes the new one.
    if (boFechando || comandoBloqueado() || m_entradaAtiva || !liberaCupom(false))
        return;
    stCNPJCPF.clear();
    stNome.clear();
    stCNPJCPF = Vrm_zel00300::CriaInfAdicional(stNome);
    m_session.note(zel::taxpayerLines(msgPadrao.Msg(QStringLiteral("CNPJCPF")),
                                      msgPadrao.Msg(QStringLiteral("Nome")), stCNPJCPF, stNome));
}
