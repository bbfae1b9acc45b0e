#pragma once

#include "text/Result.h"

#include <QDate>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

namespace zel::demo {

// One line of an operator script.
struct ScriptAction
{
    enum Kind { Click, Key, Type, Answer, Wait, Screenshot, Screen, Expect, Await };
    Kind kind;
    QString target; // control name, key name, text, answer, file
    QString text;   // Expect: the text the control must show
    int number = 0; // Answer: the answer; Wait: milliseconds
    int line = 0;
};

// Parses a script: one action a line, "#" starts a comment.
//   click <control>        touch the control with that object name
//   key <name>             press a key: Enter, Escape, Backspace, Delete, PageUp, PageDown,
//                          Up, Down, Tab, Space, or a single character
//   type <text>            type the text as physical keys, one key per character
//   answer <n>             answer the next dialog: 1 OK, 6 Yes, 7 No, 100 the extra button
//   wait <ms>              let the form run for a while
//   await <control>        wait until the control is on the screen and can be touched (a card
//                          exchange or a printer step has ended), however long that takes
//   screenshot <file.png>  save a picture of the window in front
//   screen <file.png>      save a picture of the whole screen, every window where it stands
//   expect <control> <text>  stop with an error unless the control shows the text (within
//                          the few seconds a control is looked for)
//   In a `type` text, {today+N} (or {today-N}) stands for the date N days from `today` as a
//   cheque date is typed, ddMMyy, so a sample's dates stay near the day it runs.
Result<QList<ScriptAction>> parseScript(const QString& text, const QDate& today = QDate::currentDate());

// Runs a script against whatever window is in front while the module's forms run modally:
// each action is taken from the event loop once the previous one is done, so actions run
// inside the forms' nested waits as an operator's touches would.
class OperatorScript : public QObject
{
    Q_OBJECT
public:
    using AnswerSink = std::function<void(int)>;

    OperatorScript(QList<ScriptAction> actions, AnswerSink answers, QString screenshotDir,
                   QObject* parent = nullptr);

    void start(int stepMs = 40);
    // Every action ran; an "await !control" left at the end counts once the control is gone (the
    // receipt may close with it, before the script's timer looks again).
    bool finished() const;
    QStringList errors() const { return m_errors; }
    QStringList screenshots() const { return m_screenshots; }

signals:
    void failed(const QString& message);
    void done();

private:
    void step();
    bool run(const ScriptAction& action);
    void fail(const ScriptAction& action, const QString& message);

    static constexpr qint64 kFindTimeMs = 3000;
    // How long "await" waits: only a form that never gives the control back reaches it.
    static constexpr qint64 kAwaitTimeMs = 120000;

    QList<ScriptAction> m_actions;
    QElapsedTimer m_searching;
    AnswerSink m_answers;
    QString m_screenshotDir;
    qsizetype m_next = 0;
    QTimer m_timer;
    QStringList m_errors;
    QStringList m_screenshots;
};

// The widget with that object name in the window in front (the active modal widget first,
// then every visible top-level window); nullptr when there is none.
QWidget* findControl(const QString& name);
// On the screen and answering touches: shown, enabled, in an enabled window.
bool touchable(const QWidget* control);

// Starts noting the order in which windows come to the front (shown or activated); windows
// that came before it count as the back-most. The host calls it before any window opens.
void watchWindowStack();
// The visible top-level windows in stacking order, the top-most last: the modal window in
// front, the others as they last came to the front. With `plainWindowsOnly`, dialogs and
// notices are left out.
QList<QWidget*> windowsBackToFront(bool plainWindowsOnly = false);

// The whole screen as the operator sees it: every visible top-level window drawn where it
// stands, in stacking order, on the desktop's grey. Made from the windows' own pictures,
// so it needs no screen-grabbing tool and works offscreen too.
// With `plainWindowsOnly`, dialogs and notices still on the screen are left out.
QImage screenPicture(bool plainWindowsOnly = false);
// Saves screenPicture() to `path`, making its folder; false when it cannot be written.
bool saveScreenPicture(const QString& path, bool plainWindowsOnly = false);

} // namespace zel::demo
