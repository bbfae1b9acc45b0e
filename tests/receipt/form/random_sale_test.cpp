// Sales made up at random, each run through the real receipt form and the simulated fiscal
// printer as an operator would: weighed and whole quantities, lines that are not fiscal or have no
// aliquot, an item the printer refuses and the operator leaves off, service fee, minimum
// consumption and comanda discount, a discount before the payments or after the sale is covered,
// cash, tickets and cards. Every sale settles, and its coupon, its change and its movements agree
// to the cent with what the sale costs, worked out here in whole cents.

#include "PaymentFixture.h"
#include "SimulatedPeripherals.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/payment/Ledger.h"

#include <QTemporaryDir>
#include <random>

using namespace zel;
using namespace zel::test;

namespace {

struct Line
{
    int qtMilli; // quantity in thousandths
    int priceCents;
    int discountCents;
    bool notFiscal;
    bool noAliquot;
    Cents cents() const { return qint64(qtMilli) * priceCents / 1000 - discountCents; }
};

struct Payment
{
    const char* button; // 01 cash, 02 credit card, 05 ticket
    Cents cents;        // -1: the amount proposed (what is due)
};

QString amountText(Cents cents)
{
    return QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QChar(u'0'));
}

class RandomSales : public PaymentFixture
{
protected:
    void SetUp() override
    {
        PaymentFixture::SetUp();
        ASSERT_TRUE(state.isValid());
        SimulatorConfig config;
        config.stateDir = state.path() + QStringLiteral("/");
        config.dataDir = dataDir.path() + QStringLiteral("/");
        sim = std::make_shared<SimulatedPeripherals>(config);
        setPeripherals(sim);

        venda.close();
        venda.setFieldDefs(saleFields());
        venda.createDataSet();
        aliquotas.append();
        aliquotas.fieldByName("CDALIQIMPFIS").setString("T18");
        aliquotas.fieldByName("VRALIQIMPFIS").setFloat(18);
        aliquotas.fieldByName("IDALIQIMPFIS").setString("T");
        aliquotas.post();
    }

    void sale(const QList<Line>& lines, Cents fee, Cents minimum, Cents comanda)
    {
        venda.close();
        venda.createDataSet();
        for (int i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            venda.append();
            venda.fieldByName("NMPRODUTO").setString(QStringLiteral("Produto %1").arg(i + 1));
            venda.fieldByName("CDARVPROD").setString(QString::number(i + 1));
            venda.fieldByName("IDPRODIMPFIS").setString(l.notFiscal ? "S" : "N");
            venda.fieldByName("IDTPIMPOSFIS").setString(l.noAliquot ? "X" : "T");
            venda.fieldByName("VRPEALIMPFIS").setFloat(18);
            venda.fieldByName("QTPRODCOMVEN").setFloat(l.qtMilli / 1000.0);
            venda.fieldByName("VRPRECCOMVEN").setFloat(l.priceCents / 100.0);
            venda.fieldByName("VRDESCCOMVEN").setFloat(l.discountCents / 100.0);
            venda.fieldByName("VRTXSERVICO").setFloat(i == 0 ? fee / 100.0 : 0);
            venda.fieldByName("VRCONSUMAMIN").setFloat(i == 0 ? minimum / 100.0 : 0);
            venda.fieldByName("VRDESCOMANDA").setFloat(i == lines.size() - 1 ? comanda / 100.0 : 0);
            venda.post();
        }
        movimentos.close();
    }

    // The host's movements: payments in and change out.
    std::pair<Cents, Cents> movementSums()
    {
        Cents in = 0, out = 0;
        for (movimentos.first(); !movimentos.eof(); movimentos.next()) {
            const Cents v = toCents(movimentos.fieldByName("VRMOVIVEND").asFloat());
            (movimentos.fieldByName("IDTIPOMOVIVE").asString() == QLatin1String("S") ? out : in) += v;
        }
        return {in, out};
    }

    QTemporaryDir state;
    std::shared_ptr<SimulatedPeripherals> sim;
};

