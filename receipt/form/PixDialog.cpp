#include "receipt/form/PixDialog.h"

#include "dialogs/DialogLook.h"
#include "receipt/pix/PixMessages.h"
#include "receipt/pix/PixQr.h"
#include "text/Clock.h"
#include "text/Money.h"
#include "toolkit/TouchButton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zel {

PixDialog::PixDialog(pix::PixCheckout* checkout, qint64 amountCents, QWidget* parent)
    : TouchForm(parent), m_checkout(checkout)
{
    build(amountCents, false);
    m_time->setText(pix::pixText("PixGerando"));
    connect(checkout, &pix::PixCheckout::chargeShown, this, &PixDialog::showCode);
    connect(checkout, &pix::PixCheckout::finished, this, [this](const pix::PixCheckoutResult& result) {
        m_result = result;
        m_clock.stop();
        postClose(result.kind == pix::PixCheckoutResult::Kind::Paid ? QDialog::Accepted : QDialog::Rejected);
    });
}

PixDialog::PixDialog(const QString& payload, qint64 amountCents, QWidget* parent) : TouchForm(parent)
{
    build(amountCents, true);
    showCode(payload, {});
}

void PixDialog::build(qint64 amountCents, bool confirm)
{
    setObjectName(QStringLiteral("frmPix"));
    setFixedSize(440, 540);
    QFrame* panel = look::framePanel(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 12);
    column->addWidget(look::titleBand(pix::pixText("PixTitulo"), look::kGreen, panel));

    auto* amount = new QLabel(formatCurrency(double(amountCents) / 100.0), panel);
    amount->setObjectName(QStringLiteral("lblValorPix"));
    amount->setFont(look::font(20, true));
    amount->setAlignment(Qt::AlignCenter);
    column->addWidget(amount);

    m_qr = new QLabel(panel);
    m_qr->setObjectName(QStringLiteral("imgQrPix"));
    m_qr->setMinimumSize(kQrSide, kQrSide);
    m_qr->setAlignment(Qt::AlignCenter);
    column->addWidget(m_qr, 1);

    m_time = new QLabel(panel);
    m_time->setObjectName(QStringLiteral("lblTempoPix"));
    m_time->setFont(look::font(13));
    m_time->setAlignment(Qt::AlignCenter);
    m_time->setWordWrap(true);
    column->addWidget(m_time);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (confirm) {
        TTouchButton* received =
            look::button(pix::pixText("PixRecebido"), QStringLiteral("tcbRecebidoPix"), look::kGreen, panel);
        bindClick(received, [this] { postClose(QDialog::Accepted); });
        buttons->addWidget(received);
    }
    m_cancel = look::button(pix::pixText("PixCancelar"), QStringLiteral("tcbCancelarPix"), look::kRed, panel);
    bindClick(m_cancel, [this] { cancelClicked(); });
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    column->addLayout(buttons);

    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &PixDialog::tick);
}

void PixDialog::showCode(const QString& payload, const QDateTime& expiresAt)
{
    const Result<QImage> image = pix::pixQrImage(payload, kQrSide);
    if (image)
        m_qr->setPixmap(QPixmap::fromImage(image.value()));
    else
        m_qr->setText(image.errorMessage());
    m_expiresAt = expiresAt;
    if (expiresAt.isValid()) {
        tick();
        m_clock.start();
    } else {
        m_time->setText(pix::pixText("PixConfirmeRecebimento"));
    }
}

void PixDialog::tick()
{
    const qint64 left = std::max<qint64>(0, now().secsTo(m_expiresAt));
    m_time->setText(pix::pixText("PixTempoRestante").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0')));
}

void PixDialog::cancelClicked()
{
    if (!m_checkout) {
        postClose(QDialog::Rejected);
        return;
    }
    // The charge is removed at the provider first; the dialog closes when the checkout ends
    // (which may still be Paid, if the customer paid in that very moment).
    m_cancelAsked = true;
    m_cancel->setEnabled(false);
    m_clock.stop();
    m_time->setText(pix::pixText("PixCancelando"));
    m_checkout->cancel();
}

} // namespace zel
