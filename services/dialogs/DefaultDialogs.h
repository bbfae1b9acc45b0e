#pragma once

#include "Dialogs.h"

class QWidget;

namespace zel {

// The touch dialogs: large texts and buttons, usable from the touch screen and from a
// keyboard. See MessageDialog.h, DiscountDialog.h and SearchDialog.h for how each answers.
class DefaultDialogs : public Dialogs
{
public:
    int TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int helpContext = 0,
                        int seconds = 0, const QString& extraCaption = {}) override;
    int TouchMessage(const QString& text, DialogType type = DialogType::Information,
                     DialogButtons buttons = DialogButtons::None, int helpContext = 0, int seconds = 5,
                     const QString& extraCaption = {}) override;
    DataPacket CriaDesconto(const QString& text) override;
    bool Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText = {}) override;
};

// The window a new dialog stands over: the active modal form, else the active window.
QWidget* dialogParent();

} // namespace zel
