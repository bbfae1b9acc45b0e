#include "Change.h"

#include "dataset/DataSet.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/RunningList.h"
#include "text/Messages.h"
#include "text/Money.h"

#include <QRegularExpression>
#include <cmath>

namespace zel {

std::optional<int> rowGivingChange(const QList<ChangeRow>& rows, double troco)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (!rows[i].cdTipoTroco.isEmpty() && rows[i].valor >= troco)
            return i;
    }
    return std::nullopt;
}

Reduction takeSaleValue(const QList<ChangeRow>& rows, double troco)
{
    Reduction reduction;
    reduction.resto = troco;
    for (const ChangeRow& row : rows) {
        if (reduction.resto <= 0 || !row.cdTipoTroco.isEmpty() || row.fixo) {
            reduction.values.append(row.valor);
        } else if (row.valor > reduction.resto) {
            reduction.values.append(Trunc2(row.valor - reduction.resto));
            reduction.resto = 0;
        } else {
            reduction.resto = Trunc2(reduction.resto - row.valor);
            reduction.values.append(std::nullopt);
        }
    }
    return reduction;
}

ChangeLimit changeLimit(const QString& pcMaxTroco)
{
    ChangeLimit limit;
    if (pcMaxTroco.trimmed().isEmpty())
        return limit;
    const Result<double> lido = parseNumber(pcMaxTroco);
    if (!lido) {
        limit.error = lido.errorMessage();
        return limit;
    }
    limit.on = true;
    limit.percentual = *lido;
    return limit;
}

QStringList typesWithoutKind(const QHash<QString, QString>& kinds, const QList<ChangeRow>& rows)
{
    QStringList missing;
    for (const ChangeRow& row : rows) {
        if (kinds.value(row.cdTipoRece).trimmed().isEmpty() && !missing.contains(row.cdTipoRece))
            missing.append(row.cdTipoRece);
    }
    return missing;
}

bool isContraValeKind(const QString& idTipoRece)
{
    return idTipoRece == kind::ticket || idTipoRece == kind::ticket2;
}

QString changeCaption(const TMessages& messages, bool contraVale)
{
    return messages.Msg(contraVale ? QStringLiteral("CONTRA-VALE") : QStringLiteral("TROCO")) +
           QStringLiteral(" : ");
}

QStringList changeListLines(const TMessages& messages, const QString& caption, double troco,
                            const QString& nmTipoTroco, double cotacao, const QString& moeda)
{
    QStringList lines{QString(), linhaPagamento(caption, troco)};
    // The foreign amount is the one recorded: cut to cents, so the list never shows a cent more.
    // It is named by its currency, never shown as reais.
    if (cotacao > 0)
        lines << linhaValor(
            messages.Msg(QStringLiteral("TROCO")) + QStringLiteral(" (") + nmTipoTroco + QLatin1Char(')'),
            (moeda.isEmpty() ? nmTipoTroco : moeda) + u' ' + formatFixed(Trunc2(troco / cotacao)));
    return lines;
}

void appendChangeMovement(DataSet& movements, const ChangeMovement& movement)
{
    movements.append();
    movements.fieldByName(QStringLiteral("CDFILIAL")).setString(movement.cdFilial);
    movements.fieldByName(QStringLiteral("IDTIPOMOVIVE")).setString(QStringLiteral("S"));
    movements.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(movement.valor);
    if (movement.cotacao > 0) {
        movements.fieldByName(QStringLiteral("VRMOVIVEOUT"))
            .setFloat(Trunc2(movement.valor / movement.cotacao));
        movements.fieldByName(QStringLiteral("VRCOTINDOUT")).setFloat(movement.cotacao);
    }
    movements.fieldByName(QStringLiteral("CDTIPORECE")).setString(movement.cdTipoRece);
    movements.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(movement.dtHrIncMov);
    movements.fieldByName(QStringLiteral("NMTIPORECE")).setString(movement.nmTipoRece);
    movements.fieldByName(QStringLiteral("CDCLIENTE")).setString(movement.cdCliente);
    movements.fieldByName(QStringLiteral("CDCONSUMIDOR")).setString(movement.cdConsumidor);
    movements.fieldByName(QStringLiteral("DTMOVIMCAIXA")).setDate(movement.dtMovimCaixa);
    movements.post();
}

QString withTextColor(const QString& styleSheet, const QString& color)
{
    static const QRegularExpression declaration(QStringLiteral(R"((?<![-\w])color\s*:\s*[^;}]*)"));
    const QString replacement = QStringLiteral("color: ") + color;
    QString result = styleSheet;
    if (declaration.match(result).hasMatch())
        return result.replace(declaration, replacement);
    result = result.trimmed();
    if (!result.isEmpty() && !result.endsWith(u';'))
        result += u';';
    if (!result.isEmpty())
        result += u' ';
    return result + replacement + u';';
}

} // namespace zel
