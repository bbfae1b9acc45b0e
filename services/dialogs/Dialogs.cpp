#include "Dialogs.h"

#include "DefaultDialogs.h"
#include "toolkit/ErrorBarrier.h"

namespace zel {
namespace {

std::shared_ptr<Dialogs>& installed()
{
    static std::shared_ptr<Dialogs> current;
    return current;
}

// Errors that reach a form's barrier are shown as error dialogs by whichever dialogs are
// installed when they happen.
const bool kReporterInstalled = [] {
    setErrorReporter([](const QString& message) {
        dialogs().TouchMessageDlg(message, DialogType::Error, DialogButtons::Ok, 0, 0, {});
    });
    return true;
}();

} // namespace

int escapeAnswer(DialogButtons buttons)
{
    return buttons == DialogButtons::YesNo ? mrNo : mrOk;
}

QChar acceleratorOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return {};
}

QString plainCaption(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain.append(caption[i]);
    }
    return plain;
}

DataPacket discountPacket(const QString& tipo, double valor)
{
    DataPacket packet;
    FieldDef tipoField;
    tipoField.name = QStringLiteral("TIPO");
    tipoField.size = 1;
    FieldDef valorField;
    valorField.name = QStringLiteral("VALOR");
    valorField.type = FieldType::Float;
    packet.fields = {tipoField, valorField};
    packet.rows = {Row{tipo.left(1), valor}};
    return packet;
}

Dialogs& dialogs()
{
    (void)kReporterInstalled;
    auto& current = installed();
    if (!current)
        current = std::make_shared<DefaultDialogs>();
    return *current;
}

std::shared_ptr<Dialogs> setDialogs(std::shared_ptr<Dialogs> replacement)
{
    (void)kReporterInstalled;
    std::swap(installed(), replacement);
    return replacement;
}

} // namespace zel
