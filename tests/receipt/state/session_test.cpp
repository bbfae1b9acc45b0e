// The receipt session without a screen: where two features meet (a discount after a Pix, an item
// left off after a card, a client account cleared), and sales made up at random over every
// payment kind, checked against their own arithmetic in whole cents.

#include "receipt/payment/AmountLimit.h"
#include "receipt/payment/PaymentKind.h"
#include "receipt/state/ReceiptSession.h"

#include <QCoreApplication>
#include <QHash>
#include <gtest/gtest.h>
#include <random>

using namespace zel;

namespace {

struct Type
{
    const char* code;
    const char* kind;
    const char* changeType; // CDTIPOTROCO
};

// Cash gives its own change; a card names cash as its change type (the configuration a host may
// well have); a ticket gives a Contra-Vale.
constexpr Type kTypes[] = {{"001", "4", "001"}, {"002", "1", "001"}, {"003", "P", ""}, {"004", "3", "001"},
                           {"005", "5", "005"}, {"006", "6", "001"}, {"008", "8", ""}, {"009", "2", "009"}};

class Session : public ReceiptSession
{
public:
    Session()
    {
        cdsReceb.setFieldDefs({{"CDTIPORECE", FieldType::String, 3, {}, {}, true},
                               {"NMTIPORECE", FieldType::String, 40, {}, {}, true},
                               {"IDTIPORECE", FieldType::String, 1, {}, {}, true},
                               {"CDTIPOTROCO", FieldType::String, 3, {}, {}, true},
                               {"NRORDTROCO", FieldType::String, 3, {}, {}, true}});
        cdsReceb.createDataSet();
        for (const Type& t : kTypes) {
            cdsReceb.append();
            cdsReceb.fieldByName("CDTIPORECE").setString(t.code);
            cdsReceb.fieldByName("NMTIPORECE").setString(QStringLiteral("Tipo ") + t.code);
            cdsReceb.fieldByName("IDTIPORECE").setString(t.kind);
            cdsReceb.fieldByName("CDTIPOTROCO").setString(t.changeType);
            cdsReceb.post();
        }
    }

    void open(const QList<Cents>& lines, Cents comanda = 0)
    {
        QList<SaleLine> sale;
        for (Cents c : lines)
            sale.append({c, c < 0 ? OffCoupon::NoPrice : OffCoupon::No});
        ledger().open(sale, 0, 0, comanda);
        sync();
    }

    // A payment as the form takes it: never above what its kind may take, then the closing step
    // with Yes to "take the sale value".
    qint64 pay(const char* code, Cents cents)
    {
        cdsReceb.locate(QStringLiteral("CDTIPORECE"), {QString::fromLatin1(code)});
        const KindRules rules = kindRules(kindOfType(QString::fromLatin1(code)));
        if (cents <= 0 || cents > largestPayment(rules, ledger().due(), ledger().paid()))
            return 0;
        if (rules.carriesClient && stCodCliente.isEmpty()) {
            stCodCliente = QStringLiteral("C1");
            stCodConsumidor = QStringLiteral("K1");
            boConsumidorInf = true;
        }
        Payment payment;
        payment.valor = fromCents(cents);
        payment.descricao =
            rules.giveBack == GiveBack::Refund ? QStringLiteral("PIX tx%1").arg(++pixCount) : QString();
        const qint64 mark = recordPayment(payment);
        closeEntry([](int) { return true; }, {});
        return mark;
    }

    bool discount(Cents cents)
    {
        const bool given = giveDiscount(cents).isEmpty();
        closeEntry([](int) { return true; }, {});
        return given;
    }

    bool leaveOff(int line)
    {
        const bool left = ReceiptSession::leaveOff(line).isEmpty();
        closeEntry([](int) { return true; }, {});
        return left;
    }

    struct Row
    {
        QString type, kind, client, description;
        bool change;
        Cents cents;
    };
    QList<Row> rows()
    {
        QList<Row> out;
        for (cdsMovCaixa.first(); !cdsMovCaixa.eof(); cdsMovCaixa.next()) {
            const QString type = cdsMovCaixa.fieldByName("CDTIPORECE").asString();
            out.append({type, kindOfType(type), cdsMovCaixa.fieldByName("CDCLIENTE").asString(),
                        cdsMovCaixa.fieldByName("DSMOVIVEND").asString(),
                        cdsMovCaixa.fieldByName("IDTIPOMOVIVE").asString() == QLatin1String("S"),
                        toCents(cdsMovCaixa.fieldByName("VRMOVIVEND").asFloat())});
        }
        return out;
    }
    Cents sum(bool change)
    {
        Cents s = 0;
        for (const Row& r : rows())
            s += r.change == change ? r.cents : 0;
        return s;
    }
    QString changeKind()
    {
        for (const Row& r : rows())
            if (r.change)
                return r.kind;
        return {};
    }

