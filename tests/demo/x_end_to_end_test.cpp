// A whole sale on a real X server (Xvfb), driven as an operator drives it: mouse clicks at the
// controls' places on the 800 x 600 receipt form and key presses, all as X events (xdotool).
// The demo runs the sale against the TEF manager simulator; the result document is checked and
// a picture of the X screen is kept.

#include "support/Eventually.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Centres of the controls on the receipt form (TfrmRecebimento.ui), from the form's corner.
constexpr QPoint kCash{299, 100};     // tcbBalcao01 in panBalcao
constexpr QPoint kCredit{375, 100};   // tcbBalcao02
constexpr QPoint kDiscount{46, 499};  // tcbDesconto
constexpr QPoint kTaxpayer{130, 499}; // tcbCNPJCPF
constexpr QPoint kOk{194, 550};       // tcbOk

class XSession
{
public:
    bool start()
    {
        for (int n = 91; n < 200; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            m_display = QStringLiteral(":%1").arg(n);
            m_server.start(QStringLiteral("Xvfb"),
                           {m_display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
            m_server.waitForStarted();
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < zel::test::kHangLimitMs / 4 && m_server.state() == QProcess::Running) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                    return true;
                QThread::msleep(50);
            }
            m_server.kill();
            m_server.waitForFinished();
        }
        return false;
    }
    ~XSession()
    {
        m_server.terminate();
        if (!zel::test::ended(m_server))
            m_server.kill();
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        return env;
    }
    // Runs xdotool with the arguments; its output.
    QString xdo(const QStringList& args, int ms = zel::test::kHangLimitMs) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral("xdotool"), args);
        zel::test::ended(p, ms);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // Mouse and keys go to the window in front when they are sent, and the form takes them in
    // order: a step that opens or closes a window waits for it (below), never for a time.
    void click(QPoint at) const
    {
        const QPoint p = m_origin + at;
        xdo({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
        xdo({"click", "1"});
    }
    void type(const QString& text) const { xdo({"type", "--delay", "30", text}); }
    void key(const QString& name) const { xdo({"key", name}); }
    // The windows on the screen: the receipt and the device monitor, and a dialog or form over
    // them while one is open.
    int windows() const
    {
        return xdo({"search", "--onlyvisible", "--name", "."}).split('\n', Qt::SkipEmptyParts).size();
    }
    // Waits until a window opened over the receipt's own (a dialog, a form).
    bool awaitOtherWindow() const
    {
        return zel::test::eventually([&] { return windows() > m_windows; });
    }
    // Waits until only the receipt's own windows are left.
    bool awaitReceipt() const
    {
        return zel::test::eventually([&] { return windows() == m_windows; });
    }
    // Waits for the receipt form and takes its corner on the screen.
    bool findReceipt()
    {
        const QString id =
            xdo({"search", "--sync", "--onlyvisible", "--name", "^Recebimento$"}).split('\n').value(0);
        if (id.isEmpty())
            return false;
        // The device monitor comes up beside the receipt.
        if (!zel::test::eventually([&] { return windows() >= 2; }))
            return false;
        m_windows = windows();
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)"))
                                              .match(xdo({"getwindowgeometry", id}));
        if (!m.hasMatch())
            return false;
        m_origin = QPoint(m.captured(1).toInt(), m.captured(2).toInt());
        return true;
    }
    bool screenshot(const QString& file) const
    {
        QProcess grab;
        grab.setProcessEnvironment(environment());
        grab.start(QStringLiteral(ZEL_X_SCREEN_GRAB), {file});
        return zel::test::ended(grab) && grab.exitCode() == 0;
    }
    QPoint origin() const { return m_origin; }

private:
    QString m_display;
    QProcess m_server;
    QPoint m_origin;
    int m_windows = 0; // the receipt's own windows
};

