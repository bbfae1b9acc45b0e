#pragma once

#include "toolkit/Waits.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

class QWidget;

namespace zel::test {

// While it lives, a wait that runs out of time, or a modal form left open too long, fails the
// current test with the wait's description and calls off every wait and modal form, so the
// test ends instead of hanging.
class WaitFailureGuard
{
public:
    WaitFailureGuard();
    ~WaitFailureGuard();
    WaitFailureGuard(const WaitFailureGuard&) = delete;
    WaitFailureGuard& operator=(const WaitFailureGuard&) = delete;

private:
    waits::FailureHook m_previous;
};

// A scripted operator. The test queues actions, calls start(), then runs the code that shows
// the form; the actions run one after another from the event loop while the form waits inside
// its nested loops, each on the active modal form (else the active window). An action whose
// control is not there yet is retried until `findTime` has passed, then fails the test with
// the control's name; any failure calls off the remaining actions, the waits and the modal
// forms.
class Operator : public QObject
{
    Q_OBJECT
public:
    explicit Operator(std::chrono::milliseconds findTime = std::chrono::milliseconds(20000));
    ~Operator() override;

    // Clicks the control named `name` on the active form; it must be visible and enabled.
    Operator& click(const QString& name);
    // Touches the control whatever its state (a disabled control ignores it).
    Operator& tap(const QString& name);
    // Types `text` as physical keys on the active form.
    Operator& type(const QString& text);
    // Presses one physical key on the active form.
    Operator& press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Answers the message dialog on screen by touching the button of `answer` (mrYes, mrNo,
    // mrOk, mrExtra).
    Operator& answer(int answer);
    // Waits, without acting, until `condition` holds; `patience` 0: the wait time limit.
    Operator& waitUntil(std::function<bool()> condition, const QString& what,
                        std::chrono::milliseconds patience = std::chrono::milliseconds(0));
    // Runs `action` as a step of the script.
    Operator& run(std::function<void()> action, const QString& what = QStringLiteral("step"));

    void start();
    bool finished() const { return m_actions.isEmpty(); }
    bool failed() const { return m_failed; }
    // The steps done so far, in order.
    const QStringList& log() const { return m_log; }

    // The form an operator acts on: the active modal widget, else the active window, else the
    // visible top-level widget shown last.
    static QWidget* activeForm();
    // The control named `name` on the active form (the form itself when it has that name).
    static QWidget* findControl(const QString& name);

private:
    // A step: `ready` checks, without acting, whether it can run now (and says why not);
    // `act` does it, and may block in a modal form or a nested wait.
    struct Action
    {
        QString what;
        std::function<bool(QString& why)> ready;
        std::function<void()> act;
        std::chrono::milliseconds patience;
        qint64 firstTry = -1;
    };

    Operator& add(QString what, std::function<bool(QString& why)> ready, std::function<void()> act,
                  std::chrono::milliseconds patience = std::chrono::milliseconds(-1));
    void schedule(int delayMs);
    void tick();
    void fail(const QString& message);

    QList<Action> m_actions;
    QStringList m_log;
    std::chrono::milliseconds m_findTime;
    bool m_started = false;
    bool m_failed = false;
    WaitFailureGuard m_guard;
};

} // namespace zel::test
