#pragma once

#include "dataset/DataSet.h"
#include "receipt/coupon/FiscalCouponPrinter.h"
#include "receipt/payment/InputStep.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/QuoteFile.h"
#include "receipt/state/CommandSet.h"
#include "receipt/state/ReceiptSession.h"
#include "receipt/tef/CardApprovals.h"
#include "text/Messages.h"
#include "toolkit/TouchForm.h"

#include <QDateTime>
#include <QMap>
#include <QPixmap>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfrmRecebimento;
}

class QLabel;

namespace zel {
class TTouchButton;
struct ChangeRow;
struct ForeignPayment;
} // namespace zel

// The receipt form: the sale's amounts, the payment-type grid, the keypad, the running list
// and the settlement commands. Its state is plain members under the names the rest of the
// module uses; the widgets come from TfrmRecebimento.ui.
class TfrmRecebimento : public zel::TouchForm
{
    Q_OBJECT

    // The receipt itself: its money, movements and list (ReceiptSession.h). The form is a view
    // of it; declared first, so the forwarders below can name its parts.
    zel::ReceiptSession m_session;

public:
    explicit TfrmRecebimento(QWidget* parent = nullptr);
    ~TfrmRecebimento() override;

    // The opening computation; runs while Vrm_zel00000::boIdCriado is set, so once per receipt.
    void FormActivate() override;

    // Widgets by their design names.
    Ui::TfrmRecebimento* ui() const { return m_ui.get(); }

    // The sale's money, the movements and the running list are the session's (ReceiptSession.h):
    // the form sends it the operator's acts and paints what it holds (MostraValores).
    zel::ReceiptSession& session() { return m_session; }
    const zel::ReceiptSession& session() const { return m_session; }

    // Forwarders: the session's tables, catalogue and amounts under the names the rest of the
    // module, the cheque and consumer forms and the host's tests read on the receipt form.
    zel::DataSet& cdsReceb = m_session.cdsReceb;
    zel::DataSet& cdsVendaOk = m_session.cdsVendaOk;
    zel::DataSet& cdsMovCaixa = m_session.cdsMovCaixa;
    zel::DataSet& cdsAliqImpFis = m_session.cdsAliqImpFis;
    zel::DataSet& cdsCliente = m_session.cdsCliente;
    zel::DataSet& cdsConsumidor = m_session.cdsConsumidor;
    zel::DataSet& cdsDesconto = m_session.cdsDesconto;
    zel::DataSet& cdsParcelas = m_session.cdsParcelas;
    zel::DataSet& cdsCotacao = m_session.cdsCotacao;
    zel::DataSet& cdsRecebimento01 = m_session.cdsRecebimento01;
    zel::TMessages& msgPadrao = m_session.msgPadrao;
    QString& figura = m_session.figura;
    const double& doVrTotal = m_session.doVrTotal;
    const double& doVrAPagar = m_session.doVrAPagar;
    const double& doVrPago = m_session.doVrPago;
    const double& doVrTroco = m_session.doVrTroco;
    const double& doVrServico = m_session.doVrServico;
    const double& doVrConsumacao = m_session.doVrConsumacao;
    const double& doVrDescComanda = m_session.doVrDescComanda;
    const double& doVrDesconto = m_session.doVrDesconto;
    double& doPcDesconto = m_session.doPcDesconto;
    QDateTime& dtMovFiscal = m_session.dtMovFiscal;
    const bool& boContraVale = m_session.boContraVale;
    QString& stCodCliente = m_session.stCodCliente;
    QString& stCodConsumidor = m_session.stCodConsumidor;
    QString& stNomeConsumidor = m_session.stNomeConsumidor;
    bool& boConsumidorInf = m_session.boConsumidorInf;
    QString& stUsaTEF = m_session.stUsaTEF;
    QString& stUsaTEFCheque = m_session.stUsaTEFCheque;
    QString& stPcMaxTroco = m_session.stPcMaxTroco;
    bool& boMenuOcupado = m_session.boMenuOcupado;
    bool& boEnterOcupado = m_session.boEnterOcupado;
    bool& boFechando = m_session.boFechando;
    bool& boDesistiu = m_session.boDesistiu;
    bool& boVoltou = m_session.boVoltou;
    bool& boConfirmaAuto = m_session.boConfirmaAuto;
    QString& stNrCupom = m_session.stNrCupom;
    QString& stFormaPagto = m_session.stFormaPagto;
    QString& stCNPJCPF = m_session.stCNPJCPF;
    QString& stNome = m_session.stNome;

    // Entry and navigation.
    QString stValor;
    TTipoTecl TipoTecl = ttNone;
    int NrPagina = 1;
    QString stGrupo = QStringLiteral("01");
    bool boSubstitui = false;
    QString stCaptionPagar; // the amount-due caption of the design, back when the change goes

    // Paints the session: the amounts in their labels, in the currency format (the change, when
    // there is one, in the amount-due field under its caption and colour), and the running list.
    void MostraValores();

