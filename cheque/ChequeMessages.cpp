#include "ChequeMessages.h"

namespace zel {

TMessages chequeMessages()
{
    // "Parcela" follows the instalment number: "2ª Parcela".
    return TMessages(QStringList{
        QStringLiteral("Parcela1|1ª Parcela"),
        QStringLiteral("Parcela|ª Parcela"),
        QStringLiteral("ParcelaDeve|O número de parcelas deve ser informado."),
        QStringLiteral("ValorDeve|O valor do cheque deve ser informado."),
        QStringLiteral("ValorInv|O valor do cheque não é um número válido."),
        QStringLiteral("ValorMaior|O valor do cheque deve ser maior que zero."),
        QStringLiteral("AgenciaDeve|O número da agência deve ser informado."),
        QStringLiteral("BancoDeve|O número do banco deve ser informado."),
        QStringLiteral("ContaDeve|O número da conta deve ser informado."),
        QStringLiteral("ChequeDeve|O número do cheque deve ser informado."),
        QStringLiteral("DtImpInv|Data do cheque inválida."),
        QStringLiteral("VersoInv|O texto do verso do cheque deve ser informado."),
        QStringLiteral("ValorImpMaior|O valor do cheque é maior do que a impressora de cheques imprime."),
        QStringLiteral("ValorAcimaLimite|O valor do cheque passa do maior valor que o recebimento aceita "
                       "(R$ 99.999.999,99 no total pago)."),
        QStringLiteral("ValorInvMaior|O valor do cheque é maior que o valor a pagar. Aceitar assim mesmo?"),
        QStringLiteral("ImpVerso|Deseja imprimir o verso do cheque?"),
        QStringLiteral("ImpCheque_ok|O cheque foi impresso corretamente?"),
        QStringLiteral("ParcelaMax|O número de parcelas vai no máximo até 99."),
        QStringLiteral("DtDistante|A data do cheque é %1, a mais de um ano de hoje. Está correta?"),
        QStringLiteral("VersoResta|Espaço livre no verso: %1"),
        QStringLiteral("SemRecebimento|Não há recebimento em andamento para receber o cheque."),
    });
}

} // namespace zel
