#pragma once

#include "receipt/coupon/CouponArgs.h"
#include "receipt/state/ReceiptSession.h"
#include "text/ErrorLog.h"

#include <QList>
#include <QLoggingCategory>
#include <QMap>
#include <QString>
#include <functional>

class QLabel;

namespace zel {

class Peripherals;
class Dialogs;

// The closing of one sale on the fiscal printer, handed the sale's session, the devices and the
// dialogs by the receipt form. Its progress is kept here, so that OK pressed again after a
// refused payment phase or closing finishes the coupon still open on the printer: a sale never
// gets two coupons, and its lines are only changed once its coupon is closed.
class FiscalCouponPrinter
{
public:
    // `nrCupom`: the receipt's coupon number, written once the printer closed the coupon.
    FiscalCouponPrinter(ReceiptSession& session, Peripherals& devices, Dialogs& dialogs, QString& nrCupom);

    // What the coupon takes from the receipt besides its ledger.
    struct Sale
    {
        QString nrVenda;             // the sale's number (the table or the counter sale)
        CouponSale coupon;           // the buyer, the client and the cards
        QLabel* waitLabel = nullptr; // where the wait for the card manager is shown at the closing
    };

    // How far this sale's coupon got on the printer.
    enum class Stage {
        None,     // no coupon of this sale is open
        Open,     // opened; items being sent
        Items,    // items sent; the surcharge or discount still owed (the printer refused it)
        Totalled, // items and the surcharge or discount sent
        Payment,  // payment phase open
        Closed,   // closed: the sale's coupon is printed
    };
    Stage stage() const { return m_stage; }

    // Prints the sale's coupon and answers whether it went through; called again after a
    // failure it finishes the coupon this sale left open instead of starting a second one, and
    // once the coupon is closed it answers true without printing anything.
    bool print(const Sale& sale);
    // Cancels the coupon this sale left open on the printer, if any. False when the printer
    // refused to cancel it (the coupon then stays open and the next print tries again).
    bool abandon();

    // Called when what is due changed under the coupon (an item left off, or given back by a
    // cancelled coupon): the receipt works the change out again.
    std::function<void()> onDueChanged;

private:
    void erro(const QString& code, const QString& text, const QLoggingCategory& category = lcReceipt());
    void printerError();
    void dueChanged();
    bool sendItems(bool& itensVistos);
    bool closeCoupon();
    void writeBack();
    void restoreLeftOff();
    // Card and Pix payment types → the name of their payment form on the coupon: the printer's
    // code (CDFPIMPFIS) for printers of kind 7, else the type's name.
    QMap<QString, QString> cardForms() const;

    ReceiptSession& m_session;
    Peripherals& m_devices;
    Dialogs& m_dialogs;
    QString& m_nrCupom;
    Sale m_sale;
    Stage m_stage = Stage::None;
    QList<qint64> m_itensIgnorados; // sale lines left off the open coupon, deleted when it closes
    QList<int> m_linhasIgnoradas;   // the same lines, by their place in the ledger
    bool m_foraAnotado = false;     // the part outside the coupon is in the running list
};

} // namespace zel