    // Payment-type buttons and groups: the grid shows the payment types of group `stGrupo`,
    // page `NrPagina`, as the configuration in cdsReceb places them.
    void MontaMenuGrupo();
    void MontaBotoes(const QString& grupo, const QString& pagina);
    void LimpaMenuGrupo();
    void LimpaMenuReceb();
    // Panel modes: "H" the group and payment-type panels off while a payment is entered, "P"
    // back on, "D" the keypad's Back (abandons the value being entered; nothing while a card
    // exchange runs). Others do nothing.
    void CtrlBotoes(const QString& mode);
    // Every switch of the grid, keypad and commands goes through here: the step's commands as
    // `commandsFor` decides them from this receipt's coverage, printer and buyer.
    void applyCommands(zel::CommandStep step);

    void tcbBalcaoClick(zel::TTouchButton* button);
    void tcbGrupoClick(zel::TTouchButton* button);
    void tcbProximoClick();
    void tcbAnteriorClick();
    void tcbVoltarClick();

    // Payment entry for the payment type `code`, started by a touch on its button; `glyph`
    // is the button's picture. The second text is not used.
    // A touch reaches it with the cursor of cdsReceb on the touched payment type.
    virtual void DoMenuRecebimentoClick(const QString& code, const QString& unused, const QPixmap& glyph);
    // The change and the closing of a payment entry, run after each payment taken and whenever
    // what is due changes (a discount, an item left off the coupon): a change given before is
    // withdrawn and worked out again. `aposPagamento`: OK presses itself after a card payment.
    void FechaEntrada(bool aposPagamento = true);

    // Keypad: digits and the decimal separator as characters, Apagar as Backspace, Enter.
    void tcbTeclaClick(zel::TTouchButton* button);
    void tcbCorrigirClick();
    void tcbEnterClick();

    // Settlement commands (Commands.cpp). OK closes a covered sale, printing the fiscal coupon
    // when UtilizaImpFis says so; Exit leaves without settling; Discount gives a discount on the
    // coupon; Clear removes every payment and the discount; CNPJ/CPF takes the buyer's taxpayer
    // id for the coupon. None acts while OK runs, once the form is closing, or while a card
    // exchange waits for the TEF manager.
    void tcbOkClick();
    void tcbSairClick();
    void tcbDescontoClick();
    void tcbClearClick();
    void tcbCNPJCPFClick();
    // Fiscal coupon (FiscalCouponPrinter.h, which keeps its progress). ImprimeCupom prints the
    // sale's coupon and answers whether it went through; AbandonaCupom cancels the coupon a
    // failed ImprimeCupom left open (false when the printer refused).
    bool ImprimeCupom();
    bool AbandonaCupom();
    using CouponStage = zel::FiscalCouponPrinter::Stage;
    CouponStage couponStage() const { return m_coupon ? m_coupon->stage() : CouponStage::None; }

    // The TEF card approvals (CardApprovals.h, TefCards.cpp). CarregaDiarioTef reads what earlier
    // receipts left to undo, at the start of a receipt. DesfazCartoes undoes this receipt's
    // approvals and drops the movement of each one undone; one the manager does not undo keeps
    // its movement and is named to the operator (when `saindo`, it is undone at the next
    // receipt's start). True when none is left.
    void CarregaDiarioTef();
    bool DesfazCartoes(bool saindo);
    zel::CardApprovals& cards() { return m_cartoes; }

protected:
    void FormKeyPress(QChar key) override;
    void FormKeyDown(QKeyEvent* event) override;

private:
    // The coupon's printing, made at the first OK (the devices are installed by then).
    zel::FiscalCouponPrinter& coupon();
    std::unique_ptr<zel::FiscalCouponPrinter> m_coupon;

    void FormCreate();
    void bindHandlers();
    bool comandoBloqueado() const;
    bool liberaCupom(bool cancela);
    void encerra(int result);
    QLabel* entryLabel() const;
    void enterKey();

    bool m_enterAccepted = false; // the last Enter ended or advanced the step

    // Payment entry steps (PaymentEntry.cpp, PaymentEntryKinds.cpp).
    bool PedeValor(TInputStep step, const QString& proposta, bool travaTeclas, TInputStep ate);
    bool LeValor(double& valor, bool corta);
    void DesisteEntrada(const QString& motivo);
    bool EntradaMoeda(zel::ForeignPayment& pagamento, double& cotacao);
    bool EntradaConta(double& valor);
    // A Pix payment of `valor`: true, with the movement's description (txid and end-to-end id),
    // once it was paid; false, with the reason shown, when nothing is to be recorded.
    bool EntradaPix(double valor, QString& descricao);
    void AplicaParcelas();
    void MostraResumo();
    bool m_entradaAtiva = false; // a payment entry is running
    bool m_encerrando = false;   // OK or Exit posted the close: nothing more may happen

    // The change and the closing of a payment entry (ChangeStep.cpp).
    void MostraTroco();
    void FechaPagamento(bool confirmaAuto);
    void ConfirmaAutomatico();

    // Turns the keypad and both payment panels off until the guard ends, then back as they were.
    [[nodiscard]] std::function<void()> DesligaPaineis();
    // What the card exchanges of this receipt are handed: the devices, the dialogs, the title.
    zel::TefContext tefContext() const;
    void DesfazPendentesAnteriores();
    zel::CardApprovals m_cartoes;

    std::unique_ptr<Ui::TfrmRecebimento> m_ui;
};
