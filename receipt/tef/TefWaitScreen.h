#pragma once

#include <QPointer>
#include <QString>

class QLabel;

namespace zel {

// While it lives, `label` (the receipt's payment-type title) shows `text`; the label's text comes
// back when it ends, unless something else wrote the label meanwhile. Without a label nothing is
// shown.
class TefWaitScreen
{
public:
    TefWaitScreen(QLabel* label, const QString& text);
    ~TefWaitScreen();
    TefWaitScreen(const TefWaitScreen&) = delete;
    TefWaitScreen& operator=(const TefWaitScreen&) = delete;

private:
    QPointer<QLabel> m_label;
    QString m_text;
    QString m_before;
};

} // namespace zel
