#pragma once

#include "dataset/DataSet.h"
#include "receipt/payment/Ledger.h"
#include "text/Messages.h"

#include <QString>

namespace zel {

// What one receipt holds while it runs, apart from any screen: the sale and its money, the
// payments taken, the lookup tables and the catalogue. The receipt form is one (it derives from
// it); the cheque and consumer forms are handed the running receipt's state and read and write
// only through it, so each can be built and tested with a state alone.
class ReceiptState
{
public:
    ReceiptState(); // the receipt's own tables defined, the catalogue loaded
    virtual ~ReceiptState() = default;
    ReceiptState(const ReceiptState&) = delete;
    ReceiptState& operator=(const ReceiptState&) = delete;

    // The sale's money (Ledger.h): what the labels, the displays, the change and the coupon read.
    Ledger& ledger() { return m_ledger; }
    const Ledger& ledger() const { return m_ledger; }

    // Datasets, under the names the rest of the module uses.
    DataSet cdsReceb;      // payment-type configuration (host parameter 7)
    DataSet cdsVendaOk;    // the sale's lines (host parameter 1)
    DataSet cdsMovCaixa;   // the payments and the change recorded (handed back to the host)
    DataSet cdsAliqImpFis; // the fiscal printer's tax rates (host parameter 6)
    DataSet cdsCliente;    // clients (host parameter 4)
    DataSet cdsConsumidor; // consumers (host parameter 5)
    DataSet cdsDesconto;
    DataSet cdsParcelas; // the cheque instalments taken
    DataSet cdsCotacao;
    DataSet cdsRecebimento01;

    TMessages msgPadrao; // the receipt's catalogue

    // The background picture the host named for the receipt's screens (stFigura).
    QString figura;

protected:
    Ledger m_ledger;
};

} // namespace zel
