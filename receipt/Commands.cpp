#include "receipt/TfrmRecebimento.h"
#include "receipt/TefExchange.h"
#include "receipt/Vrm_zel00000.h"

#include "devices/Peripherals.h"

// Exit: abandons the receipt. The movements recorded so far still go back to the host, which
// sees False.
void TfrmRecebimento::tcbSairClick()
{
    // Not while a card exchange waits inside the payment entry: its answer must be read
    // and recorded by this form.
    if (boFechando || zel::tefExchangeRunning())
        return;
    boConfirmaAuto = false;
    zel::Peripherals& devices = zel::peripherals();
    devices.setInContCuponsTEF(0);
    boDesistiu = true;
    Vrm_zel00000::boVendaOk = false;
    if (devices.DisplayOK())
        devices.DisplayChar(QString(QChar(12)));
    postClose();
}
