// The change of a receipt on its session: which payment gives it, taking the sale value off the
// payments, the change type and its quote, and the closing step of an entry.

#include "ReceiptSession.h"
#include "SessionRows.h"
#include "receipt/payment/PaymentTypeFile.h"
#include "receipt/payment/QuoteFile.h"
#include "receipt/payment/RunningList.h"
#include "text/Clock.h"
#include "text/FiliProc.h"
#include "text/Money.h"

#include <algorithm>

namespace zel {

using session::isChange;
using session::text;

qint64 ReceiptSession::recordChange(double troco, double cotacao, const QString& moeda)
{
    boContraVale = isContraValeKind(text(cdsReceb, "IDTIPORECE"));
    ChangeMovement movimento;
    movimento.cdFilial = FiliProc();
    movimento.cdTipoRece = text(cdsReceb, "CDTIPORECE");
    movimento.nmTipoRece = text(cdsReceb, "NMTIPORECE");
    movimento.cdCliente = stCodCliente;
    movimento.cdConsumidor = stCodConsumidor;
    movimento.valor = troco;
    movimento.cotacao = cotacao;
    movimento.dtHrIncMov = now();
    movimento.dtMovimCaixa = movementDate(dtMovFiscal, movimento.dtHrIncMov);
    appendChangeMovement(cdsMovCaixa, movimento);
    const qint64 registrado = cdsMovCaixa.bookmark();
    for (const QString& line : changeListLines(msgPadrao, changeCaption(msgPadrao, boContraVale), troco,
                                               movimento.nmTipoRece, cotacao, moeda))
        m_list.append({line, registrado});
    sync();
    changed();
    return registrado;
}

void ReceiptSession::withdrawChange()
{
    QList<qint64> trocos;
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next())
        if (isChange(cdsMovCaixa))
            trocos.append(cdsMovCaixa.bookmark());
    for (qint64 troco : std::as_const(trocos))
        removeMovement(troco);
    boContraVale = false;
    sync();
}

QList<ChangeRow> ReceiptSession::changeRows()
{
    QList<ChangeRow> rows;
    const QHash<QString, QString> tipos = kindsByType();
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next()) {
        if (isChange(cdsMovCaixa))
            continue;
        const QString tipo = text(cdsMovCaixa, "CDTIPORECE");
        const bool fora = kindRules(tipos.value(tipo)).outside();
        // What an outside party charged never gives change in its own type.
        rows.append({tipo, fora ? QString() : text(cdsMovCaixa, "CDTIPOTROCO"),
                     cdsMovCaixa.fieldByName(QStringLiteral("VRMOVIVEND")).asFloat(), fora});
    }
    return rows;
}

QList<qint64> ReceiptSession::paymentBookmarks()
{
    QList<qint64> marks;
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next())
        if (!isChange(cdsMovCaixa))
            marks.append(cdsMovCaixa.bookmark());
    return marks;
}

ReceiptSession::ChangeDecision ReceiptSession::decideChange()
{
    ChangeDecision decision;
    decision.change = m_ledger.changeDue();
    if (decision.change <= 0)
        return decision;
    const QList<ChangeRow> rows = changeRows();
    if (const std::optional<int> giver = rowGivingChange(rows, fromCents(decision.change))) {
        decision.way = ChangeDecision::Way::Giver;
        decision.giver = paymentBookmarks().value(*giver);
        return decision;
    }
    // Nothing the till took can be lowered (all of it gives change, or an outside party charged
    // the rest): the change is paid in cash, without a question that could change nothing.
    const bool lowerable = std::any_of(rows.cbegin(), rows.cend(), [](const ChangeRow& row) {
        return !row.fixo && row.cdTipoTroco.isEmpty() && row.valor > 0;
    });
    decision.way = lowerable ? ChangeDecision::Way::Ask : ChangeDecision::Way::Cash;
    return decision;
}

ReceiptSession::ChangeDecision ReceiptSession::takeSaleValue()
{
    const QList<ChangeRow> rows = changeRows();
    const QList<qint64> marks = paymentBookmarks();
    const Reduction reduction = zel::takeSaleValue(rows, fromCents(m_ledger.changeDue()));
    for (int i = 0; i < rows.size() && i < marks.size(); ++i) {
        const std::optional<double>& valor = reduction.values[i];
        if (!valor) {
            removeMovement(marks[i]);
            continue;
        }
        if (*valor == rows[i].valor || !cdsMovCaixa.gotoBookmark(marks[i]))
            continue;
        cdsMovCaixa.edit();
        cdsMovCaixa.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(*valor);
        cdsMovCaixa.post();
        for (ListLine& line : m_list)
            if (line.movement == marks[i])
                line.text = linhaPagamento(text(cdsMovCaixa, "NMTIPORECE"), *valor);
    }
    sync();
    changed();
    ChangeDecision rest;
    rest.change = m_ledger.changeDue();
    if (rest.change <= 0)
        return rest;
    // What is left of the change: in the change type of the last payment that names one and
    // can carry it, else in cash.
    const QList<ChangeRow> left = changeRows();
    const QList<qint64> leftMarks = paymentBookmarks();
    rest.way = ChangeDecision::Way::Cash;
    for (int i = int(left.size()) - 1; i >= 0; --i) {
        if (!left[i].cdTipoTroco.isEmpty()) {
            rest.way = ChangeDecision::Way::Giver;
            rest.giver = leftMarks.value(i);
            break;
        }
    }
    return rest;
}

