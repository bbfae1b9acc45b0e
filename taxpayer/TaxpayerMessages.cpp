#include "TaxpayerMessages.h"

namespace zel {

TMessages taxpayerMessages()
{
    return TMessages(QStringList{
        QStringLiteral("CGCCPF_NOK|Número do CPF/CNPJ inválido."),
    });
}

} // namespace zel
