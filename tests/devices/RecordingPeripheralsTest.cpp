#include "fakes/RecordingPeripherals.h"

#include "dataset/DataSet.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(RecordingPeripherals, RecordsCallsAndVariableWritesInOrder)
{
    RecordingPeripherals fake;
    fake.setCdAliq(QStringLiteral("T18"));
    fake.VendaItem(QStringLiteral("0042"), QStringLiteral("D"), QStringLiteral("789"), QStringLiteral("COCA"),
                   fake.CdAliq(), 3, 1.15, 0.5);
    fake.TeclGoToXY(2, 1);
    fake.TeclDispStr(QStringLiteral("Valor : 10,00"));
    fake.ImpChqChar(QStringLiteral("\x1B"
                                   "V00000000123450"));
    fake.Fecha_Imp_Chq_Sweda(false, false);
    (void)fake.IdTipoImpFis(); // reads are not recorded
    (void)fake.TAM_DISPLAY();

    EXPECT_EQ(
        fake.callTexts(),
        (QStringList{QStringLiteral("CdAliq := \"T18\""),
                     QStringLiteral("VendaItem(\"0042\", \"D\", \"789\", \"COCA\", \"T18\", 3, 1.15, 0.5)"),
                     QStringLiteral("TeclGoToXY(2, 1)"), QStringLiteral("TeclDispStr(\"Valor : 10,00\")"),
                     QStringLiteral("ImpChqChar(\"<ESC>V00000000123450\")"),
                     QStringLiteral("Fecha_Imp_Chq_Sweda(false, false)")}));
    EXPECT_EQ(fake.callTexts({QStringLiteral("CdAliq"), QStringLiteral("VendaItem")}).size(), 2);
    EXPECT_EQ(fake.count(QStringLiteral("VendaItem")), 1);
}

TEST(RecordingPeripherals, AnswersFromTheScriptThenFromTheDefault)
{
    RecordingPeripherals fake;
    fake.script(QStringLiteral("VendaItem"), {false, true});
    fake.setDefault(QStringLiteral("VendaItem"), false);
    auto sell = [&] { return fake.VendaItem({}, QStringLiteral("D"), {}, {}, QStringLiteral("F"), 1, 1, 0); };
    EXPECT_FALSE(sell());
    EXPECT_TRUE(sell());
    EXPECT_FALSE(sell());

    // The two activity checks share one queue, in the order the exchange makes them.
    fake.script(QStringLiteral("CheckGPAtivo"), {true, false});
    EXPECT_TRUE(fake.CheckGPAtivo());
    EXPECT_FALSE(fake.CheckGPAtivo(QStringLiteral("CRT"), QStringLiteral("1")));
    EXPECT_TRUE(fake.CheckGPAtivo());

    EXPECT_EQ(fake.GetSequence(), QStringLiteral("1"));
    EXPECT_EQ(fake.GetSequence(), QStringLiteral("2"));
    EXPECT_EQ(fake.NewIntPosFileName(QStringLiteral("/tef/resp/")), QStringLiteral("/tef/resp/intpos.002"));
    EXPECT_EQ(fake.AjustaZero(QStringLiteral("124"), 4), QStringLiteral("0124"));
    EXPECT_FALSE(fake.DataMoviFiscal().isValid());
    fake.script(QStringLiteral("DataMoviFiscal"), {QDate(2024, 5, 1)});
    EXPECT_EQ(fake.DataMoviFiscal(), QDate(2024, 5, 1));
}

TEST(RecordingPeripherals, FechaCupomKeepsTheDatasetsAndSetsTheScriptedNumber)
{
    DataSet movements({FieldDef{QStringLiteral("IDTIPOMOVIVE"), FieldType::String, 1},
                       FieldDef{QStringLiteral("VRMOVIVEND"), FieldType::Float}});
    movements.createDataSet();
    movements.append();
    movements.fieldByName(QStringLiteral("IDTIPOMOVIVE")).setString(QStringLiteral("E"));
    movements.fieldByName(QStringLiteral("VRMOVIVEND")).setFloat(150);
    movements.post();
    DataSet types({FieldDef{QStringLiteral("CDTIPORECE"), FieldType::String, 3}});
    types.createDataSet();

    RecordingPeripherals fake;
    fake.script(QStringLiteral("FechaCupom.nrCupom"), {QStringLiteral("000123")});
    QString number;
    fake.FechaCupom(false, true, 0, 50, 0, QString(), false, QString(), movements, types, number, QString(),
                    QString(), QString(), QStringLiteral("12345678909"), QStringLiteral("Maria"));
    EXPECT_EQ(number, QStringLiteral("000123"));
    EXPECT_EQ(fake.lastMovements().rows.size(), 1);
    EXPECT_EQ(fake.callTexts().first(), QStringLiteral("FechaCupom(false, true, 0, 50, 0, \"\", false, \"\", "
                                                       "DataSet[1], DataSet[0], \"\", \"\", \"\", \"\", "
                                                       "\"12345678909\", \"Maria\")"));

    // Nothing scripted: the out argument stays as it was.
    fake.FechaCupom(false, true, 0, 0, 0, {}, false, {}, movements, types, number, {}, {}, {}, {}, {});
    EXPECT_EQ(number, QStringLiteral("000123"));
}

} // namespace
} // namespace zel
