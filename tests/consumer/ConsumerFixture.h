#pragma once

#include "fakes/RecordingPeripherals.h"
#include "support/Operator.h"
#include "support/QStringPrinter.h"
#include "support/ScriptedDialogs.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

class TfrmRecebimento;
class TfrmInfConsumidor;

namespace zel::test {

// A receipt form standing in for a running receipt, with a client and a consumer table, the
// recording devices (no POS keyboard unless a test says so), scripted dialogs and a call of
// Consumidor driven by a scripted operator.
class ConsumerFixture : public ::testing::Test
{
public:
    // The form on screen; null when there is none.
    static TfrmInfConsumidor* form();
    static QString label(const QString& name);

protected:
    void SetUp() override;
    void TearDown() override;

    void setKeyboard(bool present);

    // A fresh operator whose first step waits for the client prompt of the form.
    Operator& operatorForForm();
    // Steps that wait until the form waits for a client or a consumer code.
    static void clientStep(Operator& op);
    static void consumerStep(Operator& op);

    // Calls Consumidor with the operator (if any) and the five texts below.
    bool consumidor();

    // The keyboard display calls, in order.
    QStringList displayCalls() const;

    TfrmRecebimento* receipt = nullptr;
    std::shared_ptr<RecordingPeripherals> devices;
    ScopedScriptedDialogs dialogs;
    std::unique_ptr<Operator> op;

    QString cdConsumidor = QStringLiteral("old consumer");
    QString nmConsumidor = QStringLiteral("old name");
    QString cdCliente;
    QString nmCliente = QStringLiteral("old client");
    QString nmFantClie = QStringLiteral("old trade name");
};

} // namespace zel::test
