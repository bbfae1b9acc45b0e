#include "dataset/DataSet.h"
#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/Ledger.h"
#include "receipt/payment/PaymentMovement.h"
#include "receipt/payment/QuoteFile.h"
#include "receipt/payment/ReceiptMessages.h"
#include "receipt/payment/ReceiptSettings.h"
#include "support/QStringPrinter.h"
#include "text/Clock.h"
#include "text/ClockForTests.h"
#include "text/Messages.h"

#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace zel;

namespace {

// However many payments add up, paid and due stay exact to the cent.
TEST(PaymentAmounts, AddUpToTheCent)
{
    struct Case
    {
        double total, payment;
        int count;
        double aPagar, pago;
    };
    for (const Case& c :
         {Case{1.00, 0.10, 10, 0, 1.00}, Case{3.45, 1.15, 3, 0, 3.45}, Case{100.00, 0.29, 100, 71.00, 29.00},
          Case{10.00, 0.07, 3, 9.79, 0.21}, Case{50.00, 80.00, 1, 0, 80.00}}) {
        Ledger l;
        l.open({{toCents(c.total), OffCoupon::No}}, 0, 0, 0);
        l.setPayments(QList<LedgerPayment>(c.count, LedgerPayment{QStringLiteral("4"), toCents(c.payment)}));
        EXPECT_EQ(l.due(), toCents(c.aPagar)) << c.payment << " x " << c.count;
        EXPECT_EQ(l.paid(), toCents(c.pago)) << c.payment << " x " << c.count;
    }
}

// The foreign amount recorded is the one received (19,05 in the drawer, not 102,29 / 5,37 cut
// to 19,04); its local value is that amount times the quote, cut to cents.
TEST(PaymentAmounts, ForeignPaymentRecordsTheAmountReceived)
{
    struct Case
    {
        double typed, quote, valor, out;
    };
    for (const Case& c :
         {Case{50, 2.5, 125, 50}, Case{33.33, 3, 99.99, 33.33}, Case{10, 5.4321, 54.32, 10},
          Case{19.05, 5.37, 102.29, 19.05}, Case{19.059, 3, 57.15, 19.05}, Case{0.29, 1, 0.29, 0.29}}) {
        const ForeignPayment p = foreignPayment(c.typed, c.quote);
        EXPECT_EQ(p.valor, c.valor) << c.typed << " at " << c.quote;
        EXPECT_EQ(p.vrMoviveOut, c.out) << c.typed << " at " << c.quote;
    }
}

// The largest amount a receipt takes, R$ 99.999.999,99, at its edges: an amount cut to cents as
// it is recorded, the amount paid after it, a quote, and dollars at a quote.
TEST(AmountLimitTest, RefusesAtEntryWhatTheReceiptCannotHold)
{
    struct Case
    {
        TInputStep step;
        const char* text;
        Cents paid;
        double quote;
        const char* refusal; // the catalogue key, empty: taken
    };
    const TMessages messages = receiptMessages();
    for (const Case& c :
         {Case{isDinheiro1, "99999999,99", 0, 0, ""},
          Case{isDinheiro1, "99999999,999", 0, 0, ""}, // recorded as 99.999.999,99
          Case{isDinheiro1, "100000000", 0, 0, "ValorAcimaLimite"},
          Case{isCredito3, "9999999999999,99", 0, 0, "ValorAcimaLimite"},
          Case{isTicket1, "1", kMaxAmountCents - 100, 0, ""},
          Case{isCheque6, "1,01", kMaxAmountCents - 100, 0, "PagoAcimaLimite"},
          Case{isMoeda1, "99999999,99", 0, 0, ""}, Case{isMoeda1, "99999999,991", 0, 0, "CotacaoAcimaLimite"},
          Case{isMoeda2, "19999999,99", 0, 5, ""}, Case{isMoeda2, "20000000", 0, 5, "MoedaAcimaLimite"},
          Case{isMoeda2, "9999999999999", 0, 9999999999999.0, "ValorAcimaLimite"},
          Case{isMoeda2, "10", kMaxAmountCents - 4999, 5, "PagoAcimaLimite"},
          Case{isMoeda2, "10", kMaxAmountCents - 5000, 5, ""}, Case{isNone, "9999999999999", 0, 0, ""},
          Case{isDinheiro1, "", 0, 0, ""}}) {
        const QString refusal = entryBeyondLimit(messages, c.step, c.text, c.paid, c.quote);
        const QString expected = *c.refusal ? messages.Msg(QString::fromLatin1(c.refusal)) : QString();
        const QString fixedPart = expected.section(u'%', 0, 0); // the text before the amounts
        EXPECT_EQ(refusal.left(fixedPart.size()), fixedPart) << c.step << ' ' << c.text;
        EXPECT_EQ(refusal.isEmpty(), expected.isEmpty()) << c.step << ' ' << c.text;
    }
    EXPECT_TRUE(withinAmountLimit(-maxAmount()));
    EXPECT_FALSE(withinAmountLimit(std::nan("")));
}

class QuoteFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QDate today = QDate(2026, 3, 14);