    int pixCount = 0;
};

// Where two features meet. Each row is one operator's story on a fresh session, checked where
// it would have gone wrong; every covered sale's coupon must also add up.
struct Seam
{
    const char* story;
    std::function<void(Session&)> run;
};

class Seams : public testing::TestWithParam<Seam>
{
};

TEST_P(Seams, MoneyStaysWhereItWasReceived)
{
    Session s;
    GetParam().run(s);
    EXPECT_TRUE(!s.ledger().covered() || planAddsUp(s.ledger().couponPlan()));
}

ReceiptSession::Payment cheque(double valor)
{
    ReceiptSession::Payment p;
    p.valor = valor;
    p.cdTipoRece = QStringLiteral("004");
    p.cheque = ChequeData{"1234", "001", "55", "000123", QDate(2026, 12, 10)};
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Session, Seams,
    testing::Values(Seam{"a discount below what a Pix charged is refused, as after a card",
                         [](Session& s) {
                             s.open({10000});
                             s.pay("003", 9000);
                             EXPECT_FALSE(s.discount(2000));
                             EXPECT_TRUE(s.discount(1000));
                             EXPECT_EQ(s.sum(false), 9000);
                             EXPECT_EQ(s.sum(true), 0);
                         }},
                    Seam{"an item left off after a Pix covered: the Pix stays, the change is cash",
                         [](Session& s) {
                             s.open({6000, 4000});
                             s.pay("003", 10000);
                             s.leaveOff(1);
                             EXPECT_EQ(s.sum(false), 10000);
                             EXPECT_EQ(s.sum(true), 4000);
                             EXPECT_EQ(s.changeKind(), QStringLiteral("4"));
                         }},
                    Seam{"an item left off after a card covered: no change row in the card's type",
                         [](Session& s) {
                             s.open({6000, 4000});
                             s.pay("009", 10000);
                             s.leaveOff(1);
                             EXPECT_EQ(s.changeKind(), QStringLiteral("4"));
                             EXPECT_EQ(s.sum(true), 4000);
                         }},
                    Seam{"the sale value taken off cash, never off the card beside it",
                         [](Session& s) {
                             s.open({6000, 4000});
                             s.pay("002", 5000);
                             s.pay("005", 5000); // the ticket names a change type: it gives the change
                             s.leaveOff(1);
                             EXPECT_EQ(s.sum(false), 10000);
                             EXPECT_EQ(s.changeKind(), QStringLiteral("5"));
                         }},
                    Seam{"a refunded Pix leaves the movements with a receipt given up; a held one stays",
                         [](Session& s) {
                             s.open({10000});
                             s.pay("003", 4000);
                             s.pay("003", 2000);
                             s.pay("001", 1000);
                             s.dropRefundedPix({QStringLiteral("tx2")});
                             EXPECT_EQ(s.sum(false), 3000);
                             EXPECT_EQ(s.listLines().size(), 2);
                         }},
                    Seam{"an item whose loss leaves the sale worth nothing cannot be left off",
                         [](Session& s) {
                             s.open({1000, 500}, 800);
                             s.pay("001", 700);
                             EXPECT_FALSE(s.leaveOff(0));
                             EXPECT_EQ(s.ledger().net(), 700);
                             EXPECT_EQ(s.sum(true), 0);
                         }},
                    Seam{"a credit line goes on the coupon as a discount; the card line is what was charged",
                         [](Session& s) {
                             s.open({10000, -500});
                             s.pay("002", 9500);
                             const CouponPlan plan = s.ledger().couponPlan();
                             EXPECT_EQ(plan.payments, QList<Cents>{9500});
                             EXPECT_EQ(plan.adjustmentKind + QString::number(plan.adjustment),
                                       QStringLiteral("D500"));
                         }},
                    Seam{"the client identification goes with the cleared client account",
                         [](Session& s) {
                             s.open({5000});
                             s.pay("008", 5000);
                             s.clearPayments([](qint64, const QString&) { return false; });
                             s.pay("001", 5000);
                             EXPECT_TRUE(s.stCodCliente.isEmpty() && !s.boConsumidorInf);
                             for (const Session::Row& r : s.rows())
                                 EXPECT_TRUE(r.client.isEmpty());
                         }},
                    Seam{"a cheque recorded is shown at once, and leaves the list when taken back",
                         [](Session& s) {
                             s.open({5000});
                             s.recordPayment(cheque(20));
                             const qint64 mark = s.recordPayment(cheque(27.55));
                             EXPECT_EQ(s.doVrPago, 47.55);
                             EXPECT_TRUE(s.listLines().value(1).endsWith(QStringLiteral("27,55")));
                             s.removeMovement(mark);
                             EXPECT_EQ(s.listLines().size(), 1);
                             EXPECT_EQ(s.doVrPago, 20.0);
                         }},
                    Seam{"the writer refuses what a kind may not take, whoever sends it",
                         [](Session& s) {
                             s.open({5000});
                             ReceiptSession::Payment pix;
                             pix.valor = 50.01; // above what is due
                             pix.cdTipoRece = QStringLiteral("003");
                             EXPECT_EQ(s.recordPayment(pix), 0);
                             EXPECT_EQ(s.recordPayment(cheque(100000000.00)), 0); // past the largest amount
                             EXPECT_TRUE(s.rows().isEmpty() && s.listLines().isEmpty());
                         }}),
    [](const testing::TestParamInfo<Seam>& info) { return "seam" + std::to_string(info.index); });

// Sales made up at random over every kind: lines (credits among them), comanda discounts up to
// above the products, payments of every kind in any order, discounts and items left off at any
// time, Clear. What each outside party charged is followed here, apart from the session. At the
// end: the movements less the change are what the sale costs by this test's own arithmetic, the
// change is exactly what was received beyond it and never in a type charged outside, every
// outside charge still held is one movement of its amount, and the coupon adds up to the cent.
TEST(SessionRandomSales, EverySaleSettlesToTheCent)
{
    std::mt19937 random(20261210);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int sales = qEnvironmentVariableIntValue("ZEL_SESSION_SALES") > 0
                          ? qEnvironmentVariableIntValue("ZEL_SESSION_SALES")
                          : 10000;
    const char* codes[] = {"001", "002", "003", "004", "005", "006", "008", "009"};
    int settled = 0;
    for (int n = 0; n < sales; ++n) {
        SCOPED_TRACE(testing::Message() << "sale " << n);
        Session s;
        QList<Cents> lines;
        for (int i = pick(1, 4); i > 0; --i)
            lines.append(pick(0, 7) == 0 ? -pick(1, 2000) : pick(1, 20000));
        Cents products = 0;
        for (Cents c : lines)
            products += c;
        const Cents comanda = pick(0, 3) == 0 ? pick(1, int(std::max<Cents>(1, products + 500))) : 0;
        if (products - comanda <= 0)
            continue; // refused before the receipt opens
        s.open(lines, comanda);

        QList<bool> kept(lines.size(), true);
        Cents discount = 0;
        const auto total = [&] {
            Cents t = -comanda;
            for (int i = 0; i < lines.size(); ++i)
                t += kept[i] ? lines[i] : 0;
            return t;
        };
        QHash<qint64, Cents> outside; // movement → what the outside party charged
        for (int act = 0; act < 40 && !s.ledger().covered(); ++act) {
            const int what = pick(0, 9);
            if (what <= 5) {
                const char* code = codes[pick(0, 7)];
                const KindRules rules = kindRules(s.kindOfType(QString::fromLatin1(code)));
                const Cents due = total() - discount - s.ledger().paid();
                const Cents cents = pick(0, 2) == 0 ? pick(1, int(std::max<Cents>(1, due)))
                                                    : due + (rules.aboveDue ? pick(0, 3000) : 0);
                if (const qint64 mark = s.pay(code, cents); mark != 0 && rules.outside())
                    outside.insert(mark, cents);
            } else if (what == 6) {
                const Cents d = pick(1, int(std::max<Cents>(1, total())));
                Cents held = 0;
                for (Cents c : std::as_const(outside))
                    held += c;
                const bool allowed = total() > 0 && held <= total() - std::min(d, total() - 1);
                EXPECT_EQ(s.discount(d), allowed);
                if (allowed)
                    discount = std::min(d, total() - 1);
            } else if (what == 7) {
                const int i = pick(0, int(lines.size()) - 1);
                if (!kept[i])
                    continue;
                kept[i] = false;
                const bool allowed = total() > 0;
                EXPECT_EQ(s.leaveOff(i), allowed);
                if (!allowed)
                    kept[i] = true;
                discount = std::min(discount, std::max<Cents>(0, total() - 1));
            } else if (what == 8) {
                s.clearPayments([](qint64, const QString&) { return false; }); // every party gave back
                outside.clear();
                discount = 0;
            }
        }
        if (!s.ledger().covered())
            continue;
        const Cents net = total() - discount;
        ASSERT_GT(net, 0);
        EXPECT_EQ(s.ledger().net(), net);
        EXPECT_EQ(s.sum(false) - s.sum(true), net) << "the movements record what the sale costs";
        EXPECT_EQ(s.sum(true), s.ledger().changeDue());
        for (const Session::Row& r : s.rows())
            EXPECT_FALSE(r.change && kindRules(r.kind).outside()) << "no change in a type charged outside";
        Cents outsideRows = 0, outsideCharged = 0;
        for (const Session::Row& r : s.rows())
            outsideRows += !r.change && kindRules(r.kind).outside() ? r.cents : 0;
        for (Cents c : std::as_const(outside))
            outsideCharged += c;
        EXPECT_EQ(outsideRows, outsideCharged) << "every outside charge is one movement of its amount";
        const CouponPlan plan = s.ledger().couponPlan();
        EXPECT_TRUE(planAddsUp(plan));
        EXPECT_EQ(plan.change, s.sum(true));
        ++settled;
    }
    RecordProperty("settled", settled);
    EXPECT_GT(settled, sales / 3);
}

} // namespace
