#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <stdexcept>

namespace zel {

// A wait for the operator that ran out of time in a test build, or was called off because a
// test already failed. It unwinds the handler that waited up to the form's error barrier,
// which does not show it as an error dialog: the failure was reported when it happened.
class WaitTimeout : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Nested event loop: dispatches events until `condition` turns false. It sleeps until an
// event arrives (a key, a click, a timer, a posted call), so it never spins. Handlers that
// wait stay re-entrant: the loop dispatches every event, including a second click on the
// button whose handler is waiting, so forms keep their busy flags.
void waitWhile(const std::function<bool()>& condition, const QString& what = {});

// The same wait, also woken when an entry of `directory` changes (a file appears, is
// renamed or removed), so a condition such as "the response file exists" is checked as soon
// as the file arrives. A slow safety timer re-checks the condition and re-arms the watch when
// the directory did not exist yet or the watch was lost.
void waitWhileWatching(const std::function<bool()>& condition, const QString& directory,
                       const QString& what = {});

// Test-build limits. With ZEL_TEST_BUILD=1 in the environment every wait, and every modal
// TouchForm, has a time limit (20 s unless set); when it runs out the failure hook is called
// with a description and the wait throws WaitTimeout. Outside test builds there is no limit.
namespace waits {

using FailureHook = std::function<void(const QString& message)>;

bool testBuild();
void setTestBuild(bool on);

std::chrono::milliseconds timeLimit(); // 0: none
// 0: no limit; a negative value brings back the default of the build.
void setTimeLimit(std::chrono::milliseconds limit);

// Returns the hook it replaces. Without a hook the failure is written as a critical message.
FailureHook setFailureHook(FailureHook hook);
void fail(const QString& message);

// How many waits are running, nested in one another.
int running();

// Calls off every running wait (they throw WaitTimeout) and closes every modal TouchForm;
// later waits and forms end at once until clearAbort.
void abortAll();
void clearAbort();
bool aborted();

// Emits `abortRequested` when abortAll runs; modal forms listen to it.
class Notifier : public QObject {
    Q_OBJECT
signals:
    void abortRequested();
};
Notifier* notifier();

} // namespace waits
} // namespace zel
