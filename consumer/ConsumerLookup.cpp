#include "ConsumerLookup.h"

#include "dataset/DataSetMessages.h"
#include "dialogs/SearchText.h"
#include "text/Consiste.h"
#include "text/MaskText.h"

namespace zel {

namespace {

void requireFields(const DataSet& table, const QString& tableName, std::initializer_list<const char*> names)
{
    QStringList missing;
    for (const char* name : names) {
        if (!table.hasField(QString::fromLatin1(name)))
            missing.append(QString::fromLatin1(name));
    }
    if (!missing.isEmpty())
        throw DataSetError(
            dataSetText("DsTabelaSemCampos", tableName, missing.join(QStringLiteral(", "))).toStdString(),
            QStringLiteral("DsTabelaSemCampos"));
}

} // namespace

void requireClientFields(const DataSet& clientes)
{
    requireFields(clientes, QStringLiteral("cdsCliente"),
                  {"IDTPIJURCLIE", "NRINSJURCLIE", "CDEXCLIENTE", "CDCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE"});
}

void requireConsumerFields(const DataSet& consumidores)
{
    requireFields(consumidores, QStringLiteral("cdsConsumidor"),
                  {"CDCLIENTE", "CDIDCONSUMID", "CDCONSUMIDOR", "CDEXCONSUMID", "NMCONSUMIDOR"});
}

std::optional<ClientFound> findClient(DataSet& clientes, const QString& typed)
{
    QString number = typed;
    const QString personType = Ajusta_Inscricao(number);
    // Punctuation alone is no number: it must not find a client stored without one.
    const bool asNumber = !number.isEmpty() &&
                          clientes.locate(QStringLiteral("IDTPIJURCLIE;NRINSJURCLIE"), {personType, number});
    if (!asNumber && !clientes.locate(QStringLiteral("CDEXCLIENTE"), {typed}))
        return std::nullopt;
    ClientFound found;
    found.cdCliente = clientes.fieldByName(QStringLiteral("CDCLIENTE")).asString();
    found.nmCliente = clientes.fieldByName(QStringLiteral("NMRAZSOCCLIE")).asString();
    found.nmFantClie = clientes.fieldByName(QStringLiteral("NMFANTCLIE")).asString();
    found.nrInsJurClie =
        maskedTaxpayerNumber(clientes.fieldByName(QStringLiteral("IDTPIJURCLIE")).asString(),
                             clientes.fieldByName(QStringLiteral("NRINSJURCLIE")).asString());
    return found;
}

std::optional<ConsumerFound> findConsumer(DataSet& consumidores, const QString& cdCliente,
                                          const QString& code)
{
    static const std::pair<const char*, ConsumerKey> keys[] = {
        {"CDCLIENTE;CDIDCONSUMID", ConsumerKey::Identification},
        {"CDCLIENTE;CDCONSUMIDOR", ConsumerKey::Code},
        {"CDCLIENTE;CDEXCONSUMID", ConsumerKey::ExternalCode},
    };
    for (const auto& [fields, key] : keys) {
        if (consumidores.locate(QString::fromLatin1(fields), {cdCliente, code})) {
            return ConsumerFound{consumidores.fieldByName(QStringLiteral("CDCONSUMIDOR")).asString(),
                                 consumidores.fieldByName(QStringLiteral("NMCONSUMIDOR")).asString(), key};
        }
    }
    return std::nullopt;
}

FilterPredicate consumersOfClient(const QString& cdCliente)
{
    return [cdCliente](const RecordView& row) { return row.text(QStringLiteral("CDCLIENTE")) == cdCliente; };
}

DataPacket consumerRowsOfClient(DataSet& consumidores, const QString& cdCliente)
{
    return consumidores.data(QStringLiteral("CDCLIENTE"), {cdCliente});
}

QString consumersOfClientText(const QString& cdCliente)
{
    return QStringLiteral("CDCLIENTE = '%1'").arg(cdCliente);
}

QString maskedTaxpayerNumber(const QString& personType, const QString& number)
{
    // A client without a number shows nothing, not the mask's blanks.
    if (number.trimmed().isEmpty())
        return QString();
    return FormatMaskText(PictPess(personType), number);
}

FieldText clientSearchText()
{
    return [](DataSet& dataSet, const FieldDef& field) {
        const QVariant value = dataSet.value(field.name);
        if (field.name.compare(QLatin1String("NRINSJURCLIE"), Qt::CaseInsensitive) != 0 || !value.isValid())
            return fieldDisplayText(value, field);
        return maskedTaxpayerNumber(dataSet.value(QStringLiteral("IDTPIJURCLIE")).toString(),
                                    value.toString());
    };
}

QList<FieldDef> clientSearchFields()
{
    return {
        FieldDef{QStringLiteral("NRINSJURCLIE"), FieldType::String, 20, QStringLiteral("Código")},
        FieldDef{QStringLiteral("NMRAZSOCCLIE"), FieldType::String, 50, QStringLiteral("Nome do Cliente")},
        FieldDef{QStringLiteral("CDCLIENTE"), FieldType::String, 21, {}, {}, false},
        FieldDef{QStringLiteral("IDTPIJURCLIE"), FieldType::String, 1, {}, {}, false}};
}

QList<FieldDef> consumerSearchFields()
{
    return {FieldDef{QStringLiteral("CDCLIENTE"), FieldType::String, 21, {}, {}, false},
            FieldDef{QStringLiteral("CDCONSUMIDOR"), FieldType::String, 21, QStringLiteral("Código")},
            FieldDef{QStringLiteral("NMCONSUMIDOR"), FieldType::String, 50,
                     QStringLiteral("Nome do Consumidor")}};
}

} // namespace zel
