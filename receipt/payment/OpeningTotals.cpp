#include "OpeningTotals.h"

#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/ReceiptMessages.h"
#include "text/Money.h"

#include <cmath>

namespace zel {

namespace {

// A numeric value of the sale, null as 0. Text is read as every number kept as text is
// (parseNumber: alike on every machine, the sale's dataset reads it so later), and refused
// when it reads as two numbers.
Result<double> number(const DataPacket& sale, int row, int column)
{
    const QVariant& v = sale.rows.at(row).value(column);
    if (!v.isValid() || v.isNull())
        return 0.0;
    bool ok = false;
    double value = 0;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        value = v.toDouble(&ok);
        break;
    case QMetaType::QString:
        if (const Result<double> read = parseNumber(v.toString()); read) {
            value = *read;
            ok = true;
        } else if (read.errorCode() == QLatin1String("NumAmbiguo")) {
            return Error{receiptMessages()
                             .Msg(QStringLiteral("ValorAmbiguo"))
                             .arg(sale.fields.at(column).name)
                             .arg(row + 1)
                             .arg(v.toString()),
                         QStringLiteral("ValorAmbiguo")};
        }
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(value))
        return Error{receiptMessages()
                         .Msg(QStringLiteral("ValorNaoNumerico"))
                         .arg(sale.fields.at(column).name)
                         .arg(row + 1)
                         .arg(v.toString()),
                     QStringLiteral("ValorNaoNumerico")};
    return value;
}

// Whether the amount is a number whose cents a double still tells apart: below 2^53 cents.
// Beyond that (an overflowing quantity × price gives infinity, opposite overflows a NaN) the
// receipt could show "R$ inf" and would lose cents.
bool holdsCents(double amount)
{
    return std::isfinite(amount) && std::fabs(amount) * 100 < 9007199254740992.0;
}

} // namespace

Result<OpeningTotals> computeOpeningTotals(const DataPacket& sale)
{
    int col[6];
    for (int i = 0; i < 6; ++i) {
        col[i] = sale.fieldIndex(kOpeningFields.at(i));
        if (col[i] < 0)
            return Error{receiptMessages().Msg(QStringLiteral("VendaSemCampo")).arg(kOpeningFields.at(i)),
                         QStringLiteral("VendaSemCampo")};
        const FieldType type = sale.fields.at(col[i]).type;
        if (type != FieldType::Float && type != FieldType::Integer && type != FieldType::String)
            return Error{receiptMessages()
                             .Msg(QStringLiteral("CampoNaoNumerico"))
                             .arg(kOpeningFields.at(i), fieldTypeName(type)),
                         QStringLiteral("CampoNaoNumerico")};
    }
    enum { Qt_, Preco, Desc, Servico, Consumacao, DescComanda };

    OpeningTotals t;
    double descComanda = 0;
    Cents produtos = 0;
    t.lines.reserve(sale.rows.size());
    for (int row = 0; row < sale.rows.size(); ++row) {
        double v[6];
        for (int i = 0; i < 6; ++i) {
            const auto r = number(sale, row, col[i]);
            if (!r)
                return r.error();
            v[i] = *r;
        }
        if (row == 0) {
            // Charges are cut to the cent as they are read, so they add up to the total exactly.
            t.servico = v[Servico] > 0 ? Trunc2(v[Servico]) : 0;
            t.consumacao = v[Consumacao] > 0 ? Trunc2(v[Consumacao]) : 0;
        }
        // Each line as the coupon will carry it; a line whose cents a double cannot keep is
        // refused before it is turned into cents.
        if (!holdsCents(v[Qt_] * v[Preco]) || !holdsCents(v[Desc]))
            return Error{receiptMessages().Msg(QStringLiteral("TotalForaDeFaixa")),
                         QStringLiteral("TotalForaDeFaixa")};
        t.lines.append(lineAmount(v[Qt_], v[Preco], v[Desc]));
        produtos += t.lines.last();
        if (!holdsCents(fromCents(produtos)))
            return Error{receiptMessages().Msg(QStringLiteral("TotalForaDeFaixa")),
                         QStringLiteral("TotalForaDeFaixa")};
        descComanda = v[DescComanda]; // the last line's value counts
    }
    t.produtos = fromCents(produtos);
    t.descComanda = descComanda > 0 ? Trunc2(descComanda) : 0;

    if (t.servico > t.descComanda) {
        t.servico = Trunc2(t.servico - t.descComanda);
        t.descComanda = 0;
    } else if (t.servico < t.descComanda) {
        t.descComanda = Trunc2(t.descComanda - t.servico);
        t.servico = 0;
    } else {
        t.servico = 0;
        t.descComanda = 0;
    }
    t.total = Trunc2(t.produtos + t.servico - t.descComanda + t.consumacao);
    // The receipt shows, records and prints no amount beyond the largest it takes.
    for (const double amount : {t.produtos, t.servico, t.consumacao, t.descComanda, t.total})
        if (!withinAmountLimit(amount))
            return Error{receiptMessages().Msg(QStringLiteral("TotalForaDeFaixa")),
                         QStringLiteral("TotalForaDeFaixa")};
    return t;
}

} // namespace zel
