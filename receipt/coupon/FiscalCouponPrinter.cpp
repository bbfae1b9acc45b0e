// The sale's fiscal coupon on the fiscal printer: drawer and opening, the items with their tax
// codes, the surcharge or discount, the payment phase and the closing with the payment
// movements; then the coupon discount goes into the sale lines and the Contra-Vale gets its
// number. Everything it prints comes from the session's ledger plan, so the coupon agrees to
// the cent with what the screen showed and the movements record.

#include "FiscalCouponPrinter.h"

#include "devices/Peripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/RunningList.h"
#include "receipt/tef/TefMessages.h"
#include "receipt/tef/TefWaitScreen.h"
#include "text/ErrorLog.h"
#include "text/Money.h"

#include <QSet>
#include <optional>

namespace zel {

FiscalCouponPrinter::FiscalCouponPrinter(ReceiptSession& session, Peripherals& devices, Dialogs& dialogs,
                                         QString& nrCupom)
    : m_session(session), m_devices(devices), m_dialogs(dialogs), m_nrCupom(nrCupom)
{
}

// Shown to the operator, logged and kept for the host under its catalogue key.
void FiscalCouponPrinter::erro(const QString& code, const QString& text, const QLoggingCategory& category)
{
    reportError(category, code, text);
    m_dialogs.TouchMessageDlg(text, DialogType::Error, DialogButtons::Ok, 0, 0, QString());
}

void FiscalCouponPrinter::dueChanged()
{
    if (onDueChanged)
        onDueChanged();
}

// A refused printer command: the module's error, and under it the printer's own reason when it
// gives one, so the operator knows whether trying OK again can help.
void FiscalCouponPrinter::printerError()
{
    QString texto = m_session.msgPadrao.Msg("ErroComando");
    if (const QString motivo = m_devices.lastPrinterError().trimmed(); !motivo.isEmpty())
        texto += QStringLiteral("\r\n") + m_session.msgPadrao.Msg("MotivoImpressora").arg(motivo);
    erro(QStringLiteral("ErroComando"), texto, lcDevices());
}

// The sale's fiscal coupon: drawer and opening, the items with their tax codes, the surcharge
// or discount, the payment phase and the closing with the payment movements; then the coupon
// discount goes into the sale lines and the Contra-Vale gets its number.
//
// The coupon's progress is kept on the form, so that OK pressed again after a refused payment
// phase or closing finishes the coupon still open on the printer: a sale never gets two
// coupons, and its lines are only changed once its coupon is closed.
bool FiscalCouponPrinter::print(const Sale& sale)
{
    if (m_stage == Stage::Closed)
        return true;
    m_sale = sale;

    // A sale or aliquot table without the fields the coupon reads is refused before the
    // printer hears of it.
    if (const QString f = missingField(m_session.cdsVendaOk.fieldDefs(), couponLineFields()); !f.isEmpty()) {
        erro(QStringLiteral("VendaSemCampoCupom"), saleFieldMissingText(m_session.msgPadrao, f));
        return false;
    }
    if (const QString f = missingField(m_session.cdsAliqImpFis.fieldDefs(), aliquotFields()); !f.isEmpty()) {
        erro(QStringLiteral("AliqSemCampo"), aliquotFieldMissingText(m_session.msgPadrao, f));
        return false;
    }

    Peripherals& impressora = m_devices;
    if (!impressora.Estado_Impressora(false, false)) {
        printerError();
        return false;
    }

    // Items interrupted half-way (an error stopped the loop): that coupon is cancelled and
    // the sale is printed afresh.
    if (m_stage == Stage::Open && !abandon()) {
        printerError();
        return false;
    }

    // The surcharge or discount the ledger plans for the items this coupon took.
    const auto enviaAjuste = [&] {
        const CouponPlan plano = m_session.ledger().couponPlan();
        return impressora.Cupom_Conferencia(m_sale.nrVenda, plano.adjustmentKind, 0,
                                            fromCents(plano.adjustment));
    };
    bool resultado = true;
    if (m_stage == Stage::None) {
        impressora.Abre_Gaveta();
        m_itensIgnorados.clear();
        m_linhasIgnoradas.clear();
        if (impressora.AbreCupom(m_nrCupom)) {
            m_stage = Stage::Open;
        } else {
            // The items still go: some printers open the coupon with the first item.
            printerError();
            resultado = false;
        }
        bool itensVistos = false;
        const bool enviados = sendItems(itensVistos);
        // Items left off this coupon leave the sale: what is due fell, and the change (or the
        // change a covered sale now calls for) is worked out again before the closing.
        if (!m_linhasIgnoradas.isEmpty())
            dueChanged();
        if (!enviados)
            return false;
        if (m_stage == Stage::Open)
            m_stage = itensVistos ? Stage::Items : Stage::Totalled;
        else if (itensVistos)
            enviaAjuste(); // nothing of this coupon was taken: the printer answers for itself
    }

    // The surcharge or discount: a coupon closed without it would not carry the sale's total,
    // and no closing would then be accepted. Refused, the receipt stays open and the next OK
    // sends it again on the same coupon.
    if (m_stage == Stage::Items) {
        if (!enviaAjuste()) {
            printerError();
            return false;
        }
        m_stage = Stage::Totalled;
    }

    if (m_stage != Stage::Payment) {
        if (!impressora.AbreCupomRes(m_sale.nrVenda, QString())) {
            printerError();
            return false;
        }
        m_stage = Stage::Payment;
    }

    // A closing the printer refuses leaves the coupon in its payment phase: the receipt stays
    // open with its payments and the next OK closes that coupon.
    if (!closeCoupon()) {
        printerError();
        return false;
    }
    m_stage = Stage::Closed;
    writeBack();
    return resultado;
}

// Sends the sale lines as items. False when the operator cancelled the coupon.
bool FiscalCouponPrinter::sendItems(bool& itensVistos)
{
    Peripherals& impressora = m_devices;
    m_session.cdsVendaOk.first();
    m_session.cdsAliqImpFis.first();
    itensVistos = false;
    // The ledger follows what this coupon takes of each line, so the closing carries exactly
    // the items sent.
    int indice = 0;
    const auto proxima = [&](OffCoupon fora) {
        m_session.ledger().setLineOff(indice++, fora);
        m_session.cdsVendaOk.next();
    };
    while (!m_session.cdsVendaOk.eof()) {
        const CouponLine linha = readCouponLine(m_session.cdsVendaOk);
        if (linha.naoFiscal) {
            proxima(OffCoupon::NotFiscal);
            continue;
        }
        impressora.setCdAliq(QStringLiteral(" "));
        const AliquotKey chave = aliquotKey(linha);
        if (!m_session.cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"),
                                            {chave.kind, chave.rate})) {
            erro(QStringLiteral("AliqNaoCad"), aliquotMissingText(m_session.msgPadrao, linha, chave));
            proxima(OffCoupon::NoAliquot);
            continue;
        }
        impressora.setCdAliq(m_session.cdsAliqImpFis.fieldByName(QStringLiteral("CDALIQIMPFIS")).asString());
        if (!(linha.preco > 0)) {
            proxima(OffCoupon::NoPrice);
            continue;
        }
        if (impressora.VendaItem(m_sale.nrVenda, QStringLiteral("D"), linha.cdProduto, linha.nmProduto,
                                 impressora.CdAliq(), linha.quantidade, linha.preco,
                                 unitDiscount(linha.quantidade, linha.desconto))) {
            if (m_stage == Stage::None)
                m_stage = Stage::Open; // the printer took an item: a coupon is open
            itensVistos = true;        // a coupon without items takes no surcharge or discount
            proxima(OffCoupon::No);
            continue;
        }
        const int resposta = m_dialogs.TouchMessageDlg(
            itemErrorQuestion(m_session.msgPadrao, linha), DialogType::Information, DialogButtons::YesNo, 0,
            0, QStringLiteral("&") + m_session.msgPadrao.Msg("CancelaCupom"));
        if (resposta == mrYes) {
            // A line whose loss would leave the sale worth nothing cannot be left off: the coupon
            // is cancelled, and the receipt stays open with its payments.
            if (const QString recusa = m_session.leaveOff(indice); !recusa.isEmpty()) {
                erro(QStringLiteral("ItemNaoPodeSair"), recusa);
                if (!abandon())
                    printerError();
                return false;
            }
            // Left off this coupon; the line leaves the sale when the coupon closes.
            m_itensIgnorados.append(m_session.cdsVendaOk.bookmark());
            m_linhasIgnoradas.append(indice);
            proxima(OffCoupon::Ignored);
        } else if (resposta == mrExtra) {
            // The coupon is cancelled and the printing stops; the receipt stays open with its
            // payments, so OK prints a new coupon and Exit abandons the sale.
            if (!abandon())
                printerError();
            return false;
        }
        // No: the same line again.
    }
    return true;
}

