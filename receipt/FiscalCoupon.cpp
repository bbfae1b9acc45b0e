#include "consumer/Vrm_zel00400.h"
#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/CouponArgs.h"
#include "receipt/TfrmRecebimento.h"
#include "receipt/Vrm_zel00000.h"

using zel::dialogs;
using zel::peripherals;

namespace {

void erro(const QString& text)
{
    dialogs().TouchMessageDlg(text, zel::DialogType::Error, zel::DialogButtons::Ok, 0, 0, QString());
}

} // namespace

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
        erro(zel::saleFieldMissingText(msgPadrao, f));
        return false;
    }
    if (const QString f = zel::missingField(cdsAliqImpFis.fieldDefs(), zel::aliquotFields()); !f.isEmpty()) {
        erro(zel::aliquotFieldMissingText(msgPadrao, f));
        return false;
    }

    zel::Peripherals& impressora = peripherals();
    if (!impressora.Estado_Impressora(false, false)) {
        erro(msgPadrao.Msg("ErroComando"));
        return false;
    }

    // Items interrupted half-way (an error stopped the loop): that coupon is cancelled and
    // the sale is printed afresh.
    if (m_couponStage == CouponStage::Open && !AbandonaCupom()) {
        erro(msgPadrao.Msg("ErroComando"));
        return false;
    }

    const auto enviaAjuste = [&] {
        const zel::CouponAdjustment ajuste =
            zel::couponAdjustment(doVrServico, doVrConsumacao, doVrDescComanda, doVrDesconto);
        return impressora.Cupom_Conferencia(StnrVenda, ajuste.tipo, ajuste.percentual, ajuste.valor);
    };
    bool resultado = true;
    if (m_couponStage == CouponStage::None) {
        impressora.Abre_Gaveta();
        m_itensIgnorados.clear();
        if (impressora.AbreCupom(stNrCupom)) {
            m_couponStage = CouponStage::Open;
        } else {
            // The items still go: some printers open the coupon with the first item.
            erro(msgPadrao.Msg("ErroComando"));
            resultado = false;
        }
        bool itensVistos = false;
        if (!EnviaItens(itensVistos))
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
            erro(msgPadrao.Msg("ErroComando"));
            return false;
        }
        m_couponStage = CouponStage::Totalled;
    }

    if (m_couponStage != CouponStage::Payment) {
        if (!impressora.AbreCupomRes(StnrVenda, QString())) {
            erro(msgPadrao.Msg("ErroComando"));
            return false;
        }
        m_couponStage = CouponStage::Payment;
    }

    // A closing the printer refuses leaves the coupon in its payment phase: the receipt stays
    // open with its payments and the next OK closes that coupon.
    if (!FechaCupomVenda()) {
        erro(msgPadrao.Msg("ErroComando"));
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
    while (!cdsVendaOk.eof()) {
        const zel::CouponLine linha = zel::readCouponLine(cdsVendaOk);
        if (linha.naoFiscal) {
            cdsVendaOk.next();
            continue;
        }
        itensVistos = true;
        impressora.setCdAliq(QStringLiteral(" "));
        const zel::AliquotKey chave = zel::aliquotKey(linha);
        if (!cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"), {chave.kind, chave.rate})) {
            erro(zel::aliquotMissingText(msgPadrao, linha, chave));
            cdsVendaOk.next();
            continue;
        }
        impressora.setCdAliq(cdsAliqImpFis.fieldByName(QStringLiteral("CDALIQIMPFIS")).asString());
        if (!(linha.preco > 0)) {
            cdsVendaOk.next();
            continue;
        }
        if (impressora.VendaItem(Vrm_zel00000::StnrVenda, QStringLiteral("D"), linha.cdProduto,
                                 linha.nmProduto, impressora.CdAliq(), linha.quantidade, linha.preco,
                                 zel::unitDiscount(linha.quantidade, linha.desconto))) {
            if (m_couponStage == CouponStage::None)
                m_couponStage = CouponStage::Open; // the printer took an item: a coupon is open
            cdsVendaOk.next();
            continue;
        }
        const int resposta = dialogs().TouchMessageDlg(
            zel::itemErrorQuestion(msgPadrao, linha), zel::DialogType::Information, zel::DialogButtons::YesNo,
            0, 0, QStringLiteral("&") + msgPadrao.Msg("CancelaCupom"));
        if (resposta == zel::mrYes) {
            // Left off this coupon; the line leaves the sale when the coupon closes.
            m_itensIgnorados.append(cdsVendaOk.bookmark());
            cdsVendaOk.next();
        } else if (resposta == zel::mrExtra) {
            // The coupon is cancelled and the printing stops; the receipt stays open with its
            // payments, so OK prints a new coupon and Exit abandons the sale.
            if (!AbandonaCupom())
                erro(msgPadrao.Msg("ErroComando"));
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
    m_itensIgnorados.clear();
    return true;
}

bool TfrmRecebimento::FechaCupomVenda()
{
    zel::CouponSale venda;
    venda.vrDesconto = doVrDesconto;
    venda.vrTroco = doVrTroco;
    venda.vrServico = doVrServico;
    venda.contraVale = boContraVale;
    venda.pcMaxTroco = stPcMaxTroco;
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
    const zel::FechaCupomArgs a = zel::fechaCupomArgs(venda, cdsMovCaixa.data(), cdsReceb.data());

    // The number is taken only from a closing the printer accepted.
    QString numero = stNrCupom;
    if (!peripherals().FechaCupom(a.emiteContraVale, a.semCartaoTef, a.vrDesconto, a.vrTroco, a.vrServico,
                                  a.usaTef, a.confirmaAuto, a.formaPagto, cdsMovCaixa, cdsReceb, numero,
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
            erro(zel::voucherNumberMissingText(msgPadrao, stNrCupom));
        }
    }
    // Back to every movement: the host and the closing of a later sale see them all.
    cdsMovCaixa.setFiltered(false);
    cdsMovCaixa.clearFilter();
    cdsMovCaixa.first();
}
