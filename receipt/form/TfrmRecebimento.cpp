#include "TfrmRecebimento.h"

#include "devices/Peripherals.h"
#include "receipt/coupon/CouponArgs.h"
#include "receipt/form/RunningListMemo.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/ButtonGrid.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/OpeningTotals.h"
#include "receipt/payment/ReceiptMessages.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"
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
    m_session.readSettings();
    Vrm_zel00000::InputStep = isNone;
    bindHandlers();
    m_session.onChanged = [this] { MostraValores(); };
}

TfrmRecebimento::~TfrmRecebimento() = default;

void TfrmRecebimento::bindHandlers()
{
    for (int i = 1; i <= zel::kPaymentButtons; ++i) {
        auto* button = findChild<zel::TTouchButton*>(zel::buttonName(QStringLiteral("tcbBalcao"), i));
        bindClick(button, [this, button] { tcbBalcaoClick(button); });
    }
    for (int i = 1; i <= zel::kGroupButtons; ++i) {
        auto* button = findChild<zel::TTouchButton*>(zel::buttonName(QStringLiteral("tcbGrupo"), i));
        bindClick(button, [this, button] { tcbGrupoClick(button); });
    }
    bindClick(m_ui->tcbProximo, [this] { tcbProximoClick(); });
    bindClick(m_ui->tcbAnterior, [this] { tcbAnteriorClick(); });
    bindClick(m_ui->tcbVoltar, [this] { tcbVoltarClick(); });
    for (zel::TTouchButton* button : {m_ui->tcb0, m_ui->tcb1, m_ui->tcb2, m_ui->tcb3, m_ui->tcb4, m_ui->tcb5,
                                      m_ui->tcb6, m_ui->tcb7, m_ui->tcb8, m_ui->tcb9, m_ui->tcbVirgula})
        bindClick(button, [this, button] { tcbTeclaClick(button); });
    bindClick(m_ui->tcbCorrigir, [this] { tcbCorrigirClick(); });
    bindClick(m_ui->tcbEnter, [this] { tcbEnterClick(); });
    // The entry label changes on every key and keeps the size of its design: held at that
    // size, a new text repaints the label alone and never asks the form to lay itself out.
    m_ui->lblInputReceb2->setFixedSize(m_ui->lblInputReceb2->size());
    QFont entrada = m_ui->lblInputReceb2->font();
    entrada.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    entrada.setPixelSize(27);
    entrada.setBold(true);
    m_ui->lblInputReceb2->setFont(entrada);
    bindClick(m_ui->tcbOk, [this] { tcbOkClick(); });
    bindClick(m_ui->tcbSair, [this] { tcbSairClick(); });
    bindClick(m_ui->tcbDesconto, [this] { tcbDescontoClick(); });
    bindClick(m_ui->tcbClear, [this] { tcbClearClick(); });
    bindClick(m_ui->tcbCNPJCPF, [this] { tcbCNPJCPFClick(); });
}

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
    const zel::ReceiptSession::ReceiptView v = m_session.view();
    m_ui->lblValorPago->setText(zel::formatCurrency(v.pago));
    m_ui->lblValorTotal->setText(zel::formatCurrency(v.total));
    m_ui->lblServico->setText(zel::formatCurrency(v.servico));
    m_ui->lblVrConsumacao->setText(zel::formatCurrency(v.consumacao));
    // The amount-due field shows the change once there is one, under its caption, in maroon.
    if (v.troco)
        m_ui->lblPagar->setText(v.trocoCaption);
    else if (!stCaptionPagar.isEmpty())
        m_ui->lblPagar->setText(stCaptionPagar);
    m_ui->lblValorPagar->setText(zel::formatCurrency(v.aPagar));
    for (QLabel* label : {m_ui->lblPagar, m_ui->lblValorPagar})
        label->setStyleSheet(
            zel::withTextColor(label->styleSheet(), v.troco ? zel::kChangeColor : QStringLiteral("navy")));
    m_ui->memLista->clear();
    for (const QString& linha : v.lista)
        zel::Linha(m_ui->memLista, linha);
}

void TfrmRecebimento::FormActivate()
{
    if (!Vrm_zel00000::boIdCriado)
        return;
    if (const zel::Status aberta = m_session.openSale(); !aberta)
        throw std::runtime_error(aberta.errorMessage().toStdString());
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
