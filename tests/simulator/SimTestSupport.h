#pragma once

#include "SimulatorConfig.h"
#include "dataset/DataSet.h"
#include "support/QStringPrinter.h"

#include <QTemporaryDir>

namespace zel::simtest {

// Settings on a fresh temporary folder: state, data and TEF directories inside it, short
// TEF waits so that a missing manager does not hold a test for seconds.
inline SimulatorConfig config(const QTemporaryDir& dir)
{
    auto parsed = SimulatorConfig::fromJson(
        QJsonObject{{QStringLiteral("tef"), QJsonObject{{QStringLiteral("dir"), QStringLiteral("tef")},
                                                        {QStringLiteral("activityTimeoutMs"), 3000},
                                                        {QStringLiteral("takenTimeoutMs"), 3000}}}},
        dir.path());
    return parsed.value();
}

// A movement dataset with the fields the fiscal printer reads.
inline void addMovement(DataSet& ds, const QString& kind, const QString& type, const QString& name,
                        double value)
{
    ds.append();
    ds.fieldByName(QStringLiteral("IDTIPOMOVIVE")).setString(kind);
    ds.fieldByName(QStringLiteral("CDTIPORECE")).setString(type);
    ds.fieldByName(QStringLiteral("NMTIPORECE")).setString(name);
    ds.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(value);
    ds.post();
}

inline QList<FieldDef> movementFields()
{
    return {FieldDef{QStringLiteral("IDTIPOMOVIVE"), FieldType::String, 1},
            FieldDef{QStringLiteral("CDTIPORECE"), FieldType::String, 3},
            FieldDef{QStringLiteral("NMTIPORECE"), FieldType::String, 40},
            FieldDef{QStringLiteral("VRMOVIVEND"), FieldType::Float}};
}

inline QList<FieldDef> paymentTypeFields()
{
    return {FieldDef{QStringLiteral("CDTIPORECE"), FieldType::String, 3},
            FieldDef{QStringLiteral("IDTIPORECE"), FieldType::String, 1}};
}

inline void addPaymentType(DataSet& ds, const QString& code, const QString& kind)
{
    ds.append();
    ds.fieldByName(QStringLiteral("CDTIPORECE")).setString(code);
    ds.fieldByName(QStringLiteral("IDTIPORECE")).setString(kind);
    ds.post();
}

} // namespace zel::simtest