bool FiscalCouponPrinter::abandon()
{
    if (m_stage == Stage::None || m_stage == Stage::Closed)
        return true;
    // Only a coupon of this sale is cancelled: with none open the printer would cancel the
    // last coupon it closed, another sale's.
    if (!m_devices.Cancela_Cupom(false, false, m_nrCupom))
        return false;
    m_stage = Stage::None;
    m_nrCupom.clear(); // a cancelled coupon is no sale's number
    restoreLeftOff();
    return true;
}

// The lines a cancelled coupon left off are the sale's again: what is due rose back, and the
// change is worked out again.
void FiscalCouponPrinter::restoreLeftOff()
{
    m_itensIgnorados.clear();
    if (m_linhasIgnoradas.isEmpty())
        return;
    for (int linha : std::as_const(m_linhasIgnoradas))
        m_session.ledger().setLineOff(linha, OffCoupon::No);
    m_linhasIgnoradas.clear();
    dueChanged();
}

bool FiscalCouponPrinter::closeCoupon()
{
    // The coupon as the ledger plans it. It is closed only when it adds up: its items and
    // adjustment make its total, and its payments less its change are that total. The part of
    // the sale outside the coupon (lines that are not fiscal or have no aliquot) is received and
    // recorded, but not printed.
    m_session.sync();
    const CouponPlan plano = m_session.ledger().couponPlan();
    if (!planAddsUp(plano) || plano.change != m_session.ledger().changeDue()) {
        erro(QStringLiteral("CupomNaoConfere"),
             m_session.msgPadrao.Msg("CupomNaoConfere")
                 .arg(formatCurrency(fromCents(plano.total)),
                      formatCurrency(fromCents(paymentsLessChange(plano)))));
        return false;
    }

    FechaCupomArgs a = fechaCupomArgs(m_sale.coupon);
    a.emiteContraVale = plano.voucher;
    a.vrTroco = fromCents(plano.change);
    // After a surcharge the discount goes with the closing; otherwise it was announced.
    // The discount still to give at the closing: after a surcharge, the plan's; when the discount
    // was announced (or there is none, or no item to take it) nothing, so it is never given twice.
    a.vrDesconto = fromCents(plano.closingDiscount);
    a.vrServico = m_session.doVrServico;

    // The coupon's payment lines: each payment at its share of the coupon, none left at 0, and
    // each card under its own payment form (two cards of one sale are two forms).
    DataPacket linhas = m_session.cdsMovCaixa.data();
    const int tipoMov = linhas.fieldIndex(QStringLiteral("IDTIPOMOVIVE"));
    const int valor = linhas.fieldIndex(QStringLiteral("VRMOVIVEND"));
    // Pix payments print under their type's own form too, but are no card form of the printer.
    const QMap<QString, QString> formas = cardForms();
    QSet<QString> tiposPix;
    {
        const DataPacket tipos = m_session.cdsReceb.data();
        const int codigo = tipos.fieldIndex(QStringLiteral("CDTIPORECE"));
        const int kind = tipos.fieldIndex(QStringLiteral("IDTIPORECE"));
        for (const Row& r : tipos.rows) {
            if (codigo >= 0 && kind >= 0 && r.value(kind).toString() == kind::pix)
                tiposPix.insert(r.value(codigo).toString());
        }
    }
    QSet<QString> formasUsadas;
    const int tipo = linhas.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int nome = linhas.fieldIndex(QStringLiteral("NMTIPORECE"));
    for (Row& row : linhas.rows) {
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
        Row& row = linhas.rows[i];
        if (row.value(tipoMov).toString() == QLatin1String("S")) {
            ++i;
            continue;
        }
        const Cents centavos = plano.payments.value(pagamento++);
        if (centavos == 0 && plano.outside != 0) {
            linhas.rows.removeAt(i);
            continue;
        }
        row[valor] = fromCents(centavos);
        ++i;
    }
    DataSet pagamentosCupom(m_session.cdsMovCaixa.fieldDefs());
    pagamentosCupom.setData(linhas);
    if (plano.outside > 0 && !m_foraAnotado) {
        m_session.note(linhaPagamento(m_session.msgPadrao.Msg("ForaDoCupom"), fromCents(plano.outside)));
        m_foraAnotado = true;
    }

    // The number is taken only from a closing the printer accepted.
    QString numero = m_nrCupom;
    // With TEF the closing also confirms this sale's cards and undoes any left pending: the
    // title says so for as long as the manager is waited for.
    std::optional<TefWaitScreen> aviso;
    if (m_sale.coupon.usaTef == QLatin1String("S"))
        aviso.emplace(m_sale.waitLabel, tefText("TefFechando"));
    if (!m_devices.FechaCupom(a.emiteContraVale, a.semCartaoTef, a.vrDesconto, a.vrTroco, a.vrServico,
                              a.usaTef, a.confirmaAuto, a.formaPagto, pagamentosCupom, m_session.cdsReceb,
                              numero, a.linhaCliente, a.cdConsumidor, a.nmConsumidor, a.cnpjCpf, a.nome))
        return false;
    m_nrCupom = numero;
    return true;
}

