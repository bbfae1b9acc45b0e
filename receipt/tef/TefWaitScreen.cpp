#include "TefWaitScreen.h"

#include <QLabel>

namespace zel {

TefWaitScreen::TefWaitScreen(QLabel* label, const QString& text) : m_label(label), m_text(text)
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
