#include "ReceiptSession.h"

#include "SessionRows.h"
#include "receipt/coupon/CouponArgs.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/PaymentTypeFile.h"
#include "receipt/payment/ReceiptMessages.h"
#include "receipt/payment/ReceiptSettings.h"
#include "receipt/payment/RunningList.h"
#include "text/Clock.h"
#include "text/FiliProc.h"
#include "text/Money.h"

#include <QHash>
#include <algorithm>

namespace zel {

using session::isChange;
using session::text;

namespace {

FieldDef str(const char* name, int size)
{
    return FieldDef{QString::fromLatin1(name), FieldType::String, size, {}, {}, true};
}

FieldDef num(const char* name, FieldType type = FieldType::Float)
{
    return FieldDef{QString::fromLatin1(name), type, 0, {}, {}, true};
}

} // namespace

// The tables the receipt makes itself, with their fields and indexes; the others come from
// the host with the sale.
ReceiptSession::ReceiptSession() : msgPadrao(receiptMessages())
{
    cdsMovCaixa.setFieldDefs({str("CDFILIAL", 4), str("NRSEQUMOVI", 10), str("IDTIPOMOVIVE", 1),
                              str("DSMOVIVEND", 250), str("NRSEQVENDA", 10), str("CDTIPORECE", 3),
                              num("DTHRINCMOV", FieldType::DateTime), num("DTDEPCHEQUE", FieldType::DateTime),
                              str("NRCONTRAVALE", 10), str("CDTIPOTROCO", 3),
                              FieldDef{"VRMOVIVEND", FieldType::Float, 0, "Valor", "#,##0.00", true},
                              FieldDef{"NMTIPORECE", FieldType::String, 40, "Recebimento", {}, true},
                              str("NRORDTROCO", 3), str("CDCLIENTE", 21), str("CDCONSUMIDOR", 21),
                              num("DTMOVIMCAIXA", FieldType::Date), num("VRMOVIVEOUT"), num("VRCOTINDOUT"),
                              // Cheque fields: wide enough for what the cheque form accepts.
                              str("CDAGECHEQVEN", 6), str("CDBANCHEQVEN", 3), str("CDCNTCHEQVEN", 17),
                              num("DTDEPCHEQVEN", FieldType::DateTime), str("NRCHEQUEVEND", 7)});
    // A grid of the movements shows the value and the payment type, under the labels the
    // movement table gives them; every other field is for the host and the coupon.
    for (const FieldDef& field : cdsMovCaixa.fieldDefs())
        cdsMovCaixa.setFieldVisible(field.name, field.name == QLatin1String("VRMOVIVEND") ||
                                                    field.name == QLatin1String("NMTIPORECE"));
    cdsMovCaixa.addIndex({"idxNRORDTROCO", {"NRORDTROCO", "DTHRINCMOV"}, {"DTHRINCMOV"}, true, false});
    cdsMovCaixa.addIndex({"idxDTHRINCMOV", {"DTHRINCMOV"}, {}, false, false});
    cdsMovCaixa.setIndexName("idxNRORDTROCO");
    cdsMovCaixa.createDataSet(); // open and empty: the payments of this receipt go here

    cdsDesconto.setFieldDefs({str("TIPO", 1), num("VALOR")});
    cdsParcelas.setFieldDefs({num("VALOR"), num("COD", FieldType::Integer)});
    cdsParcelas.addIndex({"idxCOD", {"COD"}, {}, false, false});
    cdsParcelas.setIndexName("idxCOD");
}

void ReceiptSession::changed()
{
    if (onChanged)
        onChanged();
}

ReceiptSession::ReceiptView ReceiptSession::view() const
{
    ReceiptView v;
    v.total = doVrTotal;
    v.pago = doVrPago;
    v.servico = doVrServico;
    v.consumacao = doVrConsumacao;
    v.troco = m_ledger.change() > 0;
    v.aPagar = v.troco ? doVrTroco : doVrAPagar;
    v.trocoCaption = changeCaption(msgPadrao, boContraVale);
    v.lista = listLines();
    return v;
}

QStringList ReceiptSession::listLines() const
{
    QStringList lines;
    for (const ListLine& line : m_list)
        lines.append(line.text);
    return lines;
}

void ReceiptSession::note(const QString& line)
{
    m_list.append({line, 0});
    changed();
}

void ReceiptSession::note(const QStringList& lines)
{
    for (const QString& line : lines)
        m_list.append({line, 0});
    changed();
}

QHash<QString, QString> ReceiptSession::kindsByType() const
{
    QHash<QString, QString> tipos; // the first row of a payment type names its kind
    const DataPacket receb = cdsReceb.data();
    const int codigo = receb.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int tipo = receb.fieldIndex(QStringLiteral("IDTIPORECE"));
    if (codigo >= 0 && tipo >= 0)
        for (const Row& row : receb.rows)
            if (!tipos.contains(row.value(codigo).toString()))
                tipos.insert(row.value(codigo).toString(), row.value(tipo).toString());
    return tipos;
}

QString ReceiptSession::kindOfType(const QString& cdTipoRece) const
{
    return kindsByType().value(cdTipoRece);
}

qint64 ReceiptSession::recordPayment(const Payment& payment)
{
    PaymentMovement movimento;
    const bool atual =
        payment.cdTipoRece.isEmpty() ||
        (!cdsReceb.isEmpty() && !cdsReceb.eof() && text(cdsReceb, "CDTIPORECE") == payment.cdTipoRece) ||
        cdsReceb.locate(QStringLiteral("CDTIPORECE"), {payment.cdTipoRece});
    if (atual) {
        movimento.cdTipoRece = text(cdsReceb, "CDTIPORECE");
        movimento.cdTipoTroco = text(cdsReceb, "CDTIPOTROCO");
        movimento.nrOrdTroco = text(cdsReceb, "NRORDTROCO");
        movimento.nmTipoRece = text(cdsReceb, "NMTIPORECE");
    } else {
        movimento.cdTipoRece = payment.cdTipoRece;
    }
    if (!paymentRefusal(kindOfType(movimento.cdTipoRece), toCents(payment.valor)).isEmpty())
        return 0;
    movimento.cdFilial = FiliProc();
    movimento.cdCliente = stCodCliente;
    movimento.cdConsumidor = stCodConsumidor;
    movimento.valor = payment.valor;
    movimento.dtHrIncMov = now();
    movimento.dtMovimCaixa = movementDate(dtMovFiscal, movimento.dtHrIncMov);
    if (payment.estrangeiro) {
        movimento.vrMoviveOut = payment.estrangeiro;
        movimento.vrCotIndOut = payment.cotacao;
    }
    movimento.dsMoviVend = payment.descricao;
    movimento.cheque = payment.cheque;
    if (!cdsMovCaixa.active())
        cdsMovCaixa.open();
    appendMovement(cdsMovCaixa, movimento);
    const qint64 registrado = cdsMovCaixa.bookmark();
    m_list.append({linhaPagamento(movimento.nmTipoRece, payment.valor), registrado});
    sync();
    changed();
    return registrado;
}

Status ReceiptSession::openSale()
{
    cdsVendaOk.open();
    cdsVendaOk.first();
    OpeningTotals totals;
    if (m_opening) {
        totals = std::move(*m_opening);
        m_opening.reset();
    } else {
        auto computed = computeOpeningTotals(cdsVendaOk.columns(kOpeningFields));
        if (!computed)
            return Error{computed.errorMessage(), computed.errorCode()};
        totals = *computed;
    }
    m_ledger.setCharges(toCents(totals.servico), toCents(totals.consumacao), toCents(totals.descComanda));
    readSaleLines(&totals.lines);
    cdsVendaOk.last();
    return {};
}

void ReceiptSession::readSaleLines(const QList<Cents>* valores)
{
    QList<SaleLine> linhas;
    const bool camposCupom = missingField(cdsVendaOk.fieldDefs(), couponLineFields()).isEmpty() &&
                             missingField(cdsAliqImpFis.fieldDefs(), aliquotFields()).isEmpty();
    const qint64 atual = cdsVendaOk.active() && !cdsVendaOk.isEmpty() ? cdsVendaOk.bookmark() : -1;
    // The fields are found once for the whole sale, and each aliquot is looked up once: a sale
    // of thousands of lines has few kinds of tax. The aliquot table's cursor ends where the
    // lookups one line after another would leave it, on the last aliquot found.
    const auto campo = [this](const char* name) {
        return std::optional<Field>(cdsVendaOk.fieldByName(QLatin1String(name)));
    };
    std::optional<Field> naoFiscal, tipoImposto, aliquota, quantidade, preco, desconto;
    if (camposCupom || !valores) {
        quantidade = campo("QTPRODCOMVEN");
        preco = campo("VRPRECCOMVEN");
        desconto = campo("VRDESCCOMVEN");
    }
    if (camposCupom) {
        naoFiscal = campo("IDPRODIMPFIS");
        tipoImposto = campo("IDTPIMPOSFIS");
        aliquota = campo("VRPEALIMPFIS");
    }
    QHash<QPair<QString, double>, bool> aliquotas;
    std::optional<AliquotKey> ultimaAchada;
    int i = 0;
    for (cdsVendaOk.first(); !cdsVendaOk.eof(); cdsVendaOk.next(), ++i) {
        SaleLine linha;
        if (valores && i < valores->size())
            linha.amount = valores->at(i);
        else
            linha.amount = lineAmount(quantidade->asFloat(), preco->asFloat(), desconto->asFloat());
        // Which lines the coupon will carry, by the rules its printing follows (EnviaItens). A
        // sale without the fields the coupon reads is refused at OK; its lines count as items.
        if (camposCupom) {
            CouponLine cupom;
            cupom.naoFiscal = naoFiscal->asString() == QLatin1String("S");
            cupom.tipoImposto = tipoImposto->asString();
            cupom.pcAliquota = aliquota->asFloat();
            cupom.quantidade = quantidade->asFloat();
            cupom.preco = preco->asFloat();
            cupom.desconto = desconto->asFloat();
            const auto achaAliquota = [&] {
                const AliquotKey chave = aliquotKey(cupom);
                const QPair<QString, double> porChave(chave.kind, chave.rate);
                auto achada = aliquotas.constFind(porChave);
                if (achada == aliquotas.cend())
                    achada = aliquotas.insert(
                        porChave, cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"),
                                                       {chave.kind, chave.rate}));
                if (*achada)
                    ultimaAchada = chave;
                return *achada;
            };
            if (cupom.naoFiscal)
                linha.off = OffCoupon::NotFiscal;
            else if (!achaAliquota())
                linha.off = OffCoupon::NoAliquot;
            else if (!(cupom.preco > 0))
                linha.off = OffCoupon::NoPrice;
        }
        linhas.append(linha);
    }
    if (ultimaAchada)
        cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"),
                             {ultimaAchada->kind, ultimaAchada->rate});
    if (atual >= 0)
        cdsVendaOk.gotoBookmark(atual);
    m_ledger.setLines(linhas);
    sync();
}

