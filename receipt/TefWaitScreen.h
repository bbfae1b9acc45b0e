#pragma once

#include <QPointer>
#include <QString>

class QLabel;

namespace zel {

// While it lives, the receipt form's payment-type title (lblRecebimento) shows `text`; the
// title comes back when it ends, unless something else wrote the label meanwhile. The form
// is the module's current receipt form, else the receipt form on screen; without one nothing
// is shown.
class TefWaitScreen
{
public:
    explicit TefWaitScreen(const QString& text);
    ~TefWaitScreen();
    TefWaitScreen(const TefWaitScreen&) = delete;
    TefWaitScreen& operator=(const TefWaitScreen&) = delete;

private:
    QPointer<QLabel> m_label;
    QString m_text;
    QString m_before;
};

} // namespace zel
