#include "support/ScriptedDialogs.h"

#include "dataset/DataSet.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace zel {
namespace {

using test::DialogKind;
using test::ScriptedDialogs;

// Runs `body` with test failures captured instead of reported, and answers their messages.
QStringList failuresOf(const std::function<void()>& body)
{
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter spy(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        body();
    }
    QStringList messages;
    for (int i = 0; i < results.size(); ++i)
        messages << QString::fromStdString(results.GetTestPartResult(i).message());
    return messages;
}

TEST(ScriptedDialogs, AnswerInOrderAndRecordEveryDialog)
{
    ScriptedDialogs d;
    d.expectMessageDlg(mrExtra, QStringLiteral("ErroItem"))
        .expectMessage()
        .expectDiscount(QStringLiteral("P"), 10);
    EXPECT_EQ(d.TouchMessageDlg(QStringLiteral("ErroItem 12"), DialogType::Information, DialogButtons::YesNo,
                                0, 0, QStringLiteral("&Cancela Cupom")),
              mrExtra);
    EXPECT_EQ(d.TouchMessage(QStringLiteral("Aprovado")), mrNone);
    const DataPacket discount = d.CriaDesconto({});
    EXPECT_EQ(discount.rows[0][0].toString(), QStringLiteral("P"));
    EXPECT_DOUBLE_EQ(discount.rows[0][1].toDouble(), 10.0);

    ASSERT_EQ(d.records().size(), 3);
    const test::DialogRecord& first = d.records()[0];
    EXPECT_EQ(first.kind, DialogKind::MessageDlg);
    EXPECT_EQ(first.text, QStringLiteral("ErroItem 12"));
    EXPECT_EQ(first.buttons, DialogButtons::YesNo);
    EXPECT_EQ(first.extraCaption, QStringLiteral("&Cancela Cupom"));
    EXPECT_EQ(first.answer, mrExtra);
    EXPECT_EQ(d.records()[1].kind, DialogKind::Message);
    EXPECT_EQ(d.records()[1].seconds, 5);
    EXPECT_EQ(d.records()[2].kind, DialogKind::Discount);
    EXPECT_EQ(d.pending(), 0);
}

TEST(ScriptedDialogs, FailLoudlyOnAnUnexpectedDialog)
{
    ScriptedDialogs d;
    int answer = 0;
    const QStringList failures = failuresOf([&] {
        answer = d.TouchMessageDlg(QStringLiteral("Cheque sem fundos?"), DialogType::Confirmation,
                                   DialogButtons::YesNo);
    });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("unexpected dialog")));
    EXPECT_TRUE(failures[0].contains(QStringLiteral("Cheque sem fundos?")));
    EXPECT_EQ(answer, mrNo); // as if closed without a choice
    EXPECT_EQ(d.records().size(), 1);
}

TEST(ScriptedDialogs, FailOnAnotherKindOrTextThanExpected)
{
    ScriptedDialogs d;
    d.expectDiscount(QStringLiteral("V"), 5).expectMessageDlg(mrOk, QStringLiteral("inválido"));
    QStringList failures = failuresOf([&] { d.TouchMessage(QStringLiteral("Aguarde")); });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("expected CriaDesconto but got TouchMessage")));
    EXPECT_EQ(d.pending(), 2); // the expectation waits for its dialog

    d.CriaDesconto({});
    failures = failuresOf([&] {
        d.TouchMessageDlg(QStringLiteral("Cliente não cadastrado."), DialogType::Error, DialogButtons::Ok);
    });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("Cliente não cadastrado.")));
}

TEST(ScriptedDialogs, FailOnAnAnswerTheDialogDoesNotOffer)
{
    ScriptedDialogs d;
    d.expectMessageDlg(mrExtra).expectMessageDlg(mrYes);
    int first = 0;
    int second = 0;
    const QStringList failures = failuresOf([&] {
        first = d.TouchMessageDlg(QStringLiteral("sem terceiro botão"), DialogType::Confirmation,
                                  DialogButtons::YesNo);
        second = d.TouchMessageDlg(QStringLiteral("só OK"), DialogType::Error, DialogButtons::Ok);
    });
    EXPECT_EQ(failures.size(), 2);
    EXPECT_EQ(first, mrNo);
    EXPECT_EQ(second, mrOk);
}

TEST(ScriptedDialogs, ReportExpectedDialogsThatNeverAppeared)
{
    ScriptedDialogs d;
    d.expectMessageDlg(mrYes, QStringLiteral("Imprime cheque?"));
    const QStringList failures = failuresOf([&] { d.verifyAllShown(); });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("Imprime cheque?")));
    EXPECT_EQ(d.pending(), 0);
}

TEST(ScriptedDialogs, RunTheTestCodeWhileADialogIsShown)
{
    ScriptedDialogs d;
    int seenDuring = 0;
    int state = 1;
    d.expectMessageDlg(mrOk).whileShown([&] { seenDuring = state; });
    state = 2;
    d.TouchMessageDlg(QStringLiteral("x"), DialogType::Error, DialogButtons::Ok);
    EXPECT_EQ(seenDuring, 2);
}

class ScriptedSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FieldDef code;
        code.name = QStringLiteral("CDCONSUMIDOR");
        code.displayLabel = QStringLiteral("Código");
        FieldDef key;
        key.name = QStringLiteral("CDCLIENTE");
        key.visible = false;
        DataPacket p;
        p.fields = {key, code};
        p.rows = {{QStringLiteral("1"), QStringLiteral("10")},
                  {QStringLiteral("1"), QStringLiteral("11")},
                  {QStringLiteral("2"), QStringLiteral("20")}};
        consumers.setData(p);
    }
    DataSet consumers;
};

TEST_F(ScriptedSearch, PicksTheRowAsked)
{
    ScriptedDialogs d;
    d.expectSearchPick(QStringLiteral("CDCONSUMIDOR"), QStringLiteral("11"));
    EXPECT_TRUE(d.Pesquisa(consumers, QStringLiteral("/fig.bmp")));
    EXPECT_EQ(consumers.value(QStringLiteral("CDCONSUMIDOR")).toString(), QStringLiteral("11"));
    ASSERT_EQ(d.records().size(), 1);
    EXPECT_EQ(d.records()[0].text, QStringLiteral("Código"));
    EXPECT_EQ(d.records()[0].rows, 3);
    EXPECT_EQ(d.records()[0].picture, QStringLiteral("/fig.bmp"));
}

TEST_F(ScriptedSearch, ARowTheFilterHidesCannotBePicked)
{
    consumers.setFilter([](const RecordView& r) { return r.text(QStringLiteral("CDCLIENTE")) == u"1"; },
                        QStringLiteral("CDCLIENTE = '1'"));
    consumers.setFiltered(true);
    consumers.last();
    ScriptedDialogs d;
    d.expectSearchPick(QStringLiteral("CDCONSUMIDOR"), QStringLiteral("20"));
    bool picked = true;
    const QStringList failures = failuresOf([&] { picked = d.Pesquisa(consumers, {}); });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("CDCONSUMIDOR")));
    EXPECT_FALSE(picked);
    EXPECT_EQ(consumers.value(QStringLiteral("CDCONSUMIDOR")).toString(), QStringLiteral("11"));
}

} // namespace
} // namespace zel
