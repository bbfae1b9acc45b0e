#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/coupon/CouponArgs.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/tef/TefMessages.h"
#include "receipt/tef/TefWaitScreen.h"
#include "text/ErrorLog.h"
#include "text/Money.h"
#include "ui_TfrmRecebimento.h"

#include <QSet>
#include <optional>

using zel::dialogs;
using zel::peripherals;

namespace {

// Shown to the operator, logged and kept for the host under its catalogue key.
void erro(const QString& code, const QString& text, const QLoggingCategory& category = lcReceipt())
{
    zel::reportError(category, code, text);
    dialogs().TouchMessageDlg(text, zel::DialogType::Error, zel::DialogButtons::Ok, 0, 0, QString());
}

} // namespace

// A refused printer command: the module's error, and under it the printer's own reason when it
// gives one, so the operator knows whether trying OK again can help.
void TfrmRecebimento::ErroImpressora()
{
    QString texto = msgPadrao.Msg("ErroComando");
    if (const QString motivo = peripherals().lastPrinterError().trimmed(); !motivo.isEmpty())
        texto += QStringLiteral("\r\n") + msgPadrao.Msg("MotivoImpressora").arg(motivo);
    erro(QStringLiteral("ErroComando"), texto, lcDevices());
}

// The sale's fiscal coupon: drawer and opening, the items with their tax codes, the surcharge
// or discount, the payment phase and the closing with the payment movements; then the coupon
// discount goes into the sale lines and the Contra-Vale gets its number.
//
// The coupon's progress is kept on the form, so that OK pressed again after a refused payment
// phase or closing finishes the coupon still open on the printer: a sale never gets two
// coupons, and its lines are only changed once its coupon is closed.
bool TfrmRecebimento::ImprimeCupom()
{
    using Vrm_zel00000::StnrVenda;
    if (m_couponStage == CouponStage::Closed)
        return true;

    // A sale or aliquot table without the fields the coupon reads is refused before the
    // printer hears of it.
    if (const QString f = zel::missingField(cdsVendaOk.fieldDefs(), zel::couponLineFields()); !f.isEmpty()) {
        erro(QStringLiteral("VendaSemCampoCupom"), zel::saleFieldMissingText(msgPadrao, f));
        return false;
    }
    if (const QString f = zel::missingField(cdsAliqImpFis.fieldDefs(), zel::aliquotFields()); !f.isEmpty()) {
        erro(QStringLiteral("AliqSemCampo"), zel::aliquotFieldMissingText(msgPadrao, f));
        return false;
    }

    zel::Peripherals& impressora = peripherals();
    if (!impressora.Estado_Impressora(false, false)) {
        ErroImpressora();
        return false;
    }

    // Items interrupted half-way (an error stopped the loop): that coupon is cancelled and
    // the sale is printed afresh.
    if (m_couponStage == CouponStage::Open && !AbandonaCupom()) {
        ErroImpressora();
        return false;
    }

    // The surcharge or discount the ledger plans for the items this coupon took.
    const auto enviaAjuste = [&] {
        const zel::CouponPlan plano = m_session.ledger().couponPlan();
        return impressora.Cupom_Conferencia(StnrVenda, plano.adjustmentKind, 0,
                                            zel::fromCents(plano.adjustment));
    };
    bool resultado = true;
    if (m_couponStage == CouponStage::None) {
        impressora.Abre_Gaveta();
        m_itensIgnorados.clear();
        m_linhasIgnoradas.clear();
        if (impressora.AbreCupom(stNrCupom)) {
            m_couponStage = CouponStage::Open;
        } else {
            // The items still go: some printers open the coupon with the first item.
            ErroImpressora();
            resultado = false;
        }
        bool itensVistos = false;
        const bool enviados = EnviaItens(itensVistos);
        // Items left off this coupon leave the sale: what is due fell, and the change (or the
        // change a covered sale now calls for) is worked out again before the closing.
        if (!m_linhasIgnoradas.isEmpty())
            FechaEntrada(false);
        if (!enviados)
            return false;
        if (m_couponStage == CouponStage::Open)
            m_couponStage = itensVistos ? CouponStage::Items : CouponStage::Totalled;
        else if (itensVistos)
            enviaAjuste(); // nothing of this coupon was taken: the printer answers for itself
    }

    // The surcharge or discount: a coupon closed without it would not carry the sale's total,
    // and no closing would then be accepted. Refused, the receipt stays open and the next OK
    // sends it again on the same coupon.
    if (m_couponStage == CouponStage::Items) {
        if (!enviaAjuste()) {
            ErroImpressora();
            return false;
        }
        m_couponStage = CouponStage::Totalled;
    }

    if (m_couponStage != CouponStage::Payment) {
        if (!impressora.AbreCupomRes(StnrVenda, QString())) {
            ErroImpressora();
            return false;
        }
        m_couponStage = CouponStage::Payment;
    }

    // A closing the printer refuses leaves the coupon in its payment phase: the receipt stays
    // open with its payments and the next OK closes that coupon.
    if (!FechaCupomVenda()) {
        ErroImpressora();
        return false;
    }
    m_couponStage = CouponStage::Closed;
    GravaDescontoEContraVale();
    return resultado;
}

