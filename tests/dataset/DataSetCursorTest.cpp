#include "DataSetTestSupport.h"
#include "dataset/DataSetMessages.h"
#include "dataset/FieldValue.h"
#include "text/TextCatalogue.h"

#include <cmath>
#include <functional>
#include <optional>

using namespace zel;
using namespace zel::test;

namespace {

class CursorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.setName(QStringLiteral("cdsTest"));
        ds.setFieldDefs({stringField(QStringLiteral("CODE"), 3),
                         typedField(QStringLiteral("VALUE"), FieldType::Float),
                         stringField(QStringLiteral("KIND"), 1)});
        ds.createDataSet();
    }
    void fill(const QStringList& codes)
    {
        for (const QString& c : codes)
            appendRow(ds, {c, codes.indexOf(c) * 10.0, c == QLatin1String("B") ? "X" : "Y"});
    }
    DataSet ds;
};

TEST_F(CursorTest, EmptyDatasetHasNoRowToReadEditOrDelete)
{
    EXPECT_TRUE(ds.bof());
    EXPECT_TRUE(ds.eof());
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_EQ(ds.recNo(), 0);
    EXPECT_TRUE(ds.fieldByName(QStringLiteral("CODE")).isNull());
    EXPECT_EQ(ds.fieldByName(QStringLiteral("VALUE")).asFloat(), 0.0);
    EXPECT_THROW(ds.edit(), DataSetError);
    EXPECT_THROW(ds.deleteRecord(), DataSetError);
    ds.next();
    EXPECT_TRUE(ds.eof());
}

TEST_F(CursorTest, FlagsFollowTheCursorAtBothEnds)
{
    fill({"A", "B", "C"});
    ds.first();
    EXPECT_TRUE(ds.bof());
    EXPECT_FALSE(ds.eof());
    EXPECT_EQ(ds.recNo(), 1);
    ds.next();
    EXPECT_FALSE(ds.bof());
    ds.last();
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "C");
    ds.next(); // past the end: stays on the last row
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.recNo(), 3);
    ds.prior();
    EXPECT_FALSE(ds.eof());
    EXPECT_EQ(ds.recNo(), 2);
    ds.prior();
    ds.prior();
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
    EXPECT_EQ(walk(ds), QStringList({"A", "B", "C"}));
}

TEST_F(CursorTest, InsertGoesBeforeTheCurrentRowAndAppendAtTheEnd)
{
    fill({"A", "C"});
    ds.last();
    ds.insert();
    EXPECT_EQ(ds.state(), DataSetState::Insert);
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("B"));
    ds.post();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "B");
    EXPECT_EQ(ds.recNo(), 2);
    ds.first();
    ds.append();
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("D"));
    ds.post();
    EXPECT_EQ(ds.recNo(), 4);
    EXPECT_EQ(walk(ds), QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(ds.data().rows.size(), 4);
}

TEST_F(CursorTest, CancelDropsTheEditAndReturnsToTheRowBeforeTheInsert)
{
    fill({"A", "B"});
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("Z"));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "Z");
    ds.cancel();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
    ds.last();
    ds.append();
    ds.cancel();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "B");
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_THROW(ds.fieldByName(QStringLiteral("CODE")).setString(QStringLiteral("Q")), DataSetError);
}

TEST_F(CursorTest, MovingTheCursorPostsAPendingEdit)
{
    fill({"A", "B"});
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("VALUE")).setFloat(7.5);
    ds.next();
    EXPECT_EQ(ds.state(), DataSetState::Browse);
    ds.first();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("VALUE")).asFloat(), 7.5);
}

TEST_F(CursorTest, DeleteMakesTheFollowingRowCurrent)
{
    fill({"A", "B", "C"});
    ds.first();
    ds.next();
    ds.deleteRecord();
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "C");
    EXPECT_FALSE(ds.eof());
    ds.deleteRecord(); // the last row: the new last one becomes current, at the end
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
    EXPECT_TRUE(ds.eof());
    ds.deleteRecord();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_TRUE(ds.bof() && ds.eof());
}

// The loop the forms use to drop some rows: delete, or else move on, until the end.
struct DeleteLoopCase
{
    QStringList rows;
    QString kindToDelete;
    QStringList remaining;
};

