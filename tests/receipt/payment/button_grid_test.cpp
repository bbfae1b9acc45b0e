#include "PaymentTypes.h"
#include "receipt/payment/ButtonGrid.h"
#include "receipt/payment/ReceiptTables.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::test;

namespace {

struct IndexCase
{
    QString nrButton;
    int count;
    std::optional<int> index;
};

class ButtonIndexTest : public ::testing::TestWithParam<IndexCase>
{
};

TEST_P(ButtonIndexTest, OnlyTwoDigitsNamingAButton)
{
    const IndexCase& c = GetParam();
    EXPECT_EQ(buttonIndex(c.nrButton, c.count), c.index) << c.nrButton.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Positions, ButtonIndexTest,
    ::testing::Values(IndexCase{"01", 24, 1}, IndexCase{"07", 24, 7}, IndexCase{"24", 24, 24},
                      IndexCase{"25", 24, std::nullopt}, IndexCase{"1", 24, std::nullopt},
                      IndexCase{"00", 24, std::nullopt}, IndexCase{" 1", 24, std::nullopt},
                      IndexCase{"001", 24, std::nullopt}, IndexCase{"", 24, std::nullopt},
                      IndexCase{"06", 6, 6}, IndexCase{"07", 6, std::nullopt}));

QStringList visibleCodes(DataSet& ds)
{
    QStringList codes;
    for (ds.first(); !ds.eof(); ds.next())
        codes << ds.fieldByName("CDTIPORECE").asString();
    return codes;
}

class ButtonGrid : public ::testing::Test
{
protected:
    void SetUp() override { definePaymentTypes(tipos); }

    TipoRow row(const QString& cd, const QString& nrButton, const QString& grupo = "01",
                const QString& pagina = "1")
    {
        TipoRow r;
        r.cd = cd;
        r.nome = r.caption = "Tipo " + cd;
        r.nrButton = nrButton;
        r.grupo = grupo;
        r.pagina = pagina;
        return r;
    }

    void filterPage(const QString& grupo, const QString& pagina)
    {
        tipos.setFilter(paymentButtonFilter(tipos, grupo, pagina), paymentButtonFilterText(grupo, pagina));
        tipos.setFiltered(true);
    }

