#include "PixProviderMessages.h"

namespace zel::pix {

const TMessages& pixProviderMessages()
{
    static const TMessages catalogue(QStringList{
        // What is wrong with an answer of the provider: the detail of PixRespostaIlegivel.
        QStringLiteral("PixRespostaIlegivel|A resposta do provedor Pix não pôde ser lida: %1."),
        QStringLiteral("PixRespostaGrande|a resposta passa de %1 KiB"),
        QStringLiteral("PixRespostaNaoObjeto|a resposta não é um objeto JSON (%1)"),
        QStringLiteral("PixCampoRepetido|o campo \"%1\" aparece mais de uma vez"),
        QStringLiteral("PixCampoAusente|falta o campo \"%1\""),
        QStringLiteral("PixCampoTexto|o campo \"%1\" deveria ser um texto"),
        QStringLiteral("PixCampoObjeto|o campo \"%1\" deveria ser um objeto"),
        QStringLiteral("PixCampoLista|o campo \"%1\" deveria ser uma lista de objetos"),
        QStringLiteral("PixCampoInteiro|o campo \"%1\" deveria ser um número inteiro de %2 a %3"),
        QStringLiteral("PixCampoValor|o campo \"%1\" deveria ser um valor como 12.34, e é \"%2\""),
        QStringLiteral("PixCampoData|o campo \"%1\" deveria ser uma data e hora, e é \"%2\""),
        QStringLiteral("PixCampoSituacao|o campo \"%1\" tem uma situação desconhecida: \"%2\""),
        QStringLiteral("PixCampoVazio|o campo \"%1\" está vazio"),
        // What the point of sale asks of the provider, refused before it is sent.
        QStringLiteral("PixValorInvalido|Valor inválido para o Pix: %1 centavos."),
        QStringLiteral("PixTxidInvalido|Identificador de cobrança Pix inválido: \"%1\" (de 26 a 35 letras "
                       "e algarismos)."),
        QStringLiteral("PixIdInvalido|Identificador inválido para o provedor Pix: \"%1\"."),
        // The provider's answers, as the operator sees them.
        QStringLiteral("PixRecusou|O provedor Pix recusou: %1"),
        QStringLiteral("PixRecusouSemTitulo|O provedor Pix recusou o pedido (HTTP %1)."),
        QStringLiteral("PixFalhaProvedor|O provedor Pix falhou (HTTP %1): %2 A cobrança pode ou não ter sido "
                       "feita: consulte-a antes de tentar de novo."),
        QStringLiteral("PixSemResposta|Sem resposta do provedor Pix em %1 segundos. A cobrança pode ou não "
                       "ter sido feita: consulte-a antes de tentar de novo."),
        QStringLiteral("PixFalhaRede|A comunicação com o provedor Pix falhou: %1. A cobrança pode ou não ter "
                       "sido feita: consulte-a antes de tentar de novo."),
        QStringLiteral("PixInalcancavel|O provedor Pix não pôde ser alcançado: %1. Nada foi enviado."),
        QStringLiteral("PixTokenSemResposta|Sem resposta em %1 segundos."),
        QStringLiteral("PixSemToken|O provedor Pix não autorizou o caixa: %1 Nada foi cobrado."),
        QStringLiteral("PixEnderecoInseguro|O endereço %1 do provedor Pix não é seguro: use https (http só "
                       "no próprio computador, para o simulador)."),
        QStringLiteral("PixEnderecoInvalido|O endereço do provedor Pix não é válido: \"%1\"."),
        // The settings that name the provider.
        QStringLiteral("PixConfigFalta|A configuração do Pix está incompleta: falta \"%1\"."),
        QStringLiteral("PixConfigExpiracao|A configuração \"PixExpiracao\" deveria ser um número de "
                       "segundos de 1 a %1, e é \"%2\"."),
        QStringLiteral("PixConfigTempoResposta|O tempo de resposta do provedor Pix (PixTempoResposta) deve "
                       "ser de 1 a 120 segundos, não \"%1\"."),
        QStringLiteral("PixConfigEndereco|A configuração \"%1\" do Pix não serve: %2"),
    });
    return catalogue;
}

QString pixProviderText(const char* key)
{
    return pixProviderMessages().Msg(QLatin1String(key));
}

} // namespace zel::pix
