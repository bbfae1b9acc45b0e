#include "dialogs/DiscountDialog.h"

#include "dialogs/DefaultDialogs.h"
#include "support/Operator.h"

#include <QLabel>
#include <gtest/gtest.h>

namespace zel {
namespace {

using test::Operator;

QString tipoOf(const DataPacket& p)
{
    return p.rows.value(0).value(p.fieldIndex(QStringLiteral("TIPO"))).toString();
}

double valorOf(const DataPacket& p)
{
    return p.rows.value(0).value(p.fieldIndex(QStringLiteral("VALOR"))).toDouble();
}

TEST(Discount, AnswersOneRowWithTipoAndValor)
{
    const DataPacket packet = discountPacket(QStringLiteral("P"), 12.5);
    ASSERT_EQ(packet.fields.size(), 2);
    EXPECT_EQ(packet.fields[0].name, QStringLiteral("TIPO"));
    EXPECT_EQ(packet.fields[0].type, FieldType::String);
    EXPECT_EQ(packet.fields[0].size, 1);
    EXPECT_EQ(packet.fields[1].name, QStringLiteral("VALOR"));
    EXPECT_EQ(packet.fields[1].type, FieldType::Float);
    ASSERT_EQ(packet.rows.size(), 1);
    EXPECT_EQ(tipoOf(packet), QStringLiteral("P"));
    EXPECT_DOUBLE_EQ(valorOf(packet), 12.5);
}

TEST(Discount, AmountTypedOnTheKeypad)
{
    Operator op;
    for (const char* key : {"tcbKey1", "tcbKey2", "tcbVirgula", "tcbKey5", "tcbKey0", "tcbKey7", "tcbOk"})
        op.click(QString::fromLatin1(key));
    op.start();
    DefaultDialogs dialogs;
    const DataPacket answer = dialogs.CriaDesconto({});
    EXPECT_EQ(tipoOf(answer), QStringLiteral("V"));
    EXPECT_DOUBLE_EQ(valorOf(answer), 12.50); // the third decimal was not taken
    EXPECT_TRUE(op.finished());
}

TEST(Discount, PercentageTypedOnTheKeyboard)
{
    Operator op;
    op.type(QStringLiteral("p7.5")).press(Qt::Key_Return).start();
    DefaultDialogs dialogs;
    const DataPacket answer = dialogs.CriaDesconto({});
    EXPECT_EQ(tipoOf(answer), QStringLiteral("P"));
    EXPECT_DOUBLE_EQ(valorOf(answer), 7.5);
}

TEST(Discount, TheTypeButtonsSwitchBackAndForth)
{
    Operator op;
    op.click(QStringLiteral("tcbPercentual")).type(QStringLiteral("10")).click(QStringLiteral("tcbValor"));
    op.click(QStringLiteral("tcbOk")).start();
    DefaultDialogs dialogs;
    const DataPacket answer = dialogs.CriaDesconto({});
    EXPECT_EQ(tipoOf(answer), QStringLiteral("V"));
    EXPECT_DOUBLE_EQ(valorOf(answer), 10.0);
}

TEST(Discount, CancelAnswersZero)
{
    DefaultDialogs dialogs;
    {
        Operator op;
        op.type(QStringLiteral("p25")).press(Qt::Key_Escape).start();
        const DataPacket answer = dialogs.CriaDesconto({});
        EXPECT_DOUBLE_EQ(valorOf(answer), 0.0);
        EXPECT_EQ(answer.rows.size(), 1);
    }
    {
        Operator op;
        op.type(QStringLiteral("30")).click(QStringLiteral("tcbCancelar")).start();
        EXPECT_DOUBLE_EQ(valorOf(dialogs.CriaDesconto({})), 0.0);
    }
}

TEST(Discount, APercentageAboveOneHundredIsRefusedAndCanBeCorrected)
{
    Operator op;
    QString warning;
    op.type(QStringLiteral("p150")).press(Qt::Key_Return);
    op.run([&] { warning = Operator::findControl(QStringLiteral("lblAviso"))->property("text").toString(); });
    op.press(Qt::Key_Backspace).press(Qt::Key_Return).start();
    DefaultDialogs dialogs;
    const DataPacket answer = dialogs.CriaDesconto({});
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_EQ(tipoOf(answer), QStringLiteral("P"));
    EXPECT_DOUBLE_EQ(valorOf(answer), 15.0);
}

TEST(Discount, DeleteClearsTheEntry)
{
    Operator op;
    op.type(QStringLiteral("99"))
        .press(Qt::Key_Delete)
        .type(QStringLiteral("4"))
        .press(Qt::Key_Return)
        .start();
    DefaultDialogs dialogs;
    EXPECT_DOUBLE_EQ(valorOf(dialogs.CriaDesconto({})), 4.0);
}

struct EntryCase
{
    const char* before;
    char16_t typed;
    const char* after;
};

class AmountEntry : public ::testing::TestWithParam<EntryCase>
{
};

TEST_P(AmountEntry, FollowsTheEntryRules)
{
    EXPECT_EQ(appendToAmountEntry(QString::fromUtf8(GetParam().before), QChar(GetParam().typed), u','),
              QString::fromUtf8(GetParam().after));
}

INSTANTIATE_TEST_SUITE_P(Rules, AmountEntry,
                         ::testing::Values(EntryCase{"", u'5', "5"}, EntryCase{"12", u'3', "123"},
                                           EntryCase{"", u',', "0,"}, EntryCase{"", u'.', "0,"},
                                           EntryCase{"3", u'.', "3,"}, EntryCase{"3,", u',', "3,"},
                                           EntryCase{"3,5", u'.', "3,5"}, EntryCase{"3,50", u'1', "3,50"},
                                           EntryCase{"0", u'7', "7"}, EntryCase{"0,", u'0', "0,0"},
                                           EntryCase{"123456789", u'1', "123456789"},
                                           EntryCase{"12", u'a', "12"}, EntryCase{"12", u'-', "12"},
                                           EntryCase{"12", u'\u0663', "12"})); // an Arabic-Indic digit

} // namespace
} // namespace zel
