#include "DataSetTestSupport.h"

using namespace zel;
using namespace zel::test;

namespace {

QDateTime at(int minute)
{
    return QDateTime(QDate(2026, 12, 7), QTime(10, minute));
}

// The movement dataset's shape: a change order and a time stamp.
class IndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.setFieldDefs({stringField(QStringLiteral("CODE"), 3), stringField(QStringLiteral("NRORDTROCO"), 3),
                         typedField(QStringLiteral("DTHRINCMOV"), FieldType::DateTime),
                         typedField(QStringLiteral("VRMOVIVEND"), FieldType::Float)});
        ds.createDataSet();
        appendRow(ds, {"A", "1", at(1), 10.0});
        appendRow(ds, {"B", "2", at(2), 20.0});
        appendRow(ds, {"C", "1", at(3), 30.0});
        appendRow(ds, {"D", "2", at(4), 40.0});
    }
    DataSet ds;
};

struct OrderCase
{
    IndexDef index;
    QStringList order;
};

class IndexOrderTest : public IndexTest, public ::testing::WithParamInterface<OrderCase>
{
};

TEST_P(IndexOrderTest, OrdersTheVisibleRows)
{
    ds.addIndex(GetParam().index);
    ds.setIndexName(GetParam().index.name);
    EXPECT_EQ(walk(ds), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, IndexOrderTest,
    ::testing::Values(
        OrderCase{{"asc", {"NRORDTROCO", "DTHRINCMOV"}}, {"A", "C", "B", "D"}},
        OrderCase{{"descField", {"NRORDTROCO", "DTHRINCMOV"}, {"DTHRINCMOV"}}, {"C", "A", "D", "B"}},
        // descending option: every field descending, whatever descFields says
        OrderCase{{"idxNRORDTROCO", {"NRORDTROCO;DTHRINCMOV"}, {"DTHRINCMOV"}, true}, {"D", "B", "C", "A"}},
        OrderCase{{"byValueDesc", {"VRMOVIVEND"}, {}, true}, {"D", "C", "B", "A"}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return info.param.index.name.toStdString(); });

TEST_F(IndexTest, AfterPostTheCursorStaysOnThePostedRowInItsNewPlace)
{
    ds.addIndex({"idx", {"NRORDTROCO", "DTHRINCMOV"}});
    ds.setIndexName(QStringLiteral("idx"));
    ASSERT_TRUE(ds.locate(QStringLiteral("CODE"), {"A"}));
    ds.edit();
    ds.fieldByName(QStringLiteral("NRORDTROCO")).setString(QStringLiteral("3"));
    ds.post();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
    EXPECT_EQ(ds.recNo(), 4);
    ds.first();
    ds.insert();
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("E"));
    ds.fieldByName(QStringLiteral("NRORDTROCO")).setString(QStringLiteral("2"));
    ds.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(at(0));
    ds.post();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "E");
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(walk(ds), QStringList({"C", "E", "B", "D", "A"}));
}

TEST_F(IndexTest, SwitchingIndexKeepsTheCurrentRow)
{
    ds.addIndex({"byValueDesc", {"VRMOVIVEND"}, {}, true});
    ASSERT_TRUE(ds.locate(QStringLiteral("CODE"), {"B"}));
    ds.setIndexName(QStringLiteral("byValueDesc"));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "B");
    EXPECT_EQ(ds.recNo(), 3);
    ds.setIndexName(QString());
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(walk(ds), QStringList({"A", "B", "C", "D"}));
    EXPECT_THROW(ds.setIndexName(QStringLiteral("nope")), DataSetError);
}

TEST_F(IndexTest, NullsSortFirstAndEqualKeysKeepTheirOrder)
{
    appendRow(ds, {"E", QVariant(), at(5), 5.0});
    ds.addIndex({"order", {"NRORDTROCO"}});
    ds.setIndexName(QStringLiteral("order"));
    EXPECT_EQ(walk(ds), QStringList({"E", "A", "C", "B", "D"}));
    // Descending, the whole order turns over: nulls come last.
    ds.addIndex({"orderDesc", {"NRORDTROCO"}, {}, true});
    ds.setIndexName(QStringLiteral("orderDesc"));
    EXPECT_EQ(walk(ds).last(), QStringLiteral("E"));
}

TEST_F(IndexTest, UniqueIndexRefusesADuplicateKeyAtPost)
{
    ds.addIndex({"uq", {"NRORDTROCO", "DTHRINCMOV"}, {}, false, true});
    ds.append();
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("X"));
    ds.fieldByName(QStringLiteral("NRORDTROCO")).setString(QStringLiteral("1"));
    ds.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(at(1));
    try {
        ds.post();
        FAIL() << "duplicate accepted";
    } catch (const DataSetError& e) {
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QLatin1String("uq")), -1) << e.what();
    }
    EXPECT_EQ(ds.state(), DataSetState::Insert); // the operator's entry is still there
    ds.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(at(9));
    ds.post();
    EXPECT_EQ(ds.recordCount(), 5);
    // Editing a row to its own key is fine; to another row's key is not.
    ASSERT_TRUE(ds.locate(QStringLiteral("CODE"), {"B"}));
    ds.edit();
    ds.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(1);
    ds.post();
    ds.edit();
    ds.fieldByName(QStringLiteral("DTHRINCMOV")).setDateTime(at(4));
    EXPECT_THROW(ds.post(), DataSetError);
    ds.cancel();
    EXPECT_THROW(ds.addIndex({"uq2", {"NRORDTROCO"}, {}, false, true}), DataSetError);
    EXPECT_THROW(ds.addIndex({"bad", {"NOPE"}}), DataSetError);
}