class DeleteLoopTest : public ::testing::TestWithParam<DeleteLoopCase>
{
};

TEST_P(DeleteLoopTest, VisitsEveryRowOnce)
{
    const auto& c = GetParam();
    DataSet ds({stringField(QStringLiteral("CODE"), 3), stringField(QStringLiteral("KIND"), 1)});
    ds.createDataSet();
    for (const QString& r : c.rows)
        appendRow(ds, {r, r.left(1)});
    ds.first();
    while (!ds.eof()) {
        if (ds.fieldByName(QStringLiteral("KIND")).asString() == c.kindToDelete)
            ds.deleteRecord();
        else
            ds.next();
    }
    EXPECT_EQ(walk(ds), c.remaining);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeleteLoopTest,
                         ::testing::Values(DeleteLoopCase{{"X1", "Y1", "X2"}, "X", {"Y1"}},
                                           DeleteLoopCase{{"X1", "X2", "X3"}, "X", {}},
                                           DeleteLoopCase{{"Y1", "X1", "X2"}, "X", {"Y1"}},
                                           DeleteLoopCase{{"Y1", "Y2"}, "X", {"Y1", "Y2"}},
                                           DeleteLoopCase{
                                               {"X1", "Y1", "Y2", "X2", "Y3"}, "X", {"Y1", "Y2", "Y3"}}));

TEST_F(CursorTest, LocateSearchesOnlyFilteredRowsAndStaysPutWhenNothingMatches)
{
    fill({"A", "B", "C"});
    ds.setFilter([](const RecordView& r) { return r.text(QStringLiteral("KIND")) == QLatin1String("Y"); },
                 QStringLiteral("KIND = 'Y'"));
    ds.setFiltered(true);
    EXPECT_EQ(ds.filterText(), "KIND = 'Y'");
    EXPECT_EQ(walk(ds), QStringList({"A", "C"}));
    ds.last();
    EXPECT_FALSE(ds.locate(QStringLiteral("CODE"), {"B"})); // filtered out
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "C");
    EXPECT_TRUE(ds.locate(QStringLiteral("CODE;KIND"), {"A", "Y"}));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_FALSE(ds.locate(QStringLiteral("CODE;KIND"), {"A", "X"}));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
    ds.setFiltered(false);
    EXPECT_TRUE(ds.locate(QStringLiteral("CODE"), {"B"}));
    EXPECT_THROW(ds.locate(QStringLiteral("CODE;KIND"), {"B"}), DataSetError);
    EXPECT_THROW(ds.locate(QStringLiteral("NOPE"), {"B"}), DataSetError);
}

TEST_F(CursorTest, LocateOptionsAndTypedKeys)
{
    appendRow(ds, {"Abc", 2.5, "Y"});
    appendRow(ds, {"abd", 10.0, "Y"});
    ds.first();
    EXPECT_FALSE(ds.locate(QStringLiteral("CODE"), {"ABD"}));
    EXPECT_TRUE(ds.locate(QStringLiteral("CODE"), {"ABD"}, {true, false}));
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_TRUE(ds.locate(QStringLiteral("CODE"), {"Ab"}, {false, true}));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.locate(QStringLiteral("VALUE"), {"10"})); // text converted to the field's type
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_FALSE(ds.locate(QStringLiteral("VALUE"), {"ten"}));
    EXPECT_TRUE(ds.locate(QStringLiteral("VALUE"), {2.5}));
    EXPECT_EQ(ds.recNo(), 1);
}

TEST_F(CursorTest, APostedRowTheFilterRejectsLeavesTheView)
{
    fill({"A", "B", "C"});
    ds.setFilter([](const RecordView& r) { return r.text(QStringLiteral("KIND")) == QLatin1String("Y"); },
                 {});
    ds.setFiltered(true);
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("KIND")).setString(QStringLiteral("X"));
    ds.post();
    EXPECT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "C");
    EXPECT_EQ(ds.data().rows.size(), 3);
}

