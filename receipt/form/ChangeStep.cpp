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
        const QString key =
            m_session.paymentBookmarks().size() == 1 ? QStringLiteral("RecebNoTroco") : QStringLiteral("NoRecebTroco");
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
    EscolheTipoTroco(decisao);
    MostraTroco(decisao.change);
    return true;
}

// The change type: the one the giving payment names, among the payment types on the screen;
// within the largest-change limit, the first cash type there instead. A lookup that finds
// nothing leaves the payment type that was current.
void TfrmRecebimento::EscolheTipoTroco(const zel::ReceiptSession::ChangeDecision& decisao)
{
    if (decisao.way == zel::ReceiptSession::ChangeDecision::Way::Cash) {
        // No payment the till took gives it: cash leaves the drawer, under the cash type.
        m_session.locateCashType();
        return;
    }
    if (cdsMovCaixa.gotoBookmark(decisao.giver)) {
        const QString cdTroco = cdsMovCaixa.fieldByName(QStringLiteral("CDTIPOTROCO")).asString();
        if (!cdTroco.isEmpty())
            cdsReceb.locate(QStringLiteral("CDTIPORECE"), {cdTroco});
    }

    const zel::ChangeLimit limite = zel::changeLimit(stPcMaxTroco);
    if (!limite.error.isEmpty())
        AvisoTroco(msgPadrao.Msg(QStringLiteral("PcMaxTrocoInvalido")) + QLatin1Char(' ') + limite.error);
    if (!limite.on)
        return;
    const auto kinds = zel::paymentTypes::readKinds(cdsRecebimento01, zel::peripherals().DsDirCad());
    if (!kinds) {
        AvisoTroco(msgPadrao.Msg(QStringLiteral("TipoReceIlegivel")) + QLatin1Char(' ') +
                   kinds.errorMessage());
        return;
    }
    // The rule weighs the payments by the kinds the payment-type file gives them; a payment of
    // a type the file does not give a kind leaves the rule out, with a notice.
    const QList<zel::ChangeRow> linhas = m_session.changeRows();
    if (const QStringList semTipo = zel::typesWithoutKind(*kinds, linhas); !semTipo.isEmpty()) {
        AvisoTroco(msgPadrao.Msg(QStringLiteral("TipoReceSemTipo")).arg(semTipo.join(QStringLiteral(", "))));
        return;
    }
    QList<zel::LedgerPayment> pagamentos;
    for (const zel::ChangeRow& row : linhas)
        pagamentos.append({kinds->value(row.cdTipoRece), zel::toCents(row.valor)});
    if (zel::changeInCash(decisao.change, zel::ticketPayments(pagamentos), limite.percentual))
        m_session.locateCashType();
}

// The quote of a change type in foreign currency: the one the sale uses for its index, else
// the one stored for the reference date (which the sale then keeps); 0 (the change in local
// currency only) when none is.
double TfrmRecebimento::CotacaoTroco()
{
    if (cdsReceb.fieldByName(QStringLiteral("IDTIPORECE")).asString() != zel::kind::moeda)
        return 0;
    const QString indice = cdsReceb.fieldByName(QStringLiteral("CDINDICE")).asString();
    if (const std::optional<double> usada = m_cotacoesVenda.find(indice))
        return *usada;
    if (const zel::Status opened = zel::quotes::open(cdsCotacao, zel::peripherals().DsDirCad()); !opened) {
        AvisoTroco(msgPadrao.Msg(QStringLiteral("ErroCotacao")) + QLatin1Char(' ') + opened.errorMessage());
        return 0;
    }
    const QDate referencia = zel::quoteReferenceDate(dtMovFiscal);
    const std::optional<double> cotacao = zel::quotes::find(cdsCotacao, indice, referencia);
    zel::quotes::close(cdsCotacao);
    return cotacao && zel::isUsableQuote(*cotacao) ? m_cotacoesVenda.use(indice, *cotacao) : 0;
}

// The change recorded, and shown in the amount-due field, in the list and on both displays.
void TfrmRecebimento::MostraTroco(zel::Cents troco)
{
    const double cotacao = CotacaoTroco();
    Vrm_zel00000::InputStep = isTroco;
    const QString moeda = cdsReceb.hasField(QStringLiteral("CDINDICE"))
                              ? cdsReceb.fieldByName(QStringLiteral("CDINDICE")).asString()
                              : QString();
    m_session.recordChange(zel::fromCents(troco), cotacao, moeda);
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

// A notice that does not stop the change: the operator reads why a rule was left out.
void TfrmRecebimento::AvisoTroco(const QString& texto)
{
    zel::dialogs().TouchMessage(texto, zel::DialogType::Error);
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
