#include "ConsumerMessages.h"

namespace zel {

TMessages consumerMessages()
{
    // The "Tecl" texts go to the POS keyboard's display, which has no accented letters; the
    // prompts there keep their trailing blank before what is typed.
    return TMessages(QStringList{
        QStringLiteral("Cliente|Cliente"),
        QStringLiteral("Consumidor|Consumidor"),
        QStringLiteral("TeclCartCons|Cartao Consumidor : "),
        QStringLiteral("CartCons|Cartão Consumidor"),
        QStringLiteral("ConsNCad|Código do consumidor inválido ou não cadastrado."),
        QStringLiteral("ConsInativo|Consumidor inativo."),
        QStringLiteral("TeclConsNCad|Codigo invalido"),
        QStringLiteral("TeclConsInat|Consumidor inativo"),
        QStringLiteral("CodClie|Cód. Cliente"),
        QStringLiteral("ConsDup|Código do consumidor duplicado."),
        QStringLiteral("TeclConsDup|Codigo duplicado."),
        QStringLiteral("TeclCodClie|Codigo Cliente : "),
        QStringLiteral("CodCons|Cód. Consumidor"),
        QStringLiteral("TeclCodCons|Codigo Consumidor : "),
        QStringLiteral("ClieNCad|Cliente não cadastrado."),
        QStringLiteral("ClieJaCad|Cliente já cadastrado."),
        QStringLiteral("TeclClieNCad|Cliente nao cadastrado."),
    });
}

} // namespace zel