TEST_F(IndexTest, ChangeLogRecordsInsertsEditsAndDeletes)
{
    ds.mergeChangeLog();
    EXPECT_EQ(ds.changeCount(), 0);
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(11);
    ds.post(); // A modified
    ds.next();
    ds.deleteRecord(); // B deleted
    appendRow(ds, {"E", "3", at(5), 50.0});
    appendRow(ds, {"F", "3", at(6), 60.0});
    ds.deleteRecord(); // F: inserted then deleted leaves no trace
    const auto log = ds.changes();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0].kind, ChangeKind::Deleted);
    EXPECT_EQ(log[0].before[0].toString(), "B");
    EXPECT_EQ(log[1].kind, ChangeKind::Modified);
    EXPECT_EQ(log[1].before[3].toDouble(), 10.0);
    EXPECT_EQ(log[1].after[3].toDouble(), 11.0);
    EXPECT_EQ(log[2].kind, ChangeKind::Inserted);
    EXPECT_EQ(log[2].after[0].toString(), "E");

    // Edited back to what it was: no longer a change.
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(10);
    ds.post();
    EXPECT_EQ(ds.changeCount(), 2);
    ds.mergeChangeLog();
    EXPECT_EQ(ds.changeCount(), 0);

    ds.setLogChanges(false);
    ds.deleteRecord();
    appendRow(ds, {"G", "3", at(7), 70.0});
    EXPECT_EQ(ds.changeCount(), 0);
}

TEST_F(IndexTest, ModifiedThenDeletedLogsTheLoadedValues)
{
    ds.mergeChangeLog();
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("Z"));
    ds.post();
    ds.deleteRecord();
    const auto log = ds.changes();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0].kind, ChangeKind::Deleted);
    EXPECT_EQ(log[0].before[0].toString(), "A");
}

TEST_F(IndexTest, PacketsCopyEveryRowInInsertionOrder)
{
    ds.addIndex({"byValueDesc", {"VRMOVIVEND"}, {}, true});
    ds.setIndexName(QStringLiteral("byValueDesc"));
    ds.setFilter([](const RecordView& r) { return r.text(QStringLiteral("CODE")) == QLatin1String("A"); },
                 {});
    ds.setFiltered(true);
    const DataPacket p = ds.data();
    ASSERT_EQ(p.rows.size(), 4);
    EXPECT_EQ(p.rows[0][0].toString(), "A");
    EXPECT_EQ(p.rows[3][0].toString(), "D");

    DataSet copy;
    copy.setData(p);
    EXPECT_TRUE(copy.active());
    EXPECT_EQ(copy.data(), p);
    EXPECT_EQ(copy.changeCount(), 0);
    EXPECT_EQ(walk(copy), QStringList({"A", "B", "C", "D"}));

    // Copying a packet in keeps the indexes that still fit and their order.
    ds.setData(p);
    EXPECT_EQ(ds.indexName(), "byValueDesc");
    ds.setFiltered(false);
    EXPECT_EQ(walk(ds), QStringList({"D", "C", "B", "A"}));
}

TEST_F(IndexTest, SetRowsKeepsTheDatasetsOwnFields)
{
    FieldDef label{QStringLiteral("NMTIPORECE"), FieldType::String, 5, QStringLiteral("Recebimento")};
    FieldDef hidden{QStringLiteral("CODE"), FieldType::String, 3};
    hidden.visible = false;
    DataSet search({hidden, label});
    search.setRows(ds.data()); // the source has no NMTIPORECE and more fields
    EXPECT_EQ(search.fieldDefs(), QList<FieldDef>({hidden, label}));
    EXPECT_EQ(walk(search), QStringList({"A", "B", "C", "D"}));
    EXPECT_TRUE(search.fieldByName(QStringLiteral("NMTIPORECE")).isNull());

    DataPacket names{{stringField(QStringLiteral("nmtiporece"), 0)}, {{QStringLiteral("Dinheiro")}}};
    search.setRows(names);
    EXPECT_EQ(search.fieldByName(QStringLiteral("NMTIPORECE")).asString(), "Dinhe"); // cut to its size
}

TEST_F(IndexTest, ThousandsOfRowsStayOrderedThroughEdits)
{
    DataSet big(
        {typedField(QStringLiteral("N"), FieldType::Integer), stringField(QStringLiteral("CODE"), 8)});
    big.addIndex({"byN", {"N"}, {}, true});
    big.setIndexName(QStringLiteral("byN"));
    big.createDataSet();
    for (int i = 0; i < 5000; ++i)
        appendRow(big, {(i * 7919) % 5000, QString::number(i)});
    big.first();
    for (int i = 0; i < 100; ++i) {
        big.edit();
        big.fieldByName(QStringLiteral("N"))
            .setInteger(big.fieldByName(QStringLiteral("N")).asInteger() + 10000);
        big.post();
        big.last();
    }
    qint64 prev = std::numeric_limits<qint64>::max();
    int count = 0;
    for (big.first(); !big.eof(); big.next(), ++count) {
        const qint64 n = big.fieldByName(QStringLiteral("N")).asInteger();
        ASSERT_LE(n, prev);
        prev = n;
    }
    EXPECT_EQ(count, 5000);
    EXPECT_TRUE(big.locate(QStringLiteral("CODE"), {"4999"}));
}

} // namespace
