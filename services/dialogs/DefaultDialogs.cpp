#include "DefaultDialogs.h"

#include "DiscountDialog.h"
#include "MessageDialog.h"
#include "SearchDialog.h"

#include <QApplication>
#include <QPointer>

namespace zel {

QWidget* dialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

int DefaultDialogs::TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int,
                                    int seconds, const QString& extraCaption)
{
    MessageDialog dialog(text, type, buttons, extraCaption, dialogParent());
    dialog.setAutoClose(seconds);
    return dialog.run();
}

int DefaultDialogs::TouchMessage(const QString& text, DialogType type, DialogButtons, int, int seconds,
                                 const QString&)
{
    showNotice(text, type, seconds);
    return mrNone;
}

DataPacket DefaultDialogs::CriaDesconto(const QString& text)
{
    DiscountDialog dialog(text, dialogParent());
    return dialog.run();
}

bool DefaultDialogs::Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText)
{
    SearchDialog dialog(dataSet, picture, fieldText, dialogParent());
    return dialog.run();
}

} // namespace zel
