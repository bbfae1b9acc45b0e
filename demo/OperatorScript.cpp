#include "OperatorScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace zel::demo {

namespace {

struct NamedKey
{
    const char* name;
    Qt::Key key;
    const char* text;
};

const NamedKey kKeys[] = {
    {"Enter", Qt::Key_Return, "\r"},
    {"Escape", Qt::Key_Escape, "\x1b"},
    {"Backspace", Qt::Key_Backspace, "\b"},
    {"Delete", Qt::Key_Delete, ""},
    {"PageUp", Qt::Key_PageUp, ""},
    {"PageDown", Qt::Key_PageDown, ""},
    {"Up", Qt::Key_Up, ""},
    {"Down", Qt::Key_Down, ""},
    {"Tab", Qt::Key_Tab, "\t"},
    {"Space", Qt::Key_Space, " "},
};

// The key a physical keyboard reports for a character.
Qt::Key keyForChar(QChar c)
{
    const QChar upper = c.toUpper();
    if ((upper >= u'A' && upper <= u'Z') || (c >= u'0' && c <= u'9'))
        return static_cast<Qt::Key>(upper.unicode());
    switch (c.unicode()) {
    case ',':
        return Qt::Key_Comma;
    case '.':
        return Qt::Key_Period;
    case ' ':
        return Qt::Key_Space;
    case '-':
        return Qt::Key_Minus;
    case '/':
        return Qt::Key_Slash;
    default:
        return Qt::Key_unknown;
    }
}

QWidget* front()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const auto tops = QApplication::topLevelWidgets();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if ((*it)->isVisible() && (*it)->isWindow())
            return *it;
    return nullptr;
}

// Physical keys go where the keyboard's focus is, or to the window in front.
void sendKey(Qt::Key key, const QString& text)
{
    QWidget* target = QApplication::focusWidget();
    QWidget* window = front();
    if (!target || (window && target->window() != window))
        target = window;
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

QString shownText(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        return memo->toPlainText();
    return w->property("text").toString();
}

// Counts, for each top-level window, the last time it came to the front: shown or activated.
// The later, the higher it stands on the screen. Lives as long as the application.
class WindowStack : public QObject
{
public:
    static WindowStack& watch()
    {
        static QPointer<WindowStack> stack;
        if (!stack) {
            stack = new WindowStack(qApp);
            qApp->installEventFilter(stack);
        }
        return *stack;
    }

    qint64 rank(const QWidget* window) const { return m_ranks.value(window, 0); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::WindowActivate:
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
                m_ranks.insert(watched, ++m_count);
            break;
        case QEvent::Destroy:
            m_ranks.remove(watched);
            break;
        default:
            break;
        }
        return false;
    }

private:
    using QObject::QObject;
    QHash<const QObject*, qint64> m_ranks;
    qint64 m_count = 0;
};

} // namespace

void watchWindowStack()
{
    WindowStack::watch();
}

QList<QWidget*> windowsBackToFront(bool plainWindowsOnly)
{
    const WindowStack& stack = WindowStack::watch();
    QWidget* modal = QApplication::activeModalWidget();
    QList<QWidget*> windows;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->isWindow() && (!plainWindowsOnly || top->windowType() == Qt::Window))
            windows.append(top);
    // The modal window in front of all; the others as they last came to the front.
    std::stable_sort(windows.begin(), windows.end(), [&](const QWidget* a, const QWidget* b) {
        const bool aModal = a == modal, bModal = b == modal;
        if (aModal != bModal)
            return bModal;
        return stack.rank(a) < stack.rank(b);
    });
    return windows;
}

QWidget* findControl(const QString& name)
{
    QList<QWidget*> windows;
    if (QWidget* f = front())
        windows.append(f);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && !windows.contains(top))
            windows.append(top);
    for (QWidget* window : windows) {
        if (window->objectName() == name)
            return window;
        if (auto* w = window->findChild<QWidget*>(name))
            return w;
    }
    return nullptr;
}

// A window behind the modal window in front takes no touch, as on the screen: only the modal
// window and the windows opened over it (a notice) answer. A touch the script sent there would
// start, inside the modal window's wait, what the operator could not have started.
bool behindModal(const QWidget* control)
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    for (const QWidget* w = control->window(); w; w = w->parentWidget())
        if (w == modal)
            return false;
    return true;
}

bool touchable(const QWidget* control)
{
    return control && control->isVisible() && control->isEnabled() && control->window()->isEnabled() &&
           !behindModal(control);
}