    QStringList stored()
    {
        DataSet file;
        QStringList rows;
        if (!file.loadFromFile(quotes::filePath(dir.path())))
            return {QStringLiteral("<unreadable>")};
        for (file.first(); !file.eof(); file.next())
            rows << file.fieldByName("CDINDICE").asString() + u' ' +
                        QString::number(file.fieldByName("VRINDICE").asFloat());
        rows.sort();
        return rows;
    }
};

// Two terminals type a quote at the same time, also when the file does not exist yet: both
// quotes are kept.
TEST_F(QuoteFileTest, TwoTerminalsAddingTogetherKeepBothQuotes)
{
    for (bool fileExists : {false, true}) {
        SCOPED_TRACE(fileExists);
        QFile::remove(quotes::filePath(dir.path()));
        if (fileExists) {
            DataSet first;
            ASSERT_TRUE(quotes::open(first, dir.path()));
            quotes::add(first, "EUR", today.addDays(-1), 6.1);
            ASSERT_TRUE(quotes::close(first));
        }
        DataSet a, b;
        ASSERT_TRUE(quotes::open(a, dir.path()));
        ASSERT_TRUE(quotes::open(b, dir.path()));
        EXPECT_FALSE(quotes::find(a, "USD", today));
        quotes::add(a, "USD", today, 5.2);
        quotes::add(b, "ARS", today, 0.005);
        ASSERT_TRUE(quotes::close(b));
        ASSERT_TRUE(quotes::close(a));
        QStringList expected{"ARS 0.005", "USD 5.2"};
        if (fileExists)
            expected.insert(1, "EUR 6.1");
        EXPECT_EQ(stored(), expected);

        DataSet again;
        ASSERT_TRUE(quotes::open(again, dir.path()));
        EXPECT_EQ(quotes::find(again, "USD", today).value_or(0), 5.2);
        EXPECT_FALSE(quotes::find(again, "USD", today.addDays(1)));
    }
}

TEST_F(QuoteFileTest, UnreadableFileIsAnErrorAndIsNotReplaced)
{
    QFile file(quotes::filePath(dir.path()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a data file");
    file.close();
    DataSet table;
    EXPECT_FALSE(quotes::open(table, dir.path()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a data file"));
}

// The receipt's settings come from the fiscal printer switch's store and group; a missing key
// reads empty.
TEST(ReceiptSettingsTest, ReadFromTheSystemStore)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, dir.path());
    EXPECT_EQ(readReceiptSettings().usaTEF, QString());
    {
        SettingsStore store;
        store.setValue(settingKey("UsaTEF"), "S");
        store.setValue(settingKey("PcMaxTroco"), "10");
        store.setValue("UsaTEFCheque", "S"); // outside the group: not the receipt's
    }
    const ReceiptSettings settings = readReceiptSettings();
    EXPECT_EQ(settings.usaTEF, "S");
    EXPECT_EQ(settings.usaTEFCheque, QString());
    EXPECT_EQ(settings.pcMaxTroco, "10");
}

} // namespace

namespace {

// A quote is looked up for the fiscal day the printer gave, else for today on the module's
// clock, which a test can set.
TEST(QuoteReferenceDate, IsTheFiscalDayElseTodayOnTheModulesClock)
{
    const QDate fixedDay(2001, 2, 3); // a day the system clock never reads again
    zel::clockfortests::set(QDateTime(fixedDay, QTime(23, 59)));
    EXPECT_EQ(zel::quoteReferenceDate(QDateTime()), fixedDay);
    EXPECT_EQ(zel::quoteReferenceDate(QDateTime(QDate(2001, 1, 30), QTime(0, 0))), QDate(2001, 1, 30));
    EXPECT_EQ(zel::now(), QDateTime(fixedDay, QTime(23, 59)));
    zel::clockfortests::set({});
    EXPECT_NE(zel::today(), fixedDay);
}

} // namespace
