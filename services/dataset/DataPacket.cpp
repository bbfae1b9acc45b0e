#include "DataPacket.h"

namespace zel {

int DataPacket::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return QStringLiteral("string");
    case FieldType::Integer:
        return QStringLiteral("integer");
    case FieldType::Float:
        return QStringLiteral("float");
    case FieldType::Date:
        return QStringLiteral("date");
    case FieldType::DateTime:
        return QStringLiteral("datetime");
    case FieldType::Boolean:
        return QStringLiteral("boolean");
    }
    return QStringLiteral("string");
}

std::optional<FieldType> fieldTypeFromName(const QString& name)
{
    for (FieldType t : {FieldType::String, FieldType::Integer, FieldType::Float, FieldType::Date,
                        FieldType::DateTime, FieldType::Boolean}) {
        if (fieldTypeName(t) == name)
            return t;
    }
    return std::nullopt;
}

} // namespace zel