QJsonObject readJson(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

QStringList movementValues(const QJsonObject& result)
{
    const QJsonObject movements = result["movements"].toObject();
    int kind = -1, value = -1, i = 0;
    for (const QJsonValue& f : movements["fields"].toArray()) {
        if (f["name"] == QJsonValue("IDTIPOMOVIVE"))
            kind = i;
        if (f["name"] == QJsonValue("VRMOVIVEND"))
            value = i;
        ++i;
    }
    QStringList out;
    for (const QJsonValue& row : movements["rows"].toArray())
        out << row.toArray().at(kind).toString() + " " +
                   QString::number(row.toArray().at(value).toDouble(), 'f', 2);
    return out;
}

TEST(XEndToEnd, WholeSalesWithRealMouseAndKeys)
{
    for (const char* tool : {"Xvfb", "xdotool"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    XSession x;
    ASSERT_TRUE(x.start()) << "Xvfb did not start";
    QTemporaryDir dir;
    const QString state = dir.filePath("state");
    const QString outputRoot = qEnvironmentVariable("ZEL_TEST_OUTPUT", dir.path());
    const QString shotDir = QDir(outputRoot).filePath("screenshots");
    ASSERT_TRUE(QDir().mkpath(shotDir));

    const auto startDemo = [&](QProcess& demo, const QString& result) {
        QProcessEnvironment env = x.environment();
        env.insert("ZEL_TEF_MANAGER_SIM", ZEL_TEF_MANAGER_SIM_PATH);
        demo.setProcessEnvironment(env);
        demo.start(ZEL_DEMO_PATH,
                   {"--scenario", ZEL_E2E_SCENARIO, "--no-script", "--state", state, "--result", result});
    };

    // Sale 1 (R$ 140,69 with the service fee): a discount of 10,00, 40,00 on the credit card
    // approved by the TEF manager simulator, 100,00 in cash with 9,31 of change; covered after a
    // card payment, the sale closes by itself (OK pressed for the operator).
    {
        QProcess demo;
        const QString resultPath = dir.filePath("sale1.json");
        startDemo(demo, resultPath);
        ASSERT_TRUE(x.findReceipt()) << demo.readAllStandardError().toStdString();
        ASSERT_TRUE(x.awaitReceipt());
        x.click(kDiscount);
        ASSERT_TRUE(x.awaitOtherWindow()) << "the discount dialog did not open";
        x.key("v");
        x.type("10");
        x.key("Return");
        ASSERT_TRUE(x.awaitReceipt());
        x.click(kCredit);
        x.type("40");
        x.key("Return");
        // The manager lists the approval once it has answered; then the notice goes.
        const QString approvalsFile = QDir(state).filePath("tef/tef-approvals.json");
        ASSERT_TRUE(zel::test::eventually([&] {
            QFile f(approvalsFile);
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("4000");
        })) << "the card was not approved";
        ASSERT_TRUE(x.awaitReceipt());
        ASSERT_TRUE(x.screenshot(QDir(shotDir).filePath("x-end-to-end.png")));
        x.click(kCash);
        x.type("100");
        x.key("Return");
        ASSERT_TRUE(zel::test::ended(demo)) << "the receipt did not close";
        ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
        const QJsonObject r = readJson(resultPath);
        EXPECT_EQ(r["result"], QJsonValue(true));
        EXPECT_EQ(r["couponNumber"], QJsonValue("000001"));
        EXPECT_EQ(movementValues(r), QStringList({"E 40.00", "E 100.00", "S 9.31"}));
        const QJsonArray approvals = r["tefApprovals"].toArray();
        ASSERT_EQ(approvals.size(), 1);
        EXPECT_EQ(approvals[0].toObject()["amount"], QJsonValue("4000"));
        EXPECT_EQ(approvals[0].toObject()["state"], QJsonValue("confirmed"));
        const QStringList journal = r["fiscalJournal"].toVariant().toStringList();
        EXPECT_TRUE(journal.filter("TOTAL R$").value(0).endsWith("130,69"))
            << journal.join('\n').toStdString();
    }
    QImage shot(QDir(shotDir).filePath("x-end-to-end.png"));
    EXPECT_EQ(shot.size(), QSize(1280, 800));

    // Sale 2: 150,00 in cash (9,31 of change), the buyer's CPF and name on the taxpayer form,
    // and OK: the coupon carries them.
    {
        QProcess demo;
        const QString resultPath = dir.filePath("sale2.json");
        startDemo(demo, resultPath);
        ASSERT_TRUE(x.findReceipt()) << demo.readAllStandardError().toStdString();
        ASSERT_TRUE(x.awaitReceipt());
        x.click(kCash);
        x.type("150");
        x.key("Return");
        x.click(kTaxpayer);
        ASSERT_TRUE(x.awaitOtherWindow()) << "the taxpayer form did not open";
        x.type("52998224725");
        x.key("Return");
        x.type("MARIA SILVA");
        x.key("Return");
        ASSERT_TRUE(x.awaitReceipt());
        x.click(kOk);
        ASSERT_TRUE(zel::test::ended(demo)) << "the receipt did not close";
        ASSERT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
        const QJsonObject r = readJson(resultPath);
        EXPECT_EQ(r["result"], QJsonValue(true));
        EXPECT_EQ(r["couponNumber"], QJsonValue("000002"));
        EXPECT_EQ(movementValues(r), QStringList({"E 150.00", "S 9.31"}));
        const QStringList journal = r["fiscalJournal"].toVariant().toStringList();
        EXPECT_EQ(journal.filter("CPF/CNPJ: 529.982.247-25").size(), 1) << journal.join('\n').toStdString();
    }
}

} // namespace
