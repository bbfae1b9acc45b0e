#pragma once

#include "dataset/DataSet.h"

#include <QString>

namespace zel::session {

// A field of the current row as text; empty when the table has no such field.
inline QString text(DataSet& table, const char* field)
{
    const QString name = QLatin1String(field);
    return table.hasField(name) ? table.fieldByName(name).asString() : QString();
}

// The current movement row is the change ("S"), not a payment.
inline bool isChange(DataSet& movements)
{
    return movements.fieldByName(QStringLiteral("IDTIPOMOVIVE")).asString() == QLatin1String("S");
}

} // namespace zel::session
