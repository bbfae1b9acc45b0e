#include "DemoDialogs.h"

#include "dataset/PacketJson.h"

#include <QJsonObject>

namespace zel::demo {

namespace {

QString typeName(DialogType type)
{
    switch (type) {
    case DialogType::Error:
        return QStringLiteral("error");
    case DialogType::Information:
        return QStringLiteral("information");
    case DialogType::Confirmation:
        return QStringLiteral("confirmation");
    }
    return {};
}

QString buttonsName(DialogButtons buttons)
{
    switch (buttons) {
    case DialogButtons::None:
        return QStringLiteral("none");
    case DialogButtons::Ok:
        return QStringLiteral("ok");
    case DialogButtons::YesNo:
        return QStringLiteral("yes-no");
    }
    return {};
}

} // namespace

int DemoDialogs::TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int helpContext,
                                 int seconds, const QString& extraCaption)
{
    const bool scripted = !m_answers.isEmpty();
    const int answer =
        scripted ? m_answers.takeFirst()
                 : DefaultDialogs::TouchMessageDlg(text, type, buttons, helpContext, seconds, extraCaption);
    m_record.append(QJsonObject{{"dialog", "message"},
                                {"type", typeName(type)},
                                {"buttons", buttonsName(buttons)},
                                {"extra", extraCaption},
                                {"text", text},
                                {"answer", answer},
                                {"scripted", scripted}});
    return answer;
}

int DemoDialogs::TouchMessage(const QString& text, DialogType type, DialogButtons buttons, int helpContext,
                              int seconds, const QString& extraCaption)
{
    m_record.append(QJsonObject{{"dialog", "notice"}, {"type", typeName(type)}, {"text", text}});
    return DefaultDialogs::TouchMessage(text, type, buttons, helpContext, seconds, extraCaption);
}

DataPacket DemoDialogs::CriaDesconto(const QString& text)
{
    const DataPacket packet = DefaultDialogs::CriaDesconto(text);
    m_record.append(QJsonObject{{"dialog", "discount"}, {"answer", packetToJsonObject(packet)}});
    return packet;
}

bool DemoDialogs::Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText)
{
    const bool picked = DefaultDialogs::Pesquisa(dataSet, picture, fieldText);
    m_record.append(QJsonObject{{"dialog", "search"}, {"picked", picked}});
    return picked;
}

} // namespace zel::demo
