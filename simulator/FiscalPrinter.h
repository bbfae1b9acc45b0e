#pragma once

#include "CouponJournal.h"
#include "SimulatorConfig.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace zel {

// The states of a fiscal coupon in the virtual printer.
enum class CouponState {
    Idle,     // no coupon open
    Open,     // opened, no item yet
    Items,    // items taken
    Subtotal, // surcharge or discount announced
    Payment,  // payment phase open
};
QString couponStateName(CouponState state);

// What FechaCupom hands to the printer, already read from its arguments.
struct CouponClosing
{
    bool voucher = false;
    double discount = 0;
    double change = 0;
    QList<CouponPayment> payments;
    QString clientLine, consumerCode, consumerName, taxpayerId, taxpayerName;
    QList<QStringList> tefReceipts;
};

// The virtual fiscal printer. It takes commands in the order a real one does and refuses
// the rest (the command answers false and lastError() says why): a coupon is opened, takes
// items, may get a surcharge or discount, enters the payment phase and is closed; it is not
// closed when its payments do not cover its total or the change is not payments − total.
// Coupon numbers (COO) come from a counter in the state directory taken under a lock and
// kept above every number in the journal, so neither runs nor two printers sharing the
// folder ever reuse one. Each closed or cancelled coupon is appended to the journal as text.
class FiscalPrinter
{
public:
    FiscalPrinter(const SimulatorConfig& config);

    // Estado_Impressora and ImpFiscalOK (a one-shot "not ready" fault is used up by it).
    bool ready();
    void openDrawer();
    bool openCoupon();
    // The first item taken names the sale the coupon is for.
    bool sellItem(const QString& saleNumber, const QString& discountKind, const QString& code,
                  const QString& name, const QString& aliquot, double quantity, double unitPrice,
                  double unitDiscount);
    bool announceAdjustment(const QString& kind, double percentage, double value);
    bool openPayment();
    // Prints and closes the coupon; `number` receives its six-digit COO.
    bool closeCoupon(const CouponClosing& closing, QString& number);
    // Cancels the open coupon, or else the last one closed if not cancelled yet.
    bool cancelCoupon(QString& number);

    CouponState state() const { return m_state; }
    const CouponRecord& currentCoupon() const { return m_coupon; }
    qint64 lastCouponNumber() const { return m_lastNumber; }
    QString lastError() const { return m_lastError; }

    bool present() const { return m_present; }
    void setPresent(bool present) { m_present = present; }
    const FiscalFaults& faults() const { return m_faults; }
    void setFaults(const FiscalFaults& faults) { m_faults = faults; }
    void setAliquots(const QStringList& codes) { m_aliquots = codes; }

    int drawerOpenings() const { return m_drawerOpenings; }
    bool drawerOpen() const { return m_drawerOpen; }
    void closeDrawer() { m_drawerOpen = false; }

    QString journalPath() const { return m_journalPath; }
    QString journalText() const;

    // The clock that stamps coupons; tests may pin it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    bool refuse(const QString& why);
    bool require(std::initializer_list<CouponState> states, const QString& command);
    // The coupon counter file: read and written under its lock by takeNumber and saveState.
    qint64 readCounter(qint64* lastClosed) const;
    bool writeCounter(qint64 lastNumber, qint64 lastClosed);
    // The highest COO the journal holds (read on from where the last look ended).
    qint64 journalHighest();
    // A number no coupon of this folder has had; 0 when the counter cannot be kept.
    qint64 takeNumber();
    bool saveState();
    bool appendJournal(const QString& text);

    bool m_present;
    FiscalFaults m_faults;
    QStringList m_aliquots;
    QString m_statePath;
    QString m_journalPath;

    CouponState m_state = CouponState::Idle;
    CouponRecord m_coupon;
    qint64 m_lastNumber = 0;  // the last COO handed out
    qint64 m_lastClosed = 0;  // the last COO closed, 0 when it was cancelled
    qint64 m_journalSeen = 0; // bytes of the journal already looked through
    qint64 m_journalHighest = 0;
    int m_itemRefusals = 0; // refusals of the faulty item position in this coupon
    int m_drawerOpenings = 0;
    bool m_drawerOpen = false;
    QString m_lastError;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};

} // namespace zel
