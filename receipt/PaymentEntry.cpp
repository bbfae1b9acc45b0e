#include "receipt/TfrmRecebimento.h"

// This build of the module takes no payments yet: a touch on a payment type records nothing
// and leaves the form as it was, with the payment-type panels usable again.
void TfrmRecebimento::DoMenuRecebimentoClick(const QString&, const QString&, const QPixmap&)
{
    CtrlBotoes(QStringLiteral("P"));
}
