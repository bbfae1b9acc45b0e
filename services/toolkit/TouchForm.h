#pragma once

#include <QDialog>
#include <QPixmap>
#include <functional>

class QAbstractButton;
class QKeyEvent;
class QLabel;

namespace zel {

// Where a form of `form` size stands centred on a screen: (screen − form) div 2 on each
// axis from the screen's origin, negative on a screen smaller than the form.
QRect centredGeometry(const QRect& screen, const QSize& form);

// The one base of the touch forms: borderless, centred on the primary screen, with key
// preview, PostText, the posted close, the wait for the operator and the error barrier.
//
// Key preview: every key event sent to the form or to any control on it (also controls
// added later) goes to the form's handlers and stops there; controls never see keys.
// A character message carries text and no key and runs FormKeyPress; a key-down message
// carries a key and no text and runs FormKeyDown; a physical key carries both and runs
// FormKeyDown, then FormKeyPress for each character of its text. Both run inside the error
// barrier.
class TouchForm : public QDialog
{
    Q_OBJECT
public:
    explicit TouchForm(QWidget* parent = nullptr);
    ~TouchForm() override;

    // Sends, synchronously and in order, each character of `text` to this form: as a
    // character message when `asChar`, otherwise as a key-down message whose key code is the
    // character's code (see KeyCodes.h: "." is Delete, "\b" Backspace); then, when
    // `sendEnter`, a key-down of Enter. Every message is handled when this returns.
    void PostText(const QString& text, bool sendEnter, bool asChar);

    // Closes the form from the event loop, after the running handler has returned.
    void postClose(int result = QDialog::Rejected);

    // Runs `handler` inside the error barrier whenever `button` is clicked.
    void bindClick(QAbstractButton* button, std::function<void()> handler);

    // A picture drawn scaled over the whole form, behind its controls. False, and no
    // picture, when the file is missing or is no image.
    bool setBackgroundPicture(const QString& path);
    QPixmap backgroundPicture() const { return m_background; }

    // Loads an image control's picture, scaled to the control. False, and the label
    // emptied, when the file is missing or is no image.
    static bool loadPicture(QLabel* label, const QString& path);

    // Modal run. In test builds it has the wait time limit: a form still open when it runs
    // out is reported through the wait failure hook and closed (while a wait runs inside it,
    // that wait reports instead).
    int exec() override;

protected:
    // Key handlers (see the class comment). The defaults do nothing.
    virtual void FormKeyDown(QKeyEvent* event);
    virtual void FormKeyPress(QChar key);
    // Runs once each time the form is shown, from the event loop, inside the error barrier.
    virtual void FormActivate();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void watchTree(QObject* root);
    void routeKey(QKeyEvent* event);
    void centreOnScreen();

    QPixmap m_background;
};

} // namespace zel
