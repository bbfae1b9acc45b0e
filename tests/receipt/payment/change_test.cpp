#include "dataset/DataSet.h"
#include "receipt/payment/Change.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/PaymentTypeFile.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zel;

namespace {

struct AmountCase
{
    double pago, liquido, troco;
    bool coberta;
};

class ChangeDue : public ::testing::TestWithParam<AmountCase>
{
};

TEST_P(ChangeDue, IsExactToTheCent)
{
    const AmountCase& c = GetParam();
    // The ledger's rule: one line worth the net amount, one payment.
    Ledger l;
    l.open({{toCents(c.liquido), OffCoupon::No}}, 0, 0, 0);
    l.setPayments({{QStringLiteral("4"), toCents(c.pago)}});
    EXPECT_EQ(l.changeDue(), toCents(c.troco));
    EXPECT_EQ(l.covered(), c.coberta);
}

INSTANTIATE_TEST_SUITE_P(Amounts, ChangeDue,
                         ::testing::Values(AmountCase{150, 100, 50, true},
                                           AmountCase{100.10, 100, 0.10, true},
                                           AmountCase{0.1 + 0.2, 0.29, 0.01, true},
                                           AmountCase{100, 100, 0, true}, AmountCase{99.99, 100, 0, false},
                                           AmountCase{0, 0, 0, true}));

// Taking the sale value: rows without a change type lose the change first row first; a row
// worth no more than what is left goes; rows that give change are passed over.
TEST(TakeSaleValue, LowersOrRemovesThePaymentsThatGiveNoChange)
{
    struct Case
    {
        QList<ChangeRow> rows;
        double troco;
        QList<std::optional<double>> values;
        double resto;
    };
    const Case cases[] = {
        {{{"006", "", 120}}, 20, {100.0}, 0},
        {{{"006", "", 60}, {"006", "", 60}}, 20, {40.0, 60.0}, 0},
        {{{"006", "", 15}, {"002", "", 60}}, 20, {std::nullopt, 55.0}, 0},
        {{{"006", "", 20}, {"002", "", 60}}, 20, {std::nullopt, 60.0}, 0},
        {{{"001", "001", 10}, {"006", "", 5}}, 12.5, {10.0, std::nullopt}, 7.5},
        // A card the TEF manager charged is never lowered: the change comes off the others.
        {{{"002", "", 60, true}, {"006", "", 60}}, 20, {60.0, 40.0}, 0},
        {{{"002", "", 60, true}}, 20, {60.0}, 20},
    };
    for (const Case& c : cases) {
        const Reduction r = takeSaleValue(c.rows, c.troco);
        EXPECT_EQ(r.values, c.values) << c.troco;
        EXPECT_EQ(r.resto, c.resto) << c.troco;
    }
    EXPECT_EQ(rowGivingChange({{"006", "", 500}, {"001", "001", 10}, {"004", "001", 30}}, 20), 2);
    EXPECT_EQ(rowGivingChange({{"001", "001", 10}}, 20), std::nullopt);
}

// Within the largest change (as a percentage of the ticket payments) the change goes in cash.
TEST(ChangeLimitRule, CashWithinTheLimitOnly)
{
    EXPECT_TRUE(changeInCash(1000, 10000, 10));
    EXPECT_FALSE(changeInCash(1001, 10000, 10));
    EXPECT_TRUE(changeInCash(5000, 0, 10)) << "no tickets";
    EXPECT_FALSE(changeLimit(QString()).on);
    EXPECT_EQ(changeLimit("12,5").percentual, 12.5);
    const ChangeLimit bad = changeLimit("dez");
    EXPECT_FALSE(bad.on);
    EXPECT_FALSE(bad.error.isEmpty());
    // Only ticket payments count; a payment of unknown kind is no ticket.
    EXPECT_EQ(ticketPayments({{"5", 6000}, {"", 4000}, {"4", 500}, {"5", 1}}), 6001);
}

// The full payment-type table: kinds by code; a missing or foreign file is a clear error.
TEST(PaymentTypeFileTest, ReadsKindsOrSaysWhyNot)
{
    QTemporaryDir dir;
    DataSet table;
    EXPECT_TRUE(paymentTypes::readKinds(table, dir.path()).errorMessage().contains("tiporece.cds"));

    DataSet types(
        QList<FieldDef>{{"CDTIPORECE", FieldType::String, 3}, {"IDTIPORECE", FieldType::String, 1}});
    types.createDataSet();
    for (const auto& [cd, id] : {std::pair{"005", "5"}, std::pair{"001", "4"}}) {
        types.append();
        types.fieldByName("CDTIPORECE").setString(cd);
        types.fieldByName("IDTIPORECE").setString(id);
        types.post();
    }
    ASSERT_TRUE(types.saveToFile(paymentTypes::filePath(dir.path())));
    const auto kinds = paymentTypes::readKinds(table, dir.path());
    ASSERT_TRUE(kinds) << kinds.errorMessage().toStdString();
    EXPECT_EQ(*kinds, (QHash<QString, QString>{{"005", "5"}, {"001", "4"}}));
    EXPECT_FALSE(table.active());

    QFile::remove(paymentTypes::filePath(dir.path()));
    DataSet other(QList<FieldDef>{{"CDTIPORECE", FieldType::String, 3}});
    other.createDataSet();
    ASSERT_TRUE(other.saveToFile(paymentTypes::filePath(dir.path())));
    EXPECT_TRUE(paymentTypes::readKinds(table, dir.path()).errorMessage().contains("IDTIPORECE"));
}

} // namespace
