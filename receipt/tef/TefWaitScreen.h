#pragma once

#include <QPointer>
#include <QString>

class QLabel;

namespace zel {

// Where the TEF waits show what they wait for: the running receipt's payment-type title,
// handed by the receipt form when it is made (the newest form's; none while no form lives).
void setTefWaitLabel(QLabel* label);

// While it lives, the label handed to setTefWaitLabel shows `text`; the label's text comes back
// when it ends, unless something else wrote the label meanwhile. Without a label nothing is
// shown.
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
