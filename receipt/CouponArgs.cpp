#include "CouponArgs.h"

#include "dataset/DataSet.h"
#include "text/Money.h"

#include <QHash>
#include <QLocale>

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

CouponAdjustment couponAdjustment(double vrServico, double vrConsumacao, double vrDescComanda,
                                  double vrDesconto)
{
    const double encargos = Trunc2(vrServico + vrConsumacao - vrDescComanda);
    if (encargos > 0)
        return {QStringLiteral("A"), 0, encargos};
    const double desconto = Trunc2(vrDesconto - encargos);
    if (desconto > 0)
        return {QStringLiteral("D"), 0, desconto};
    return {QStringLiteral("0"), 0, 0};
}

bool emiteContraVale(const CouponSale& sale, const DataPacket& movimentos, const DataPacket& recebimentos)
{
    if (!(sale.vrTroco > 0) || !sale.contraVale)
        return false;
    if (sale.pcMaxTroco.isEmpty())
        return true;
    const auto limit = parseAmount(sale.pcMaxTroco);
    if (!limit)
        return true;

    QHash<QString, QString> kindOf;
    const int code = recebimentos.fieldIndex("CDTIPORECE");
    const int kind = recebimentos.fieldIndex("IDTIPORECE");
    if (code >= 0 && kind >= 0) {
        for (const Row& row : recebimentos.rows) {
            const QString c = row.value(code).toString();
            if (!kindOf.contains(c))
                kindOf.insert(c, row.value(kind).toString());
        }
    }
    const int movType = movimentos.fieldIndex("CDTIPORECE");
    const int movKind = movimentos.fieldIndex("IDTIPOMOVIVE");
    const int movValue = movimentos.fieldIndex("VRMOVIVEND");
    double tickets = 0;
    if (movType >= 0 && movKind >= 0 && movValue >= 0) {
        for (const Row& row : movimentos.rows) {
            if (row.value(movKind).toString() == QLatin1String("E") &&
                kindOf.value(row.value(movType).toString()) == QLatin1String("5"))
                tickets += row.value(movValue).toDouble();
        }
    }
    if (tickets == 0)
        return false;
    return RoundDec(sale.vrTroco * 100.0 / tickets, 2) > RoundDec(*limit, 2);
}

FechaCupomArgs fechaCupomArgs(const CouponSale& sale, const DataPacket& movimentos,
                              const DataPacket& recebimentos)
{
    FechaCupomArgs args;
    args.emiteContraVale = emiteContraVale(sale, movimentos, recebimentos);
    args.semCartaoTef = !(sale.usaTef == QLatin1String("S") && sale.confirmaAuto);
    args.vrDesconto = sale.vrDesconto;
    args.vrTroco = sale.vrTroco;
    args.vrServico = sale.vrServico;
    args.usaTef = sale.usaTef;
    args.confirmaAuto = sale.confirmaAuto;
    args.formaPagto = sale.formaPagto;
    if (sale.consumidorInf)
        args.linhaCliente = sale.nrInsJurClie + u' ' + sale.nmFantClie;
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
        .arg(line.cdProduto, line.nmProduto, key.kind, QLocale().toString(key.rate, 'f', 2));
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
