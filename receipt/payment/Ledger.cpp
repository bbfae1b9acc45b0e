#include "Ledger.h"

#include "text/Money.h"

#include <algorithm>
#include <cmath>

namespace zel {

namespace {

const QString kCash = QStringLiteral("4");
const QString kTicket = QStringLiteral("5");

bool isCard(const QString& kind)
{
    return kind == QLatin1String("1") || kind == QLatin1String("2");
}

// The order in which the part of the sale outside the coupon is taken off the coupon's payment
// lines: cash first, then the other kinds, cards last (a card's line should show what its slip
// shows); the latest payment first within each.
QList<int> outsideOrder(const QList<LedgerPayment>& payments)
{
    QList<int> order;
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = int(payments.size()) - 1; i >= 0; --i) {
            const QString& kind = payments[i].kind;
            const int group = kind == kCash ? 0 : isCard(kind) ? 2 : 1;
            if (group == pass)
                order.append(i);
        }
    }
    return order;
}

} // namespace

Cents toCents(double amount)
{
    return static_cast<Cents>(std::llround(RoundDec(amount, 2) * 100.0));
}

double fromCents(Cents cents)
{
    return RoundDec(static_cast<double>(cents) / 100.0, 2);
}

Cents lineAmount(double quantity, double unitPrice, double lineDiscount)
{
    return toCents(Trunc2(quantity * unitPrice)) - toCents(lineDiscount);
}

void Ledger::open(QList<SaleLine> lines, Cents fee, Cents minimumConsumption, Cents comandaDiscount)
{
    *this = Ledger{};
    m_lines = std::move(lines);
    setCharges(fee, minimumConsumption, comandaDiscount);
}

void Ledger::setLines(QList<SaleLine> lines)
{
    m_lines = std::move(lines);
}

void Ledger::setCharges(Cents fee, Cents minimumConsumption, Cents comandaDiscount)
{
    m_fee = fee;
    m_minimum = minimumConsumption;
    m_comanda = comandaDiscount;
}

void Ledger::setDiscount(Cents discount)
{
    m_discount = std::max<Cents>(0, discount);
}

void Ledger::setPayments(QList<LedgerPayment> payments)
{
    m_payments = std::move(payments);
}

void Ledger::setChange(Cents change, bool voucher)
{
    m_change = std::max<Cents>(0, change);
    m_voucher = voucher;
}

void Ledger::ignore(int index)
{
    setLineOff(index, OffCoupon::Ignored);
}

void Ledger::setLineOff(int index, OffCoupon off)
{
    if (index >= 0 && index < m_lines.size())
        m_lines[index].off = off;
}

Cents Ledger::products() const
{
    Cents sum = 0;
    for (const SaleLine& line : m_lines)
        if (line.off != OffCoupon::Ignored)
            sum += line.amount;
    return sum;
}

Cents Ledger::total() const
{
    return products() + m_fee - m_comanda + m_minimum;
}

Cents Ledger::discount() const
{
    // At least a cent stays to pay, also when an item left off the coupon lowered the total
    // below a discount given before.
    return std::clamp<Cents>(m_discount, 0, std::max<Cents>(0, total() - 1));
}

Cents Ledger::net() const
{
    return total() - discount();
}

Cents Ledger::paid() const
{
    Cents sum = 0;
    for (const LedgerPayment& p : m_payments)
        sum += p.amount;
    return sum;
}

Cents Ledger::due() const
{
    return std::max<Cents>(0, net() - paid());
}

Cents Ledger::changeDue() const
{
    return std::max<Cents>(0, paid() - net());
}

bool Ledger::covered() const
{
    return paid() >= net();
}

Cents Ledger::offCoupon() const
{
    Cents sum = 0;
    for (const SaleLine& line : m_lines)
        if (line.off != OffCoupon::No && line.off != OffCoupon::Ignored && !isCredit(line))
            sum += line.amount;
    return sum;
}

