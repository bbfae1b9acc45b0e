#include "receipt/form/RunningListMemo.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/ReceiptMessages.h"
#include "support/QStringPrinter.h"
#include "text/Money.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

using namespace zel;

namespace {

struct AjustaLCase
{
    QString text;
    int width;
    QString expected;
};

class AjustaLTest : public ::testing::TestWithParam<AjustaLCase>
{
};

TEST_P(AjustaLTest, PadsOrCutsToTheWidth)
{
    const AjustaLCase& c = GetParam();
    EXPECT_EQ(AjustaL(c.text, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, AjustaLTest,
                         ::testing::Values(AjustaLCase{"Dinheiro", 20, "Dinheiro            "},
                                           AjustaLCase{"Cartão de Crédito Visa 1", 20,
                                                       "Cartão de Crédito Vi"},
                                           AjustaLCase{"12345678901234567890", 20, "12345678901234567890"},
                                           AjustaLCase{"", 3, "   "}, AjustaLCase{"abc", 0, ""}));

struct PaymentLineCase
{
    QString name;
    double value;
    QString expected;
};

class PaymentLineTest : public ::testing::TestWithParam<PaymentLineCase>
{
};

TEST_P(PaymentLineTest, NameInColumnsOneToTwentyAmountInTwentyTwoToThirtyFive)
{
    const PaymentLineCase& c = GetParam();
    const QString line = linhaPagamento(c.name, c.value);
    EXPECT_EQ(line, c.expected);
    EXPECT_EQ(line.size(), kListWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, PaymentLineTest,
    ::testing::Values(PaymentLineCase{"Dinheiro", 12.5, "Dinheiro                   R$ 12,50"},
                      PaymentLineCase{"Cartão de Crédito Mastercard", 1234.56,
                                      "Cartão de Crédito Ma    R$ 1.234,56"},
                      PaymentLineCase{"Ticket", 0, "Ticket                      R$ 0,00"},
                      // Fifteen characters of amount: every digit stays, the name gives way.
                      PaymentLineCase{"Dinheiro", 1234567.89, "Dinheiro            R$ 1.234.567,89"}));

TEST(Linha, AppendsAtMostThirtyFiveCharactersAsOneLine)
{
    QPlainTextEdit memo;
    const QString forty = QStringLiteral("1234567890").repeated(4);
    Linha(&memo, forty);
    Linha(&memo, QStringLiteral("curta"));
    Linha(&memo, QStringLiteral("duas\nlinhas"));
    Linha(&memo, QString());
    EXPECT_EQ(memo.toPlainText(), forty.left(35) + "\ncurta\nduas linhas\n");
    EXPECT_EQ(memo.document()->blockCount(), 4);

    // An empty first line is a line too, also after the list was cleared.
    memo.clear();
    Linha(&memo, QString());
    Linha(&memo, QStringLiteral("CNPJ/CPF"));
    EXPECT_EQ(memo.toPlainText(), "\nCNPJ/CPF");
}

// Both lines of the keyboard display hold 40 columns, every amount whole up to the largest a
// receipt takes.
TEST(KeyboardSummary, FortyColumnsWithEveryDigit)
{
    const TMessages messages = receiptMessages();
    for (const double big : {0.0, 12345.67, 99999999.99}) {
        const QStringList lines = keyboardSummary(messages, big, big, big);
        ASSERT_EQ(lines.size(), 2);
        for (const QString& line : lines) {
            EXPECT_LE(line.size(), 40) << line.toStdString();
            EXPECT_TRUE(line.endsWith(formatFixed(big))) << line.toStdString();
        }
        EXPECT_TRUE(lines[1].contains(formatFixed(big) + " Falta")) << lines[1].toStdString();
    }
    // The foreign change is named by its currency, never as reais.
    EXPECT_EQ(changeListLines(messages, "TROCO : ", 5.1, "DOLAR", 5.37, "USD").value(2),
              "TROCO (DOLAR)              USD 0,94");
}

} // namespace
