#include "CouponArgs.h"

#include "dataset/DataSet.h"
#include "text/Money.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace zel {

const QStringList& couponLineFields()
{
    static const QStringList fields{"IDPRODIMPFIS", "IDTPIMPOSFIS", "VRPEALIMPFIS",
                                    "CDARVPROD",    "NMPRODUTO",    "QTPRODCOMVEN",
                                    "VRPRECCOMVEN", "VRDESCCOMVEN", "VRDESCOMANDA"};
    return fields;
}

const QStringList& aliquotFields()
{
    static const QStringList fields{"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"};
    return fields;
}

QString missingField(const QList<FieldDef>& fields, const QStringList& names)
{
    for (const QString& wanted : names) {
        const bool present = std::any_of(fields.begin(), fields.end(), [&](const FieldDef& f) {
            return f.name.compare(wanted, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            return wanted;
    }
    return {};
}

CouponLine readCouponLine(DataSet& venda)
{
    CouponLine line;
    line.naoFiscal = venda.fieldByName("IDPRODIMPFIS").asString() == QLatin1String("S");
    line.tipoImposto = venda.fieldByName("IDTPIMPOSFIS").asString();
    line.pcAliquota = venda.fieldByName("VRPEALIMPFIS").asFloat();
    line.cdProduto = venda.fieldByName("CDARVPROD").asString();
    line.nmProduto = venda.fieldByName("NMPRODUTO").asString();
    line.quantidade = venda.fieldByName("QTPRODCOMVEN").asFloat();
    line.preco = venda.fieldByName("VRPRECCOMVEN").asFloat();
    line.desconto = venda.fieldByName("VRDESCCOMVEN").asFloat();
    return line;
}

AliquotKey aliquotKey(const CouponLine& line)
{
    AliquotKey key;
    key.kind = line.tipoImposto.isEmpty() ? QStringLiteral("N") : line.tipoImposto;
    const bool noRate =
        key.kind == QLatin1String("N") || key.kind == QLatin1String("F") || key.kind == QLatin1String("I");
    key.rate = noRate ? 0.0 : line.pcAliquota;
    return key;
}

double unitDiscount(double quantidade, double desconto)
{
    if (quantidade > 1 && desconto > 0)
        return desconto / quantidade;
    return desconto;
}

FechaCupomArgs fechaCupomArgs(const CouponSale& sale)
{
    FechaCupomArgs args;
    args.semCartaoTef = !(sale.usaTef == QLatin1String("S") && sale.confirmaAuto);
    args.usaTef = sale.usaTef;
    args.confirmaAuto = sale.confirmaAuto;
    args.formaPagto = sale.formaPagto;
    // A client without a taxpayer number is named alone, without a leading blank.
    if (sale.consumidorInf)
        args.linhaCliente = QStringList{sale.nrInsJurClie, sale.nmFantClie}
                                .filter(QRegularExpression(QStringLiteral("\\S")))
                                .join(u' ');
    args.cdConsumidor = sale.cdConsumidor;
    args.nmConsumidor = sale.nmConsumidor;
    args.cnpjCpf = sale.cnpjCpf;
    args.nome = sale.nome;
    return args;
}

std::optional<QString> voucherDigits(const QString& nrCupom)
{
    const QString digits = nrCupom.trimmed();
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return QString::number(digits.toLongLong() + 1);
}

QString itemErrorQuestion(const TMessages& messages, const CouponLine& line)
{
    return messages.Msg("ErroItem") + QStringLiteral("\r\n") + line.cdProduto + QStringLiteral(" - ") +
           line.nmProduto.left(20) + QStringLiteral("\r\n") + messages.Msg("Ignora");
}

QString aliquotMissingText(const TMessages& messages, const CouponLine& line, const AliquotKey& key)
{
    return messages.Msg("AliqNaoCad")
        .arg(line.cdProduto, line.nmProduto, key.kind, moneyLocale().toString(key.rate, 'f', 2));
}

QString voucherNumberMissingText(const TMessages& messages, const QString& nrCupom)
{
    return messages.Msg("ContraValeSemNumero").arg(nrCupom);
}

QString saleFieldMissingText(const TMessages& messages, const QString& field)
{
    return messages.Msg("VendaSemCampoCupom").arg(field);
}

QString aliquotFieldMissingText(const TMessages& messages, const QString& field)
{
    return messages.Msg("AliqSemCampo").arg(field);
}

} // namespace zel