Cents Ledger::credits() const
{
    Cents sum = 0;
    for (const SaleLine& line : m_lines)
        if (isCredit(line))
            sum -= line.amount;
    return sum;
}

bool isCredit(const SaleLine& line)
{
    return line.amount < 0 && line.off != OffCoupon::No && line.off != OffCoupon::Ignored;
}

CouponPlan Ledger::couponPlan() const
{
    CouponPlan plan;
    for (const SaleLine& line : m_lines) {
        if (line.off == OffCoupon::No) {
            plan.hasItems = true;
            plan.items += line.amount;
        }
    }
    plan.adjustmentKind = QStringLiteral("0");
    if (plan.hasItems) {
        // The charges beyond the products go as a surcharge, the discount with the closing; when
        // they come to nothing or less, the discount and what is left of the comanda discount go
        // as one announced discount. The coupon keeps at least a cent: the part of a discount
        // larger than the coupon's own share is given outside it.
        // A credit line (an amount below zero, which no printer takes as an item) lowers the
        // sale as the comanda discount does: it goes on the coupon as part of its discount, so
        // the payment lines stay exactly what was received.
        const Cents charges = m_fee + m_minimum - m_comanda - credits();
        if (charges > 0) {
            plan.adjustmentKind = QStringLiteral("A");
            plan.adjustment = charges;
            plan.closingDiscount =
                std::clamp<Cents>(discount(), 0, std::max<Cents>(0, plan.items + charges - 1));
            plan.total = plan.items + charges - plan.closingDiscount;
        } else if (const Cents reduction = discount() - charges; reduction > 0) {
            plan.adjustmentKind = QStringLiteral("D");
            plan.adjustment = std::clamp<Cents>(reduction, 0, std::max<Cents>(0, plan.items - 1));
            plan.total = plan.items - plan.adjustment;
        } else {
            plan.total = plan.items;
        }
    }
    plan.change = m_change;
    plan.voucher = voucher();
    plan.outside = net() - plan.total;

    for (const LedgerPayment& p : m_payments)
        plan.payments.append(p.amount);
    Cents left = plan.outside;
    for (int i : outsideOrder(m_payments)) {
        if (left <= 0)
            break;
        const Cents taken = std::min(left, plan.payments[i]);
        plan.payments[i] -= taken;
        left -= taken;
    }
    // A part outside the coupon below zero (a credit line the coupon does not carry) is owed
    // back to the coupon's payments: the last one shows it.
    if (left < 0 && !plan.payments.isEmpty())
        plan.payments.last() -= left;
    return plan;
}

Cents paymentsLessChange(const CouponPlan& plan)
{
    Cents paid = 0;
    for (Cents p : plan.payments)
        paid += p;
    return paid - plan.change;
}

bool planAddsUp(const CouponPlan& plan)
{
    Cents fromParts = plan.items;
    if (plan.adjustmentKind == QLatin1String("A"))
        fromParts += plan.adjustment;
    else if (plan.adjustmentKind == QLatin1String("D"))
        fromParts -= plan.adjustment;
    fromParts -= plan.closingDiscount;
    const bool noNegativeLine =
        std::none_of(plan.payments.begin(), plan.payments.end(), [](Cents p) { return p < 0; });
    return noNegativeLine && plan.total >= 0 && (!plan.hasItems || fromParts == plan.total) &&
           paymentsLessChange(plan) == plan.total;
}

Cents ticketPayments(const QList<LedgerPayment>& payments)
{
    Cents sum = 0;
    for (const LedgerPayment& p : payments)
        if (p.kind == kTicket)
            sum += p.amount;
    return sum;
}

bool changeInCash(Cents change, Cents tickets, double percentMax)
{
    if (tickets == 0)
        return true;
    return RoundDec(100.0 * double(change) / double(tickets), 2) <= RoundDec(percentMax, 2);
}

} // namespace zel
