#pragma once

#include "receipt/pix/PixCheckout.h"
#include "toolkit/TouchForm.h"

#include <QDateTime>
#include <QTimer>

class QLabel;

namespace zel {

class TTouchButton;

// The Pix payment over the receipt: the charge's QR code (large enough for a phone at arm's
// length), the amount, the time left and Cancelar. With a provider, the dialog follows a
// PixCheckout and closes by itself when it ends (paid, expired, cancelled, no answer); with a
// static code there is no one to ask, and the operator says when the payment arrived.
class PixDialog : public TouchForm
{
    Q_OBJECT
public:
    // Follows `checkout`, which the caller starts before exec().
    PixDialog(pix::PixCheckout* checkout, qint64 amountCents, QWidget* parent = nullptr);
    // A static code: `payload` shown at once; OK ("Recebido") accepts, Cancelar rejects.
    PixDialog(const QString& payload, qint64 amountCents, QWidget* parent = nullptr);

    // How the followed checkout ended (Failed until it ends).
    const pix::PixCheckoutResult& result() const { return m_result; }
    // The operator touched Cancelar (a payment may still have ended Paid: paid in that moment).
    bool cancelAsked() const { return m_cancelAsked; }

    // The smallest side of the QR code on screen.
    static constexpr int kQrSide = 260;

private:
    void build(qint64 amountCents, bool confirm);
    void showCode(const QString& payload, const QDateTime& expiresAt);
    void tick();
    void cancelClicked();

    pix::PixCheckout* m_checkout = nullptr;
    pix::PixCheckoutResult m_result;
    QLabel* m_qr = nullptr;
    QLabel* m_time = nullptr;
    TTouchButton* m_cancel = nullptr;
    QDateTime m_expiresAt;
    bool m_cancelAsked = false;
    QTimer m_clock;
};

} // namespace zel
