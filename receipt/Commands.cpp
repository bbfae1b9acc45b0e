#include "receipt/TfrmRecebimento.h"
#include "receipt/Vrm_zel00000.h"

#include "devices/Peripherals.h"

// Exit: abandons the receipt. The movements recorded so far still go back to the host, which
// sees False.
void TfrmRecebimento::tcbSairClick()
{
    if (boFechando)
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
