#include "PacketJson.h"

#include "DataSetMessages.h"
#include "FieldValue.h"

#include <QJsonArray>
#include <QJsonParseError>
#include <QSet>
#include <cmath>

namespace zel {
namespace {

QString kindOf(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return dataSetText("TipoLogico");
    case QJsonValue::Double:
        return dataSetText("TipoNumero");
    case QJsonValue::String:
        return dataSetText("TipoTexto");
    case QJsonValue::Array:
        return dataSetText("TipoLista");
    case QJsonValue::Object:
        return dataSetText("TipoObjeto");
    default:
        return dataSetText("TipoNada");
    }
}

// "Pacote de dados: ..." around an error of the packet's parts; the part's key stays the code.
Error packetError(const Error& inner)
{
    return Error{dataSetText("PctErro", inner.message), inner.code};
}

QJsonValue toJson(const FieldDef& field, const QVariant& v)
{
    if (!v.isValid())
        return QJsonValue::Null;
    switch (field.type) {
    case FieldType::String:
        return v.toString();
    case FieldType::Integer:
        return QJsonValue(qint64(v.toLongLong()));
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Date:
    case FieldType::DateTime:
        return fieldvalue::text(v);
    case FieldType::Boolean:
        return v.toBool();
    }
    return QJsonValue::Null;
}

Result<QVariant> fromJson(const FieldDef& field, const QJsonValue& v, const QString& where)
{
    const QString at = QStringLiteral("%1 (%2)").arg(where, field.name);
    auto expected = [&](const char* whatKey) {
        return dataSetError("PctEsperado", at, dataSetText(whatKey), kindOf(v));
    };
    if (v.isNull())
        return QVariant();
    switch (field.type) {
    case FieldType::String: {
        if (!v.isString())
            return expected("TipoTexto");
        const QString s = v.toString();
        if (field.size > 0 && s.size() > field.size)
            return dataSetError("PctTextoLongo", at, s.left(60), field.size);
        return QVariant(s);
    }
    case FieldType::Integer: {
        if (!v.isDouble())
            return expected("TipoInteiro");
        const qint64 a = v.toInteger(0), b = v.toInteger(1);
        if (a != b)
            return expected("TipoInteiro");
        return QVariant(a);
    }
    case FieldType::Float: {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return expected("TipoNumero");
        return QVariant(v.toDouble());
    }
    case FieldType::Date: {
        auto d = v.isString() ? fieldvalue::parseDate(v.toString()) : std::nullopt;
        if (!d)
            return expected("TipoData");
        return QVariant(*d);
    }
    case FieldType::DateTime: {
        auto d = v.isString() ? fieldvalue::parseDateTime(v.toString()) : std::nullopt;
        if (!d)
            return expected("TipoDataHora");
        return QVariant(*d);
    }
    case FieldType::Boolean:
        if (!v.isBool())
            return expected("TipoVerdadeiroFalso");
        return QVariant(v.toBool());
    }
    return expected("TipoValor");
}

Result<FieldDef> fieldFromJson(const QJsonValue& value, int index, const QSet<QString>& seen)
{
    QString where = QStringLiteral("fields[%1]").arg(index);
    if (!value.isObject())
        return dataSetError("PctEsperado", where, dataSetText("TipoObjeto"), kindOf(value));
    const QJsonObject o = value.toObject();
    FieldDef f;
    if (!o.value(QLatin1String("name")).isString() ||
        o.value(QLatin1String("name")).toString().trimmed().isEmpty())
        return dataSetError("PctSemNome", where);
    f.name = o.value(QLatin1String("name")).toString();
    where += QStringLiteral(" (%1)").arg(f.name);
    if (f.name.contains(QLatin1Char(';')) ||
        f.name.compare(QLatin1String("zel_rowid"), Qt::CaseInsensitive) == 0)
        return dataSetError("PctNomeInvalido", where);
    if (seen.contains(f.name.toLower()))
        return dataSetError("PctCampoRepetido", where);
    for (auto it = o.begin(); it != o.end(); ++it) {
        static const QStringList known{QStringLiteral("name"),   QStringLiteral("type"),
                                       QStringLiteral("size"),   QStringLiteral("label"),
                                       QStringLiteral("format"), QStringLiteral("visible")};
        if (!known.contains(it.key()))
            return dataSetError("PctMembroDesconhecido", where, it.key());
    }
    const QJsonValue type = o.value(QLatin1String("type"));
    if (!type.isString())
        return dataSetError("PctSemTipo", where);
    auto t = fieldTypeFromName(type.toString());
    if (!t)
        return dataSetError("PctTipoDesconhecido", where, type.toString());
    f.type = *t;
    if (o.contains(QLatin1String("size"))) {
        const QJsonValue size = o.value(QLatin1String("size"));
        const qint64 n = size.toInteger(-1);
        if (!size.isDouble() || n < 0 || n > (1 << 30) || n != size.toInteger(-2))
            return dataSetError("PctTamanho", where);
        f.size = int(n);
    }
    for (const char* key : {"label", "format"}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isUndefined() && !v.isString())
            return dataSetError("PctMembroTexto", where, key);
    }
    f.displayLabel = o.value(QLatin1String("label")).toString();
    f.displayFormat = o.value(QLatin1String("format")).toString();
    const QJsonValue visible = o.value(QLatin1String("visible"));
    if (!visible.isUndefined() && !visible.isBool())
        return dataSetError("PctVisivel", where);
    f.visible = visible.toBool(true);
    return f;
}

