#include "dialogs/SearchDialog.h"

#include "dataset/DataSet.h"
#include "dialogs/DefaultDialogs.h"
#include "dialogs/SearchText.h"
#include "support/Operator.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTableView>
#include <gtest/gtest.h>

namespace zel {
namespace {

using test::Operator;

FieldDef field(const char* name, FieldType type, const char* label, bool visible = true)
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.displayLabel = QString::fromUtf8(label);
    f.visible = visible;
    return f;
}

// Clients as the consumer form's search copy holds them: code and name shown, the client
// key hidden.
class SearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DataPacket p;
        p.fields = {
            field("CDCLIENTE", FieldType::String, "", false), field("CODIGO", FieldType::String, "Código"),
            field("NOME", FieldType::String, "Nome do Cliente"), field("LIMITE", FieldType::Float, "Limite")};
        p.fields[3].displayFormat = QStringLiteral("#,##0.00");
        p.rows = {
            {QStringLiteral("1"), QStringLiteral("101"), QStringLiteral("Padaria São João"), 1500.0},
            {QStringLiteral("2"), QStringLiteral("102"), QStringLiteral("Restaurante Sabor"), 250.5},
            {QStringLiteral("3"), QStringLiteral("203"), QStringLiteral("Lanchonete do Joao"), 80.0},
            {QStringLiteral("4"), QStringLiteral("204"), QStringLiteral("Bar Central"), 0.0},
        };
        clients.setData(p);
    }

    QString current() { return clients.value(QStringLiteral("CODIGO")).toString(); }

    DataSet clients;
    DefaultDialogs dialogs;
};

TEST_F(SearchTest, ShowsTheVisibleFieldsUnderTheirLabels)
{
    Operator op;
    QStringList headers;
    QString limit;
    op.run([&] {
        auto* model = static_cast<QTableView*>(Operator::findControl(QStringLiteral("grdPesquisa")))->model();
        for (int c = 0; c < model->columnCount(); ++c)
            headers << model->headerData(c, Qt::Horizontal).toString();
        limit = model->index(0, 2).data().toString();
    });
    op.press(Qt::Key_Escape).start();
    EXPECT_FALSE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(headers, QStringList({"Código", "Nome do Cliente", "Limite"}));
    EXPECT_EQ(limit, QStringLiteral("1.500,00"));
}

TEST_F(SearchTest, TypingNarrowsIgnoringCaseAndAccentsAndEnterPicks)
{
    Operator op;
    int shownAfterTyping = -1;
    op.type(QStringLiteral("joao"));
    op.run([&] { shownAfterTyping = static_cast<SearchDialog*>(Operator::activeForm())->shownRows(); });
    op.press(Qt::Key_Down).press(Qt::Key_Return).start();
    EXPECT_TRUE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(shownAfterTyping, 2);
    EXPECT_EQ(current(), QStringLiteral("203"));
}

TEST_F(SearchTest, TheOnScreenKeyboardNarrowsAndCorrects)
{
    Operator op;
    QString typed;
    for (const char* key : {"tcbKeyB", "tcbKeyA", "tcbKeyX", "tcbCorrigir", "tcbKeyR"})
        op.click(QString::fromLatin1(key));
    op.run([&] {
        typed = static_cast<QLineEdit*>(Operator::findControl(QStringLiteral("edtPesquisa")))->text();
    });
    op.click(QStringLiteral("tcbOk")).start();
    EXPECT_TRUE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(typed, QStringLiteral("BAR"));
    EXPECT_EQ(current(), QStringLiteral("204"));
}

TEST_F(SearchTest, MatchesAnyVisibleColumn)
{
    Operator op;
    op.type(QStringLiteral("102")).press(Qt::Key_Return).start();
    EXPECT_TRUE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(current(), QStringLiteral("102"));
}

TEST_F(SearchTest, ClosedWithoutAPickLeavesTheCursorWhereItWas)
{
    clients.first();
    clients.next();
    clients.next();
    Operator op;
    op.type(QStringLiteral("101")).click(QStringLiteral("tcbCancelar")).start();
    EXPECT_FALSE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(current(), QStringLiteral("203"));
}

TEST_F(SearchTest, NothingMatchingMeansEnterPicksNothing)
{
    Operator op;
    op.type(QStringLiteral("zzz")).press(Qt::Key_Return).press(Qt::Key_Escape).start();
    EXPECT_FALSE(dialogs.Pesquisa(clients, {}));
}

TEST_F(SearchTest, OnlyRowsTheFilterLetsThroughAreOffered)
{
    clients.setFilter([](const RecordView& r) { return r.text(QStringLiteral("CODIGO")).startsWith(u'2'); },
                      QStringLiteral("CODIGO starts with 2"));
    clients.setFiltered(true);
    Operator op;
    int shown = -1;
    op.run([&] { shown = static_cast<SearchDialog*>(Operator::activeForm())->shownRows(); });
    op.type(QStringLiteral("sabor")).press(Qt::Key_Return).press(Qt::Key_Escape).start();
    EXPECT_FALSE(dialogs.Pesquisa(clients, {}));
    EXPECT_EQ(shown, 2);
}

TEST_F(SearchTest, ShowsTheTextsTheCallerGives)
{
    Operator op;
    QString shownCode;
    op.run([&] {
        shownCode = static_cast<QTableView*>(Operator::findControl(QStringLiteral("grdPesquisa")))
                        ->model()
                        ->index(0, 0)
                        .data()
                        .toString();
    });
    op.type(QStringLiteral("#203")).press(Qt::Key_Return).start();
    const FieldText masked = [](DataSet& ds, const FieldDef& f) {
        const QString v = ds.value(f.name).toString();
        return f.name == QLatin1String("CODIGO") ? u'#' + v : v;
    };
    EXPECT_TRUE(dialogs.Pesquisa(clients, {}, masked));
    EXPECT_EQ(shownCode, QStringLiteral("#101"));
    EXPECT_EQ(current(), QStringLiteral("203"));
}