TEST_F(RandomSales, SettleWithCouponChangeAndMovementsAgreeingToTheCent)
{
    std::mt19937 random(8122026);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int sales = qEnvironmentVariableIntValue("ZEL_RANDOM_SALES") > 0
                          ? qEnvironmentVariableIntValue("ZEL_RANDOM_SALES")
                          : 100;
    const int from = qEnvironmentVariableIntValue("ZEL_RANDOM_SALES_FROM");
    int settled = 0;
    for (int n = 0; n < sales; ++n) {
        // The sale.
        QList<Line> lines;
        for (int i = pick(1, 5); i > 0; --i) {
            const bool weighed = pick(0, 2) == 0;
            lines.append({weighed ? pick(1, 2999) : 1000 * pick(1, 4), pick(1, 9999), 0, pick(0, 9) == 0,
                          pick(0, 11) == 0});
            Line& l = lines.last();
            if (pick(0, 5) == 0 && l.cents() > 1)
                l.discountCents = pick(1, int(l.cents() - 1));
        }
        const Cents fee = pick(0, 2) == 0 ? pick(1, 1500) : 0;
        const Cents minimum = pick(0, 5) == 0 ? pick(1, 5000) : 0;
        const Cents comanda = pick(0, 5) == 0 ? pick(1, 800) : 0;
        sale(lines, fee, minimum, comanda);

        // What it costs, in whole cents: the lines, then the fee less the comanda discount it absorbs.
        Cents products = 0, outside = 0;
        QList<int> couponItems; // lines the printer takes, by index
        for (int i = 0; i < lines.size(); ++i) {
            products += lines[i].cents();
            if (lines[i].notFiscal || lines[i].noAliquot)
                outside += lines[i].cents();
            else
                couponItems.append(i);
        }
        const Cents netFee = fee > comanda ? fee - comanda : 0;
        const Cents netComanda = comanda > fee ? comanda - fee : 0;
        Cents total = products + netFee - netComanda + minimum;
        if (total < 2)
            continue;

        // The printer refuses one item, which the operator leaves off (a sale of several items).
        int refused = -1;
        FiscalFaults faults;
        if (couponItems.size() > 1 && pick(0, 4) == 0) {
            const int position = pick(1, int(couponItems.size()));
            // Not one whose loss would leave the sale worth nothing (a comanda discount above the rest).
            if (total - lines[couponItems[position - 1]].cents() >= 2) {
                refused = couponItems[position - 1];
                faults.refuseItem = position;
            }
        }
        sim->fiscalPrinter().setFaults(faults);

        // A discount before the payments, or (paid in cash) after the sale is covered.
        const int discountWhen = pick(0, 3); // 0 none, 1 before, 2 after cover, 3 none
        Cents discount =
            discountWhen == 1 || discountWhen == 2 ? pick(1, int(std::min<Cents>(total - 1, 3000))) : 0;
        // The cash that pays the sale must be able to give back a refused item too.
        if (refused >= 0 && discountWhen == 1)
            discount = std::max<Cents>(0, std::min<Cents>(discount, total - lines[refused].cents() - 1));

        // The payments: some partial ones, then the last one covers the sale. A refused item or a
        // discount after cover raises the change: the sale is then paid in one cash payment,
        // large enough to give it.
        const bool raisesChange = refused >= 0 || discountWhen == 2;
        const bool cashLast = raisesChange || pick(0, 2) > 0;
        QList<Payment> payments;
        Cents due = total - (discountWhen == 1 ? discount : 0);
        for (int i = raisesChange ? 0 : pick(0, 2); i > 0 && due > 100; --i) {
            const Cents part = pick(1, int(due / 2));
            payments.append({pick(0, 1) ? "05" : "02", part});
            due -= part;
        }
        if (discountWhen == 2)
            discount = std::min<Cents>(discount, due - (refused >= 0 ? lines[refused].cents() : 0) - 1);
        if (discount <= 0 && discountWhen == 2)
            discount = 0;
        if (cashLast)
            payments.append({"01", due + (pick(0, 3) ? pick(0, 5000) : 0)});
        else
            payments.append({pick(0, 1) ? "05" : "02", -1});
        bool card = false;
        for (const Payment& p : payments)
            card = card || QLatin1String(p.button) == QLatin1String("02");
        if (card && discountWhen == 2)
            discount = 0; // a sale with a card closes itself once covered
        const Cents requested = discount;
        if (refused >= 0)
            total -= lines[refused].cents();
        discount = std::min<Cents>(discount, total - 1); // a cent always stays to pay
        const Cents net = total - discount;
        SCOPED_TRACE(testing::Message() << "sale " << n << ": net " << net << ", outside " << outside
                                        << ", refused line " << refused << ", discount " << discount);

        const QString systemType = pick(0, 1) ? QStringLiteral("RES") : QStringLiteral("CXA");
        if (n < from)
            continue; // made up and passed over: a long run is taken up again at a given sale

        // The operator.
        Operator& o = operatorForNextReceipt();
        if (requested > 0 && discountWhen == 1) {
            dialogs->expectDiscount("V", requested / 100.0);
            o.click("tcbDesconto");
        }
        for (const Payment& p : payments) {
            o.click(QStringLiteral("tcbBalcao%1").arg(QLatin1String(p.button)));
            if (p.cents >= 0)
                o.type(amountText(p.cents));
            o.click("tcbEnter");
        }
        if (requested > 0 && discountWhen == 2) {
            dialogs->expectDiscount("V", requested / 100.0);
            o.click("tcbDesconto");
        }
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i].noAliquot && !lines[i].notFiscal)
                dialogs->expectMessageDlg(mrOk, QString::fromUtf8("Alíquota não cadastrada"));
            if (i == refused)
                dialogs->expectMessageDlg(mrYes, "Ignorar item?");
        }
        if (!card)
            o.click("tcbOk");
        op->start();
        const bool ok = Vrm_zel00000::Recebimento(venda, movimentos, nrVenda, clientes, consumidores,
                                                  aliquotas, tipos, systemType, QString(), figura, QString());
        ASSERT_TRUE(ok) << sim->fiscalPrinter().lastError().toStdString();
        ASSERT_TRUE(o.finished());

        const CouponRecord& coupon = sim->fiscalPrinter().currentCoupon();
        ASSERT_TRUE(coupon.closed);
        Cents couponPaid = 0;
        for (const CouponPayment& p : coupon.payments)
            couponPaid += toCents(p.amount);
        const auto [in, out] = movementSums();
        EXPECT_EQ(in - out, net) << "the movements record what the sale costs";
        EXPECT_EQ(toCents(coupon.change), out) << "the coupon's change is the change given";
        EXPECT_EQ(couponPaid - toCents(coupon.change), toCents(coupon.total()));
        // A discount within the coupon's own share is all on the coupon.
        Cents couponShare = netFee - netComanda + minimum;
        for (int i : couponItems)
            couponShare += i == refused ? 0 : lines[i].cents();
        if (!coupon.items.isEmpty() && discount < couponShare) {
            EXPECT_EQ(toCents(coupon.total()) + outside, net)
                << "the coupon carries all but the lines off it";
        }
        ++settled;
    }
    EXPECT_GT(settled, (sales - from) * 9 / 10);
}

} // namespace
