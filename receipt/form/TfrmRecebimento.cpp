#include "TfrmRecebimento.h"

#include "devices/Peripherals.h"
#include "receipt/coupon/CouponArgs.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/ReceiptMessages.h"
#include "receipt/tef/TefWaitScreen.h"
#include "text/Money.h"
#include "ui_TfrmRecebimento.h"

#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <optional>

namespace {

// The status bar's four panels, left to right, as the host's other forms have them. This module
// writes nothing in them.
void addStatusPanels(QStatusBar* status)
{
    status->setSizeGripEnabled(false); // the form has no border to drag
    int n = 0;
    for (const int width : {170, 105, 370, 100}) {
        auto* panel = new QLabel(status);
        panel->setObjectName(QStringLiteral("stbStatusPanel%1").arg(++n));
        panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        status->addWidget(panel);
    }
}

} // namespace

TfrmRecebimento::TfrmRecebimento(QWidget* parent) : zel::TouchForm(parent), m_ui(new Ui::TfrmRecebimento)
{
    m_ui->setupUi(this);
    addStatusPanels(m_ui->stbStatus);
    FormCreate();
    PreparaEntrada();
    bindButtons();
    bindKeypad();
    bindCommands();
    zel::setTefWaitLabel(m_ui->lblRecebimento);
}

TfrmRecebimento::~TfrmRecebimento() = default;

void TfrmRecebimento::FormCreate()
{
    using namespace Vrm_zel00000;
    resize(800, 600);
    boMenuOcupado = boFechando = boEnterOcupado = boDesistiu = false;
    doVrAPagar = doVrPago = doVrTroco = doVrTotal = 0;
    stGrupo = QStringLiteral("01");
    NrPagina = 1;

    if (IdTipoSis == QLatin1String("RES"))
        m_ui->lblNmVenda->setText(QStringLiteral("Nr. Mesa"));
    else if (IdTipoSis == QLatin1String("CXA"))
        m_ui->lblNmVenda->setText(QStringLiteral("Nr. Cupom"));

    cdsMovCaixa.close();
    cdsMovCaixa.createDataSet();

    const QPixmap picture = QFileInfo::exists(stFigura) ? QPixmap(stFigura) : QPixmap();
    const bool hasPicture = !picture.isNull();
    if (hasPicture) {
        m_ui->imgFundo->setPixmap(picture);
        m_ui->imgTeclado->setPixmap(picture);
    }
    m_ui->imgFundo->setVisible(hasPicture);
    m_ui->imgTeclado->setVisible(hasPicture);

    m_ui->lblNrVenda->setText(StnrVenda);
    TipoTecl = ttvalor;
}

void TfrmRecebimento::MostraValores()
{
    m_ui->lblValorPago->setText(zel::formatCurrency(doVrPago));
    m_ui->lblValorTotal->setText(zel::formatCurrency(doVrTotal));
    m_ui->lblServico->setText(zel::formatCurrency(doVrServico));
    m_ui->lblVrConsumacao->setText(zel::formatCurrency(doVrConsumacao));
    // The amount-due field shows the change once there is one, under its caption, in maroon.
    const bool troco = m_ledger.change() > 0;
    if (troco)
        m_ui->lblPagar->setText(zel::changeCaption(msgPadrao, boContraVale));
    else if (!stCaptionPagar.isEmpty())
        m_ui->lblPagar->setText(stCaptionPagar);
    m_ui->lblValorPagar->setText(zel::formatCurrency(troco ? doVrTroco : doVrAPagar));
    for (QLabel* label : {m_ui->lblPagar, m_ui->lblValorPagar})
        label->setStyleSheet(
            zel::withTextColor(label->styleSheet(), troco ? zel::kChangeColor : QStringLiteral("navy")));
}

