#pragma once

#include "ReceiptFixture.h"

#include <QTemporaryDir>

class TfrmRecebimento;

namespace zel::test {

// A sale of 100,00 with one payment type of each kind on buttons 01 to 09 of the first page:
// 01 cash (change in itself), 02 credit, 03 debit, 04 cheque, 05 ticket, 06 second ticket,
// 07 dollar (index "USD"), 08 client account, 09 a kind payment entry does not know ("0"). The data
// directory is a fresh folder; the POS keyboard and the customer display are absent unless
// a test says otherwise.
class PaymentFixture : public ReceiptFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Recebimento with the operator queued (if any) and the printer mode `idImpCupFis`.
    bool receber(const QString& idImpCupFis = QString());

    // Operator steps: wait for the input step; close the receipt from outside.
    static void waitForStep(Operator& o, int step);
    static void closeReceipt(Operator& o);

    static TfrmRecebimento* form();
    // The movements handed back to the host, as text "CDTIPORECE VRMOVIVEND" per row.
    QStringList movementSummary();

    QTemporaryDir dataDir;
};

} // namespace zel::test
