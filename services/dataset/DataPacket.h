#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>

namespace zel {

enum class FieldType { String, Integer, Float, Date, DateTime, Boolean };

// The definition of one field. `size` is the width of a string field in characters
// (0: unbounded); a longer text written to the field is cut to that width.
struct FieldDef
{
    FieldDef() = default;
    FieldDef(QString name, FieldType type = FieldType::String, int size = 0, QString label = {},
             QString format = {}, bool visible = true)
        : name(std::move(name)), type(type), size(size), displayLabel(std::move(label)),
          displayFormat(std::move(format)), visible(visible)
    {
    }

    QString name;
    FieldType type = FieldType::String;
    int size = 0;
    QString displayLabel;  // empty: the field name
    QString displayFormat; // e.g. "#,##0.00"
    bool visible = true;

    QString label() const { return displayLabel.isEmpty() ? name : displayLabel; }
    bool operator==(const FieldDef&) const = default;
};

// Values of a row, in the order of the field definitions. An invalid QVariant is null.
// Stored types: QString, qint64, double, QDate, QDateTime, bool.
using Row = QList<QVariant>;

// A whole dataset as a value: field definitions and rows. Datasets cross the boundary
// between the host and the module as packets, by copy.
struct DataPacket
{
    QList<FieldDef> fields;
    QList<Row> rows;

    int fieldIndex(const QString& name) const; // -1 when absent; names match without case
    bool operator==(const DataPacket&) const = default;
};

// "string", "integer", "float", "date", "datetime", "boolean": the names used in JSON
// packets and in the metadata of data files.
QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(const QString& name);

} // namespace zel