TEST_F(SearchTest, AClosedDatasetIsAnError)
{
    clients.close();
    EXPECT_THROW(dialogs.Pesquisa(clients, {}), DataSetError);
}

TEST(SearchText, FoldsCaseAndAccents)
{
    EXPECT_EQ(foldForSearch(QStringLiteral("São JOÃO Açaí")), QStringLiteral("sao joao acai"));
    const QList<SearchRow> rows = {
        makeSearchRow(1, {QStringLiteral("101"), QStringLiteral("Padaria São João")}),
        makeSearchRow(2, {QStringLiteral("102"), QStringLiteral("Bar")})};
    EXPECT_EQ(narrowRows(rows, {}), QList<int>({0, 1}));
    EXPECT_EQ(narrowRows(rows, QStringLiteral("SAO")), QList<int>({0}));
    EXPECT_EQ(narrowRows(rows, QStringLiteral("10")), QList<int>({0, 1}));
    EXPECT_EQ(narrowRows(rows, QStringLiteral("102 ")), QList<int>());
}

struct NarrowCase
{
    const char* typed;
    QList<int> shown;
};

void PrintTo(const NarrowCase& c, std::ostream* os)
{
    *os << '"' << c.typed << '"';
}

class NarrowByDigits : public ::testing::TestWithParam<NarrowCase>
{
};

// Taxpayer numbers are shown masked; the operator types the digits as they come.
TEST_P(NarrowByDigits, TypedDigitsMatchTheDigitsOfAMaskedNumber)
{
    const QList<SearchRow> rows = {
        makeSearchRow(1, {QStringLiteral("11.222.333/0001-81"), QStringLiteral("Alfa Refeições Ltda")}),
        makeSearchRow(2, {QStringLiteral("529.982.247-25"), QStringLiteral("Bruno Costa")}),
        makeSearchRow(3, {QStringLiteral("390.533.447-05"), QStringLiteral("Rua 2224, casa 7")})};
    EXPECT_EQ(narrowRows(rows, QString::fromUtf8(GetParam().typed)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Typed, NarrowByDigits,
                         ::testing::Values(NarrowCase{"11222333", {0}}, NarrowCase{"112223330001", {0}},
                                           NarrowCase{"00018", {0}}, NarrowCase{"52998224725", {1}},
                                           NarrowCase{"82247", {1}}, NarrowCase{"11.222333", {0}},
                                           NarrowCase{"22", {0, 1, 2}},
                                           // the digits of a text with letters count only as they are written
                                           NarrowCase{"22247", {}}, NarrowCase{"2224", {2}},
                                           // a blank or a letter leaves the plain comparison alone
                                           NarrowCase{"529 982", {}}, NarrowCase{"a 529982", {}}));

// The search index narrows from what it found for a shorter text and takes back what it found
// on Backspace; whatever the keys, it shows exactly the rows a scan of every row shows.
TEST(SearchIndex, ShowsWhatAFullScanShowsWhateverTheKeys)
{
    const QString alphabet = QStringLiteral("aAbãÃçeÉołŁ 1234.-/");
    QRandomGenerator random(2024);
    auto randomText = [&](int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    QList<SearchRow> rows;
    SearchIndex index(3);
    for (int r = 0; r < 400; ++r) {
        const QStringList texts = {randomText(random.bounded(12)), randomText(random.bounded(6)),
                                   r % 5 == 0 ? QString() : randomText(3)};
        rows.append(makeSearchRow(r + 1, texts));
        index.append(texts);
    }
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(index.text(r, c), rows[r].texts[c]);
    }
    QString typed;
    for (int key = 0; key < 3000; ++key) {
        const int what = random.bounded(10);
        if (what == 0)
            typed.clear();
        else if (what <= 2)
            typed.chop(1);
        else
            typed += alphabet[random.bounded(int(alphabet.size()))];
        ASSERT_EQ(index.narrow(typed), narrowRows(rows, typed)) << "typed \"" << typed.toStdString() << '"';
    }
}

struct DisplayCase
{
    QVariant value;
    FieldType type;
    const char* format;
    const char* expected;
};

class DisplayTexts : public ::testing::TestWithParam<DisplayCase>
{
};

TEST_P(DisplayTexts, FollowTheFieldTypeAndFormat)
{
    FieldDef f;
    f.type = GetParam().type;
    f.displayFormat = QString::fromLatin1(GetParam().format);
    EXPECT_EQ(fieldDisplayText(GetParam().value, f), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Fields, DisplayTexts,
                         ::testing::Values(DisplayCase{1234.5, FieldType::Float, "#,##0.00", "1.234,50"},
                                           DisplayCase{1234.5, FieldType::Float, "0.000", "1234,500"},
                                           DisplayCase{0.1, FieldType::Float, "", "0,1"},
                                           DisplayCase{qint64(42), FieldType::Integer, "", "42"},
                                           DisplayCase{QDate(2024, 3, 9), FieldType::Date, "", "09/03/2024"},
                                           DisplayCase{QDateTime(QDate(2024, 3, 9), QTime(8, 5)),
                                                       FieldType::DateTime, "", "09/03/2024 08:05:00"},
                                           DisplayCase{true, FieldType::Boolean, "", "Sim"},
                                           DisplayCase{QStringLiteral("Bar"), FieldType::String, "", "Bar"},
                                           DisplayCase{QVariant(), FieldType::Float, "#,##0.00", ""}));

} // namespace
} // namespace zel
