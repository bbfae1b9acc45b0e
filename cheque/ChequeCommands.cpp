#include "TfrmRecebeCheque.h"

void TfrmRecebeCheque::spdOkClick()
{
    if (confirmacao)
        confirmacao();
}

// Nothing is recorded on this form before a confirmation, so leaving it only closes it.
void TfrmRecebeCheque::spdSairClick()
{
    if (boSaindo)
        return;
    boSaindo = true;
    postClose();
    boSaindo = false;
}
