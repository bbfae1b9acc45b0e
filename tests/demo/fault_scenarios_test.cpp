// The fault scenarios of demo/scenarios/faults run through the demo host as separate processes:
// a fiscal printer refusing each step of the coupon, a TEF manager slow, garbled, silent or killed
// in the middle of a response, a card undone by Clear, a demo killed with a card approved, a
// quotes file corrupt or missing, a Pix provider that refuses, goes silent or sees a payment as
// the operator cancels, a demo killed with a Pix charge live. Whatever fails, the operator's
// script runs to its end (the form stays usable), every payment is recorded once, the coupon is
// printed at most once, no card approval is left pending and every Pix charge ends paid and
// recorded, removed or refunded.

#include "support/Eventually.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// What the test does to the TEF manager it runs beside the demo.
enum class Manager {
    None,     // the scenario runs its own, or none
    Stop,     // stopped with SIGTERM once it has taken the payment request
    Killed,   // SIGKILL between the halves of its response, started again after the stall
    KillDemo, // kept running; the demo is killed once the card is approved, then run again
    KillPix,  // the demo is killed while a Pix charge is live, then run again
};

struct FaultCase
{
    const char* scenario;
    int exitCode;
    bool result;
    int movements;
    bool coupon;
    QStringList approvals; // the TEF manager's approvals, their final states in order
    const char* dialog;    // a dialog text the run must show (empty: none asked for)
    Manager manager = Manager::None;
    const char* quotesFile = nullptr; // copied to the run's data folder as movindic.cds
    QStringList pixCharges = {};      // the Pix provider's charges, their final states in order
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.scenario;
}

// The scenarios' folder copied, so that the folders they name (tef/) are the run's own.
bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
            return false;
    }
    return true;
}

// The till's Pix journals in a run's data folder (one per terminal).
QStringList pixJournals(const QString& state)
{
    return QDir(state + "/data").entryList({"recebimento-pix*.json"}, QDir::Files);
}

using zel::test::ended;
using zel::test::eventually;

class TefManager
{
public:
    TefManager(const QString& dir, const QString& rules) : m_dir(dir), m_rules(rules) {}
    ~TefManager() { stop(); }
    void start()
    {
        m_log.clear();
        m_process.start(QStringLiteral(ZEL_TEF_MANAGER_SIM_PATH), {"--dir", m_dir, "--rules", m_rules});
        m_process.setReadChannel(QProcess::StandardError);
        m_process.waitForStarted(zel::test::kHangLimitMs);
    }
    // Waits until the manager's log holds the text.
    bool logged(const QByteArray& text) { return zel::test::awaitOutput(m_process, m_log, text); }
    void signal(int sig) { ::kill(static_cast<pid_t>(m_process.processId()), sig); }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!ended(m_process))
            m_process.kill();
        ended(m_process);
    }
    bool wait() { return ended(m_process); }
    QByteArray log() const { return m_log; }

private:
    QString m_dir, m_rules;
    QByteArray m_log;
    QProcess m_process;
};

class FaultScenario : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(FaultScenario, EndsWithEveryPaymentOnceAndNoApprovalPending)
{
    const FaultCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(copyTree(QStringLiteral(ZEL_FAULT_SCENARIOS), dir.path()));
    const QString state = dir.filePath("state");
    if (c.quotesFile) {
        ASSERT_TRUE(QDir().mkpath(state + "/data"));
        ASSERT_TRUE(QFile::copy(dir.filePath(c.quotesFile), state + "/data/movindic.cds"));
    }
    const QString tefDir = dir.filePath("tef");
    TefManager manager(tefDir, dir.filePath(QStringLiteral("%1.rules.json").arg(c.scenario)));
    if (c.manager != Manager::None)
        manager.start();

    QProcess demo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ZEL_TEF_MANAGER_SIM", ZEL_TEF_MANAGER_SIM_PATH);
    demo.setProcessEnvironment(env);
    const QString resultPath = dir.filePath("result.json");
    const QStringList demoArgs{"--scenario", dir.filePath(QStringLiteral("%1.json").arg(c.scenario)),
                               "--state",    state,
                               "--result",   resultPath};
    demo.start(ZEL_DEMO_PATH, demoArgs);

    if (c.manager == Manager::KillDemo) {
        // Killed with the card approved and pending, as a host that dies in the middle of a sale;
        // the next run finds the approval in the receipt's journal.
        ASSERT_TRUE(eventually([&] {
            QFile approvals(tefDir + "/tef-approvals.json");
            return QFile::exists(tefDir + "/recebimento-tef.json") && approvals.open(QIODevice::ReadOnly) &&
                   approvals.readAll().contains("pending");
        }));
        demo.kill();
        ASSERT_TRUE(ended(demo));
        demo.start(ZEL_DEMO_PATH, demoArgs);
    }

