#include "TefWaitScreen.h"

#include "receipt/TfrmRecebimento.h"
#include "receipt/Vrm_zel00000.h"

#include <QApplication>
#include <QLabel>

namespace zel {

namespace {

// Among the live widgets only: the unit's pointer is compared, never followed.
TfrmRecebimento* receiptForm()
{
    TfrmRecebimento* found = nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* form = qobject_cast<TfrmRecebimento*>(widget);
        if (!form)
            continue;
        if (form == Vrm_zel00000::frmRecebimento)
            return form;
        if (!found || (form->isVisible() && !found->isVisible()))
            found = form;
    }
    return found;
}

} // namespace

TefWaitScreen::TefWaitScreen(const QString& text) : m_text(text)
{
    if (TfrmRecebimento* form = receiptForm())
        m_label = form->findChild<QLabel*>(QStringLiteral("lblRecebimento"));
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