// Sends the sale lines as items. False when the operator cancelled the coupon.
bool TfrmRecebimento::EnviaItens(bool& itensVistos)
{
    zel::Peripherals& impressora = peripherals();
    cdsVendaOk.first();
    cdsAliqImpFis.first();
    itensVistos = false;
    // The ledger follows what this coupon takes of each line, so the closing carries exactly
    // the items sent.
    int indice = 0;
    const auto proxima = [&](zel::OffCoupon fora) {
        m_session.ledger().setLineOff(indice++, fora);
        cdsVendaOk.next();
    };
    while (!cdsVendaOk.eof()) {
        const zel::CouponLine linha = zel::readCouponLine(cdsVendaOk);
        if (linha.naoFiscal) {
            proxima(zel::OffCoupon::NotFiscal);
            continue;
        }
        impressora.setCdAliq(QStringLiteral(" "));
        const zel::AliquotKey chave = zel::aliquotKey(linha);
        if (!cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"), {chave.kind, chave.rate})) {
            erro(QStringLiteral("AliqNaoCad"), zel::aliquotMissingText(msgPadrao, linha, chave));
            proxima(zel::OffCoupon::NoAliquot);
            continue;
        }
        impressora.setCdAliq(cdsAliqImpFis.fieldByName(QStringLiteral("CDALIQIMPFIS")).asString());
        if (!(linha.preco > 0)) {
            proxima(zel::OffCoupon::NoPrice);
            continue;
        }
        if (impressora.VendaItem(Vrm_zel00000::StnrVenda, QStringLiteral("D"), linha.cdProduto,
                                 linha.nmProduto, impressora.CdAliq(), linha.quantidade, linha.preco,
                                 zel::unitDiscount(linha.quantidade, linha.desconto))) {
            if (m_couponStage == CouponStage::None)
                m_couponStage = CouponStage::Open; // the printer took an item: a coupon is open
            itensVistos = true;                    // a coupon without items takes no surcharge or discount
            proxima(zel::OffCoupon::No);
            continue;
        }
        const int resposta = dialogs().TouchMessageDlg(
            zel::itemErrorQuestion(msgPadrao, linha), zel::DialogType::Information, zel::DialogButtons::YesNo,
            0, 0, QStringLiteral("&") + msgPadrao.Msg("CancelaCupom"));
        if (resposta == zel::mrYes) {
            // A line whose loss would leave the sale worth nothing cannot be left off: the coupon
            // is cancelled, and the receipt stays open with its payments.
            if (const QString recusa = m_session.leaveOffRefusal(indice); !recusa.isEmpty()) {
                erro(QStringLiteral("ItemNaoPodeSair"), recusa);
                if (!AbandonaCupom())
                    ErroImpressora();
                return false;
            }
            // Left off this coupon; the line leaves the sale when the coupon closes.
            m_itensIgnorados.append(cdsVendaOk.bookmark());
            m_linhasIgnoradas.append(indice);
            proxima(zel::OffCoupon::Ignored);
        } else if (resposta == zel::mrExtra) {
            // The coupon is cancelled and the printing stops; the receipt stays open with its
            // payments, so OK prints a new coupon and Exit abandons the sale.
            if (!AbandonaCupom())
                ErroImpressora();
            return false;
        }
        // No: the same line again.
    }
    return true;
}

bool TfrmRecebimento::AbandonaCupom()
{
    if (m_couponStage == CouponStage::None || m_couponStage == CouponStage::Closed)
        return true;
    // Only a coupon of this sale is cancelled: with none open the printer would cancel the
    // last coupon it closed, another sale's.
    if (!peripherals().Cancela_Cupom(false, false, stNrCupom))
        return false;
    m_couponStage = CouponStage::None;
    stNrCupom.clear(); // a cancelled coupon is no sale's number
    RestauraItensIgnorados();
    return true;
}