    DataSet tipos;
};

TEST_F(ButtonGrid, FilterComparesGroupAndPageAsExactText)
{
    addTipo(tipos, row("001", "01"));
    addTipo(tipos, row("002", "02", "02"));
    addTipo(tipos, row("003", "03", "01", "2"));
    addTipo(tipos, row("004", "04", "1"));        // group without its leading zero
    addTipo(tipos, row("005", "05", "01", "01")); // page with a leading zero
    TipoRow semForma = row("006", "06");
    semForma.cdfp = "";
    addTipo(tipos, semForma);
    TipoRow oculto = row("007", "07");
    oculto.idTipo = "A";
    addTipo(tipos, oculto); // passes the filter; the grid leaves it out
    addGrupo(tipos, "01", "Grupo");

    filterPage("01", "1");
    EXPECT_EQ(visibleCodes(tipos), QStringList({"001", "007"}));
    filterPage("01", "2");
    EXPECT_EQ(visibleCodes(tipos), QStringList({"003"}));
    filterPage("02", "1");
    EXPECT_EQ(visibleCodes(tipos), QStringList({"002"}));

    tipos.setFilter(groupButtonFilter(tipos), groupButtonFilterText());
    EXPECT_EQ(visibleCodes(tipos), QStringList({""}));
}

TEST_F(ButtonGrid, ConfigurationWithoutButtonFieldsShowsNothing)
{
    DataSet bare(QList<FieldDef>{FieldDef{"CDTIPORECE", FieldType::String, 3, {}, {}, true}});
    bare.createDataSet();
    bare.append();
    bare.fieldByName("CDTIPORECE").setString("001");
    bare.post();
    bare.setFilter(paymentButtonFilter(bare, "01", "1"), "grid");
    bare.setFiltered(true);
    EXPECT_EQ(bare.recordCount(), 0);
    bare.setFilter(groupButtonFilter(bare), "groups");
    EXPECT_EQ(bare.recordCount(), 0);
    EXPECT_TRUE(buttonFaces(bare, kPaymentButtons, true).isEmpty());
}

TEST_F(ButtonGrid, FacesSkipUnknownPositionsAndHiddenKindsAndTheLaterRowWins)
{
    addTipo(tipos, row("001", "01"));
    TipoRow primeiro = row("002", "03");
    primeiro.imagem = "/figuras/primeiro.bmp";
    addTipo(tipos, primeiro);
    addTipo(tipos, row("003", "25"));
    addTipo(tipos, row("004", "1"));
    for (const char* kind : {"9", "A", "B"}) {
        TipoRow oculto = row(QString("01") + kind, "05");
        oculto.idTipo = kind;
        addTipo(tipos, oculto);
    }
    TipoRow segundo = row("005", "03");
    segundo.back = 0x0000FF;
    segundo.text = QVariant(); // no caption colour configured
    addTipo(tipos, segundo);
    TipoRow semCor = row("006", "24");
    semCor.back = QVariant();
    addTipo(tipos, semCor);
    filterPage("01", "1");
    tipos.setRecNo(2);
    const qint64 before = tipos.bookmark();

    const QMap<int, ButtonFace> faces = buttonFaces(tipos, kPaymentButtons, true);
    EXPECT_EQ(faces.keys(), QList<int>({1, 3, 24}));
    EXPECT_EQ(faces[1].caption, QString("Tipo 001"));
    EXPECT_EQ(faces[1].color, 0x00FFFF);
    EXPECT_EQ(faces[1].captionColor, 0x800000);
    EXPECT_EQ(faces[3].caption, QString("Tipo 005"));
    EXPECT_EQ(faces[3].color, 0x0000FF);
    EXPECT_EQ(faces[3].captionColor, kBlackColor) << "a null caption colour stays black";
    EXPECT_TRUE(faces[3].glyphFile.isEmpty()) << "nothing of the earlier row stays";
    EXPECT_EQ(faces[24].color, kBlankButtonColor);
    EXPECT_EQ(tipos.bookmark(), before) << "the cursor stays where it was";

    // The touch on button 03 stands for the row shown there; on 05 for none.
    const auto shown = paymentButtonRow(tipos, 3, "01", "1");
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, faces[3].bookmark);
    EXPECT_FALSE(paymentButtonRow(tipos, 5, "01", "1").has_value());
    EXPECT_FALSE(paymentButtonRow(tipos, 2, "01", "1").has_value());
    EXPECT_FALSE(paymentButtonRow(tipos, 1, "01", "2").has_value()) << "page compared as text";
    EXPECT_EQ(tipos.bookmark(), before);
}

// Which rows a touch can reach: each row alone beside a group button "03"; the receipt is
// refused up front when none can.
TEST_F(ButtonGrid, ReachableRowsAreThoseAGroupAndPageShow)
{
    const auto variant = [this](auto change) {
        TipoRow r = row("001", "01");
        change(r);
        return r;
    };
    const std::pair<TipoRow, int> cases[] = {
        {variant([](TipoRow&) {}), 1},
        {variant([](TipoRow& r) { r.grupo = "03"; }), 1},
        {variant([](TipoRow& r) { r.pagina = "2"; }), 1},
        {variant([](TipoRow& r) { r.grupo = "02"; }), 0}, // no button for group 02
        {variant([](TipoRow& r) { r.pagina = "01"; }), 0},
        {variant([](TipoRow& r) { r.nrButton = "25"; }), 0},
        {variant([](TipoRow& r) { r.cdfp.clear(); }), 0},
        {variant([](TipoRow& r) { r.idTipo = "9"; }), 0},
        {variant([](TipoRow& r) { r.tpButton = "6"; }), 0},
    };
    for (const auto& [tipo, reachable] : cases) {
        definePaymentTypes(tipos);
        addGrupo(tipos, "03", "Outros");
        addTipo(tipos, tipo);
        EXPECT_EQ(reachablePaymentButtons(tipos.data()), reachable)
            << tipo.grupo.toStdString() << '/' << tipo.pagina.toStdString() << '/'
            << tipo.nrButton.toStdString();
    }
}

} // namespace
