#include "TouchForm.h"

#include "ErrorBarrier.h"
#include "KeyCodes.h"
#include "Waits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace zel {

QRect centredGeometry(const QRect& screen, const QSize& form)
{
    // Integer division truncates toward zero on both sides of the origin, as div does.
    return QRect(QPoint(screen.x() + (screen.width() - form.width()) / 2,
                        screen.y() + (screen.height() - form.height()) / 2),
                 form);
}

TouchForm::TouchForm(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(QApplication::applicationDisplayName());
    setWindowIcon(QApplication::windowIcon());
    installEventFilter(this);
    watchTree(this);
}

TouchForm::~TouchForm() = default;

void TouchForm::watchTree(QObject* root)
{
    if (root != this)
        root->installEventFilter(this);
    for (QWidget* child : root->findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool TouchForm::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
    case QEvent::ChildPolished: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child && child->isWidgetType())
            watchTree(child);
        break;
    }
    case QEvent::KeyPress: {
        // Only keys of this form's window: a dialog opened with this form as its parent is
        // a window of its own and keeps its keys.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || (widget != this && !isAncestorOf(widget)))
            break;
        routeKey(static_cast<QKeyEvent*>(event));
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TouchForm::routeKey(QKeyEvent* event)
{
    guard([&] {
        if (event->key() != 0)
            FormKeyDown(event);
        for (const QChar ch : event->text()) {
            if (ch != QChar(0x7F)) // Delete's text: Delete is a key, not a character
                FormKeyPress(ch);
        }
    });
}

void TouchForm::keyPressEvent(QKeyEvent* event)
{
    // Keys are the form's handlers' business; QDialog's Escape and Enter defaults never run.
    event->accept();
}

void TouchForm::PostText(const QString& text, bool sendEnter, bool asChar)
{
    for (const QChar ch : text) {
        if (asChar) {
            QKeyEvent message(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(this, &message);
        } else {
            const KeyCode code = qtKeyFromVirtualKey(ch.unicode() <= 0xFF ? ch.unicode() : -1);
            QKeyEvent message(QEvent::KeyPress, code.key, code.modifiers, QString());
            QCoreApplication::sendEvent(this, &message);
        }
    }
    if (sendEnter) {
        QKeyEvent message(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString());
        QCoreApplication::sendEvent(this, &message);
    }
}

void TouchForm::postClose(int result)
{
    QMetaObject::invokeMethod(
        this, [this, result] { done(result); }, Qt::QueuedConnection);
}

void TouchForm::bindClick(QAbstractButton* button, std::function<void()> handler)
{
    connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { guard(handler); });
}

bool TouchForm::setBackgroundPicture(const QString& path)
{
    QPixmap picture;
    if (!path.isEmpty())
        picture.load(path);
    m_background = picture;
    update();
    return !picture.isNull();
}

bool TouchForm::loadPicture(QLabel* label, const QString& path)
{
    QPixmap picture;
    if (!path.isEmpty())
        picture.load(path);
    label->setScaledContents(true);
    label->setPixmap(picture);
    return !picture.isNull();
}

int TouchForm::exec()
{
    if (waits::aborted())
        return QDialog::Rejected;

    QTimer watchdog;
    const auto limit = waits::timeLimit();
    if (limit.count() > 0) {
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [this, limit, &watchdog] {
            // A wait inside the form reports its own time-out, naming what it waited for.
            if (waits::running() > 0) {
                watchdog.start(limit / 10 + std::chrono::milliseconds(1));
                return;
            }
            waits::fail(QStringLiteral("form %1 (%2) still open after %3 ms")
                            .arg(objectName(), QString::fromUtf8(metaObject()->className()))
                            .arg(limit.count()));
            reject();
        });
        watchdog.start(limit);
    }
    const QMetaObject::Connection abort =
        connect(waits::notifier(), &waits::Notifier::abortRequested, this, &QDialog::reject);
    const waits::ModalRun running(this);
    const int result = QDialog::exec();
    disconnect(abort);
    return result;
}

void TouchForm::FormKeyDown(QKeyEvent*) {}

void TouchForm::FormKeyPress(QChar) {}

void TouchForm::FormActivate() {}

void TouchForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (isWindow())
        centreOnScreen();
    QMetaObject::invokeMethod(
        this, [this] { guard([this] { FormActivate(); }); }, Qt::QueuedConnection);
}

void TouchForm::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(centredGeometry(screen->geometry(), size()).topLeft());
}

void TouchForm::paintEvent(QPaintEvent* event)
{
    if (m_background.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), m_background);
}

} // namespace zel
