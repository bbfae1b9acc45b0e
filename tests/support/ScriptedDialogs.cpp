#include "ScriptedDialogs.h"

#include "dataset/DataSet.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace zel::test {
namespace {

std::string show(const QString& text)
{
    return ('"' + text + '"').toStdString();
}

bool offers(DialogButtons buttons, const QString& extraCaption, int answer)
{
    if (answer == mrExtra)
        return !extraCaption.isEmpty();
    if (buttons == DialogButtons::YesNo)
        return answer == mrYes || answer == mrNo;
    return answer == mrOk;
}

DialogRecord messageRecord(DialogKind kind, const QString& text, DialogType type, DialogButtons buttons,
                           int seconds, const QString& extraCaption)
{
    DialogRecord record;
    record.kind = kind;
    record.text = text;
    record.type = type;
    record.buttons = buttons;
    record.seconds = seconds;
    record.extraCaption = extraCaption;
    return record;
}

} // namespace

QString kindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::MessageDlg:
        return QStringLiteral("TouchMessageDlg");
    case DialogKind::Message:
        return QStringLiteral("TouchMessage");
    case DialogKind::Discount:
        return QStringLiteral("CriaDesconto");
    case DialogKind::Search:
        return QStringLiteral("Pesquisa");
    }
    return {};
}

ScriptedDialogs& ScriptedDialogs::expectMessageDlg(int answer, const QString& textContains)
{
    Expected e;
    e.kind = DialogKind::MessageDlg;
    e.textContains = textContains;
    e.answer = answer;
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectMessage(const QString& textContains)
{
    Expected e;
    e.kind = DialogKind::Message;
    e.textContains = textContains;
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectDiscount(const QString& tipo, double valor)
{
    Expected e;
    e.kind = DialogKind::Discount;
    e.tipo = tipo;
    e.valor = valor;
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectDiscountCancelled()
{
    return expectDiscount(QStringLiteral("V"), 0.0);
}

ScriptedDialogs& ScriptedDialogs::expectSearch(std::function<bool(DataSet&)> pick)
{
    Expected e;
    e.kind = DialogKind::Search;
    e.pick = std::move(pick);
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectSearchPick(const QString& field, const QVariant& value)
{
    return expectSearch([field, value](DataSet& ds) {
        for (ds.first(); !ds.eof(); ds.next()) {
            if (ds.value(field) == value)
                return true;
        }
        ADD_FAILURE() << "the search offered no row with " << field.toStdString() << " = "
                      << show(value.toString());
        return false;
    });
}

ScriptedDialogs& ScriptedDialogs::expectSearchCancelled()
{
    return expectSearch([](DataSet&) { return false; });
}

ScriptedDialogs& ScriptedDialogs::whileShown(std::function<void()> action)
{
    if (m_expected.isEmpty())
        ADD_FAILURE() << "whileShown needs an expected dialog before it";
    else
        m_expected.back().whileShown = std::move(action);
    return *this;
}

void ScriptedDialogs::verifyAllShown()
{
    for (const Expected& e : m_expected) {
        ADD_FAILURE() << "expected dialog never shown: " << kindName(e.kind).toStdString()
                      << (e.textContains.isEmpty() ? std::string() : " with " + show(e.textContains));
    }
    m_expected.clear();
}

const ScriptedDialogs::Expected* ScriptedDialogs::take(DialogRecord& record, Expected& storage)
{
    if (m_expected.isEmpty()) {
        ADD_FAILURE() << "unexpected dialog: " << kindName(record.kind).toStdString() << ' '
                      << show(record.text);
        return nullptr;
    }
    if (m_expected.front().kind != record.kind) {
        ADD_FAILURE() << "expected " << kindName(m_expected.front().kind).toStdString() << " but got "
                      << kindName(record.kind).toStdString() << ' ' << show(record.text);
        return nullptr;
    }
    storage = m_expected.takeFirst();
    if (!storage.textContains.isEmpty() && !record.text.contains(storage.textContains)) {
        ADD_FAILURE() << kindName(record.kind).toStdString() << ' ' << show(record.text)
                      << " does not contain " << show(storage.textContains);
    }
    if (storage.whileShown)
        storage.whileShown();
    return &storage;
}

int ScriptedDialogs::TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int,
                                     int seconds, const QString& extraCaption)
{
    DialogRecord record = messageRecord(DialogKind::MessageDlg, text, type, buttons, seconds, extraCaption);
    record.answer = escapeAnswer(buttons);
    Expected storage;
    if (const Expected* e = take(record, storage)) {
        if (offers(buttons, extraCaption, e->answer))
            record.answer = e->answer;
        else
            ADD_FAILURE() << "answer " << e->answer << " is not offered by TouchMessageDlg " << show(text);
    }
    m_records.append(record);
    return record.answer;
}

int ScriptedDialogs::TouchMessage(const QString& text, DialogType type, DialogButtons buttons, int,
                                  int seconds, const QString& extraCaption)
{
    DialogRecord record = messageRecord(DialogKind::Message, text, type, buttons, seconds, extraCaption);
    Expected storage;
    take(record, storage);
    m_records.append(record);
    return mrNone;
}

DataPacket ScriptedDialogs::CriaDesconto(const QString& text)
{
    DialogRecord record;
    record.kind = DialogKind::Discount;
    record.text = text;
    record.discount = discountPacket(QStringLiteral("V"), 0.0);
    Expected storage;
    if (const Expected* e = take(record, storage))
        record.discount = discountPacket(e->tipo, e->valor);
    m_records.append(record);
    return record.discount;
}

bool ScriptedDialogs::Pesquisa(DataSet& dataSet, const QString& picture, const FieldText&)
{
    QStringList labels;
    for (const FieldDef& f : dataSet.fieldDefs()) {
        if (f.visible)
            labels.append(f.label());
    }
    DialogRecord record;
    record.kind = DialogKind::Search;
    record.text = labels.join(QStringLiteral(" | "));
    record.picture = picture;
    record.rows = dataSet.recordCount();
    const int original = dataSet.recNo();
    bool picked = false;
    Expected storage;
    if (const Expected* e = take(record, storage)) {
        dataSet.first();
        picked = e->pick && e->pick(dataSet);
    }
    if (!picked) {
        dataSet.first();
        while (!dataSet.eof() && dataSet.recNo() < original)
            dataSet.next();
    }
    record.answer = picked ? 1 : 0;
    m_records.append(record);
    return picked;
}

ScopedScriptedDialogs::ScopedScriptedDialogs() : m_dialogs(std::make_shared<ScriptedDialogs>())
{
    m_previous = setDialogs(m_dialogs);
}

ScopedScriptedDialogs::~ScopedScriptedDialogs()
{
    m_dialogs->verifyAllShown();
    setDialogs(m_previous);
}

} // namespace zel::test