void TfrmRecebimento::LeLinhasVenda(const QList<zel::Cents>* valores)
{
    QList<zel::SaleLine> linhas;
    const bool camposCupom = zel::missingField(cdsVendaOk.fieldDefs(), zel::couponLineFields()).isEmpty() &&
                             zel::missingField(cdsAliqImpFis.fieldDefs(), zel::aliquotFields()).isEmpty();
    const qint64 atual = cdsVendaOk.active() && !cdsVendaOk.isEmpty() ? cdsVendaOk.bookmark() : -1;
    // The fields are found once for the whole sale, and each aliquot is looked up once: a sale
    // of thousands of lines has few kinds of tax. The aliquot table's cursor ends where the
    // lookups one line after another would leave it, on the last aliquot found.
    const auto campo = [this](const char* name) {
        return std::optional<zel::Field>(cdsVendaOk.fieldByName(QLatin1String(name)));
    };
    std::optional<zel::Field> naoFiscal, tipoImposto, aliquota, quantidade, preco, desconto;
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
    std::optional<zel::AliquotKey> ultimaAchada;
    int i = 0;
    for (cdsVendaOk.first(); !cdsVendaOk.eof(); cdsVendaOk.next(), ++i) {
        zel::SaleLine linha;
        if (valores && i < valores->size())
            linha.amount = valores->at(i);
        else
            linha.amount = zel::lineAmount(quantidade->asFloat(), preco->asFloat(), desconto->asFloat());
        // Which lines the coupon will carry, by the rules its printing follows (EnviaItens). A
        // sale without the fields the coupon reads is refused at OK; its lines count as items.
        if (camposCupom) {
            zel::CouponLine cupom;
            cupom.naoFiscal = naoFiscal->asString() == QLatin1String("S");
            cupom.tipoImposto = tipoImposto->asString();
            cupom.pcAliquota = aliquota->asFloat();
            cupom.quantidade = quantidade->asFloat();
            cupom.preco = preco->asFloat();
            cupom.desconto = desconto->asFloat();
            const auto achaAliquota = [&] {
                const zel::AliquotKey chave = zel::aliquotKey(cupom);
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
                linha.off = zel::OffCoupon::NotFiscal;
            else if (!achaAliquota())
                linha.off = zel::OffCoupon::NoAliquot;
            else if (!(cupom.preco > 0))
                linha.off = zel::OffCoupon::NoPrice;
        }
        linhas.append(linha);
    }
    if (ultimaAchada)
        cdsAliqImpFis.locate(QStringLiteral("IDALIQIMPFIS;VRALIQIMPFIS"),
                             {ultimaAchada->kind, ultimaAchada->rate});
    if (atual >= 0)
        cdsVendaOk.gotoBookmark(atual);
    m_ledger.setLines(linhas);
    SincronizaValores();
}

void TfrmRecebimento::SincronizaValores()
{
    QHash<QString, QString> tipos; // payment type → its kind, over every row of the table
    const zel::DataPacket receb = cdsReceb.data();
    const int cdTipo = receb.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int idTipo = receb.fieldIndex(QStringLiteral("IDTIPORECE"));
    if (cdTipo >= 0 && idTipo >= 0)
        for (const zel::Row& row : receb.rows)
            if (!tipos.contains(row.value(cdTipo).toString()))
                tipos.insert(row.value(cdTipo).toString(), row.value(idTipo).toString());

    QList<zel::LedgerPayment> pagamentos;
    zel::Cents troco = 0;
    const zel::DataPacket mov = cdsMovCaixa.data();
    const int tipoMov = mov.fieldIndex(QStringLiteral("IDTIPOMOVIVE"));
    const int tipo = mov.fieldIndex(QStringLiteral("CDTIPORECE"));
    const int valor = mov.fieldIndex(QStringLiteral("VRMOVIVEND"));
    if (tipoMov >= 0 && tipo >= 0 && valor >= 0) {
        for (const zel::Row& row : mov.rows) {
            const zel::Cents centavos = zel::toCents(row.value(valor).toDouble());
            if (row.value(tipoMov).toString() == QLatin1String("S"))
                troco += centavos;
            else
                pagamentos.append({tipos.value(row.value(tipo).toString()), centavos});
        }
    }
    m_ledger.setPayments(pagamentos);
    m_ledger.setChange(troco, boContraVale);

    doVrTotal = zel::fromCents(m_ledger.total());
    doVrServico = zel::fromCents(m_ledger.fee());
    doVrConsumacao = zel::fromCents(m_ledger.minimumConsumption());
    doVrDescComanda = zel::fromCents(m_ledger.comandaDiscount());
    doVrDesconto = zel::fromCents(m_ledger.discount());
    doVrPago = zel::fromCents(m_ledger.paid());
    doVrAPagar = zel::fromCents(m_ledger.due());
    doVrTroco = zel::fromCents(m_ledger.change());
}

void TfrmRecebimento::FormActivate()
{
    if (!Vrm_zel00000::boIdCriado)
        return;
    cdsVendaOk.open();
    cdsVendaOk.first();
    zel::OpeningTotals totals;
    if (m_totaisAbertura) {
        totals = std::move(*m_totaisAbertura);
        m_totaisAbertura.reset();
    } else {
        auto computed = zel::computeOpeningTotals(cdsVendaOk.columns(zel::kOpeningFields));
        if (!computed)
            throw std::runtime_error(computed.errorMessage().toStdString());
        totals = *computed;
    }
    m_ledger.setCharges(zel::toCents(totals.servico), zel::toCents(totals.consumacao),
                        zel::toCents(totals.descComanda));
    LeLinhasVenda(&totals.lines);
    cdsVendaOk.last();
    MostraValores();
    stCaptionPagar = m_ui->lblPagar->text();
    MontaMenuGrupo();
    MontaBotoes(stGrupo, QString::number(NrPagina));
    dtMovFiscal = QDateTime(zel::peripherals().DataMoviFiscal(), QTime(0, 0));
    Vrm_zel00000::boIdCriado = false;
    // Cards an earlier receipt left to undo go first, once the form is on screen.
    if (!m_pendentesAnteriores.isEmpty())
        QMetaObject::invokeMethod(this, &TfrmRecebimento::DesfazPendentesAnteriores, Qt::QueuedConnection);
}
