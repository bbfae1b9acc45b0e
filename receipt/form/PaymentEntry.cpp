#include "cheque/Vrm_zel00200.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/tef/TefExchange.h"
#include "text/Money.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/TouchButton.h"
#include "toolkit/Waits.h"
#include "ui_TfrmRecebimento.h"

#include <QScopeGuard>

using Vrm_zel00000::InputStep;

// Payment entry for one payment type: asks what its kind needs, records the payment and hands
// over to the change and closing step. Whatever way it ends, the input step is isNone again.
void TfrmRecebimento::DoMenuRecebimentoClick(const QString& code, const QString&, const QPixmap& glyph)
{
    if (m_entradaAtiva)
        return; // a second touch while an entry runs starts nothing
    m_entradaAtiva = true;
    const auto end = qScopeGuard([this] {
        m_entradaAtiva = false;
        InputStep = isNone;
    });

    m_ui->lblInputReceb2->clear();
    if (!cdsReceb.locate(QStringLiteral("CDTIPORECE"), {code}))
        return;

    zel::Peripherals& devices = zel::peripherals();
    if (devices.TecladoOK()) {
        devices.TeclFormFeed();
        devices.TeclGoToXY(1, 1);
    }
    applyCommands(zel::CommandStep::EntryStarted);
    boFechando = false;
    boEnterOcupado = false;
    double valor = 0;
    double cotacao = 1.0;
    boDesistiu = false;
    const QString idTipo = cdsReceb.fieldByName(QStringLiteral("IDTIPORECE")).asString();
    const QString nome = cdsReceb.fieldByName(QStringLiteral("NMTIPORECE")).asString();
    m_ui->lblRecebimento->setText(nome.left(16));
    m_ui->imgReceb->setPixmap(glyph);

    try {
        const bool chequeFiscal =
            idTipo == zel::kind::cheque && (Vrm_zel00000::stIdImpCupFis == QLatin1String("1") ||
                                            Vrm_zel00000::stIdImpCupFis == QLatin1String("2"));
        if (chequeFiscal) {
            const int answer =
                zel::dialogs().TouchMessageDlg(msgPadrao.Msg(QStringLiteral("ImpCheque")),
                                               zel::DialogType::Confirmation, zel::DialogButtons::YesNo);
            if (answer == zel::mrYes)
                Vrm_zel00200::ImpCheque(&m_session, doVrAPagar, doVrPago, doVrTotal);
            AplicaParcelas();
        } else if (const TInputStep step = zel::amountStepOfKind(idTipo); step != isNone) {
            const bool card = zel::isCardKind(idTipo);
            if (!PedeValor(step, zel::formatFixed(doVrAPagar), card, isNone) || !LeValor(valor, true))
                return;
            // Refused before anyone is asked to charge it: a card or Pix is never above what is
            // due (a physical keyboard can type past the locked keypad, and what an outside
            // party charged is never taken back by the change step), nothing past the limit.
            if (const QString recusa = m_session.paymentRefusal(idTipo, zel::toCents(valor));
                !recusa.isEmpty()) {
                DesisteEntrada(recusa);
                return;
            }
            QString descricao;
            if (idTipo == zel::kind::pix) {
                if (!EntradaPix(valor, descricao))
                    return;
                // As after a card: OK pressed by itself once the payments cover the sale.
                boConfirmaAuto = true;
                InputStep = isNone;
            }
            const bool tef = card ? stUsaTEF == QLatin1String("S")
                                  : idTipo == zel::kind::cheque && stUsaTEFCheque == QLatin1String("S");
            zel::TefApproval aprovacao;
            if (tef) {
                // Nothing on the keypad acts while the manager is asked; a card that did not go
                // through leaves the form as Back does, so it never looks as if it is retried.
                const std::function<void()> religa = DesligaPaineis();
                if (!zel::ExecutaTEF(tefContext(), zel::tefLetterOfKind(idTipo), valor, stNrCupom,
                                     &aprovacao)) {
                    CtrlBotoes(QStringLiteral("D"));
                    boDesistiu = true;
                    return;
                }
                religa();
            }
            if (card) {
                stFormaPagto = devices.IdTipoImpFis() == 7
                                   ? cdsReceb.fieldByName(QStringLiteral("CDFPIMPFIS")).asString()
                                   : nome;
                boConfirmaAuto = true;
                InputStep = isNone;
            }
            zel::ReceiptSession::Payment pagamento;
            pagamento.valor = valor;
            pagamento.descricao = descricao;
            const qint64 movimento = m_session.recordPayment(pagamento);
            if (tef && card)
                m_cartoes.keep(aprovacao, movimento);
        } else if (idTipo == zel::kind::moeda) {
            zel::ForeignPayment moeda;
            if (!EntradaMoeda(moeda, cotacao))
                return;
            zel::ReceiptSession::Payment pagamento;
            pagamento.valor = moeda.valor;
            pagamento.estrangeiro = moeda.vrMoviveOut;
            pagamento.cotacao = cotacao;
            m_session.recordPayment(pagamento);
        } else if (idTipo == zel::kind::conta) {
            if (!EntradaConta(valor))
                return;
            zel::ReceiptSession::Payment pagamento;
            pagamento.valor = valor;
            m_session.recordPayment(pagamento);
        } else {
            m_session.recordPayment(zel::ReceiptSession::Payment{}); // a movement of value 0
        }
        MostraResumo();
        FechaEntrada();
    } catch (const zel::WaitTimeout&) {
        throw;
    } catch (const std::exception& e) {
        DesisteEntrada(QString::fromUtf8(e.what()));
    }
}