TEST_F(CursorTest, APredicateThatThrowsLeavesTheDatasetUnfiltered)
{
    fill({"A", "B"});
    ds.setFilter([](const RecordView& r) { return r.text(QStringLiteral("MISSING")).isEmpty(); }, {});
    EXPECT_THROW(ds.setFiltered(true), DataSetError);
    EXPECT_FALSE(ds.filtered());
    EXPECT_EQ(walk(ds), QStringList({"A", "B"}));
}

TEST_F(CursorTest, ErrorsNameTheDataset)
{
    try {
        ds.fieldByName(QStringLiteral("NOPE"));
        FAIL() << "no error";
    } catch (const DataSetError& e) {
        EXPECT_STREQ(e.what(), "cdsTest: O campo \"NOPE\" não existe.");
        EXPECT_EQ(e.code(), QStringLiteral("DsCampoNaoExiste"));
    }
}

TEST_F(CursorTest, ClosedDatasetKeepsItsRows)
{
    fill({"A", "B"});
    ds.close();
    EXPECT_THROW(ds.first(), DataSetError);
    EXPECT_THROW(ds.fieldByName(QStringLiteral("CODE")).value(), DataSetError);
    EXPECT_EQ(ds.recordCount(), 0);
    ds.open();
    EXPECT_EQ(walk(ds), QStringList({"A", "B"}));
}

TEST_F(CursorTest, BookmarksReturnToARow)
{
    fill({"A", "B", "C"});
    ds.first();
    ds.next();
    const qint64 mark = ds.bookmark();
    ds.last();
    EXPECT_TRUE(ds.gotoBookmark(mark));
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "B");
    ds.deleteRecord();
    EXPECT_FALSE(ds.gotoBookmark(mark));
    ds.setRecNo(1);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("CODE")).asString(), "A");
}

TEST_F(CursorTest, MalformedPacketChangesNothing)
{
    fill({"A"});
    DataPacket bad{{stringField(QStringLiteral("X"), 0), typedField(QStringLiteral("N"), FieldType::Integer)},
                   {{"ok", 1}, {"bad", "one"}}};
    EXPECT_THROW(ds.setData(bad), DataSetError);
    EXPECT_EQ(ds.fieldDefs().size(), 3);
    EXPECT_EQ(walk(ds), QStringList({"A"}));
    DataPacket shortRow{{stringField(QStringLiteral("X"), 0)}, {{}}};
    EXPECT_THROW(ds.setData(shortRow), DataSetError);
}

// Writing a value through a field converts it to the field's type or refuses it.
struct ConvertCase
{
    FieldDef field;
    QVariant in;
    QVariant stored; // invalid with `fails` set: the write is refused
    bool fails = false;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase>
{
};

TEST_P(ConvertTest, WritesTheStoredForm)
{
    const auto& c = GetParam();
    DataSet ds({c.field});
    ds.createDataSet();
    ds.append();
    if (c.fails) {
        EXPECT_THROW(ds.fieldByName(c.field.name).setValue(c.in), DataSetError);
        return;
    }
    ds.fieldByName(c.field.name).setValue(c.in);
    ds.post();
    const QVariant v = ds.fieldByName(c.field.name).value();
    EXPECT_EQ(v.metaType(), c.stored.metaType());
    EXPECT_EQ(fieldvalue::compare(v, c.stored), 0) << v.toString().toStdString();
}

const FieldDef kStr3{QStringLiteral("S"), FieldType::String, 3};
const FieldDef kInt{QStringLiteral("I"), FieldType::Integer};
const FieldDef kFlt{QStringLiteral("F"), FieldType::Float};
const FieldDef kDate{QStringLiteral("D"), FieldType::Date};
const FieldDef kDt{QStringLiteral("T"), FieldType::DateTime};
const FieldDef kBool{QStringLiteral("B"), FieldType::Boolean};

INSTANTIATE_TEST_SUITE_P(
    Values, ConvertTest,
    ::testing::Values(
        ConvertCase{kStr3, QStringLiteral("ABCDE"), QStringLiteral("ABC")}, // cut to the size
        ConvertCase{kStr3, 12, QStringLiteral("12")}, ConvertCase{kStr3, 1.5, QStringLiteral("1.5")},
        ConvertCase{kInt, QStringLiteral(" 42 "), qint64(42)}, ConvertCase{kInt, 3.0, qint64(3)},
        ConvertCase{kInt, 3.5, {}, true}, ConvertCase{kInt, QStringLiteral("4x"), {}, true},
        ConvertCase{kInt, QStringLiteral(""), QVariant()}, ConvertCase{kFlt, QStringLiteral("12.25"), 12.25},
        ConvertCase{kFlt, QStringLiteral("12,25"), 12.25}, ConvertCase{kFlt, qint64(7), 7.0},
        ConvertCase{kFlt, std::nan(""), {}, true}, ConvertCase{kFlt, HUGE_VAL, {}, true},
        ConvertCase{kDate, QStringLiteral("2026-12-07"), QDate(2026, 12, 7)},
        ConvertCase{kDate, QDateTime(QDate(2026, 1, 2), QTime(23, 0)), QDate(2026, 1, 2)},
        ConvertCase{kDate, QStringLiteral("07/12/2026"), {}, true},
        ConvertCase{kDt, QStringLiteral("2026-12-07T10:00:00"), QDateTime(QDate(2026, 12, 7), QTime(10, 0))},
        ConvertCase{kDt, QStringLiteral("2026-12-07 10:00:00.250"),
                    QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0, 250))},
        ConvertCase{kDt, QDate(2026, 12, 7), QDateTime(QDate(2026, 12, 7), QTime(0, 0))},
        ConvertCase{kDt, QStringLiteral("10:00"), {}, true}, ConvertCase{kBool, QStringLiteral("true"), true},
        ConvertCase{kBool, 0, false}, ConvertCase{kBool, 2, {}, true},
        ConvertCase{kBool, QStringLiteral("yes"), {}, true}));

