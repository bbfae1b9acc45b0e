#pragma once

#include "dataset/DataPacket.h"

#include <QString>
#include <functional>
#include <memory>

namespace zel {

class DataSet;
struct FieldDef;

enum class DialogType { Error, Information, Confirmation };
enum class DialogButtons { None, Ok, YesNo };

// Answers of the message dialog.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrExtra = 100;

// The answer of a dialog closed without a choice (Escape, or closed from outside): No for
// a Yes/No question, OK otherwise.
int escapeAnswer(DialogButtons buttons);

// The character after the accelerator mark "&" of a caption ("&Cancela Cupom": "C"); a
// null QChar when there is none ("&&" is a literal "&").
QChar acceleratorOf(const QString& caption);
// The caption as shown, without its accelerator mark.
QString plainCaption(const QString& caption);

// The discount dialog's answer: fields TIPO (string 1: "V" amount, "P" percentage) and
// VALOR (float), one row.
DataPacket discountPacket(const QString& tipo, double valor);

// The text a search shows for a field of the dataset's current row. Empty function: the
// field's value in its display format.
using FieldText = std::function<QString(DataSet& dataSet, const FieldDef& field)>;

// The shared dialogs that forms show. The host may install its own; tests install a
// scripted double.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // The modal touch dialog; answers mrYes, mrNo, mrOk or, for the extra button (shown when
    // `extraCaption` is not empty; "&" marks its accelerator), mrExtra. `helpContext` is not
    // used. `seconds` > 0 closes the dialog by itself after that many seconds, with the
    // Escape answer. A dialog asked for with no buttons shows OK.
    virtual int TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons,
                                int helpContext = 0, int seconds = 0, const QString& extraCaption = {}) = 0;

    // A notice without buttons: shown for `seconds` (3 when 0) or until touched, while the
    // caller goes on at once. Answers mrNone. `buttons` and `extraCaption` are not used.
    virtual int TouchMessage(const QString& text, DialogType type = DialogType::Information,
                             DialogButtons buttons = DialogButtons::None, int helpContext = 0,
                             int seconds = 5, const QString& extraCaption = {}) = 0;

    // The discount dialog. A cancelled dialog answers VALOR 0.
    virtual DataPacket CriaDesconto(const QString& text) = 0;

    // The search dialog over the rows the dataset's filter lets through and its visible
    // fields. True: a row was picked and the dataset's cursor stands on it. False: closed
    // without a pick; the cursor is where it was. `picture` is the dialog's background.
    virtual bool Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText = {}) = 0;
};

// The installed dialogs; the default touch dialogs when none was installed.
Dialogs& dialogs();
// Installs `replacement` (null: back to the default dialogs) and answers the one it replaces.
std::shared_ptr<Dialogs> setDialogs(std::shared_ptr<Dialogs> replacement);

} // namespace zel