// The amount prompt: shows the proposal in the entry and on the keyboard display and waits
// until the keypad's Enter moves the input step to `ate`, or the entry is abandoned (Back,
// Exit). Card prompts lock the on-screen digit, comma and correction keys: the amount can
// only be accepted as proposed there. False when abandoned.
bool TfrmRecebimento::PedeValor(TInputStep step, const QString& proposta, bool travaTeclas, TInputStep ate)
{
    InputStep = step;
    m_ui->lblInputReceb2->setText(proposta);
    zel::Peripherals& devices = zel::peripherals();
    if (devices.TecladoOK()) {
        devices.TeclDispClrLn2();
        devices.TeclGoToXY(2, 1);
        devices.TeclDispStr(msgPadrao.Msg(QString::fromLatin1(Vrm_zel00000::TeclMsgInputStep[step])) +
                            proposta);
    }
    stValor = proposta;
    boSubstitui = true;

    const QList<zel::TTouchButton*> travadas =
        travaTeclas ? QList<zel::TTouchButton*>{m_ui->tcb1, m_ui->tcb2, m_ui->tcb3,       m_ui->tcb4,
                                                m_ui->tcb5, m_ui->tcb6, m_ui->tcb7,       m_ui->tcb8,
                                                m_ui->tcb9, m_ui->tcb0, m_ui->tcbVirgula, m_ui->tcbCorrigir}
                    : QList<zel::TTouchButton*>{};
    for (zel::TTouchButton* key : travadas)
        key->setEnabled(false);
    const auto solta = qScopeGuard([&travadas] {
        for (zel::TTouchButton* key : travadas)
            key->setEnabled(true);
    });
    // Back sets isNone and boVoltou: a wait for a step other than isNone ends on it too. A form
    // closed from outside abandons the entry.
    zel::waitWhile(
        [this, ate] { return !boDesistiu && !boVoltou && InputStep != ate && isVisible(); },
        QStringLiteral("payment entry: %1").arg(QString::fromLatin1(Vrm_zel00000::MsgInputStep[step])));
    if (!isVisible())
        boDesistiu = true;
    return !boVoltou && !boDesistiu;
}

// The entry as a number (cut to cents when `corta`). An entry that does not read as a number
// abandons the payment: nothing is recorded and the receipt is left as after Back.
bool TfrmRecebimento::LeValor(double& valor, bool corta)
{
    const zel::Result<double> lido = zel::parseAmount(stValor);
    if (!lido) {
        DesisteEntrada(msgPadrao.Msg(QStringLiteral("ValorInvalido")) + QLatin1Char(' ') +
                       lido.errorMessage());
        return false;
    }
    valor = corta ? zel::Trunc2(*lido) : *lido;
    return true;
}

// An entry that failed: says why, records nothing and leaves the receipt usable as after an
// abandoned entry (payment types, Exit, Clear and Discount enabled again).
void TfrmRecebimento::DesisteEntrada(const QString& motivo)
{
    zel::dialogs().TouchMessageDlg(motivo, zel::DialogType::Error, zel::DialogButtons::Ok);
    CtrlBotoes(QStringLiteral("D"));
    boDesistiu = true;
}