bool ReceiptSession::removeMovement(qint64 bookmark)
{
    if (!removeRow(cdsMovCaixa, bookmark))
        return false;
    m_list.erase(std::remove_if(m_list.begin(), m_list.end(),
                                [bookmark](const ListLine& line) { return line.movement == bookmark; }),
                 m_list.end());
    forgetClientWithoutAccount();
    sync();
    changed();
    return true;
}

void ReceiptSession::sync()
{
    const QHash<QString, QString> tipos = kindsByType();

    QList<LedgerPayment> pagamentos;
    Cents troco = 0;
    const DataPacket mov = cdsMovCaixa.data();
    const int tipoMov = mov.fieldIndex(QStringLiteral("IDTIPOMOVIVE"));
    const int tipo = mov.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int valor = mov.fieldIndex(QStringLiteral("VRMOVIVEND"));
    if (tipoMov >= 0 && tipo >= 0 && valor >= 0) {
        for (const Row& row : mov.rows) {
            const Cents centavos = toCents(row.value(valor).toDouble());
            if (row.value(tipoMov).toString() == QLatin1String("S"))
                troco += centavos;
            else
                pagamentos.append({tipos.value(row.value(tipo).toString()), centavos});
        }
    }
    m_ledger.setPayments(pagamentos);
    m_ledger.setChange(troco, boContraVale);
    if (troco == 0)
        boContraVale = false;

    doVrTotal = fromCents(m_ledger.total());
    doVrServico = fromCents(m_ledger.fee());
    doVrConsumacao = fromCents(m_ledger.minimumConsumption());
    doVrDescComanda = fromCents(m_ledger.comandaDiscount());
    doVrDesconto = fromCents(m_ledger.discount());
    doVrPago = fromCents(m_ledger.paid());
    doVrAPagar = fromCents(m_ledger.due());
    doVrTroco = fromCents(m_ledger.change());
}

