#pragma once

#include "dataset/DataSet.h"

#include <gtest/gtest.h>

namespace zel::test {

inline FieldDef stringField(const QString& name, int size)
{
    return FieldDef{name, FieldType::String, size};
}
inline FieldDef typedField(const QString& name, FieldType type)
{
    return FieldDef{name, type, 0};
}

// The codes of the visible rows, first to last, read with the cursor.
inline QStringList walk(DataSet& ds, const QString& field = QStringLiteral("CODE"))
{
    QStringList out;
    for (ds.first(); !ds.eof(); ds.next())
        out << ds.fieldByName(field).asString();
    return out;
}

inline void appendRow(DataSet& ds, const QVariantList& values)
{
    ds.append();
    for (int i = 0; i < values.size(); ++i)
        ds.fieldByName(ds.fieldDefs()[i].name).setValue(values[i]);
    ds.post();
}

} // namespace zel::test