    if (c.manager == Manager::KillPix) {
        // Killed with the Pix code on the screen: the charge is live at the provider and listed
        // in the till's journal; the next run settles it first.
        ASSERT_TRUE(eventually([&] {
            QFile charges(state + "/pix-state.json");
            return !pixJournals(state).isEmpty() && charges.open(QIODevice::ReadOnly) &&
                   charges.readAll().contains("\"ATIVA\"");
        }));
        demo.kill();
        ASSERT_TRUE(ended(demo));
        demo.start(ZEL_DEMO_PATH, demoArgs);
    }

    if (c.manager == Manager::Stop) {
        ASSERT_TRUE(manager.logged("silent")) << manager.log().toStdString();
        manager.stop();
    } else if (c.manager == Manager::Killed) {
        // Killed while the response's halves are apart; once the till gave up on the half it
        // read (moved away after the stall period), a manager is there again for the closing.
        // Once the first half is in the file (the mark and the empty file come a moment before).
        ASSERT_TRUE(eventually([&] {
            QFile half(tefDir + "/resp/intpos.001");
            return QFile::exists(tefDir + "/tef-manager-sim.writing") && half.open(QIODevice::ReadOnly) &&
                   half.readAll().contains("001-000");
        }));
        manager.signal(SIGKILL);
        ASSERT_TRUE(manager.wait());
        ASSERT_TRUE(QFile::exists(tefDir + "/resp/intpos.001")) << "the half response is in place";
        ASSERT_TRUE(eventually([&] { return !QFile::exists(tefDir + "/resp/intpos.001"); }));
        manager.start();
    }
    ASSERT_TRUE(ended(demo)) << "the demo did not finish";
    manager.stop();
    const QString errors = QString::fromUtf8(demo.readAllStandardError());
    ASSERT_EQ(demo.exitCode(), c.exitCode) << errors.toStdString();
    QFile resultFile(resultPath);
    ASSERT_TRUE(resultFile.open(QIODevice::ReadOnly));
    const QJsonObject r = QJsonDocument::fromJson(resultFile.readAll()).object();

    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty()) << errors.toStdString();
    EXPECT_EQ(r["result"].toBool(), c.result);
    // Each payment once: no two movement rows alike.
    const QJsonArray rows = r["movements"].toObject()["rows"].toArray();
    EXPECT_EQ(rows.size(), c.movements) << QJsonDocument(rows).toJson().toStdString();
    QSet<QString> distinct;
    for (const QJsonValue& row : rows)
        distinct.insert(QString::fromUtf8(QJsonDocument(row.toArray()).toJson(QJsonDocument::Compact)));
    EXPECT_EQ(distinct.size(), rows.size()) << "a movement recorded twice";
    // At most one coupon, and the one the receipt answers.
    int coupons = 0;
    for (const QJsonValue& line : r["fiscalJournal"].toArray())
        coupons += line.toString().startsWith("CUPOM FISCAL") ? 1 : 0;
    EXPECT_EQ(coupons, c.coupon ? 1 : 0);
    EXPECT_EQ(r["couponNumber"].toString().isEmpty(), !c.coupon);
    QStringList approvals;
    for (const QJsonValue& a : r["tefApprovals"].toArray())
        approvals << a.toObject()["state"].toString();
    EXPECT_EQ(approvals, c.approvals);
    // Every Pix charge ended paid and kept by the settled sale (recorded once, with its txid),
    // removed, or refunded whole; none is left live.
    QStringList pix;
    for (const QJsonValue& value : r["pixCharges"].toArray()) {
        const QJsonObject charge = value.toObject();
        const QString status = charge["status"].toString();
        const bool refunded = charge["refunded"].toInteger() == charge["amount"].toInteger();
        pix << status + (refunded ? " refunded" : "");
        int recorded = 0;
        for (const QJsonValue& row : rows)
            recorded +=
                QJsonDocument(row.toArray()).toJson().contains(charge["txid"].toString().toUtf8()) ? 1 : 0;
        if (status == "CONCLUIDA" && !refunded) {
            EXPECT_TRUE(c.result && recorded == 1) << "a paid charge kept by a sale that recorded it once";
        } else {
            EXPECT_TRUE(status.startsWith("REMOVIDA") || refunded) << status.toStdString();
            EXPECT_EQ(recorded, 0) << "money not kept is not recorded";
        }
    }
    EXPECT_EQ(pix, c.pixCharges);
    EXPECT_TRUE(pixJournals(state).isEmpty()) << "a Pix charge left undecided";
    // A quotes file the run found is kept as it was (a corrupt one is not overwritten); a missing
    // one is made with the quote typed.
    QFile quotes(state + "/data/movindic.cds");
    if (c.quotesFile) {
        QFile fixture(dir.filePath(c.quotesFile));
        ASSERT_TRUE(quotes.open(QIODevice::ReadOnly) && fixture.open(QIODevice::ReadOnly));
        EXPECT_EQ(quotes.readAll(), fixture.readAll());
    } else if (QString::fromLatin1(c.scenario).startsWith("data-file")) {
        EXPECT_TRUE(quotes.exists());
    }
    if (*c.dialog) {
        bool shown = false;
        for (const QJsonValue& d : r["dialogs"].toArray())
            shown = shown || d.toObject()["text"].toString().contains(QString::fromUtf8(c.dialog));
        EXPECT_TRUE(shown) << c.dialog << "\n"
                           << QJsonDocument(r["dialogs"].toArray()).toJson().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Demo, FaultScenario,
    ::testing::Values(
        // The printer not ready at all: OK fails each time; Exit hands the payment back, no coupon.
        FaultCase{"printer-not-ready", 0, false, 2, false, {}, "Erro ao enviar comando"},
        FaultCase{"printer-refuses-open", 0, true, 2, true, {}, "Ignorar item?"},
        FaultCase{"printer-refuses-item", 0, true, 2, true, {}, "Ignorar item?"},
        // The service fee refused: sent again by the next OK, on the same coupon.
        FaultCase{"printer-refuses-adjustment", 0, true, 2, true, {}, "Erro ao enviar comando"},
        FaultCase{"printer-refuses-payment", 0, true, 2, true, {}, "Erro ao enviar comando"},
        FaultCase{"printer-refuses-close", 0, true, 2, true, {}, "Erro ao enviar comando"},
        FaultCase{"tef-slow", 0, true, 3, true, {"confirmed"}, ""},
        // A card covered the sale, an item left off: the card stays charged, the change is cash.
        FaultCase{"card-item-left-off", 0, true, 2, true, {"confirmed"}, "Ignorar item?"},
        FaultCase{"tef-garbled", 0, true, 2, true, {}, ""},
        FaultCase{"tef-silent", 0, true, 2, true, {}, "Gerenciador TEF encerrado", Manager::Stop},
        FaultCase{"tef-killed", 0, true, 2, true, {"undone"}, "incompleta", Manager::Killed},
        // Clear undoes a final approval by cancellation; a cancellation never answered keeps the card.
        FaultCase{"tef-cancel", 0, true, 3, true, {"cancelled", "confirmed"}, "não respondeu"},
        // A demo killed with a card approved: the next run undoes it first, then sells again.
        FaultCase{"tef-killed-run", 0, true, 3, true, {"undone", "confirmed"}, "", Manager::KillDemo},
        FaultCase{"data-file-missing", 0, true, 3, true, {}, ""},
        // A corrupt quotes file is reported and left alone; the sale goes on in cash.
        FaultCase{"data-file-corrupt",
                  0,
                  true,
                  2,
                  true,
                  {},
                  "cotações",
                  Manager::None,
                  "data/movindic-corrupt.cds"},
        // Pix: the provider refuses the credentials (nothing charged), the customer pays as the
        // operator cancels (recorded), the provider goes silent mid-charge (nothing recorded; the
        // charge removed once it is back), the demo killed with a charge live (removed first by
        // the next run, whose own charge the operator cancels).
        FaultCase{"pix-token-refused", 0, true, 2, true, {}, "não autorizou"},
        // No provider at all: a static code, the payment confirmed by the operator.
        FaultCase{"pix-static", 0, true, 1, true, {}, "foi recebido na conta"},
        FaultCase{"pix-paid-after-cancel",
                  0,
                  true,
                  1,
                  true,
                  {},
                  "paga no momento do cancelamento",
                  Manager::None,
                  nullptr,
                  {"CONCLUIDA"}},
        FaultCase{"pix-clear",
                  0,
                  true,
                  2,
                  true,
                  {},
                  "devolvido ao cliente",
                  Manager::None,
                  nullptr,
                  {"CONCLUIDA refunded"}},
        FaultCase{"pix-provider-down",
                  0,
                  true,
                  2,
                  true,
                  {},
                  "não responde",
                  Manager::None,
                  nullptr,
                  {"REMOVIDA_PELO_USUARIO_RECEBEDOR"}},
        FaultCase{"pix-killed-run",
                  0,
                  true,
                  2,
                  true,
                  {},
                  "",
                  Manager::KillPix,
                  nullptr,
                  {"REMOVIDA_PELO_USUARIO_RECEBEDOR", "REMOVIDA_PELO_USUARIO_RECEBEDOR"}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
        return QString::fromLatin1(info.param.scenario).replace('-', '_').toStdString();
    });

} // namespace
