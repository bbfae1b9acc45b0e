#include "Waits.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QtDebug>
#include <memory>
#include <optional>
#include <utility>

namespace zel {
namespace waits {
namespace {

struct Policy
{
    bool testBuild = false; // only the test harness switches it on
    std::optional<std::chrono::milliseconds> limit;
    FailureHook hook;
    bool aborted = false;
    int running = 0;
    QList<QPointer<QWidget>> modalForms; // innermost last
    std::chrono::milliseconds safetyPeriod{1000};
};

Policy& policy()
{
    static Policy p;
    return p;
}

constexpr std::chrono::milliseconds kTestLimit{20000};

} // namespace

bool testBuild()
{
    return policy().testBuild;
}

void setTestBuild(bool on)
{
    policy().testBuild = on;
}

std::chrono::milliseconds timeLimit()
{
    auto& p = policy();
    if (p.limit)
        return *p.limit;
    return testBuild() ? kTestLimit : std::chrono::milliseconds{0};
}

std::chrono::milliseconds setSafetyPeriod(std::chrono::milliseconds period)
{
    return std::exchange(policy().safetyPeriod, period);
}

void setTimeLimit(std::chrono::milliseconds limit)
{
    if (limit.count() < 0)
        policy().limit.reset();
    else
        policy().limit = limit;
}

FailureHook setFailureHook(FailureHook hook)
{
    std::swap(policy().hook, hook);
    return hook;
}

void fail(const QString& message)
{
    // A copy: the hook may replace itself while it runs.
    FailureHook hook = policy().hook;
    if (hook)
        hook(message);
    else
        qCritical().noquote() << message;
}

int running()
{
    return policy().running;
}

void abortAll()
{
    policy().aborted = true;
    emit notifier()->abortRequested();
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->wakeUp();
}

void clearAbort()
{
    policy().aborted = false;
}

bool aborted()
{
    return policy().aborted;
}

ModalRun::ModalRun(QWidget* form)
{
    policy().modalForms.append(QPointer<QWidget>(form));
}

ModalRun::~ModalRun()
{
    policy().modalForms.removeLast();
}

QWidget* innermostForm()
{
    const auto& forms = policy().modalForms;
    return forms.isEmpty() ? nullptr : forms.last().data();
}

Notifier* notifier()
{
    static Notifier* n = new Notifier; // lives as long as the process
    return n;
}

} // namespace waits

namespace {

QString describe(const QString& what)
{
    return what.isEmpty() ? QStringLiteral("a wait for the operator") : what;
}

// Counts the waits in progress for the modal forms' time limit.
struct RunningWait
{
    RunningWait() { ++waits::policy().running; }
    ~RunningWait() { --waits::policy().running; }
    RunningWait(const RunningWait&) = delete;
    RunningWait& operator=(const RunningWait&) = delete;
};

void runWait(const std::function<bool()>& condition, const QString& directory, const QString& what,
             WaitEnd end)
{
    const RunningWait counted;
    // The form the wait belongs to: the innermost modal form, when it is on screen as the
    // wait starts.
    QPointer<QWidget> form;
    if (end == WaitEnd::OnConditionOrFormClosed) {
        QWidget* innermost = waits::innermostForm();
        if (innermost && innermost->isVisible())
            form = innermost;
    }
    const bool bound = !form.isNull();
    const auto limit = waits::timeLimit();
    QElapsedTimer elapsed;
    elapsed.start();

    // Timers that fire only wake the loop; the checks below run after every event.
    std::unique_ptr<QTimer> deadline;
    if (limit.count() > 0) {
        deadline = std::make_unique<QTimer>();
        deadline->setSingleShot(true);
        deadline->setTimerType(Qt::PreciseTimer);
        QObject::connect(deadline.get(), &QTimer::timeout, deadline.get(), [&deadline, &elapsed, limit] {
            const qint64 left = limit.count() - elapsed.elapsed();
            if (left > 0)
                deadline->start(int(left) + 1);
        });
        deadline->start(limit);
    }

    std::unique_ptr<QFileSystemWatcher> watcher;
    std::unique_ptr<QTimer> safety;
    if (!directory.isEmpty()) {
        watcher = std::make_unique<QFileSystemWatcher>();
        const auto arm = [&watcher, directory] {
            if (watcher->directories().isEmpty() && QDir(directory).exists())
                watcher->addPath(directory);
        };
        arm();
        safety = std::make_unique<QTimer>();
        safety->setInterval(waits::policy().safetyPeriod);
        QObject::connect(safety.get(), &QTimer::timeout, safety.get(), arm);
        safety->start();
    }

    while (condition()) {
        if (bound && (form.isNull() || !form->isVisible()))
            throw FormClosedWhileWaiting(
                QStringLiteral("%1 ended: its form was closed").arg(describe(what)).toStdString());
        if (waits::aborted())
            throw WaitTimeout(QStringLiteral("%1 was called off").arg(describe(what)).toStdString());
        if (limit.count() > 0 && elapsed.elapsed() >= limit.count()) {
            const QString message =
                QStringLiteral("%1 did not end within %2 ms").arg(describe(what)).arg(limit.count());
            waits::fail(message);
            throw WaitTimeout(message.toStdString());
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

void waitWhile(const std::function<bool()>& condition, const QString& what, WaitEnd end)
{
    runWait(condition, {}, what, end);
}

void waitWhileWatching(const std::function<bool()>& condition, const QString& directory, const QString& what,
                       WaitEnd end)
{
    runWait(condition, directory, what, end);
}

} // namespace zel
