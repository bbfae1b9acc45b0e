#pragma once

#include "cheque/TfrmRecebeCheque.h"
#include "fakes/RecordingPeripherals.h"
#include "receipt/state/ReceiptSession.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <memory>

class QLabel;

namespace zel {
class ReceiptSession;
class TTouchButton;
} // namespace zel

namespace zel::test {

// A running receipt's state (the cheque form's home), recording devices with the printer kinds
// a test sets, scripted dialogs, and a cheque form shown without its modal loop so the test
// drives it directly: clicks on its buttons, physical keys sent to it.
class ChequeFormFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the cheque form, shows it and lets its first activation run.
    TfrmRecebeCheque& open(int impFis = 1, int impChq = 1);

    QLabel* label(const char* name) const;
    QString text(const char* name) const;
    TTouchButton* button(const char* name) const;
    void click(const char* name);
    void type(const QString& keys);
    void press(int key);
    bool underlined(const char* name) const;
    bool visible(const char* name) const;

    std::shared_ptr<RecordingPeripherals> devices;
    ScopedScriptedDialogs dialogs;
    std::unique_ptr<ReceiptSession> receipt;
    std::unique_ptr<TfrmRecebeCheque> form;
    // Confirmations asked for: a cheque left incomplete answers each with the message of its
    // first missing field, so a test counts the dialogs it shows.
    int confirmations() { return int(dialogs->records().size()); }
    void expectIncompleteConfirmations(int count);
};

} // namespace zel::test
