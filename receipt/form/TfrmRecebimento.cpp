#include "TfrmRecebimento.h"

#include "devices/Peripherals.h"
#include "receipt/coupon/CouponArgs.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/payment/ReceiptMessages.h"
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
    m_session.onChanged = [this] { MostraValores(); };
}

TfrmRecebimento::~TfrmRecebimento() = default;

void TfrmRecebimento::FormCreate()
{
    using namespace Vrm_zel00000;
    resize(800, 600);
    boMenuOcupado = boFechando = boEnterOcupado = boDesistiu = false;
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
    const bool troco = m_session.ledger().change() > 0;
    if (troco)
        m_ui->lblPagar->setText(zel::changeCaption(msgPadrao, boContraVale));
    else if (!stCaptionPagar.isEmpty())
        m_ui->lblPagar->setText(stCaptionPagar);
    m_ui->lblValorPagar->setText(zel::formatCurrency(troco ? doVrTroco : doVrAPagar));
    for (QLabel* label : {m_ui->lblPagar, m_ui->lblValorPagar})
        label->setStyleSheet(
            zel::withTextColor(label->styleSheet(), troco ? zel::kChangeColor : QStringLiteral("navy")));
    m_ui->memLista->clear();
    for (const QString& linha : m_session.listLines())
        zel::Linha(m_ui->memLista, linha);
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
    m_session.ledger().setCharges(zel::toCents(totals.servico), zel::toCents(totals.consumacao),
                        zel::toCents(totals.descComanda));
    m_session.readSaleLines(&totals.lines);
    cdsVendaOk.last();
    MostraValores();
    stCaptionPagar = m_ui->lblPagar->text();
    MontaMenuGrupo();
    MontaBotoes(stGrupo, QString::number(NrPagina));
    dtMovFiscal = QDateTime(zel::peripherals().DataMoviFiscal(), QTime(0, 0));
    Vrm_zel00000::boIdCriado = false;
    // Cards an earlier receipt left to undo go first, once the form is on screen.
    if (m_cartoes.earlierPending())
        QMetaObject::invokeMethod(this, &TfrmRecebimento::DesfazPendentesAnteriores, Qt::QueuedConnection);
}
