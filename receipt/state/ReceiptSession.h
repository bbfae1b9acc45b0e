#pragma once

#include "dataset/DataSet.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/PaymentKind.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/QuoteFile.h"
#include "text/Messages.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zel {

// One receipt while it runs, apart from any screen: the sale and its money, the movements it
// recorded, the running list the operator reads, the buyer's and the client's identification.
// The movements are written here and nowhere else, by kind rules that hold for every payment
// kind alike (PaymentKind.h); the ledger follows each write. The receipt, cheque and consumer
// forms send it the operator's acts and paint what it holds, so each can be built and tested
// with a session alone.
class ReceiptSession
{
public:
    ReceiptSession(); // the receipt's own tables defined, the catalogue loaded
    virtual ~ReceiptSession() = default;
    ReceiptSession(const ReceiptSession&) = delete;
    ReceiptSession& operator=(const ReceiptSession&) = delete;

    // The sale's money (Ledger.h): what the labels, the displays, the change and the coupon read.
    Ledger& ledger() { return m_ledger; }
    const Ledger& ledger() const { return m_ledger; }

    // Datasets, under the names the rest of the module uses.
    DataSet cdsReceb;      // payment-type configuration (host parameter 7)
    DataSet cdsVendaOk;    // the sale's lines (host parameter 1)
    DataSet cdsMovCaixa;   // the payments and the change recorded (handed back to the host)
    DataSet cdsAliqImpFis; // the fiscal printer's tax rates (host parameter 6)
    DataSet cdsCliente;    // clients (host parameter 4)
    DataSet cdsConsumidor; // consumers (host parameter 5)
    DataSet cdsDesconto;
    DataSet cdsParcelas; // the cheque instalments taken
    DataSet cdsCotacao;
    DataSet cdsRecebimento01;

    TMessages msgPadrao; // the receipt's catalogue

    // The background picture the host named for the receipt's screens (stFigura).
    QString figura;

    // The amounts, views of the ledger refreshed by sync().
    double doVrTotal = 0;
    double doVrAPagar = 0;
    double doVrPago = 0;
    double doVrTroco = 0;
    double doVrServico = 0;
    double doVrConsumacao = 0;
    double doVrDescComanda = 0;
    double doVrDesconto = 0;
    double doPcDesconto = 0;
    // The fiscal movement date: the day every movement of this receipt counts on, when the
    // printer gave one.
    QDateTime dtMovFiscal;
    bool boContraVale = false; // the change of this receipt is a Contra-Vale voucher

    // The client and consumer of a client-account payment, once identified for the receipt.
    // They go on every movement while a client-account payment is held, and go with it.
    QString stCodCliente;
    QString stCodConsumidor;
    QString stNomeConsumidor;
    bool boConsumidorInf = false;

    // The receipt's settings (ReceiptSettings.h), read by readSettings when the receipt starts:
    // "S" in stUsaTEF / stUsaTEFCheque sends cards / cheques through the TEF exchange;
    // stPcMaxTroco is the largest change as a percentage of the ticket payments.
    QString stUsaTEF;
    QString stUsaTEFCheque;
    QString stPcMaxTroco;
    void readSettings();

    // The guards of the receipt's commands and waits, and its abandon flags.
    bool boMenuOcupado = false;
    bool boEnterOcupado = false;
    bool boFechando = false;
    bool boDesistiu = false;
    bool boVoltou = false;
    bool boConfirmaAuto = false; // a card or Pix paid: OK presses itself once the sale is covered

    // The coupon's number once the printer gave one; the payment form of the last card; the
    // buyer's taxpayer id and name for the coupon.
    QString stNrCupom;
    QString stFormaPagto;
    QString stCNPJCPF;
    QString stNome;

    // One quote per currency for the whole sale.
    SaleQuotes& saleQuotes() { return m_quotes; }

    // Called after every change of the movements, the amounts or the list: the views repaint.
    std::function<void()> onChanged;

    // What the receipt's screens paint: the amounts, whether the amount-due field shows the
    // change (and under which caption), and the running list. One snapshot, so the labels, the
    // list and the displays never show two states of the receipt.
    struct ReceiptView
    {
        double total = 0;
        double pago = 0;
        double servico = 0;
        double consumacao = 0;
        double aPagar = 0;    // what is still due, or the change when `troco`
        bool troco = false;   // the amount-due field shows the change
        QString trocoCaption; // "TROCO : " or "Contra-Vale : "
        QStringList lista;
    };
    ReceiptView view() const;

    // The running list as the operator reads it: one text per line. A payment's line and the
    // change's lines belong to their movement and leave with it.
    QStringList listLines() const;
    void note(const QString& line);
    void note(const QStringList& lines);

    // The kind (IDTIPORECE) of a payment type, as the configuration gives it; empty when unknown.
    QString kindOfType(const QString& cdTipoRece) const;
    // Every payment type's kind, as kindOfType gives it.
    QHash<QString, QString> kindsByType() const;

    // --- The one writer of movement rows ---------------------------------------------------