TEST(FieldViews, ReadValuesAsOtherTypes)
{
    DataSet ds({stringField(QStringLiteral("S"), 10), typedField(QStringLiteral("F"), FieldType::Float),
                typedField(QStringLiteral("T"), FieldType::DateTime)});
    ds.createDataSet();
    appendRow(ds, {"12.5", 2.5, "2026-12-07T10:00:00"});
    EXPECT_EQ(ds.fieldByName(QStringLiteral("S")).asFloat(), 12.5);
    EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asInteger(), 3); // half away from zero
    EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asString(), "2.5");
    EXPECT_EQ(ds.fieldByName(QStringLiteral("T")).asDate(), QDate(2026, 12, 7));
    EXPECT_THROW(ds.fieldByName(QStringLiteral("T")).asFloat(), DataSetError);
    ds.edit();
    ds.fieldByName(QStringLiteral("S")).setString(QStringLiteral("R$ 1"));
    EXPECT_THROW(ds.fieldByName(QStringLiteral("S")).asFloat(), DataSetError);
    ds.fieldByName(QStringLiteral("F")).clear();
    EXPECT_TRUE(ds.fieldByName(QStringLiteral("F")).isNull());
    EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asString(), "");
    EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asFloat(), 0.0);
}

TEST(FieldViews, AFieldKeptAcrossNewDefinitionsFollowsItsNameOrThrows)
{
    DataSet ds({stringField(QStringLiteral("A"), 4), typedField(QStringLiteral("B"), FieldType::Integer)});
    ds.createDataSet();
    appendRow(ds, {"x", 1});
    Field b = ds.fieldByName(QStringLiteral("B"));
    DataPacket packet;
    packet.fields = {typedField(QStringLiteral("B"), FieldType::Integer)};
    packet.rows = {Row{qint64(7)}};
    ds.setData(packet);
    EXPECT_EQ(b.asInteger(), 7);
    ds.close();
    ds.setFieldDefs({stringField(QStringLiteral("C"), 1)});
    ds.open();
    EXPECT_THROW(b.value(), DataSetError);
    EXPECT_THROW(b.name(), DataSetError);
}

// Text written to a float field and a float read from a text field are read alike on every
// machine: "," or "." as the decimal separator, or C-locale text; a text that reads two ways
// ("1,234": 1,234 or 1234) is refused.
struct FloatText
{
    const char* text;
    std::optional<double> value; // empty: refused
};

class FloatTextTest : public ::testing::TestWithParam<FloatText>
{
};