QString ReceiptSession::paymentRefusal(const QString& idTipo, Cents cents)
{
    const KindRules rules = kindRules(idTipo);
    if (cents <= largestPayment(rules, m_ledger.due(), m_ledger.paid()))
        return {};
    if (m_ledger.paid() + cents > kMaxAmountCents)
        return msgPadrao.Msg(QStringLiteral("PagoAcimaLimite")).arg(formatCurrency(maxAmount()));
    const QString valor = formatCurrency(fromCents(cents));
    const QString devido = formatCurrency(fromCents(m_ledger.due()));
    if (isCardKind(idTipo))
        return msgPadrao.Msg(QStringLiteral("CartaoAcimaDoDevido")).arg(valor, devido);
    return msgPadrao.Msg(QStringLiteral("AcimaDoDevido")).arg(valor, devido, text(cdsReceb, "NMTIPORECE"));
}

Cents ReceiptSession::heldOutside() const
{
    Cents sum = 0;
    for (const LedgerPayment& p : m_ledger.payments())
        if (kindRules(p.kind).outside())
            sum += p.amount;
    return sum;
}

QString ReceiptSession::discountRefusal(Cents discount) const
{
    if (m_ledger.total() <= 0)
        return msgPadrao.Msg(QStringLiteral("DescontoSemTotal"));
    Ledger depois = m_ledger;
    depois.setDiscount(discount);
    if (const Cents fora = heldOutside(); fora > depois.net())
        return msgPadrao.Msg(QStringLiteral("DescontoAbaixoDoCartao")).arg(formatCurrency(fromCents(fora)));
    return {};
}