bool ReceiptSession::locateCashType()
{
    return cdsReceb.locate(QStringLiteral("IDTIPORECE"), {kind::dinheiro});
}

ReceiptSession::ChangeType ReceiptSession::chooseChangeType(const ChangeDecision& decision,
                                                            const QString& dataDir)
{
    ChangeType tipo;
    const auto quote = [&] {
        // The quote of a change type in foreign currency: the one the sale uses for its index,
        // else the one stored for the reference date (which the sale then keeps).
        if (text(cdsReceb, "IDTIPORECE") != kind::moeda)
            return;
        tipo.moeda = text(cdsReceb, "CDINDICE");
        if (const std::optional<double> usada = m_quotes.find(tipo.moeda)) {
            tipo.cotacao = *usada;
            return;
        }
        if (const Status opened = quotes::open(cdsCotacao, dataDir); !opened) {
            tipo.avisos << msgPadrao.Msg(QStringLiteral("ErroCotacao")) + u' ' + opened.errorMessage();
            return;
        }
        const std::optional<double> cotacao =
            quotes::find(cdsCotacao, tipo.moeda, quoteReferenceDate(dtMovFiscal));
        quotes::close(cdsCotacao);
        if (cotacao && isUsableQuote(*cotacao))
            tipo.cotacao = m_quotes.use(tipo.moeda, *cotacao);
    };
    const auto done = [&] {
        quote();
        return tipo;
    };
    if (decision.way == ChangeDecision::Way::Cash) {
        // No payment the till took gives it: cash leaves the drawer, under the cash type.
        locateCashType();
        return done();
    }
    // A lookup that finds nothing leaves the payment type that was current.
    if (cdsMovCaixa.gotoBookmark(decision.giver)) {
        if (const QString cdTroco = text(cdsMovCaixa, "CDTIPOTROCO"); !cdTroco.isEmpty())
            cdsReceb.locate(QStringLiteral("CDTIPORECE"), {cdTroco});
    }
    const ChangeLimit limite = changeLimit(stPcMaxTroco);
    if (!limite.error.isEmpty())
        tipo.avisos << msgPadrao.Msg(QStringLiteral("PcMaxTrocoInvalido")) + u' ' + limite.error;
    if (!limite.on)
        return done();
    const auto kinds = paymentTypes::readKinds(cdsRecebimento01, dataDir);
    if (!kinds) {
        tipo.avisos << msgPadrao.Msg(QStringLiteral("TipoReceIlegivel")) + u' ' + kinds.errorMessage();
        return done();
    }
    // The rule weighs the payments by the kinds the payment-type file gives them; a payment of
    // a type the file does not give a kind leaves the rule out, with a notice.
    const QList<ChangeRow> linhas = changeRows();
    if (const QStringList semTipo = typesWithoutKind(*kinds, linhas); !semTipo.isEmpty()) {
        tipo.avisos
            << msgPadrao.Msg(QStringLiteral("TipoReceSemTipo")).arg(semTipo.join(QStringLiteral(", ")));
        return done();
    }
    QList<LedgerPayment> pagamentos;
    for (const ChangeRow& row : linhas)
        pagamentos.append({kinds->value(row.cdTipoRece), toCents(row.valor)});
    if (changeInCash(decision.change, ticketPayments(pagamentos), limite.percentual))
        locateCashType();
    return done();
}

ReceiptSession::Closing ReceiptSession::closeEntry(const std::function<bool(int)>& takeSaleValueAsked,
                                                   const QString& dataDir)
{
    withdrawChange();
    Closing fecho;
    ChangeDecision decisao = decideChange();
    if (decisao.way == ChangeDecision::Way::Ask) {
        if (!takeSaleValueAsked(int(paymentBookmarks().size()))) {
            fecho.kept = true;
            return fecho;
        }
        decisao = takeSaleValue();
    }
    if (decisao.way == ChangeDecision::Way::None)
        return fecho;
    const ChangeType tipo = chooseChangeType(decisao, dataDir);
    fecho.avisos = tipo.avisos;
    fecho.change = decisao.change;
    recordChange(fromCents(decisao.change), tipo.cotacao, tipo.moeda);
    return fecho;
}

} // namespace zel
