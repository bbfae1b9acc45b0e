#include "PacketJson.h"

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
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a text");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("nothing");
    }
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
    auto expected = [&](const char* what) {
        return Error{QStringLiteral("%1: expected %2, found %3").arg(at, QLatin1String(what), kindOf(v))};
    };
    if (v.isNull())
        return QVariant();
    switch (field.type) {
    case FieldType::String: {
        if (!v.isString())
            return expected("a text");
        const QString s = v.toString();
        if (field.size > 0 && s.size() > field.size)
            return Error{QStringLiteral("%1: \"%2\" is longer than the field's %3 characters")
                             .arg(at, s.left(60))
                             .arg(field.size)};
        return QVariant(s);
    }
    case FieldType::Integer: {
        if (!v.isDouble())
            return expected("a whole number");
        const qint64 a = v.toInteger(0), b = v.toInteger(1);
        if (a != b)
            return expected("a whole number");
        return QVariant(a);
    }
    case FieldType::Float: {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return expected("a number");
        return QVariant(v.toDouble());
    }
    case FieldType::Date: {
        auto d = v.isString() ? fieldvalue::parseDate(v.toString()) : std::nullopt;
        if (!d)
            return expected("a date text \"yyyy-MM-dd\"");
        return QVariant(*d);
    }
    case FieldType::DateTime: {
        auto d = v.isString() ? fieldvalue::parseDateTime(v.toString()) : std::nullopt;
        if (!d)
            return expected("a date-time text \"yyyy-MM-ddTHH:mm:ss\"");
        return QVariant(*d);
    }
    case FieldType::Boolean:
        if (!v.isBool())
            return expected("true or false");
        return QVariant(v.toBool());
    }
    return expected("a value");
}

