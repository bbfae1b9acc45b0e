#pragma once

#include "dialogs/Dialogs.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace zel::test {

enum class DialogKind { MessageDlg, Message, Discount, Search };
QString kindName(DialogKind kind);

// One dialog as a form asked for it, and what the script answered.
struct DialogRecord
{
    DialogKind kind = DialogKind::MessageDlg;
    QString text; // the message; the discount's text; a search's field labels joined by " | "
    DialogType type = DialogType::Information;
    DialogButtons buttons = DialogButtons::None;
    QString extraCaption;
    int seconds = 0;
    int answer = mrNone; // message dialogs; a search: 1 picked, 0 not
    DataPacket discount; // the discount answered
    int rows = 0;        // a search: the rows it offered
    QString picture;
};

// The dialogs double for tests. A test queues the dialogs it expects, in order, with their
// answers; every dialog shown is recorded. A dialog that was not expected, one of another
// kind than the next expected, a text that lacks the expected words, or an answer the dialog
// does not offer fails the test with the dialog's text, and the form gets the answer of a
// dialog closed without a choice.
class ScriptedDialogs : public Dialogs
{
public:
    ScriptedDialogs& expectMessageDlg(int answer, const QString& textContains = {});
    ScriptedDialogs& expectMessage(const QString& textContains = {});
    ScriptedDialogs& expectDiscount(const QString& tipo, double valor);
    ScriptedDialogs& expectDiscountCancelled();
    // `pick` gets the dataset on its first offered row; it positions the cursor and answers
    // whether a row was picked.
    ScriptedDialogs& expectSearch(std::function<bool(DataSet&)> pick);
    // Picks the offered row whose `field` holds `value`; fails the test when none does.
    ScriptedDialogs& expectSearchPick(const QString& field, const QVariant& value);
    ScriptedDialogs& expectSearchCancelled();
    // Runs `action` when the last expected dialog appears, before it is answered.
    ScriptedDialogs& whileShown(std::function<void()> action);

    const QList<DialogRecord>& records() const { return m_records; }
    int pending() const { return int(m_expected.size()); }
    // Fails the test for every expected dialog that never appeared, and forgets them.
    void verifyAllShown();

    int TouchMessageDlg(const QString& text, DialogType type, DialogButtons buttons, int helpContext = 0,
                        int seconds = 0, const QString& extraCaption = {}) override;
    int TouchMessage(const QString& text, DialogType type = DialogType::Information,
                     DialogButtons buttons = DialogButtons::None, int helpContext = 0, int seconds = 5,
                     const QString& extraCaption = {}) override;
    DataPacket CriaDesconto(const QString& text) override;
    bool Pesquisa(DataSet& dataSet, const QString& picture, const FieldText& fieldText = {}) override;

private:
    struct Expected
    {
        DialogKind kind = DialogKind::MessageDlg;
        QString textContains;
        int answer = mrNone;
        QString tipo;
        double valor = 0.0;
        std::function<bool(DataSet&)> pick;
        std::function<void()> whileShown;
    };

    // The next expectation when it is of `kind`; null after failing the test otherwise.
    const Expected* take(DialogRecord& record, Expected& storage);

    QList<Expected> m_expected;
    QList<DialogRecord> m_records;
};

// Installs a ScriptedDialogs for the scope of a test and puts the previous dialogs back,
// failing the test for expected dialogs that never appeared.
class ScopedScriptedDialogs
{
public:
    ScopedScriptedDialogs();
    ~ScopedScriptedDialogs();
    ScopedScriptedDialogs(const ScopedScriptedDialogs&) = delete;
    ScopedScriptedDialogs& operator=(const ScopedScriptedDialogs&) = delete;

    ScriptedDialogs& operator*() { return *m_dialogs; }
    ScriptedDialogs* operator->() { return m_dialogs.get(); }

private:
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::shared_ptr<Dialogs> m_previous;
};

} // namespace zel::test
