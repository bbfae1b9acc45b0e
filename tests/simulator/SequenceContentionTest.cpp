// The TEF sequence counter while another terminal (a separate process) holds its lock: the
// number is waited for as long as the terminal holds it, up to the configured bound, and past
// the bound no number is handed out and the log says who held it.

#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"

#include "support/Eventually.h"

#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

namespace zel {
namespace {

// What was logged under "zel.devices", in order.
QStringList* g_devicesLog = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void keepDevicesLog(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (g_devicesLog && context.category && qstrcmp(context.category, "zel.devices") == 0)
        *g_devicesLog << text;
    g_previousHandler(type, context, text);
}

struct Contention
{
    const char* name;
    int sequenceTimeoutMs;
    bool letGoWhileWaiting; // the holder takes its number and lets go once the wait is logged
};

void PrintTo(const Contention& c, std::ostream* os)
{
    *os << c.name;
}

class SequenceContention : public ::testing::TestWithParam<Contention>
{
protected:
    void SetUp() override
    {
        g_devicesLog = &m_log;
        g_previousHandler = qInstallMessageHandler(keepDevicesLog);
    }
    void TearDown() override
    {
        qInstallMessageHandler(g_previousHandler);
        g_devicesLog = nullptr;
        if (m_holder.state() != QProcess::NotRunning) {
            m_holder.closeWriteChannel();
            EXPECT_TRUE(test::ended(m_holder));
        }
    }

    bool logged(const QString& text) const
    {
        return std::any_of(m_log.begin(), m_log.end(), [&](const QString& line) { return line.contains(text); });
    }

    // Tells the holder to take its number and let go; the number it took.
    qint64 holderTakes()
    {
        m_holder.write("take\n");
        EXPECT_TRUE(test::awaitOutput(m_holder, m_holderOutput, "took ")) << m_holderOutput.toStdString();
        EXPECT_TRUE(test::ended(m_holder));
        m_holderOutput += m_holder.readAll();
        return m_holderOutput.mid(m_holderOutput.indexOf("took ") + 5).trimmed().toLongLong();
    }

    QTemporaryDir m_dir;
    QStringList m_log;
    QProcess m_holder;
    QByteArray m_holderOutput;
};

TEST_P(SequenceContention, WaitsForTheHolderUpToTheBoundAndSaysWhyItGaveUp)
{
    SimulatorConfig config = simtest::config(m_dir);
    config.tef.sequenceTimeoutMs = GetParam().sequenceTimeoutMs;
    SimulatedPeripherals devices(config);
    const qint64 first = devices.GetSequence().toLongLong();
    ASSERT_GT(first, 0);

    m_holder.start(QStringLiteral(ZEL_SEQUENCE_HOLDER), {config.stateDir});
    ASSERT_TRUE(test::awaitOutput(m_holder, m_holderOutput, "locked")) << m_holderOutput.toStdString();
    const QString holder = QStringLiteral("process %1").arg(m_holder.processId());

    // The holder lets go once this terminal says that it waits, while the wait goes on.
    bool toldToLetGo = false;
    qint64 holderNumber = 0;
    QTimer letGo;
    letGo.setInterval(10);
    QObject::connect(&letGo, &QTimer::timeout, [&] {
        if (!toldToLetGo && logged(QStringLiteral("waiting up to"))) {
            toldToLetGo = true;
            holderNumber = holderTakes();
        }
    });
    if (GetParam().letGoWhileWaiting)
        letGo.start();

    const QString sequence = devices.GetSequence();
    letGo.stop();
    if (GetParam().letGoWhileWaiting) {
        EXPECT_TRUE(toldToLetGo);
        EXPECT_TRUE(logged(QStringLiteral("held by ") + holder)) << m_log.join('\n').toStdString();
        // The number the holder took is not handed out again: the counter goes on from it.
        EXPECT_EQ(holderNumber, first + 1);
        EXPECT_EQ(sequence.toLongLong(), holderNumber + 1);
        return;
    }
    EXPECT_EQ(sequence, QString());
    EXPECT_TRUE(logged(QStringLiteral("no TEF sequence handed out")) && logged(QStringLiteral("still held by ") + holder))
        << m_log.join('\n').toStdString();
    // Once the terminal lets go, numbers go on from the one it took, none skipped back.
    holderNumber = holderTakes();
    EXPECT_EQ(holderNumber, first + 1);
    EXPECT_EQ(devices.GetSequence().toLongLong(), holderNumber + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SequenceContention,
    ::testing::Values(Contention{"LetGoWhileWaiting", test::kHangLimitMs / 4, true},
                      Contention{"HeldPastTheBound", 1500, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel
