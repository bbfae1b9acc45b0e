#include "CouponJournal.h"

#include "text/Money.h"

#include <QLocale>

namespace zel {

namespace {

const QLocale& printerLocale()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QString money(double value)
{
    return formatFixed(value, printerLocale());
}

QString quantity(double value)
{
    return printerLocale().toString(value, 'f', 3);
}

// The left text and the right text on one line, the right one ending at the last column.
QString spread(const QString& left, const QString& right)
{
    const int room = journal::kWidth - int(right.size());
    return left.left(std::max(0, room - 1)).leftJustified(room, QLatin1Char(' ')) + right;
}

QString rule(QChar c)
{
    return QString(journal::kWidth, c);
}

} // namespace

double CouponItem::net() const
{
    return Trunc2(gross - discount);
}

double CouponRecord::subtotal() const
{
    double sum = 0;
    for (const auto& item : items)
        sum = Trunc2(sum + item.net());
    return sum;
}

double CouponRecord::total() const
{
    double value = subtotal();
    if (adjustmentKind == QLatin1String("A"))
        value = Trunc2(value + adjustment);
    else if (adjustmentKind == QLatin1String("D"))
        value = Trunc2(value - adjustment);
    return Trunc2(value - closingDiscount);
}

QString journal::couponNumberText(qint64 number)
{
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char('0'));
}

QString journal::formatCoupon(const CouponRecord& c)
{
    QStringList out;
    out << rule(QLatin1Char('='));
    out << spread(QStringLiteral("CUPOM FISCAL"), QStringLiteral("COO ") + couponNumberText(c.number));
    out << spread(c.openedAt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                  c.saleNumber.isEmpty() ? QString() : QStringLiteral("Venda ") + c.saleNumber);
    out << rule(QLatin1Char('-'));
    out << QStringLiteral("ITEM CODIGO         DESCRICAO");
    out << spread(QStringLiteral("     QTD     x  VL.UNIT  ALIQ"), QStringLiteral("VL.ITEM"));
    out << rule(QLatin1Char('-'));
    for (const auto& item : c.items) {
        out << (QStringLiteral("%1  ").arg(item.position, 3, 10, QLatin1Char('0')) +
                item.code.leftJustified(14, QLatin1Char(' ')) + QLatin1Char(' ') + item.name)
                   .left(journal::kWidth);
        out << spread(QStringLiteral("     ") + quantity(item.quantity).rightJustified(7) +
                          QStringLiteral(" x ") + money(item.unitPrice).rightJustified(8) +
                          QStringLiteral("  ") + item.aliquot,
                      money(item.gross));
        if (item.discount > 0)
            out << spread(QStringLiteral("     desconto item"), QLatin1Char('-') + money(item.discount));
    }
    out << rule(QLatin1Char('-'));
    out << spread(QStringLiteral("SUBTOTAL"), money(c.subtotal()));
    if (c.adjustmentKind == QLatin1String("A") && c.adjustment > 0)
        out << spread(QStringLiteral("ACRESCIMO"), money(c.adjustment));
    if (c.adjustmentKind == QLatin1String("D") && c.adjustment > 0)
        out << spread(QStringLiteral("DESCONTO"), QLatin1Char('-') + money(c.adjustment));
    if (c.closingDiscount > 0)
        out << spread(QStringLiteral("DESCONTO"), QLatin1Char('-') + money(c.closingDiscount));
    out << spread(QStringLiteral("TOTAL R$"), money(c.total()));
    if (!c.payments.isEmpty()) {
        out << rule(QLatin1Char('-'));
        for (const auto& payment : c.payments)
            out << spread(payment.name, money(payment.amount));
    }
    if (c.change > 0) {
        if (c.voucher)
            out << spread(QStringLiteral("CONTRA-VALE ") + c.voucherNumber, money(c.change));
        else
            out << spread(QStringLiteral("TROCO"), money(c.change));
    }
    if (!c.taxpayerId.isEmpty() || !c.taxpayerName.isEmpty() || !c.clientLine.isEmpty() ||
        !c.consumerCode.isEmpty() || !c.consumerName.isEmpty()) {
        out << rule(QLatin1Char('-'));
        if (!c.taxpayerId.isEmpty())
            out << QStringLiteral("CPF/CNPJ: ") + c.taxpayerId;
        if (!c.taxpayerName.isEmpty())
            out << QStringLiteral("NOME: ") + c.taxpayerName;
        if (!c.clientLine.isEmpty())
            out << QStringLiteral("CLIENTE: ") + c.clientLine;
        if (!c.consumerCode.isEmpty() || !c.consumerName.isEmpty())
            out << (QStringLiteral("CONSUMIDOR: ") + c.consumerCode + QLatin1Char(' ') + c.consumerName)
                       .trimmed();
    }
    if (c.cancelled)
        out << rule(QLatin1Char('-')) << QStringLiteral("*** CUPOM CANCELADO ***");
    for (const auto& receipt : c.tefReceipts) {
        out << rule(QLatin1Char('-'))
            << QStringLiteral("COMPROVANTE TEF - COO ") + couponNumberText(c.number);
        out << receipt;
    }
    out << rule(QLatin1Char('='));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString journal::formatCancellation(qint64 number, const QDateTime& at)
{
    QStringList out;
    out << rule(QLatin1Char('='));
    out << spread(QStringLiteral("CANCELAMENTO DE CUPOM"), QStringLiteral("COO ") + couponNumberText(number));
    out << at.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    out << rule(QLatin1Char('='));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace zel
