// The TEF sequence counter while another terminal (a separate process) holds its lock: the
// number is waited for as long as the terminal holds it, up to the configured bound; past the
// bound no number is handed out and the log says who held it.

#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"
#include "support/Eventually.h"

#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

namespace zel {
namespace {

QStringList g_devicesLog; // what was logged under "zel.devices"
QtMessageHandler g_previousHandler = nullptr;

void keepDevicesLog(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (context.category && qstrcmp(context.category, "zel.devices") == 0)
        g_devicesLog << text;
    g_previousHandler(type, context, text);
}

struct Contention
{
    const char* name;
    int sequenceTimeoutMs;
    bool letGoWhileWaiting; // the holder takes its number and lets go once the wait is logged
};

class SequenceContention : public ::testing::TestWithParam<Contention>
{
protected:
    void SetUp() override
    {
        g_devicesLog.clear();
        g_previousHandler = qInstallMessageHandler(keepDevicesLog);
    }
    void TearDown() override
    {
        qInstallMessageHandler(g_previousHandler);
        m_holder.closeWriteChannel(); // a holder still waiting lets go
        EXPECT_TRUE(test::ended(m_holder));
    }

    static bool logged(const QString& text) { return g_devicesLog.join(QLatin1Char('\n')).contains(text); }

    // Tells the holder to take its number and let go; the number it took.
    qint64 holderTakes()
    {
        m_holder.write("take\n");
        EXPECT_TRUE(test::awaitOutput(m_holder, m_said, "took ") && test::ended(m_holder))
            << m_said.toStdString();
        return (m_said + m_holder.readAll()).mid(m_said.indexOf("took ") + 5).trimmed().toLongLong();
    }

    QTemporaryDir m_dir;
    QProcess m_holder;
    QByteArray m_said;
};

TEST_P(SequenceContention, WaitsForTheHolderUpToTheBoundAndSaysWhyItGaveUp)
{
    SimulatorConfig config = simtest::config(m_dir);
    config.tef.sequenceTimeoutMs = GetParam().sequenceTimeoutMs;
    SimulatedPeripherals devices(config);
    const qint64 first = devices.GetSequence().toLongLong();
    m_holder.start(QStringLiteral(ZEL_SEQUENCE_HOLDER), {config.stateDir});
    ASSERT_TRUE(test::awaitOutput(m_holder, m_said, "locked")) << m_said.toStdString();
    const QString holder = QStringLiteral("held by process %1").arg(m_holder.processId());

    // The holder lets go once this terminal says that it waits, while the wait goes on.
    qint64 holderNumber = 0;
    QTimer letGo;
    QObject::connect(&letGo, &QTimer::timeout, [&] {
        if (holderNumber == 0 && logged(QStringLiteral("waiting up to")))
            holderNumber = holderTakes();
    });
    if (GetParam().letGoWhileWaiting)
        letGo.start(10);
    const QString sequence = devices.GetSequence();
    letGo.stop();

    if (GetParam().letGoWhileWaiting) {
        EXPECT_TRUE(logged(holder)) << g_devicesLog.join('\n').toStdString();
        EXPECT_EQ(holderNumber, first + 1);
        EXPECT_EQ(sequence.toLongLong(), holderNumber + 1) << "the counter goes on from the holder's number";
        return;
    }
    EXPECT_EQ(sequence, QString());
    EXPECT_TRUE(logged(QStringLiteral("no TEF sequence handed out")) &&
                logged(QStringLiteral("still ") + holder))
        << g_devicesLog.join('\n').toStdString();
    // Once the terminal lets go, numbers go on from the one it took.
    holderNumber = holderTakes();
    EXPECT_EQ(holderNumber, first + 1);
    EXPECT_EQ(devices.GetSequence().toLongLong(), holderNumber + 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SequenceContention,
                         ::testing::Values(Contention{"LetGoWhileWaiting", test::kHangLimitMs / 4, true},
                                           Contention{"HeldPastTheBound", 1500, false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zel
