#pragma once

#include "Dialogs.h"

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLayout;
class QWidget;

namespace zel {

class TTouchButton;

// The common look of the touch dialogs: a bordered panel, a coloured title band, large
// type and large buttons.
namespace look {

inline const QColor kBlue{0x15, 0x65, 0xC0};
inline const QColor kGreen{0x2E, 0x7D, 0x32};
inline const QColor kRed{0xC6, 0x28, 0x28};
inline const QColor kAmber{0xF9, 0xA8, 0x25};
inline const QColor kSlate{0x45, 0x5A, 0x64};
inline const QColor kKey{0xE3, 0xE8, 0xEE};

QFont font(int pointSize, bool bold = false);

// Fills `form` with one bordered panel and answers it; the dialog's content goes into it.
QFrame* framePanel(QWidget* form);

// A title band with the type's colour, icon and name ("Erro", "Informação", "Confirmação").
QWidget* titleBand(const QString& title, const QColor& color, QWidget* parent);
QWidget* typeBand(DialogType type, QWidget* parent);
QColor typeColor(DialogType type);

TTouchButton* button(const QString& caption, const QString& objectName, const QColor& color, QWidget* parent,
                     int width = 150, int height = 64);

// The part of the primary screen a dialog may use.
QSize screenRoom();

} // namespace look
} // namespace zel
