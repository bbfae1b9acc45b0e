#pragma once

#include "Dialogs.h"
#include "toolkit/TouchForm.h"

namespace zel {

class TTouchButton;

// The modal message dialog. Buttons "Sim" and "Não" (answers 6 and 7) or "OK" (1), and an
// extra button (100) when a caption is given. From a keyboard: Enter answers Yes (or OK),
// Escape answers No (or OK), the accelerator letter of a button answers it ("S", "N", "O",
// and the letter marked with "&" in the extra caption, which wins when letters collide).
// Long texts wrap, also inside words, and scroll when they do not fit on the screen.
class MessageDialog : public TouchForm
{
    Q_OBJECT
public:
    MessageDialog(const QString& text, DialogType type, DialogButtons buttons, const QString& extraCaption,
                  QWidget* parent = nullptr);

    // Closes the dialog with the Escape answer after `seconds` (0: never).
    void setAutoClose(int seconds);

    // Shows the dialog modally and answers the operator's choice; a dialog closed from
    // outside answers as Escape does.
    int run();

protected:
    void FormKeyDown(QKeyEvent* event) override;
    void FormKeyPress(QChar key) override;

private:
    void addButton(const QString& caption, const QString& name, const QColor& color, int answer);

    DialogButtons m_buttons;
    QChar m_extraKey;
    QWidget* m_buttonRow = nullptr;
};

// A notice without buttons that closes itself after `seconds` (3 when 0) or when touched or
// a key reaches it. It does not block the caller; a new notice replaces the one shown.
void showNotice(const QString& text, DialogType type, int seconds);

// The text as dialogs show it: line breaks of any convention become "\n".
QString dialogText(const QString& text);

} // namespace zel
