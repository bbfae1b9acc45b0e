#include "support/Operator.h"
#include "support/ScriptedDialogs.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/Waits.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zel {
namespace {

using namespace std::chrono_literals;

// Writes a file from another thread after a delay: nothing in the waiting thread's event
// queue announces it.
void writeLater(const QString& path, std::chrono::milliseconds delay, bool makeDir = false)
{
    std::thread([path, delay, makeDir] {
        std::this_thread::sleep_for(delay);
        if (makeDir)
            QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("000-000 = CRT\n");
    }).detach();
}

// Captures wait failures instead of failing the test, and puts the policy back.
class CapturedFailures {
public:
    CapturedFailures()
    {
        m_previous = waits::setFailureHook([this](const QString& m) { messages.append(m); });
    }
    ~CapturedFailures()
    {
        waits::setFailureHook(m_previous);
        waits::setTimeLimit(-1ms);
        waits::clearAbort();
    }
    QStringList messages;

private:
    waits::FailureHook m_previous;
};

TEST(Waits, WakeOnAnEvent)
{
    test::WaitFailureGuard loud;
    bool waiting = true;
    QTimer::singleShot(30, [&] { waiting = false; });
    QElapsedTimer clock;
    clock.start();
    waitWhile([&] { return waiting; }, QStringLiteral("the test timer"));
    EXPECT_FALSE(waiting);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(Waits, WakeWhenTheWatchedFileAppears)
{
    test::WaitFailureGuard loud;
    QTemporaryDir dir;
    const QString response = dir.filePath(QStringLiteral("intpos.001"));
    writeLater(response, 150ms);
    QElapsedTimer clock;
    clock.start();
    waitWhileWatching([&] { return !QFile::exists(response); }, dir.path(), QStringLiteral("the response"));
    EXPECT_TRUE(QFile::exists(response));
    // Woken by the directory watch, well before the one-second safety timer.
    EXPECT_LT(clock.elapsed(), 900);
}

TEST(Waits, WatchADirectoryThatAppearsLater)
{
    test::WaitFailureGuard loud;
    QTemporaryDir dir;
    const QString response = dir.filePath(QStringLiteral("resp/intpos.001"));
    writeLater(response, 100ms, true);
    waitWhileWatching([&] { return !QFile::exists(response); }, QFileInfo(response).path(),
                      QStringLiteral("the response"));
    EXPECT_TRUE(QFile::exists(response));
}

TEST(Waits, RunOutOfTimeInTestBuilds)
{
    CapturedFailures failures;
    waits::setTimeLimit(100ms);
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(waitWhile([] { return true; }, QStringLiteral("the TEF response")), WaitTimeout);
    EXPECT_GE(clock.elapsed(), 100);
    ASSERT_EQ(failures.messages.size(), 1);
    EXPECT_TRUE(failures.messages[0].contains(QStringLiteral("the TEF response")));
}

TEST(Waits, HaveNoLimitOutsideTestBuilds)
{
    const bool wasTestBuild = waits::testBuild(); // CTest sets ZEL_TEST_BUILD=1
    waits::setTestBuild(true);
    EXPECT_EQ(waits::timeLimit(), 20000ms);
    waits::setTestBuild(false);
    EXPECT_EQ(waits::timeLimit(), 0ms);
    waits::setTestBuild(wasTestBuild);
}

TEST(Waits, AbortCallsOffARunningWait)
{
    CapturedFailures failures;
    QTimer::singleShot(20, [] { waits::abortAll(); });
    EXPECT_THROW(waitWhile([] { return true; }), WaitTimeout);
    EXPECT_TRUE(failures.messages.isEmpty());
}

TEST(Waits, ATimedOutWaitInAHandlerShowsNoErrorDialog)
{
    test::ScopedScriptedDialogs dialogs; // fails the test on any dialog
    CapturedFailures failures;
    waits::setTimeLimit(50ms);
    EXPECT_FALSE(guard([] { waitWhile([] { return true; }); }));
    EXPECT_EQ(failures.messages.size(), 1);
    EXPECT_TRUE(dialogs->records().isEmpty());
}

} // namespace
} // namespace zel
