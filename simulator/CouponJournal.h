#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace zel {

struct CouponItem
{
    int position = 0;
    QString code;
    QString name;
    QString aliquot;
    double quantity = 0;
    double unitPrice = 0;
    double gross = 0;    // Trunc2(quantity × unit price)
    double discount = 0; // the whole item's discount
    double net() const;
};

struct CouponPayment
{
    QString name;
    double amount = 0;
};

// One fiscal coupon as the journal shows it.
struct CouponRecord
{
    qint64 number = 0; // COO
    QString saleNumber;
    QDateTime openedAt;
    QList<CouponItem> items;
    QString adjustmentKind; // "A" surcharge, "D" discount, "" none
    double adjustment = 0;
    double closingDiscount = 0; // a discount given only at the closing
    QList<CouponPayment> payments;
    double change = 0;
    bool voucher = false; // the change is a Contra-Vale
    QString voucherNumber;
    QString taxpayerId, taxpayerName, clientLine, consumerCode, consumerName;
    QList<QStringList> tefReceipts; // receipt lines printed after the coupon
    bool closed = false;
    bool cancelled = false;

    double subtotal() const;
    double total() const;
};

// The journal of the virtual fiscal printer: one text block per coupon, 48 columns wide,
// amounts with the Brazilian decimal comma.
namespace journal {
constexpr int kWidth = 48;
QString formatCoupon(const CouponRecord& coupon);
// The block that records the cancellation of an already closed coupon.
QString formatCancellation(qint64 number, const QDateTime& at);
QString couponNumberText(qint64 number); // at least six digits
} // namespace journal

} // namespace zel
