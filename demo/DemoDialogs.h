#pragma once

#include "dialogs/DefaultDialogs.h"

#include <QJsonArray>
#include <QList>

namespace zel::demo {

// The demo's dialogs: the real touch dialogs, except that an answer the operator script gave
// in advance ("answer 6") answers the next message dialog without showing it. Every dialog is
// recorded for the result document.
class DemoDialogs : public DefaultDialogs
{
public:
    void queueAnswer(int answer) { m_answers.append(answer); }
    const QJsonArray& record() const { return m_record; }

    int TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int helpContext = 0,
                        int seconds = 0, const QString& extraCaption = {}) override;
    int TouchMessage(const QString& text, DialogType type = DialogType::Information,
                     DialogButtons buttons = DialogButtons::None, int helpContext = 0, int seconds = 5,
                     const QString& extraCaption = {}) override;
    DataPacket CriaDesconto(const QString& text) override;
    bool Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText = {}) override;

private:
    QList<int> m_answers;
    QJsonArray m_record;
};

} // namespace zel::demo
