#include "dataset/PacketJson.h"

#include "DataSetTestSupport.h"

using namespace zel;
using namespace zel::test;

namespace {

DataPacket samplePacket()
{
    FieldDef value{QStringLiteral("VRMOVIVEND"), FieldType::Float, 0, QStringLiteral("Valor"),
                   QStringLiteral("#,##0.00")};
    FieldDef hidden{QStringLiteral("NRSEQ"), FieldType::Integer};
    hidden.visible = false;
    DataPacket p;
    p.fields = {stringField(QStringLiteral("CDTIPORECE"), 3),
                value,
                hidden,
                typedField(QStringLiteral("DTMOVIMCAIXA"), FieldType::Date),
                typedField(QStringLiteral("DTHRINCMOV"), FieldType::DateTime),
                typedField(QStringLiteral("IDOK"), FieldType::Boolean)};
    p.rows = {{QStringLiteral("001"), 0.29, qint64(9007199254740993LL), QDate(2026, 12, 7),
               QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0, 125)), true},
              {QStringLiteral("ção"), 1234.56, qint64(-1), QVariant(), QVariant(), false},
              {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}};
    return p;
}

TEST(PacketJson, RoundTripKeepsEveryValueAndDefinition)
{
    const DataPacket p = samplePacket();
    for (auto format : {QJsonDocument::Indented, QJsonDocument::Compact}) {
        auto back = packetFromJsonText(packetToJsonText(p, format));
        ASSERT_TRUE(back.ok()) << back.errorMessage().toStdString();
        EXPECT_EQ(back.value(), p);
    }
}

TEST(PacketJson, RowsMayBeObjectsKeyedByFieldName)
{
    auto p = packetFromJsonText(R"({"fields": [{"name": "CDTIPORECE", "type": "string", "size": 3},
                                               {"name": "VRMOVIVEND", "type": "float"}],
                                    "rows": [{"vrmovivend": 12, "CDTIPORECE": "004"}, {"CDTIPORECE": "005"}]})");
    ASSERT_TRUE(p.ok()) << p.errorMessage().toStdString();
    ASSERT_EQ(p->rows.size(), 2);
    EXPECT_EQ(p->rows[0], Row({QStringLiteral("004"), 12.0}));
    EXPECT_EQ(p->rows[1], Row({QStringLiteral("005"), QVariant()}));
}

TEST(PacketJson, DateTimesWithAnOffsetArriveInLocalTime)
{
    auto p = packetFromJsonText(R"({"fields": [{"name": "T", "type": "datetime"}],
                                    "rows": [["2026-12-07T10:00:00Z"]]})");
    ASSERT_TRUE(p.ok()) << p.errorMessage().toStdString();
    const QDateTime t = p->rows[0][0].toDateTime();
    EXPECT_EQ(t.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(t.toUTC(), QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC));
}

struct BadJson
{
    const char* name;
    const char* text;
    const char* expected; // a part of the error message
};

class PacketJsonErrorTest : public ::testing::TestWithParam<BadJson>
{
};

TEST_P(PacketJsonErrorTest, ReportsWhereAndWhat)
{
    auto p = packetFromJsonText(GetParam().text);
    ASSERT_FALSE(p.ok());
    EXPECT_NE(p.errorMessage().indexOf(QString::fromUtf8(GetParam().expected)), -1)
        << p.errorMessage().toStdString();
}

#define F1 R"("fields": [{"name": "A", "type": "string", "size": 2}, {"name": "N", "type": "integer"}])"

INSTANTIATE_TEST_SUITE_P(
    Errors, PacketJsonErrorTest,
    ::testing::Values(
        BadJson{"syntax", "{\"fields\": [", "erro de JSON na posição"},
        BadJson{"notObject", "[1, 2]", "deve ser um objeto JSON"},
        BadJson{"noFields", R"({"rows": []})", "\"fields\" falta"},
        BadJson{"unknownTop", R"({"fields": [], "rowz": []})", "membro desconhecido \"rowz\""},
        BadJson{"unknownType", R"({"fields": [{"name": "A", "type": "money"}]})",
                "fields[0] (A): tipo desconhecido \"money\""},
        BadJson{"noType", R"({"fields": [{"name": "A"}]})", "fields[0] (A): \"type\" falta"},
        BadJson{"noName", R"({"fields": [{"type": "string"}]})", "fields[0]: \"name\" falta"},
        BadJson{"typoMember", R"({"fields": [{"name": "A", "type": "string", "lable": "x"}]})",
                "membro desconhecido \"lable\""},
        BadJson{"badSize", R"({"fields": [{"name": "A", "type": "string", "size": -1}]})",
                "\"size\" deve ser"},
        BadJson{"fractionSize", R"({"fields": [{"name": "A", "type": "string", "size": 2.5}]})",
                "\"size\" deve ser"},
        BadJson{"twice", R"({"fields": [{"name": "A", "type": "string"}, {"name": "a", "type": "integer"}]})",
                "definido duas vezes"},
        BadJson{"visibleText", R"({"fields": [{"name": "A", "type": "string", "visible": "no"}]})",
                "\"visible\" deve ser"},
        BadJson{"shortRow", "{" F1 R"(, "rows": [["x"]]})", "rows[0]: 1 valores para 2 campos"},
        BadJson{"textForInteger", "{" F1 R"(, "rows": [["x", "7"]]})",
                "rows[0][1] (N): esperado um número inteiro, encontrado um texto"},
        BadJson{"fractionForInteger", "{" F1 R"(, "rows": [["x", 7.5]]})",
                "rows[0][1] (N): esperado um número inteiro"},
        BadJson{"numberForText", "{" F1 R"(, "rows": [[1, 7]]})",
                "rows[0][0] (A): esperado um texto, encontrado um número"},
        BadJson{"tooLong", "{" F1 R"(, "rows": [["xyz", 7]]})", "maior que os 2 caracteres do campo"},
        BadJson{"unknownKey", "{" F1 R"(, "rows": [{"B": 1}]})", "rows[0]: campo desconhecido \"B\""},
        BadJson{"rowScalar", "{" F1 R"(, "rows": [5]})", "rows[0]: esperado uma lista ou um objeto"},
        BadJson{"badDate", R"({"fields": [{"name": "D", "type": "date"}], "rows": [["07/12/2026"]]})",
                "rows[0][0] (D): esperado um texto de data"},
        BadJson{"impossibleDate", R"({"fields": [{"name": "D", "type": "date"}], "rows": [["2026-02-30"]]})",
                "esperado um texto de data"},
        BadJson{"badDateTime", R"({"fields": [{"name": "T", "type": "datetime"}], "rows": [[20261207]]})",
                "esperado um texto de data e hora"},
        BadJson{"boolAsNumber", R"({"fields": [{"name": "B", "type": "boolean"}], "rows": [[1]]})",
                "esperado true ou false"}),
    [](const ::testing::TestParamInfo<BadJson>& info) { return std::string(info.param.name); });

} // namespace
