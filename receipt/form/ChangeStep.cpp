#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/PaymentTypeFile.h"
#include "receipt/payment/QuoteFile.h"
#include "text/Clock.h"
#include "text/Consiste.h"
#include "text/FiliProc.h"
#include "text/Money.h"
#include "ui_TfrmRecebimento.h"

#include <QMetaObject>

// The tail of every payment entry, and of every event that changes what is due: a change given
// before is withdrawn, and the change the ledger now calls for is given (when the payments
// exceed the net amount); then the commands for what may follow.
void TfrmRecebimento::FechaEntrada(bool aposPagamento)
{
    m_session.withdrawChange();
    const bool fecha = DaTroco(); // No to "take the sale value": no closing step
    MostraValores();
    if (!fecha)
        return;
    // After a payment its entry showed the totals on the displays already; after a discount or an
    // item left off they show what is due now, or the change (MostraTroco).
    if (m_session.ledger().change() <= 0 && !aposPagamento)
        MostraResumo();
    FechaPagamento(aposPagamento);
}

// The change the session calls for: in the change type of the payment that gives it, or after
// the operator agrees to take the sale value off the payments, or in cash when what covers the
// sale was charged outside. False when the operator keeps the payments as they are: the entry
// ends without the closing step.
bool TfrmRecebimento::DaTroco()
{
    zel::ReceiptSession::ChangeDecision decisao = m_session.decideChange();
    using Way = zel::ReceiptSession::ChangeDecision::Way;
    if (decisao.way == Way::None)
        return true;
    if (decisao.way == Way::Ask) {
        const QString key = m_session.paymentBookmarks().size() == 1 ? QStringLiteral("RecebNoTroco")
                                                                     : QStringLiteral("NoRecebTroco");
        const int answer = zel::dialogs().TouchMessageDlg(msgPadrao.Msg(key), zel::DialogType::Error,
                                                          zel::DialogButtons::YesNo);
        if (answer != zel::mrYes) {
            applyCommands(zel::CommandStep::ChangeRefused);
            return false;
        }
        decisao = m_session.takeSaleValue();
        if (decisao.way == Way::None)
            return true;
    }
    MostraTroco(decisao);
    return true;
}

// The change recorded, and shown in the amount-due field, in the list and on both displays.
void TfrmRecebimento::MostraTroco(const zel::ReceiptSession::ChangeDecision& decisao)
{
    const zel::ReceiptSession::ChangeType tipo =
        m_session.chooseChangeType(decisao, zel::peripherals().DsDirCad());
    // A notice does not stop the change: the operator reads why a rule was left out.
    for (const QString& aviso : tipo.avisos)
        zel::dialogs().TouchMessage(aviso, zel::DialogType::Error);
    Vrm_zel00000::InputStep = isTroco;
    m_session.recordChange(zel::fromCents(decisao.change), tipo.cotacao, tipo.moeda);
    const QString caption = zel::changeCaption(msgPadrao, boContraVale);
    const QString valor = zel::formatCurrency(doVrTroco);

    zel::Peripherals& devices = zel::peripherals();
    if (devices.TecladoOK()) {
        devices.TeclDispClrLn2();
        devices.TeclGoToXY(2, 1);
        devices.TeclDispStr(caption + valor);
    }
    if (devices.DisplayOK()) {
        const int largura = devices.TAM_DISPLAY();
        devices.DisplayChar(QString(QChar(12)));
        devices.DisplayChar(zel::Centraliza(caption, largura));
        devices.DisplayChar(zel::TamFixoR(valor, largura));
    }
}

// The commands for what may follow: OK once the sale is covered (then no further payment type
// can be picked), the taxpayer id with it, and after a card payment OK pressed by itself once
// this entry has ended.
void TfrmRecebimento::FechaPagamento(bool confirmaAuto)
{
    // Not covered: the payment types stay available for the next payment, whichever way this
    // one ended (a client account or a cheque under the fiscal printer takes no Enter).
    const bool coberta = m_session.ledger().covered();
    applyCommands(zel::CommandStep::PaymentEnded);
    boVoltou = false;
    if (coberta && boConfirmaAuto && confirmaAuto)
        QMetaObject::invokeMethod(this, &TfrmRecebimento::ConfirmaAutomatico, Qt::QueuedConnection);
    m_ui->lblRecebimento->clear();
    m_ui->imgReceb->clear();
}

// OK pressed by itself after a card payment covered the sale, once the payment entry has
// returned; nothing when the receipt moved on meanwhile (closed, cleared, another entry).
void TfrmRecebimento::ConfirmaAutomatico()
{
    if (isVisible() && boConfirmaAuto && !m_entradaAtiva && m_ui->tcbOk->isEnabled())
        m_ui->tcbOk->click();
}
