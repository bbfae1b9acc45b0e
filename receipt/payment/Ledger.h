#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace zel {

// The sale's money in one place. Every amount of a receipt is kept here in whole cents, and
// everything the operator, the displays, the change step and the fiscal coupon need is derived
// from it, so the screen, the change given and the coupon printed cannot disagree by a cent.
// No widget and no device here: the receipt form tells the ledger what happened (the sale
// opened, a payment recorded, a discount given, an item left off the coupon) and reads back
// what follows.

using Cents = qint64;

// The cents a double amount of the host's interfaces stands for, and back.
Cents toCents(double amount);
double fromCents(Cents cents);

// What one sale line comes to, on the screen and on the coupon alike: the quantity times the
// unit price cut to the cent, less the line discount rounded to the cent. A fiscal printer cuts
// each item this way (a weighed 0,375 kg at 12,99 is 4,87), so a sale of weighed lines totals on
// the screen exactly what the coupon totals.
Cents lineAmount(double quantity, double unitPrice, double lineDiscount);

// Why a sale line is not an item of the coupon. Such a line is still part of the sale: the
// customer pays it and the payments record it, but the coupon carries only its fiscal part.
enum class OffCoupon {
    No,        // an item of the coupon
    NotFiscal, // a product the host marks as not fiscal (IDPRODIMPFIS "S")
    NoAliquot, // its tax code is not in the aliquot table: the printer cannot take it
    NoPrice,   // a price of 0 or below: not sent to the printer
    Ignored,   // the printer refused it and the operator left it off: it leaves the sale
};

struct SaleLine
{
    Cents amount = 0;
    OffCoupon off = OffCoupon::No;
};

// A line with an amount below zero: a credit the customer is given, not an item.
bool isCredit(const SaleLine& line);

// One payment, as its movement row records it.
struct LedgerPayment
{
    QString kind; // IDTIPORECE of its payment type; empty when unknown
    Cents amount = 0;
};

// What the fiscal coupon must carry for the sale to close on the printer.
struct CouponPlan
{
    bool hasItems = false;     // at least one line is an item of the coupon
    Cents items = 0;           // the items, each as lineAmount gives it
    QString adjustmentKind;    // the announcement after the items: "A" surcharge, "D" discount, "0"
    Cents adjustment = 0;      // its amount
    Cents closingDiscount = 0; // the discount given with the closing (after a surcharge)
    Cents total = 0;           // the coupon's total: items, adjustment and closing discount
    QList<Cents> payments;     // the coupon's payment lines, one per payment in order (0: left off)
    Cents change = 0;
    bool voucher = false; // the change is given as a Contra-Vale
    Cents outside = 0;    // received for the part of the sale the coupon does not carry
};

class Ledger
{
public:
    // The sale as it opens: its lines, and the charges beyond them (already netted the way the
    // opening computes them: the fee less the comanda discount it absorbs).
    void open(QList<SaleLine> lines, Cents fee, Cents minimumConsumption, Cents comandaDiscount);
    void setLines(QList<SaleLine> lines);
    void setCharges(Cents fee, Cents minimumConsumption, Cents comandaDiscount);
    // The discount given with the Discount command (0: none); a new one replaces the last.
    void setDiscount(Cents discount);
    // The payments recorded so far, and the change given (0: none) and whether it is a voucher.
    void setPayments(QList<LedgerPayment> payments);
    void setChange(Cents change, bool voucher);
    // The line at `index` (in the sale's order) is left off the coupon and the sale.
    void ignore(int index);
    void setLineOff(int index, OffCoupon off);

    const QList<SaleLine>& lines() const { return m_lines; }
    const QList<LedgerPayment>& payments() const { return m_payments; }
    Cents fee() const { return m_fee; }
    Cents minimumConsumption() const { return m_minimum; }
    Cents comandaDiscount() const { return m_comanda; }
    // The discount given, never more than the total less a cent.
    Cents discount() const;
    Cents change() const { return m_change; }
    bool voucher() const { return m_voucher && m_change > 0; }

    // The lines that stay in the sale (all but the ignored ones).
    Cents products() const;
    // What the sale costs before the discount: the products and the charges.
    Cents total() const;
    // What the customer owes: the total less the discount.
    Cents net() const;
    Cents paid() const;
    // Still to pay (0 once covered) and the change the payments call for (0 while not covered).
    Cents due() const;
    Cents changeDue() const;
    // The payments reach the net amount: OK may close the sale.
    bool covered() const;
    // The lines of the sale that are not items of the coupon (credit lines aside).
    Cents offCoupon() const;
    // The credit lines of the sale (amounts below zero), as a positive amount.
    Cents credits() const;

    // The coupon for this sale, given the change recorded. Its payment lines are the payments
    // less what was received for the part of the sale outside the coupon, taken first off cash,
    // then off the other kinds, cards last, the latest payment first; so the coupon's payments
    // less its change are its total, and every payment recorded stays as it was received.
    CouponPlan couponPlan() const;

private:
    QList<SaleLine> m_lines;
    QList<LedgerPayment> m_payments;
    Cents m_fee = 0;
    Cents m_minimum = 0;
    Cents m_comanda = 0;
    Cents m_discount = 0;
    Cents m_change = 0;
    bool m_voucher = false;
};

// Whether a plan adds up: its items, adjustment and closing discount make its total, no payment
// line is below zero, and its payment lines less its change are that total.
bool planAddsUp(const CouponPlan& plan);
Cents paymentsLessChange(const CouponPlan& plan);

// The largest-change rule, the one place it is written. With a largest change of
// `percentMax` percent of the ticket payments (kind "5"), a change within it goes in cash; a
// larger one in the paying type's own change type (a ticket's change is then a Contra-Vale).
// No ticket payment: cash.
Cents ticketPayments(const QList<LedgerPayment>& payments);
bool changeInCash(Cents change, Cents tickets, double percentMax);

} // namespace zel
