#include "Operator.h"

#include "dialogs/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace zel::test {
namespace {

QElapsedTimer& clock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}

constexpr int kRetryMs = 10;

QString formName(const QWidget* form)
{
    if (!form)
        return QStringLiteral("(no form on screen)");
    return form->objectName().isEmpty() ? QString::fromUtf8(form->metaObject()->className())
                                        : form->objectName();
}

QWidget* keyTarget()
{
    QWidget* form = Operator::activeForm();
    if (!form)
        return nullptr;
    QWidget* focus = form->focusWidget();
    return focus ? focus : form;
}

} // namespace

WaitFailureGuard::WaitFailureGuard()
{
    waits::clearAbort();
    m_previous = waits::setFailureHook([](const QString& message) {
        ADD_FAILURE() << message.toStdString();
        waits::abortAll();
    });
}

WaitFailureGuard::~WaitFailureGuard()
{
    waits::setFailureHook(m_previous);
    waits::clearAbort();
}

Operator::Operator(std::chrono::milliseconds findTime) : m_findTime(findTime)
{
    clock();
}

Operator::~Operator()
{
    if (!m_failed && !m_actions.isEmpty()) {
        QStringList left;
        for (const Action& a : m_actions)
            left.append(a.what);
        ADD_FAILURE() << "operator steps never run: " << left.join(QStringLiteral(", ")).toStdString();
    }
}

QWidget* Operator::activeForm()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    QWidget* last = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
            last = w;
    }
    return last;
}

QWidget* Operator::findControl(const QString& name)
{
    QWidget* form = activeForm();
    if (!form)
        return nullptr;
    if (form->objectName() == name)
        return form;
    return form->findChild<QWidget*>(name);
}

Operator& Operator::add(QString what, std::function<bool(QString& why)> ready, std::function<void()> act,
                        std::chrono::milliseconds patience)
{
    m_actions.append(
        {std::move(what), std::move(ready), std::move(act), patience.count() < 0 ? m_findTime : patience});
    return *this;
}

namespace {

// Finds a control for a step; `usable` also asks for it to be visible and enabled.
bool findFor(const QString& name, bool usable, QString& why)
{
    QWidget* control = Operator::findControl(name);
    if (!control) {
        why = QStringLiteral("no control named \"%1\" on %2").arg(name, formName(Operator::activeForm()));
        return false;
    }
    if (usable && (!control->isVisible() || !control->isEnabled())) {
        why = QStringLiteral("control \"%1\" on %2 is %3")
                  .arg(name, formName(Operator::activeForm()),
                       control->isVisible() ? QStringLiteral("disabled") : QStringLiteral("hidden"));
        return false;
    }
    return true;
}

void touch(QWidget* control)
{
    if (control)
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

bool haveKeyTarget(QString& why)
{
    if (keyTarget())
        return true;
    why = QStringLiteral("no form on screen to take keys");
    return false;
}

} // namespace

Operator& Operator::click(const QString& name)
{
    return add(
        QStringLiteral("click %1").arg(name), [name](QString& why) { return findFor(name, true, why); },
        [name] { touch(findControl(name)); });
}

Operator& Operator::tap(const QString& name)
{
    return add(
        QStringLiteral("tap %1").arg(name), [name](QString& why) { return findFor(name, false, why); },
        [name] { touch(findControl(name)); });
}

Operator& Operator::type(const QString& text)
{
    return add(QStringLiteral("type \"%1\"").arg(text), haveKeyTarget, [text] {
        if (QWidget* target = keyTarget())
            QTest::keyClicks(target, text);
    });
}

Operator& Operator::press(int key, Qt::KeyboardModifiers modifiers)
{
    return add(QStringLiteral("press key 0x%1").arg(key, 0, 16), haveKeyTarget, [key, modifiers] {
        if (QWidget* target = keyTarget())
            QTest::keyClick(target, Qt::Key(key), modifiers);
    });
}

Operator& Operator::answer(int answer)
{
    QString name;
    switch (answer) {
    case mrYes:
        name = QStringLiteral("tcbYes");
        break;
    case mrNo:
        name = QStringLiteral("tcbNo");
        break;
    case mrOk:
        name = QStringLiteral("tcbOk");
        break;
    case mrExtra:
        name = QStringLiteral("tcbExtra");
        break;
    default:
        break;
    }
    const auto button = [name]() -> QAbstractButton* {
        QWidget* form = activeForm();
        if (!form || form->objectName() != QLatin1String("frmTouchMessageDlg") || name.isEmpty())
            return nullptr;
        return form->findChild<QAbstractButton*>(name);
    };
    return add(
        QStringLiteral("answer %1").arg(answer),
        [button, answer](QString& why) {
            if (button())
                return true;
            why = QStringLiteral("no message dialog offering answer %1 on screen (found %2)")
                      .arg(answer)
                      .arg(formName(activeForm()));
            return false;
        },
        [button] { touch(button()); });
}

Operator& Operator::waitUntil(std::function<bool()> condition, const QString& what,
                              std::chrono::milliseconds patience)
{
    auto limit = waits::timeLimit().count() > 0 ? waits::timeLimit() : std::chrono::milliseconds(20000);
    if (patience.count() > 0)
        limit = patience;
    return add(
        QStringLiteral("wait until %1").arg(what),
        [condition = std::move(condition), what](QString& why) {
            if (condition())
                return true;
            why = QStringLiteral("it did not happen");
            return false;
        },
        [] {}, limit);
}

Operator& Operator::run(std::function<void()> action, const QString& what)
{
    return add(
        what, [](QString&) { return true; }, std::move(action));
}

void Operator::start()
{
    if (m_started)
        return;
    m_started = true;
    schedule(0);
}

void Operator::schedule(int delayMs)
{
    QTimer::singleShot(delayMs, this, &Operator::tick);
}

void Operator::tick()
{
    if (m_failed || m_actions.isEmpty())
        return;
    Action& action = m_actions.front();
    if (action.firstTry < 0)
        action.firstTry = clock().elapsed();
    QString why;
    if (!action.ready(why)) {
        if (clock().elapsed() - action.firstTry >= action.patience.count())
            fail(QStringLiteral("operator step \"%1\" failed: %2").arg(action.what, why));
        else
            schedule(kRetryMs);
        return;
    }
    Action step = m_actions.takeFirst();
    m_log.append(step.what);
    // The next step is scheduled before this one acts: when it opens a modal form or a nested
    // wait, the script goes on inside it.
    schedule(0);
    step.act();
}

void Operator::fail(const QString& message)
{
    m_failed = true;
    m_actions.clear();
    ADD_FAILURE() << message.toStdString();
    waits::abortAll();
}

} // namespace zel::test
