#include "DataSetTestSupport.h"
#include "dataset/FieldValue.h"

#include <QDate>
#include <QRandomGenerator>

using namespace zel;
using namespace zel::test;

namespace {

const QList<FieldDef> kFields = {stringField(QStringLiteral("CODE"), 4),
                                 typedField(QStringLiteral("QT"), FieldType::Integer),
                                 typedField(QStringLiteral("PRICE"), FieldType::Float),
                                 typedField(QStringLiteral("DAY"), FieldType::Date),
                                 typedField(QStringLiteral("PAID"), FieldType::Boolean),
                                 stringField(QStringLiteral("NOTE"), 0)};

// A value for `field` as a host may hand it: in the stored form, null, or of another type the
// field converts (a number as text, an int for a float, a text wider than the field).
QVariant anyValue(QRandomGenerator& rng, const FieldDef& field)
{
    const int n = int(rng.bounded(100));
    // A date or a yes/no is seldom of another type, so that most rounds are taken whole.
    const bool otherType = (field.type != FieldType::Date && field.type != FieldType::Boolean) || n == 0;
    switch (otherType ? rng.bounded(4) : rng.bounded(2) * 3) {
    case 0:
        return QVariant();
    case 1:
        return QString::number(n).repeated(1 + n % 3);
    case 2:
        return n;
    default:
        switch (field.type) {
        case FieldType::String:
            return QStringLiteral("x%1").arg(n);
        case FieldType::Integer:
            return qint64(n);
        case FieldType::Float:
            return n / 4.0;
        case FieldType::Date:
            return QDate(2026, 1, 1).addDays(n);
        case FieldType::DateTime:
            return QVariant();
        case FieldType::Boolean:
            return n % 2 == 0;
        }
    }
    return QVariant();
}

// setData keeps each value as the field converts it, whether or not the packet's row was
// already in the stored form; a row a field refuses changes nothing.
TEST(DataSetPacket, SetDataKeepsEachValueAsTheFieldConvertsIt)
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 300; ++round) {
        DataPacket packet{kFields, {}};
        DataPacket expected{kFields, {}};
        bool refused = false;
        for (int r = 0, rows = int(rng.bounded(6)); r < rows; ++r) {
            Row row, converted;
            for (const FieldDef& f : kFields) {
                row.append(anyValue(rng, f));
                const auto v = fieldvalue::convert(f, row.last());
                refused = refused || !v;
                converted.append(v ? v.value() : QVariant());
            }
            packet.rows.append(row);
            expected.rows.append(converted);
        }
        DataSet ds(kFields);
        ds.createDataSet();
        appendRow(ds, {QStringLiteral("old"), 1, 1.0, QDate(2026, 1, 1), true, QString()});
        const DataPacket before = ds.data();
        if (refused) {
            EXPECT_THROW(ds.setData(packet), DataSetError) << round;
            EXPECT_EQ(ds.data(), before) << round;
        } else {
            ds.setData(packet);
            EXPECT_EQ(ds.data(), expected) << round;
            ds.setData(ds.data()); // a packet in the stored form comes back as it went
            EXPECT_EQ(ds.data(), expected) << round;
            // copyFrom is setData(other.data()) without the round trip through a packet: every
            // row, the source's filter ignored and its pending edit left out.
            DataSet copy(kFields);
            copy.createDataSet();
            appendRow(copy, {QStringLiteral("prev"), 2, 2.0, QDate(2026, 1, 2), false, QString()});
            ds.setFilter([](const RecordView&) { return false; }, QStringLiteral("nothing"));
            ds.setFiltered(round % 2 == 0);
            if (!ds.isEmpty()) {
                ds.edit();
                ds.fieldByName(QStringLiteral("NOTE")).setString(QStringLiteral("pending"));
            }
            copy.copyFrom(ds);
            EXPECT_EQ(copy.data(), expected) << round;
            EXPECT_EQ(copy.recNo(), expected.rows.isEmpty() ? 0 : 1) << round;
        }
    }
}

// columns(names) is data() with only the named fields, in the order named.
TEST(DataSetPacket, ColumnsAreDataWithTheNamedFieldsOnly)
{
    DataSet ds(kFields);
    ds.createDataSet();
    appendRow(ds, {QStringLiteral("A1"), 2, 1.25, QDate(2026, 3, 1), true, QStringLiteral("first")});
    appendRow(ds, {QString(), QVariant(), 0.5, QVariant(), false, QVariant()});
    const DataPacket all = ds.data();
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("PRICE")},
        {QStringLiteral("note"), QStringLiteral("Code")},
        {QStringLiteral("QT"), QStringLiteral("MISSING"), QStringLiteral("DAY")},
        {QStringLiteral("MISSING")}};
    for (const QStringList& names : cases) {
        DataPacket expected;
        QList<int> from;
        for (const QString& name : names) {
            if (const int i = all.fieldIndex(name); i >= 0) {
                from.append(i);
                expected.fields.append(all.fields[i]);
            }
        }
        for (const Row& r : all.rows) {
            Row row;
            for (const int i : from)
                row.append(r[i]);
            expected.rows.append(row);
        }
        EXPECT_EQ(ds.columns(names), expected) << names.join(u',').toStdString();
    }
}

} // namespace
