#include "TefWaitScreen.h"

#include <QLabel>

namespace zel {

namespace {
QPointer<QLabel>& waitLabel()
{
    static QPointer<QLabel> label;
    return label;
}
} // namespace

void setTefWaitLabel(QLabel* label)
{
    waitLabel() = label;
}

TefWaitScreen::TefWaitScreen(const QString& text) : m_label(waitLabel()), m_text(text)
{
    if (!m_label)
        return;
    m_before = m_label->text();
    m_label->setText(m_text);
}

TefWaitScreen::~TefWaitScreen()
{
    if (m_label && m_label->text() == m_text)
        m_label->setText(m_before);
}

} // namespace zel