// The lines a cancelled coupon left off are the sale's again: what is due rose back, and the
// change is worked out again.
void TfrmRecebimento::RestauraItensIgnorados()
{
    m_itensIgnorados.clear();
    if (m_linhasIgnoradas.isEmpty())
        return;
    for (int linha : std::as_const(m_linhasIgnoradas))
        m_session.ledger().setLineOff(linha, zel::OffCoupon::No);
    m_linhasIgnoradas.clear();
    FechaEntrada(false);
}

bool TfrmRecebimento::FechaCupomVenda()
{
    // The coupon as the ledger plans it. It is closed only when it adds up: its items and
    // adjustment make its total, and its payments less its change are that total. The part of
    // the sale outside the coupon (lines that are not fiscal or have no aliquot) is received and
    // recorded, but not printed.
    m_session.sync();
    const zel::CouponPlan plano = m_session.ledger().couponPlan();
    if (!zel::planAddsUp(plano) || plano.change != m_session.ledger().changeDue()) {
        erro(QStringLiteral("CupomNaoConfere"),
             msgPadrao.Msg("CupomNaoConfere")
                 .arg(zel::formatCurrency(zel::fromCents(plano.total)),
                      zel::formatCurrency(zel::fromCents(zel::paymentsLessChange(plano)))));
        return false;
    }

    zel::CouponSale venda;
    venda.usaTef = stUsaTEF;
    venda.confirmaAuto = boConfirmaAuto;
    venda.formaPagto = stFormaPagto;
    venda.consumidorInf = boConsumidorInf;
    venda.nrInsJurClie = Vrm_zel00400::stNrInsJurClie;
    venda.nmFantClie = Vrm_zel00400::stNmFantClie;
    venda.cdConsumidor = stCodConsumidor;
    venda.nmConsumidor = stNomeConsumidor;
    venda.cnpjCpf = stCNPJCPF;
    venda.nome = stNome;
    zel::FechaCupomArgs a = zel::fechaCupomArgs(venda);
    a.emiteContraVale = plano.voucher;
    a.vrTroco = zel::fromCents(plano.change);
    // After a surcharge the discount goes with the closing; otherwise it was announced.
    // The discount still to give at the closing: after a surcharge, the plan's; when the discount
    // was announced (or there is none, or no item to take it) nothing, so it is never given twice.
    a.vrDesconto = zel::fromCents(plano.closingDiscount);
    a.vrServico = doVrServico;

    // The coupon's payment lines: each payment at its share of the coupon, none left at 0, and
    // each card under its own payment form (two cards of one sale are two forms).
    zel::DataPacket linhas = cdsMovCaixa.data();
    const int tipoMov = linhas.fieldIndex(QStringLiteral("IDTIPOMOVIVE"));
    const int valor = linhas.fieldIndex(QStringLiteral("VRMOVIVEND"));
    // Pix payments print under their type's own form too, but are no card form of the printer.
    const QMap<QString, QString> formas = formasDosCartoes();
    QSet<QString> tiposPix;
    {
        const zel::DataPacket tipos = cdsReceb.data();
        const int codigo = tipos.fieldIndex(QStringLiteral("CDTIPORECE"));
        const int kind = tipos.fieldIndex(QStringLiteral("IDTIPORECE"));
        for (const zel::Row& r : tipos.rows) {
            if (codigo >= 0 && kind >= 0 && r.value(kind).toString() == zel::kind::pix)
                tiposPix.insert(r.value(codigo).toString());
        }
    }
    QSet<QString> formasUsadas;
    const int tipo = linhas.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int nome = linhas.fieldIndex(QStringLiteral("NMTIPORECE"));
    for (zel::Row& row : linhas.rows) {
        const auto forma = formas.constFind(row.value(tipo).toString());
        if (forma != formas.cend() && row.value(tipoMov).toString() == QLatin1String("E")) {
            row[nome] = *forma;
            if (!tiposPix.contains(row.value(tipo).toString()))
                formasUsadas.insert(*forma);
        }
    }
    // One form for every card goes as the printer's card form too; with several each line
    // carries its own.
    a.formaPagto = formasUsadas.size() == 1 ? *formasUsadas.cbegin() : QString();
    int pagamento = 0;
    for (qsizetype i = 0; i < linhas.rows.size();) {
        zel::Row& row = linhas.rows[i];
        if (row.value(tipoMov).toString() == QLatin1String("S")) {
            ++i;
            continue;
        }
        const zel::Cents centavos = plano.payments.value(pagamento++);
        if (centavos == 0 && plano.outside != 0) {
            linhas.rows.removeAt(i);
            continue;
        }
        row[valor] = zel::fromCents(centavos);
        ++i;
    }
    zel::DataSet pagamentosCupom(cdsMovCaixa.fieldDefs());
    pagamentosCupom.setData(linhas);
    if (plano.outside > 0 && !m_foraAnotado) {
        m_session.note(zel::linhaPagamento(msgPadrao.Msg("ForaDoCupom"), zel::fromCents(plano.outside)));
        m_foraAnotado = true;
    }

    // The number is taken only from a closing the printer accepted.
    QString numero = stNrCupom;
    // With TEF the closing also confirms this sale's cards and undoes any left pending: the
    // title says so for as long as the manager is waited for.
    std::optional<zel::TefWaitScreen> aviso;
    if (stUsaTEF == QLatin1String("S"))
        aviso.emplace(m_ui->lblRecebimento, zel::tefText("TefFechando"));
    if (!peripherals().FechaCupom(a.emiteContraVale, a.semCartaoTef, a.vrDesconto, a.vrTroco, a.vrServico,
                                  a.usaTef, a.confirmaAuto, a.formaPagto, pagamentosCupom, cdsReceb, numero,
                                  a.linhaCliente, a.cdConsumidor, a.nmConsumidor, a.cnpjCpf, a.nome))
        return false;
    stNrCupom = numero;
    return true;
}