// What `await` waits for: "name" until the control can be touched, "!name" until it is no longer
// on the screen (a dialog that closes by itself, such as the Pix dialog once the charge is paid).
bool awaited(const QString& target)
{
    if (target.startsWith(u'!')) {
        const QWidget* control = findControl(target.mid(1));
        return !control || !control->isVisible();
    }
    return touchable(findControl(target));
}

QImage screenPicture(bool plainWindowsOnly)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    QImage picture(screen->geometry().size(), QImage::Format_RGB32);
    picture.fill(QColor(0x5f, 0x6b, 0x73));
    QPainter painter(&picture);
    for (QWidget* window : windowsBackToFront(plainWindowsOnly))
        painter.drawPixmap(window->geometry().topLeft() - screen->geometry().topLeft(), window->grab());
    return picture;
}

bool saveScreenPicture(const QString& path, bool plainWindowsOnly)
{
    const QImage picture = screenPicture(plainWindowsOnly);
    if (picture.isNull())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return picture.save(path);
}

namespace {

// {today+N} / {today-N} in a typed text, as the date N days away, ddMMyy.
QString expandDates(const QString& text, const QDate& today)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{today([+-]\\d{1,5})?\\}"));
    QString out;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        out += today.addDays(m.captured(1).toInt()).toString(QStringLiteral("ddMMyy"));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

} // namespace

Result<QList<ScriptAction>> parseScript(const QString& text, const QDate& today)
{
    QList<ScriptAction> actions;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype space = trimmed.indexOf(u' ');
        const QString verb = space < 0 ? trimmed : trimmed.left(space);
        // "type" keeps its text as written, blanks included.
        const QString rest = space < 0 ? QString() : trimmed.mid(space + 1);
        const auto bad = [&](const QString& why) {
            return Error{QStringLiteral("script line %1: %2: %3").arg(i + 1).arg(why, trimmed)};
        };
        ScriptAction a{ScriptAction::Click, rest, {}, 0, i + 1};
        if (verb == QLatin1String("click")) {
            a.kind = ScriptAction::Click;
        } else if (verb == QLatin1String("key")) {
            a.kind = ScriptAction::Key;
            bool known = rest.size() == 1;
            for (const NamedKey& k : kKeys)
                known = known || rest == QLatin1String(k.name);
            if (!known)
                return bad(QStringLiteral("unknown key"));
        } else if (verb == QLatin1String("type")) {
            a.kind = ScriptAction::Type;
            a.target = expandDates(rest, today);
        } else if (verb == QLatin1String("answer") || verb == QLatin1String("wait")) {
            a.kind = verb == QLatin1String("answer") ? ScriptAction::Answer : ScriptAction::Wait;
            bool ok = false;
            a.number = rest.toInt(&ok);
            if (!ok || a.number < 0)
                return bad(QStringLiteral("expected a number"));
        } else if (verb == QLatin1String("screenshot")) {
            a.kind = ScriptAction::Screenshot;
        } else if (verb == QLatin1String("screen")) {
            a.kind = ScriptAction::Screen;
        } else if (verb == QLatin1String("await")) {
            a.kind = ScriptAction::Await;
        } else if (verb == QLatin1String("expect")) {
            a.kind = ScriptAction::Expect;
            const qsizetype gap = rest.indexOf(u' ');
            a.target = gap < 0 ? rest : rest.left(gap);
            a.text = gap < 0 ? QString() : rest.mid(gap + 1);
        } else {
            return bad(QStringLiteral("unknown action"));
        }
        // Every action names what it acts on; an expectation may expect an empty text, but
        // of a named control (an empty name would match whichever control came first).
        if (a.target.isEmpty())
            return bad(QStringLiteral("missing argument"));
        actions.append(a);
    }
    return actions;
}

OperatorScript::OperatorScript(QList<ScriptAction> actions, AnswerSink answers, QString screenshotDir,
                               QObject* parent)
    : QObject(parent), m_actions(std::move(actions)), m_answers(std::move(answers)),
      m_screenshotDir(std::move(screenshotDir))
{
    watchWindowStack();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &OperatorScript::step);
}

void OperatorScript::start(int stepMs)
{
    m_timer.setInterval(stepMs);
    m_timer.start();
}

void OperatorScript::fail(const ScriptAction& action, const QString& message)
{
    const QString text = QStringLiteral("script line %1: %2").arg(action.line).arg(message);
    m_errors.append(text);
    m_next = m_actions.size();
    emit failed(text);
}