QString ReceiptSession::leaveOffRefusal(int index) const
{
    Ledger depois = m_ledger;
    depois.ignore(index);
    if (depois.total() <= 0)
        return msgPadrao.Msg(QStringLiteral("ItemNaoPodeSair"));
    return {};
}

QString ReceiptSession::giveDiscount(Cents cents)
{
    QString recusa = discountRefusal(cents);
    if (recusa.isEmpty())
        m_ledger.setDiscount(cents);
    return recusa;
}

QString ReceiptSession::leaveOff(int index)
{
    QString recusa = leaveOffRefusal(index);
    if (recusa.isEmpty())
        m_ledger.ignore(index);
    return recusa;
}

void ReceiptSession::readSettings()
{
    const ReceiptSettings settings = readReceiptSettings();
    stUsaTEF = settings.usaTEF;
    stUsaTEFCheque = settings.usaTEFCheque;
    stPcMaxTroco = settings.pcMaxTroco;
}

void ReceiptSession::clearPayments(const std::function<bool(qint64, const QString&)>& stillHeld)
{
    QList<qint64> sair;
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next())
        if (isChange(cdsMovCaixa) || !stillHeld(cdsMovCaixa.bookmark(), text(cdsMovCaixa, "DSMOVIVEND")))
            sair.append(cdsMovCaixa.bookmark());
    for (qint64 mark : std::as_const(sair))
        removeMovement(mark);
    // The list shows the payments kept, and nothing else.
    m_list.erase(
        std::remove_if(m_list.begin(), m_list.end(), [](const ListLine& line) { return line.movement == 0; }),
        m_list.end());
    doPcDesconto = 0;
    m_ledger.setDiscount(0);
    boContraVale = false;
    forgetClientWithoutAccount();
    sync();
    changed();
}

void ReceiptSession::dropRefundedPix(const QSet<QString>& pixHeld)
{
    QList<qint64> sair;
    const QHash<QString, QString> tipos = kindsByType();
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next()) {
        const QString descricao = text(cdsMovCaixa, "DSMOVIVEND");
        if (tipos.value(text(cdsMovCaixa, "CDTIPORECE")) == kind::pix &&
            descricao.startsWith(QLatin1String("PIX ")) && !pixHeld.contains(descricao.section(u' ', 1, 1)))
            sair.append(cdsMovCaixa.bookmark());
    }
    for (qint64 mark : std::as_const(sair))
        removeMovement(mark);
}

// The client identification belongs to the client-account payment: with the last one gone,
// the receipt identifies nobody, and the next client-account payment asks again.
void ReceiptSession::forgetClientWithoutAccount()
{
    if (stCodCliente.isEmpty() && !boConsumidorInf)
        return;
    const QHash<QString, QString> tipos = kindsByType();
    for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next())
        if (!isChange(cdsMovCaixa) && kindRules(tipos.value(text(cdsMovCaixa, "CDTIPORECE"))).carriesClient)
            return;
    stCodCliente.clear();
    stCodConsumidor.clear();
    stNomeConsumidor.clear();
    boConsumidorInf = false;
}

} // namespace zel