// After the closing: the lines left off the coupon leave the sale, the receipt's discount goes
// into every line, and the change row gets the Contra-Vale number (the coupon's number plus one).
void TfrmRecebimento::GravaDescontoEContraVale()
{
    for (qint64 linha : std::as_const(m_itensIgnorados)) {
        if (cdsVendaOk.gotoBookmark(linha))
            cdsVendaOk.deleteRecord();
    }
    m_itensIgnorados.clear();

    cdsVendaOk.first();
    if (doVrDesconto > 0) {
        for (; !cdsVendaOk.eof(); cdsVendaOk.next()) {
            cdsVendaOk.edit();
            cdsVendaOk.fieldByName(QStringLiteral("VRDESCOMANDA")).setFloat(doVrDesconto);
            cdsVendaOk.post();
        }
    }

    if (!boContraVale)
        return;
    cdsMovCaixa.setFiltered(false);
    cdsMovCaixa.setFilter(
        [](const zel::RecordView& row) {
            return row.text(QStringLiteral("IDTIPOMOVIVE")) == QLatin1String("S");
        },
        QStringLiteral("[IDTIPOMOVIVE] = 'S'"));
    cdsMovCaixa.setFiltered(true);
    if (!cdsMovCaixa.isEmpty()) {
        if (const auto digitos = zel::voucherDigits(stNrCupom)) {
            cdsMovCaixa.edit();
            cdsMovCaixa.fieldByName(QStringLiteral("NRCONTRAVALE"))
                .setString(peripherals().AjustaZero(*digitos, 4));
            cdsMovCaixa.post();
        } else {
            erro(QStringLiteral("ContraValeSemNumero"), zel::voucherNumberMissingText(msgPadrao, stNrCupom));
        }
    }
    // Back to every movement: the host and the closing of a later sale see them all.
    cdsMovCaixa.setFiltered(false);
    cdsMovCaixa.clearFilter();
    cdsMovCaixa.first();
}

QMap<QString, QString> TfrmRecebimento::formasDosCartoes() const
{
    QMap<QString, QString> formas;
    const zel::DataPacket tipos = cdsReceb.data();
    const int codigo = tipos.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int tipo = tipos.fieldIndex(QStringLiteral("IDTIPORECE"));
    const int nome = tipos.fieldIndex(QStringLiteral("NMTIPORECE"));
    const int forma = tipos.fieldIndex(QStringLiteral("CDFPIMPFIS"));
    if (codigo < 0 || tipo < 0)
        return formas;
    const bool porCodigo = peripherals().IdTipoImpFis() == 7;
    for (const zel::Row& row : tipos.rows) {
        const QString kind = row.value(tipo).toString();
        if ((!zel::isCardKind(kind) && kind != zel::kind::pix) ||
            formas.contains(row.value(codigo).toString()))
            continue;
        const int campo = porCodigo ? forma : nome;
        formas.insert(row.value(codigo).toString(), campo < 0 ? QString() : row.value(campo).toString());
    }
    return formas;
}
