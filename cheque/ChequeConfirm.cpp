#include "ChequeConfirm.h"

#include "cheque/ChequePrint.h"
#include "dataset/DataSet.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/PaymentMovement.h"
#include "text/FiliProc.h"
#include "text/Money.h"

#include <QLocale>
#include <QStringList>

namespace zel::cheque {

namespace {

const QLocale& valueLocale()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

bool allDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar ch : text)
        if (ch < u'0' || ch > u'9')
            return false;
    return true;
}

const QString kChequeKind = QStringLiteral("3");

bool isChequeType(DataSet& cdsReceb)
{
    return !cdsReceb.isEmpty() && !cdsReceb.eof() &&
           cdsReceb.fieldByName(QStringLiteral("IDTIPORECE")).asString() == kChequeKind;
}

QString textOf(DataSet& table, const char* field)
{
    const QString name = QLatin1String(field);
    return table.hasField(name) ? table.fieldByName(name).asString() : QString();
}

} // namespace

std::optional<QDate> chequeDate(const QString& shown, const QDate& today)
{
    const QStringList parts = shown.split(u'/');
    if (parts.size() != 3 || parts[0].size() != 2 || parts[1].size() != 2)
        return std::nullopt;
    for (const QString& part : parts)
        if (!allDigits(part))
            return std::nullopt;
    int year = parts[2].toInt();
    if (parts[2].size() == 2)
        year += today.year() / 100 * 100;
    else if (parts[2].size() != 4)
        return std::nullopt;
    const QDate date(year, parts[1].toInt(), parts[0].toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

CheckResult checkCheque(const ChequeFields& f, const CheckContext& context)
{
    CheckResult r;
    const auto fail = [&r](const char* key) {
        r.erro = QLatin1String(key);
        return r;
    };
    if (context.primParcela && f.parcelas.isEmpty())
        return fail("ParcelaDeve");
    if (f.valor.isEmpty())
        return fail("ValorDeve");
    const Result<double> valor = parseAmount(f.valor, valueLocale());
    if (!valor)
        return fail("ValorInv");
    r.valor = aoCentavo(*valor);
    if (!(r.valor > 0))
        return fail("ValorMaior");
    if (f.agencia.isEmpty())
        return fail("AgenciaDeve");
    if (f.banco.isEmpty())
        return fail("BancoDeve");
    if (f.conta.isEmpty())
        return fail("ContaDeve");
    if (f.cheque.isEmpty())
        return fail("ChequeDeve");
    const std::optional<QDate> data = chequeDate(f.data, context.today);
    if (!data)
        return fail("DtImpInv");
    r.data = *data;
    if (context.imprime && context.idTipoImpFis == 4 && f.verso.isEmpty())
        return fail("VersoInv");
    if (context.imprime && !valueFits(chequePrinterFor(context.idTipoImpFis, context.idTipoImpChq), r.valor))
        return fail("ValorImpMaior");
    if (!withinAmountLimit(r.valor) || context.paidCents + toCents(r.valor) > kMaxAmountCents)
        return fail("ValorAcimaLimite");
    return r;
}

bool dataDistante(const QDate& data, const QDate& today)
{
    return data < today.addYears(-1) || data > today.addYears(1);
}

double aoCentavo(double valor)
{
    return QString::number(valor, 'f', 2).toDouble();
}

double apagarDepois(double apagar, double valor)
{
    // In whole cents: the amount due and the cheque are amounts of cents, and so is what is left.
    return double(qRound64(apagar * 100.0) - qRound64(valor * 100.0)) / 100.0;
}

QString chequeType(DataSet& cdsReceb)
{
    if (!cdsReceb.active())
        cdsReceb.open();
    if (!isChequeType(cdsReceb) && !cdsReceb.locate(QStringLiteral("IDTIPORECE"), {kChequeKind}))
        return {};
    return textOf(cdsReceb, "CDTIPORECE");
}

qint64 gravaParcela(DataSet& cdsParcelas, double valor)
{
    if (!cdsParcelas.active())
        cdsParcelas.open();
    cdsParcelas.append();
    cdsParcelas.fieldByName(QStringLiteral("COD")).setInteger(1);
    cdsParcelas.fieldByName(QStringLiteral("VALOR")).setFloat(valor);
    cdsParcelas.post();
    return cdsParcelas.bookmark();
}

bool apagaLinha(DataSet& table, qint64 bookmark)
{
    return removeRow(table, bookmark);
}

} // namespace zel::cheque
