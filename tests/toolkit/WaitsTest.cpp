#include "toolkit/Waits.h"

#include "support/Eventually.h"
#include "support/Operator.h"
#include "support/ScriptedDialogs.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/TouchForm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
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
class CapturedFailures
{
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
    EXPECT_LT(clock.elapsed(), 15000); // within the test limit of 20 s
}

TEST(Waits, WakeWhenTheWatchedFileAppears)
{
    test::WaitFailureGuard loud;
    QTemporaryDir dir;
    const QString response = dir.filePath(QStringLiteral("intpos.001"));
    const auto safety = waits::setSafetyPeriod(60s);
    writeLater(response, 150ms);
    QElapsedTimer clock;
    clock.start();
    waitWhileWatching([&] { return !QFile::exists(response); }, dir.path(), QStringLiteral("the response"));
    waits::setSafetyPeriod(safety);
    EXPECT_TRUE(QFile::exists(response));
    // Woken by the directory watch, long before the safety timer.
    EXPECT_LT(clock.elapsed(), 30000);
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
    const bool wasTestBuild = waits::testBuild(); // the test main switches it on
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

TEST(Waits, LimitsAreTheHarnessesToSwitchNotTheEnvironments)
{
    // A program that uses the waits without the test harness, run with the variable the
    // limits once obeyed: it has no limit and shows errors as a product does.
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZEL_TEST_BUILD"), QStringLiteral("1"));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(ZEL_LIMITS_PROBE), {});
    ASSERT_TRUE(zel::test::ended(probe));
    EXPECT_EQ(probe.readAllStandardOutput().trimmed().toStdString(), "testBuild=0 limit=0");
}

// A form whose first activation waits for something that never comes, as a dialogue waits
// for the operator; `outside` closes or hides it while it waits.
struct WaitingForm : TouchForm
{
    std::function<void()> wait;
    QString ended;
    void FormActivate() override
    {
        try {
            wait();
            ended = QStringLiteral("returned");
        } catch (const WaitCalledOff& e) {
            ended = QString::fromUtf8(e.what());
            throw;
        }
    }
};

struct FromOutside
{
    const char* how;
    std::function<void(QDialog&)> close;
};

void PrintTo(const FromOutside& row, std::ostream* os)
{
    *os << row.how;
}

class WaitInAForm : public ::testing::TestWithParam<FromOutside>
{
};

TEST_P(WaitInAForm, EndsWhenTheFormIsClosedOrHiddenFromOutside)
{
    test::WaitFailureGuard loud;
    WaitingForm form;
    form.wait = [] { waitWhile([] { return true; }, QStringLiteral("the client code")); };
    QTimer::singleShot(50, &form, [&form] { GetParam().close(form); });
    QElapsedTimer clock;
    clock.start();
    form.exec();
    EXPECT_LT(clock.elapsed(), 15000); // ended by the close, not by the test limit of 20 s
    EXPECT_TRUE(form.ended.contains(QStringLiteral("the client code"))) << form.ended.toStdString();
    EXPECT_EQ(waits::running(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, WaitInAForm,
                         ::testing::Values(FromOutside{"hide", [](QDialog& f) { f.hide(); }},
                                           FromOutside{"close", [](QDialog& f) { f.close(); }},
                                           FromOutside{"reject", [](QDialog& f) { f.reject(); }}),
                         [](const auto& info) { return std::string(info.param.how); });

TEST(WaitInAForm, AnExchangeWithAnOutsideProgramGoesOnWhenTheFormCloses)
{
    test::WaitFailureGuard loud;
    WaitingForm form;
    bool answered = false;
    form.wait = [&answered] {
        waitWhile([&answered] { return !answered; }, QStringLiteral("the response"), WaitEnd::OnCondition);
    };
    QTimer::singleShot(30, &form, [&form] { form.hide(); });
    QTimer::singleShot(120, [&answered] { answered = true; });
    form.exec();
    EXPECT_EQ(form.ended, QStringLiteral("returned"));
}

TEST(WaitInAForm, AnInnerFormsWaitBelongsToTheInnerForm)
{
    // The outer form stays open while the inner one is closed: only the inner wait ends.
    test::WaitFailureGuard loud;
    WaitingForm outer;
    bool innerClosed = false;
    outer.wait = [&] {
        WaitingForm inner;
        inner.wait = [] { waitWhile([] { return true; }, QStringLiteral("the inner code")); };
        QTimer::singleShot(30, &inner, [&inner] { inner.close(); });
        inner.exec();
        innerClosed = !inner.ended.isEmpty() && inner.ended != QStringLiteral("returned");
        QTimer::singleShot(30, &outer, [&outer] { outer.close(); });
        waitWhile([] { return true; }, QStringLiteral("the outer code"));
    };
    outer.exec();
    EXPECT_TRUE(innerClosed);
    EXPECT_TRUE(outer.ended.contains(QStringLiteral("the outer code")));
}

} // namespace
} // namespace zel
