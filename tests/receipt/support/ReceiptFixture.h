#pragma once

#include "dataset/DataSet.h"
#include "fakes/RecordingPeripherals.h"
#include "support/Operator.h"
#include "support/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace zel::test {

// The host's side of a receipt: its datasets, recording devices and scripted dialogs, and a
// call of Recebimento with them.
class ReceiptFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The fields of a host's sale: the totals and what the fiscal coupon reads.
    static QList<FieldDef> saleFields();
    // One product line: quantity, price, line discount, service fee, minimum consumption,
    // comanda discount.
    void addSaleLine(double qt, double preco, double desc = 0, double servico = 0, double consumacao = 0,
                     double descComanda = 0);

    // An operator for the next receipt: its first step waits for the form's opening.
    Operator& operatorForNextReceipt();
    // Calls Recebimento with the operator queued last (or none).
    bool recebimento(const QString& idTipoSis = QStringLiteral("RES"));

    DataSet venda;
    DataSet movimentos;
    DataSet clientes;
    DataSet consumidores;
    DataSet aliquotas;
    DataSet tipos;
    QString nrVenda = QStringLiteral("12");
    QString figura;
    QTemporaryDir settingsDir;

    std::shared_ptr<RecordingPeripherals> devices;
    ScopedScriptedDialogs dialogs;
    std::unique_ptr<Operator> op;
};

} // namespace zel::test