Result<FieldDef> fieldFromJson(const QJsonValue& value, int index, const QSet<QString>& seen)
{
    QString where = QStringLiteral("fields[%1]").arg(index);
    if (!value.isObject())
        return Error{QStringLiteral("%1: expected an object, found %2").arg(where, kindOf(value))};
    const QJsonObject o = value.toObject();
    FieldDef f;
    if (!o.value(QLatin1String("name")).isString() ||
        o.value(QLatin1String("name")).toString().trimmed().isEmpty())
        return Error{QStringLiteral("%1: \"name\" is missing or not a text").arg(where)};
    f.name = o.value(QLatin1String("name")).toString();
    where += QStringLiteral(" (%1)").arg(f.name);
    if (f.name.contains(QLatin1Char(';')) ||
        f.name.compare(QLatin1String("zel_rowid"), Qt::CaseInsensitive) == 0)
        return Error{QStringLiteral("%1: this name cannot be a field name").arg(where)};
    if (seen.contains(f.name.toLower()))
        return Error{QStringLiteral("%1: the field is defined twice").arg(where)};
    for (auto it = o.begin(); it != o.end(); ++it) {
        static const QStringList known{QStringLiteral("name"),   QStringLiteral("type"),
                                       QStringLiteral("size"),   QStringLiteral("label"),
                                       QStringLiteral("format"), QStringLiteral("visible")};
        if (!known.contains(it.key()))
            return Error{QStringLiteral("%1: unknown member \"%2\"").arg(where, it.key())};
    }
    const QJsonValue type = o.value(QLatin1String("type"));
    if (!type.isString())
        return Error{QStringLiteral("%1: \"type\" is missing or not a text").arg(where)};
    auto t = fieldTypeFromName(type.toString());
    if (!t)
        return Error{QStringLiteral("%1: unknown type \"%2\" (known: string, integer, float, date, datetime, "
                                    "boolean)")
                         .arg(where, type.toString())};
    f.type = *t;
    if (o.contains(QLatin1String("size"))) {
        const QJsonValue size = o.value(QLatin1String("size"));
        const qint64 n = size.toInteger(-1);
        if (!size.isDouble() || n < 0 || n > (1 << 30) || n != size.toInteger(-2))
            return Error{QStringLiteral("%1: \"size\" must be a whole number from 0").arg(where)};
        f.size = int(n);
    }
    for (const char* key : {"label", "format"}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isUndefined() && !v.isString())
            return Error{QStringLiteral("%1: \"%2\" must be a text").arg(where, QLatin1String(key))};
    }
    f.displayLabel = o.value(QLatin1String("label")).toString();
    f.displayFormat = o.value(QLatin1String("format")).toString();
    const QJsonValue visible = o.value(QLatin1String("visible"));
    if (!visible.isUndefined() && !visible.isBool())
        return Error{QStringLiteral("%1: \"visible\" must be true or false").arg(where)};
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
            return Error{
                QStringLiteral("%1: %2 values for %3 fields").arg(where).arg(a.size()).arg(fields.size())};
        for (int i = 0; i < fields.size(); ++i) {
            auto v = fromJson(fields[i], a.at(i), QStringLiteral("%1[%2]").arg(where).arg(i));
            if (!v)
                return v.error();
            row[i] = v.value();
        }
        return row;
    }
    if (!value.isObject())
        return Error{
            QStringLiteral("%1: expected an array or an object, found %2").arg(where, kindOf(value))};
    const QJsonObject o = value.toObject();
    QSet<int> filled;
    for (auto it = o.begin(); it != o.end(); ++it) {
        int i = -1;
        for (int k = 0; k < fields.size() && i < 0; ++k) {
            if (fields[k].name.compare(it.key(), Qt::CaseInsensitive) == 0)
                i = k;
        }
        if (i < 0)
            return Error{QStringLiteral("%1: unknown field \"%2\"").arg(where, it.key())};
        if (filled.contains(i))
            return Error{QStringLiteral("%1: field \"%2\" is given twice").arg(where, it.key())};
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
        return Error{QStringLiteral("A data packet must be a JSON object, found %1").arg(kindOf(value))};
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() != QLatin1String("fields") && it.key() != QLatin1String("rows"))
            return Error{QStringLiteral("Data packet: unknown member \"%1\"").arg(it.key())};
    }
    const QJsonValue fields = o.value(QLatin1String("fields"));
    if (!fields.isArray())
        return Error{QStringLiteral("Data packet: \"fields\" is missing or not an array")};
    DataPacket packet;
    QSet<QString> seen;
    const QJsonArray fa = fields.toArray();
    for (int i = 0; i < fa.size(); ++i) {
        auto f = fieldFromJson(fa.at(i), i, seen);
        if (!f)
            return Error{QStringLiteral("Data packet: ") + f.errorMessage()};
        seen.insert(f->name.toLower());
        packet.fields.append(f.value());
    }
    const QJsonValue rows = o.value(QLatin1String("rows"));
    if (!rows.isUndefined() && !rows.isArray())
        return Error{QStringLiteral("Data packet: \"rows\" must be an array")};
    const QJsonArray ra = rows.toArray();
    if (!ra.isEmpty() && packet.fields.isEmpty())
        return Error{QStringLiteral("Data packet: rows without fields")};
    for (int i = 0; i < ra.size(); ++i) {
        auto r = rowFromJson(packet.fields, ra.at(i), i);
        if (!r)
            return Error{QStringLiteral("Data packet: ") + r.errorMessage()};
        packet.rows.append(r.value());
    }
    return packet;
}

Result<DataPacket> packetFromJson(const QJsonDocument& document)
{
    if (document.isObject())
        return packetFromJson(QJsonValue(document.object()));
    return Error{QStringLiteral("A data packet must be a JSON object")};
}

Result<DataPacket> packetFromJsonText(const QByteArray& text)
{
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError)
        return Error{QStringLiteral("Data packet: JSON error at offset %1: %2")
                         .arg(err.offset)
                         .arg(err.errorString())};
    return packetFromJson(doc);
}

} // namespace zel