// After the closing: the lines left off the coupon leave the sale, the receipt's discount goes
// into every line, and the change row gets the Contra-Vale number (the coupon's number plus one).
void FiscalCouponPrinter::writeBack()
{
    for (qint64 linha : std::as_const(m_itensIgnorados)) {
        if (m_session.cdsVendaOk.gotoBookmark(linha))
            m_session.cdsVendaOk.deleteRecord();
    }
    m_itensIgnorados.clear();

    m_session.cdsVendaOk.first();
    if (m_session.doVrDesconto > 0) {
        for (; !m_session.cdsVendaOk.eof(); m_session.cdsVendaOk.next()) {
            m_session.cdsVendaOk.edit();
            m_session.cdsVendaOk.fieldByName(QStringLiteral("VRDESCOMANDA")).setFloat(m_session.doVrDesconto);
            m_session.cdsVendaOk.post();
        }
    }

    if (!m_session.boContraVale)
        return;
    m_session.cdsMovCaixa.setFiltered(false);
    m_session.cdsMovCaixa.setFilter(
        [](const RecordView& row) { return row.text(QStringLiteral("IDTIPOMOVIVE")) == QLatin1String("S"); },
        QStringLiteral("[IDTIPOMOVIVE] = 'S'"));
    m_session.cdsMovCaixa.setFiltered(true);
    if (!m_session.cdsMovCaixa.isEmpty()) {
        if (const auto digitos = voucherDigits(m_nrCupom)) {
            m_session.cdsMovCaixa.edit();
            m_session.cdsMovCaixa.fieldByName(QStringLiteral("NRCONTRAVALE"))
                .setString(m_devices.AjustaZero(*digitos, 4));
            m_session.cdsMovCaixa.post();
        } else {
            erro(QStringLiteral("ContraValeSemNumero"),
                 voucherNumberMissingText(m_session.msgPadrao, m_nrCupom));
        }
    }
    // Back to every movement: the host and the closing of a later sale see them all.
    m_session.cdsMovCaixa.setFiltered(false);
    m_session.cdsMovCaixa.clearFilter();
    m_session.cdsMovCaixa.first();
}

QMap<QString, QString> FiscalCouponPrinter::cardForms() const
{
    QMap<QString, QString> formas;
    const DataPacket tipos = m_session.cdsReceb.data();
    const int codigo = tipos.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int tipo = tipos.fieldIndex(QStringLiteral("IDTIPORECE"));
    const int nome = tipos.fieldIndex(QStringLiteral("NMTIPORECE"));
    const int forma = tipos.fieldIndex(QStringLiteral("CDFPIMPFIS"));
    if (codigo < 0 || tipo < 0)
        return formas;
    const bool porCodigo = m_devices.IdTipoImpFis() == 7;
    for (const Row& row : tipos.rows) {
        const QString kind = row.value(tipo).toString();
        if ((!isCardKind(kind) && kind != kind::pix) || formas.contains(row.value(codigo).toString()))
            continue;
        const int campo = porCodigo ? forma : nome;
        formas.insert(row.value(codigo).toString(), campo < 0 ? QString() : row.value(campo).toString());
    }
    return formas;
}

} // namespace zel