bool OperatorScript::finished() const
{
    for (qsizetype i = m_next; i < m_actions.size(); ++i) {
        const ScriptAction& a = m_actions.at(i);
        if (a.kind != ScriptAction::Await || !a.target.startsWith(u'!') || !awaited(a.target))
            return false;
    }
    return true;
}

void OperatorScript::step()
{
    if (m_next >= m_actions.size()) {
        emit done();
        return;
    }
    const ScriptAction action = m_actions.at(m_next);
    // A control that is not on the screen yet (a form still opening, a dialog on its way) is
    // looked for again for a while before the script gives up on it.
    // An expected text still on its way (a card exchange still running) is looked for again too.
    const bool needsControl = action.kind == ScriptAction::Click || action.kind == ScriptAction::Expect;
    QWidget* control = needsControl ? findControl(action.target) : nullptr;
    const bool notYet = action.kind == ScriptAction::Expect && control && shownText(control) != action.text;
    const bool awaiting = action.kind == ScriptAction::Await && !awaited(action.target);
    if ((needsControl && !control) || notYet || awaiting) {
        if (!m_searching.isValid())
            m_searching.start();
        if (m_searching.elapsed() < (action.kind == ScriptAction::Await ? kAwaitTimeMs : kFindTimeMs)) {
            m_timer.start(m_timer.interval());
            return;
        }
    }
    m_searching.invalidate();
    ++m_next;
    int delay = m_timer.interval();
    if (action.kind == ScriptAction::Wait)
        delay = action.number;
    // The next step is due before this one runs: a touch may start a wait for the operator
    // (an amount prompt) that returns only when later steps have answered it. After the last
    // action the timer still fires once, to say the script is done: a last touch that opened
    // a prompt or a form is left open for the watchdog, not waited for.
    m_timer.start(delay);
    if (!run(action))
        m_timer.stop();
}

bool OperatorScript::run(const ScriptAction& a)
{
    switch (a.kind) {
    case ScriptAction::Click: {
        QWidget* w = findControl(a.target);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (!button) {
            fail(a, w ? QStringLiteral("\"%1\" is not a button").arg(a.target)
                      : QStringLiteral("no control named \"%1\" on the screen").arg(a.target));
            return false;
        }
        // A disabled control, or one behind a modal window, ignores the touch, as on the screen.
        if (!button->isEnabled() || !button->window()->isEnabled() || behindModal(button))
            return true;
        button->click();
        return true;
    }
    case ScriptAction::Key: {
        if (a.target.size() == 1) {
            sendKey(keyForChar(a.target.front()), a.target);
            return true;
        }
        for (const NamedKey& k : kKeys)
            if (a.target == QLatin1String(k.name))
                sendKey(k.key, QString::fromLatin1(k.text));
        return true;
    }
    case ScriptAction::Type:
        for (QChar c : a.target)
            sendKey(keyForChar(c), QString(c));
        return true;
    case ScriptAction::Answer:
        m_answers(a.number);
        return true;
    case ScriptAction::Wait:
        return true;
    case ScriptAction::Await:
        if (!awaited(a.target)) {
            fail(a, a.target.startsWith(u'!')
                        ? QStringLiteral("\"%1\" never went away").arg(a.target.mid(1))
                        : QStringLiteral("\"%1\" never became touchable").arg(a.target));
            return false;
        }
        return true;
    case ScriptAction::Screenshot:
    case ScriptAction::Screen: {
        // The window in front, or the whole screen with every window where it stands.
        QImage picture;
        if (a.kind == ScriptAction::Screen) {
            picture = screenPicture();
        } else if (QWidget* w = front()) {
            picture = w->grab().toImage();
        } else {
            fail(a, QStringLiteral("no window to take a picture of"));
            return false;
        }
        const QString path = QDir(m_screenshotDir).filePath(a.target); // an absolute target as it is
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (picture.isNull() || !picture.save(path)) {
            fail(a, QStringLiteral("could not write %1").arg(path));
            return false;
        }
        m_screenshots.append(path);
        return true;
    }
    case ScriptAction::Expect: {
        QWidget* w = findControl(a.target);
        if (!w) {
            fail(a, QStringLiteral("no control named \"%1\" on the screen").arg(a.target));
            return false;
        }
        if (shownText(w) != a.text) {
            fail(a,
                 QStringLiteral("\"%1\" shows \"%2\", expected \"%3\"").arg(a.target, shownText(w), a.text));
            return false;
        }
        return true;
    }
    }
    return true;
}

} // namespace zel::demo