Result<Row> rowFromJson(const QList<FieldDef>& fields, const QJsonValue& value, int index)
{
    const QString where = QStringLiteral("rows[%1]").arg(index);
    Row row(fields.size());
    if (value.isArray()) {
        const QJsonArray a = value.toArray();
        if (a.size() != fields.size())
            return dataSetError("PctLinhaTamanho", where, a.size(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            auto v = fromJson(fields[i], a.at(i), QStringLiteral("%1[%2]").arg(where).arg(i));
            if (!v)
                return v.error();
            row[i] = v.value();
        }
        return row;
    }
    if (!value.isObject())
        return dataSetError("PctEsperado", where, dataSetText("TipoListaObjeto"), kindOf(value));
    const QJsonObject o = value.toObject();
    QSet<int> filled;
    for (auto it = o.begin(); it != o.end(); ++it) {
        int i = -1;
        for (int k = 0; k < fields.size() && i < 0; ++k) {
            if (fields[k].name.compare(it.key(), Qt::CaseInsensitive) == 0)
                i = k;
        }
        if (i < 0)
            return dataSetError("PctCampoDesconhecido", where, it.key());
        if (filled.contains(i))
            return dataSetError("PctCampoDuasVezes", where, it.key());
        filled.insert(i);
        auto v = fromJson(fields[i], it.value(), QStringLiteral("%1.%2").arg(where, it.key()));
        if (!v)
            return v.error();
        row[i] = v.value();
    }
    return row;
}

} // namespace

QJsonObject packetToJsonObject(const DataPacket& packet)
{
    QJsonArray fields;
    for (const FieldDef& f : packet.fields) {
        QJsonObject o{{QStringLiteral("name"), f.name}, {QStringLiteral("type"), fieldTypeName(f.type)}};
        if (f.size > 0)
            o.insert(QStringLiteral("size"), f.size);
        if (!f.displayLabel.isEmpty())
            o.insert(QStringLiteral("label"), f.displayLabel);
        if (!f.displayFormat.isEmpty())
            o.insert(QStringLiteral("format"), f.displayFormat);
        if (!f.visible)
            o.insert(QStringLiteral("visible"), false);
        fields.append(o);
    }
    QJsonArray rows;
    for (const Row& r : packet.rows) {
        QJsonArray a;
        for (int i = 0; i < packet.fields.size(); ++i)
            a.append(toJson(packet.fields[i], i < r.size() ? r[i] : QVariant()));
        rows.append(a);
    }
    return QJsonObject{{QStringLiteral("fields"), fields}, {QStringLiteral("rows"), rows}};
}

QJsonDocument packetToJson(const DataPacket& packet)
{
    return QJsonDocument(packetToJsonObject(packet));
}

QByteArray packetToJsonText(const DataPacket& packet, QJsonDocument::JsonFormat format)
{
    return packetToJson(packet).toJson(format);
}

Result<DataPacket> packetFromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return dataSetError("PctNaoObjeto", kindOf(value));
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() != QLatin1String("fields") && it.key() != QLatin1String("rows"))
            return packetError(dataSetError("PctMembroDesconhecido", QStringLiteral("{}"), it.key()));
    }
    const QJsonValue fields = o.value(QLatin1String("fields"));
    if (!fields.isArray())
        return packetError(dataSetError("PctSemFields"));
    DataPacket packet;
    QSet<QString> seen;
    const QJsonArray fa = fields.toArray();
    for (int i = 0; i < fa.size(); ++i) {
        auto f = fieldFromJson(fa.at(i), i, seen);
        if (!f)
            return packetError(f.error());
        seen.insert(f->name.toLower());
        packet.fields.append(f.value());
    }
    const QJsonValue rows = o.value(QLatin1String("rows"));
    if (!rows.isUndefined() && !rows.isArray())
        return packetError(dataSetError("PctRowsLista"));
    const QJsonArray ra = rows.toArray();
    if (!ra.isEmpty() && packet.fields.isEmpty())
        return packetError(dataSetError("PctLinhasSemCampos"));
    for (int i = 0; i < ra.size(); ++i) {
        auto r = rowFromJson(packet.fields, ra.at(i), i);
        if (!r)
            return packetError(r.error());
        packet.rows.append(r.value());
    }
    return packet;
}

Result<DataPacket> packetFromJson(const QJsonDocument& document)
{
    if (document.isObject())
        return packetFromJson(QJsonValue(document.object()));
    return dataSetError("PctNaoObjeto", dataSetText("TipoNada"));
}

Result<DataPacket> packetFromJsonText(const QByteArray& text)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError)
        return packetError(dataSetError("PctJson", err.offset, err.errorString()));
    return packetFromJson(doc);
}

} // namespace zel
