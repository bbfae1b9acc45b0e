#include "TextCatalogue.h"

namespace zel {

const TMessages& textCatalogue()
{
    static const TMessages catalogue(QStringList{
        QStringLiteral("ValorVazio|Informe um valor."),
        QStringLiteral("ValorInvalido|\"%1\" não é um valor válido."),
        QStringLiteral("ValorForaLimite|\"%1\" está fora dos limites de um valor."),
        QStringLiteral("NumInvalido|\"%1\" não é um número."),
        QStringLiteral("NumAmbiguo|\"%1\" pode ser lido como dois números diferentes; "
                       "escreva-o sem separador de milhar."),
    });
    return catalogue;
}

} // namespace zel