TEST_P(FloatTextTest, WrittenAndReadWithTheSystemSeparators)
{
    DataSet ds({stringField(QStringLiteral("S"), 20), typedField(QStringLiteral("F"), FieldType::Float)});
    ds.createDataSet();
    ds.append();
    const QString text = QString::fromUtf8(GetParam().text);
    ds.fieldByName(QStringLiteral("S")).setString(text);
    if (GetParam().value) {
        EXPECT_EQ(ds.fieldByName(QStringLiteral("S")).asFloat(), *GetParam().value) << GetParam().text;
        ds.fieldByName(QStringLiteral("F")).setString(text);
        EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asFloat(), *GetParam().value) << GetParam().text;
    } else {
        EXPECT_THROW(ds.fieldByName(QStringLiteral("S")).asFloat(), DataSetError) << GetParam().text;
        ds.fieldByName(QStringLiteral("F")).setFloat(1.0);
        EXPECT_THROW(ds.fieldByName(QStringLiteral("F")).setString(text), DataSetError) << GetParam().text;
        EXPECT_EQ(ds.fieldByName(QStringLiteral("F")).asFloat(), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FloatTextTest,
    ::testing::Values(FloatText{"1,234", std::nullopt}, FloatText{"1,5", 1.5}, FloatText{"1.234,5", 1234.5},
                      FloatText{"-3,10", -3.1}, FloatText{"12.5", 12.5}, FloatText{"0.500", 0.5},
                      FloatText{"1e3", 1000.0}, FloatText{" 7 ", 7.0}, FloatText{"1.234", std::nullopt},
                      FloatText{"12.345.678", 12345678.0}, FloatText{"1,2,3", std::nullopt},
                      FloatText{"1,234.5", 1234.5}, FloatText{"R$ 1", std::nullopt}));

TEST(FieldDefinitions, BadDefinitionsAreRefused)
{
    DataSet ds;
    EXPECT_THROW(ds.setFieldDefs({stringField(QStringLiteral("A"), 1), stringField(QStringLiteral("a"), 1)}),
                 DataSetError);
    EXPECT_THROW(ds.setFieldDefs({stringField(QStringLiteral("A;B"), 1)}), DataSetError);
    EXPECT_THROW(ds.setFieldDefs({stringField(QStringLiteral(""), 1)}), DataSetError);
    EXPECT_THROW(ds.open(), DataSetError);
    ds.setFieldDefs({stringField(QStringLiteral("A"), 1)});
    ds.open();
    EXPECT_THROW(ds.addFieldDef(stringField(QStringLiteral("B"), 1)), DataSetError);
}

// What an operator may see of a dataset's errors comes from the dataset's catalogue, in
// Portuguese, with the catalogue key as the error's code.
TEST(DataSetMessages, ErrorsComeFromTheCatalogue)
{
    auto expectCatalogued = [](const std::function<void()>& action, const char* code, const QString& text) {
        try {
            action();
            ADD_FAILURE() << "no error for " << code;
        } catch (const DataSetError& e) {
            EXPECT_EQ(e.code(), QString::fromLatin1(code));
            EXPECT_TRUE(dataSetCatalogue().contains(e.code()) || textCatalogue().contains(e.code())) << code;
            EXPECT_EQ(QString::fromUtf8(e.what()), text);
        }
    };
    DataSet empty;
    expectCatalogued([&] { empty.open(); }, "DsSemCamposAbrir",
                     QStringLiteral("Não é possível abrir uma tabela sem definições de campos."));
    DataSet ds({typedField(QStringLiteral("VRINDICE"), FieldType::Float)});
    ds.setName(QStringLiteral("cdsCotacao"));
    ds.createDataSet();
    ds.append();
    expectCatalogued([&] { ds.fieldByName(QStringLiteral("VRINDICE")).setString(QStringLiteral("abc")); },
                     "NumInvalido",
                     QStringLiteral("cdsCotacao: O campo VRINDICE (número real) não aceita o valor \"abc\": "
                                    "\"abc\" não é um número."));
    expectCatalogued([&] { ds.fieldByName(QStringLiteral("VRX")); }, "DsCampoNaoExiste",
                     QStringLiteral("cdsCotacao: O campo \"VRX\" não existe."));
}

} // namespace
