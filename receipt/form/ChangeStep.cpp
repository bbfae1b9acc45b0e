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
    const auto assume = [this](int pagamentos) {
        const QString key = pagamentos == 1 ? QStringLiteral("RecebNoTroco") : QStringLiteral("NoRecebTroco");
        return zel::dialogs().TouchMessageDlg(msgPadrao.Msg(key), zel::DialogType::Error,
                                              zel::DialogButtons::YesNo) == zel::mrYes;
    };
    const zel::ReceiptSession::Closing fecho = m_session.closeEntry(assume, zel::peripherals().DsDirCad());
    // A notice does not stop the change: the operator reads why a rule was left out.
    for (const QString& aviso : fecho.avisos)
        zel::dialogs().TouchMessage(aviso, zel::DialogType::Error);
    MostraValores();
    if (fecho.kept) { // No to "take the sale value": no closing step
        applyCommands(zel::CommandStep::ChangeRefused);
        return;
    }
    if (fecho.change > 0)
        MostraTroco();
    // After a payment its entry showed the totals on the displays already; after a discount or an
    // item left off they show what is due now, or the change (MostraTroco).
    else if (!aposPagamento)
        MostraResumo();
    FechaPagamento(aposPagamento);
}

// The change given, on both displays.
void TfrmRecebimento::MostraTroco()
{
    Vrm_zel00000::InputStep = isTroco;
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
