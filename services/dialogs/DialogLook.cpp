#include "DialogLook.h"

#include "dialogs/DialogTexts.h"
#include "toolkit/TouchButton.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace zel::look {

QFont font(int pointSize, bool bold)
{
    QFont f = QApplication::font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

QFrame* framePanel(QWidget* form)
{
    auto* outer = new QVBoxLayout(form);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(form);
    panel->setObjectName(QStringLiteral("panFundo"));
    panel->setStyleSheet(
        QStringLiteral("QFrame#panFundo { background: #F4F6F8; border: 2px solid #37474F; }"));
    outer->addWidget(panel);
    return panel;
}

QColor typeColor(DialogType type)
{
    switch (type) {
    case DialogType::Error:
        return kRed;
    case DialogType::Confirmation:
        return kAmber.darker(125);
    case DialogType::Information:
        break;
    }
    return kBlue;
}

QWidget* titleBand(const QString& title, const QColor& color, QWidget* parent)
{
    auto* band = new QLabel(title, parent);
    band->setObjectName(QStringLiteral("lblTitulo"));
    band->setFont(font(15, true));
    band->setMinimumHeight(44);
    band->setContentsMargins(14, 0, 14, 0);
    band->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: white; border: none; }").arg(color.name()));
    return band;
}

QWidget* typeBand(DialogType type, QWidget* parent)
{
    switch (type) {
    case DialogType::Error:
        return titleBand(dialogText("TituloErro"), typeColor(type), parent);
    case DialogType::Confirmation:
        return titleBand(dialogText("TituloConfirmacao"), typeColor(type), parent);
    case DialogType::Information:
        break;
    }
    return titleBand(dialogText("TituloInformacao"), typeColor(type), parent);
}

TTouchButton* button(const QString& caption, const QString& objectName, const QColor& color, QWidget* parent,
                     int width, int height)
{
    auto* b = new TTouchButton(caption, parent);
    b->setObjectName(objectName);
    b->setColor(color);
    b->setCaptionColor(qGray(color.rgb()) < 150 ? QColor(Qt::white) : QColor(Qt::black));
    b->setFont(font(14, true));
    b->setMinimumSize(width, height);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return b;
}

QSize screenRoom()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry().size();
    return {800, 600};
}

} // namespace zel::look
