#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>
#include <stdexcept>

namespace zel {

// A wait that ended without what it waited for. It unwinds the handler that waited up to the
// form's error barrier, which shows no error dialog for it: there is nothing for the operator
// to read (the form is gone, or a test failure was reported when it happened).
class WaitCalledOff : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The wait ran out of time in a test build, or was called off because a test already failed.
class WaitTimeout : public WaitCalledOff
{
public:
    using WaitCalledOff::WaitCalledOff;
};

// The form the wait ran in was closed or hidden from outside (by the host, a window manager),
// or destroyed, while the wait ran.
class FormClosedWhileWaiting : public WaitCalledOff
{
public:
    using WaitCalledOff::WaitCalledOff;
};

// What ends a wait that runs in a modal form (see waits::ModalRun) besides its condition.
enum class WaitEnd {
    // Also the form being closed or hidden from outside: the wait throws
    // FormClosedWhileWaiting. What the operator was to type can no longer come.
    OnConditionOrFormClosed,
    // Only the condition: for an exchange with an outside program that already has the
    // request (a card may be charged), whose answer must be read whatever the form does.
    OnCondition,
};

// Nested event loop: dispatches events until `condition` turns false. It sleeps until an
// event arrives (a key, a click, a timer, a posted call), so it never spins. Handlers that
// wait stay re-entrant: the loop dispatches every event, including a second click on the
// button whose handler is waiting, so forms keep their busy flags.
//
// Keys and clicks that arrive together are all dispatched before the condition is looked at
// again, so a condition should test that the state it waits on was left ("the step is no
// longer the client step"), never that one exact next state was reached.
//
// A wait that starts while a modal form runs belongs to the innermost one; unless `end` says
// otherwise it ends when that form is closed, hidden or destroyed.
void waitWhile(const std::function<bool()>& condition, const QString& what = {},
               WaitEnd end = WaitEnd::OnConditionOrFormClosed);

// The same wait, also woken when an entry of `directory` changes (a file appears, is
// renamed or removed), so a condition such as "the response file exists" is checked as soon
// as the file arrives. A slow safety timer re-checks the condition and re-arms the watch when
// the directory did not exist yet or the watch was lost.
void waitWhileWatching(const std::function<bool()>& condition, const QString& directory,
                       const QString& what = {}, WaitEnd end = WaitEnd::OnConditionOrFormClosed);

// Test-build limits. Once the test harness calls setTestBuild(true), every wait and every
// modal TouchForm has a time limit (20 s unless set); when it runs out the failure hook is
// called with a description and the wait throws WaitTimeout. Nothing else switches them on
// (no environment variable or setting): a product run has no limit.
namespace waits {

using FailureHook = std::function<void(const QString& message)>;

bool testBuild();
void setTestBuild(bool on);

std::chrono::milliseconds timeLimit(); // 0: none
// 0: no limit; a negative value brings back the default of the build.
void setTimeLimit(std::chrono::milliseconds limit);

// The period of a watching wait's safety timer (1 s); returns the one it replaces. Tests
// lengthen it to tell a wake by the watch from a wake by the timer.
std::chrono::milliseconds setSafetyPeriod(std::chrono::milliseconds period);

// Returns the hook it replaces. Without a hook the failure is written as a critical message.
FailureHook setFailureHook(FailureHook hook);
void fail(const QString& message);

// How many waits are running, nested in one another.
int running();

// Marks, while it lives, `form` as the innermost modal form running: the waits that start
// meanwhile belong to it. TouchForm::exec keeps one.
class ModalRun
{
public:
    explicit ModalRun(QWidget* form);
    ~ModalRun();
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;
};
// The innermost modal form running; null when none runs, or it is gone.
QWidget* innermostForm();

// Calls off every running wait (they throw WaitTimeout) and closes every modal TouchForm;
// later waits and forms end at once until clearAbort.
void abortAll();
void clearAbort();
bool aborted();

// Emits `abortRequested` when abortAll runs; modal forms listen to it.
class Notifier : public QObject
{
    Q_OBJECT
signals:
    void abortRequested();
};
Notifier* notifier();

} // namespace waits
} // namespace zel