    // A payment of `valor` in the payment type on the current row of cdsReceb: its row ("E")
    // with the branch, the client while one is identified, the time and the day it counts on;
    // its line in the running list. Answers the row's bookmark; 0, with nothing recorded, for a
    // payment the kind's rules refuse (paymentRefusal).
    struct Payment
    {
        double valor = 0;                  // local currency, cut to cents
        std::optional<double> estrangeiro; // foreign currency: the amount in that currency
        double cotacao = 0;                // foreign currency: the quote
        QString descricao;                 // Pix: what identifies it
        std::optional<ChequeData> cheque;
        QString cdTipoRece; // empty: the payment type on the current row of cdsReceb
    };
    qint64 recordPayment(const Payment& payment);
    // The change ("S") in the payment type on the current row of cdsReceb, with the running
    // list's change lines; a change in foreign currency with its quote (0: none).
    qint64 recordChange(double troco, double cotacao, const QString& moeda);
    // A recorded row goes, with its lines in the list. False when it is gone already.
    bool removeMovement(qint64 bookmark);
    // The change row and its decision go: the change is worked out again from what is due.
    void withdrawChange();

    // The opening amounts of the sale just put into cdsVendaOk, when the caller computed them
    // already: openSale takes them instead of reading the lines again.
    void setOpeningTotals(OpeningTotals totals) { m_opening = std::move(totals); }
    // The sale as it opens: its charges and its lines into the ledger, the amounts from them.
    // An error when a line cannot be totalled.
    Status openSale();
    // The sale lines into the ledger: each line's amount (from `valores` when given, in the
    // sale's order, else read from the line) and whether it is an item of the coupon.
    void readSaleLines(const QList<Cents>* valores = nullptr);
    // The ledger from the movement rows, and the amounts from the ledger.
    void sync();

    // --- The money rules ---------------------------------------------------------------------

    // Why a payment of `cents` in a payment type of kind `idTipo` may not be recorded (empty: it
    // may): above what is due for a kind that takes no more, or taking the amount paid past the
    // largest amount of a receipt. The writer refuses such a payment whoever sends it.
    QString paymentRefusal(const QString& idTipo, Cents cents);
    // What outside parties charged (cards, Pix): never lowered, never given back by the till.
    Cents heldOutside() const;
    // Why the discount `discount` may not be given (empty: it may): the sale worth nothing, or
    // the sale falling below what outside parties charged.
    QString discountRefusal(Cents discount) const;
    // Why the sale line at `index` may not be left off (empty: it may): the sale would be worth
    // nothing.
    QString leaveOffRefusal(int index) const;

    // The payment rows as the change step weighs them, with their bookmarks.
    QList<ChangeRow> changeRows();
    QList<qint64> paymentBookmarks();

    // How the change the ledger calls for is given.
    struct ChangeDecision
    {
        enum class Way {
            None,  // no change
            Giver, // in the change type of the payment at `giver`
            Cash,  // in the cash type: what covers the sale was charged outside, or the change is
                   // what was left after the sale value was taken
            Ask,   // no payment gives it: ask to take the sale value off the payments
        };
        Way way = Way::None;
        Cents change = 0;
        qint64 giver = 0;
    };
    ChangeDecision decideChange();
    // "Take the sale value": the change comes off the payments the till took that give none.
    // Answers how the rest (if any) is given.
    ChangeDecision takeSaleValue();
    // Moves cdsReceb to the cash type; false when the configuration has none.
    bool locateCashType();
    // The change type for `decision`, cdsReceb moved to it: the one the giving payment names;
    // in cash when the decision says so, or within the largest-change limit (the payment-type
    // file of `dataDir` weighs the ticket payments). A change type in foreign currency comes
    // with the sale's quote of it (0: none, the change in local currency only) and its index.
    // The notices say why a rule was left out; the change is given all the same.
    struct ChangeType
    {
        double cotacao = 0;
        QString moeda;
        QStringList avisos;
    };
    ChangeType chooseChangeType(const ChangeDecision& decision, const QString& dataDir);

    // The closing step of a payment entry, and of every event that changes what is due: the change
    // given before is withdrawn and the change the ledger now calls for is given, in the change
    // type of the payment that gives it; when none gives it, off the payments the till took once
    // `takeSaleValue` (asked with the number of payments) agrees; in cash when what covers the sale
    // was charged outside. `dataDir`: where the payment-type and quote files are.
    struct Closing
    {
        bool kept = false;  // the operator kept the payments as they are: no closing step
        Cents change = 0;   // the change given (0: none)
        QStringList avisos; // why a rule of the change was left out; the change is given all the same
    };
    Closing closeEntry(const std::function<bool(int payments)>& takeSaleValue, const QString& dataDir);
    // The discount `cents` given, or why not (and nothing changes).
    QString giveDiscount(Cents cents);
    // The sale line at `index` left off the sale, or why not (and nothing changes).
    QString leaveOff(int index);

    // Clear: every payment goes but those `stillHeld` keeps (a charge an outside party would
    // not give back), with the discount and the change; the client identification goes with
    // the last client-account payment. The list shows the payments kept.
    void clearPayments(const std::function<bool(qint64 bookmark, const QString& dsMoviVend)>& stillHeld);
    // A receipt given up: the Pix payments whose charge the provider gave back leave the
    // movements (a Pix still held, named in `pixHeld` by txid, stays).
    void dropRefundedPix(const QSet<QString>& pixHeld);

protected:
    Ledger m_ledger;

private:
    struct ListLine
    {
        QString text;
        qint64 movement = 0; // the row it belongs to; 0: a note
    };
    void changed();
    void rebuildPaymentLines();
    void forgetClientWithoutAccount();
    QList<ListLine> m_list;
    SaleQuotes m_quotes;
    std::optional<OpeningTotals> m_opening;
};

} // namespace zel
