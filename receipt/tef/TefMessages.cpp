#include "TefMessages.h"

namespace zel {

const TMessages& tefMessages()
{
    static const TMessages catalogue(QStringList{
        QStringLiteral("TefValorInvalido|Valor inválido para o TEF: %1."),
        QStringLiteral("TefEmAndamento|Já há uma transação TEF em andamento."),
        QStringLiteral("TefRequisicaoNaoGravada|A requisição TEF não pode ser gravada em %1: %2."),
        QStringLiteral("TefValorRecusado|A requisição TEF não pode ser gravada: %1 \"%2\" %3."),
        QStringLiteral("TefCampoOperacao|a operação"),
        QStringLiteral("TefCampoSequencia|a sequência"),
        QStringLiteral("TefCampoCupom|o número do cupom"),
        QStringLiteral("TefCampoValor|o valor"),
        QStringLiteral("TefCaractereControle|tem um caractere de controle"),
        QStringLiteral("TefCaractereLatin1|tem o caractere \"%1\", que o arquivo não comporta"),
        QStringLiteral("TefArquivoGrande|o arquivo passa de %1 KiB, o limite de uma resposta"),
        QStringLiteral("TefArquivoNaoTexto|o arquivo não é texto"),
        QStringLiteral(
            "TefSemSequencia|Não foi possível obter o número da transação TEF: o contador está em uso "
            "por outro terminal ou não pode ser gravado. Nenhuma requisição foi enviada; tente de novo "
            "e, se persistir, verifique o diretório do TEF."),
        QStringLiteral(
            "TefInativo|O gerenciador TEF não respondeu à verificação de atividade (ou o contador de "
            "transações está em uso por outro terminal). Nenhuma requisição foi enviada."),
        QStringLiteral("TefAguardando|Aguardando o gerenciador TEF..."),
        QStringLiteral("TefCampoNsu|o NSU"),
        QStringLiteral("TefFechando|Fechando o cupom e confirmando os cartões..."),
        QStringLiteral("TefDesfazendo|Desfazendo o cartão de %1..."),
        QStringLiteral(
            "TefDesfazerInativo|O gerenciador TEF não está ativo: o cartão de %1 não foi desfeito."),
        QStringLiteral(
            "TefDesfazerSemResposta|O gerenciador TEF não respondeu em %2 segundos: o cartão de %1 "
            "não foi desfeito."),
        QStringLiteral(
            "TefDesfazerIncerto|O gerenciador TEF recebeu o pedido mas não respondeu em %2 segundos: "
            "o cartão de %1 pode não ter sido desfeito. Confira no gerenciador."),
        QStringLiteral("TefDesfazerRecusado|O gerenciador TEF não desfez o cartão de %1: %2"),
        QStringLiteral("TefCartaoMantido|O pagamento continua registrado."),
        QStringLiteral("TefCartaoParaDepois|O pagamento volta ao sistema com o recebimento e o cartão será "
                       "desfeito ao abrir o próximo recebimento."),
        QStringLiteral("TefAnterioresMantidos|Cartões de um recebimento interrompido continuam pendentes e "
                       "serão desfeitos no próximo recebimento:"),
        QStringLiteral("TefDiarioIlegivel|O registro dos cartões do recebimento (%1) não pode ser lido: %2."),
        QStringLiteral(
            "TefDiarioNaoGravado|O registro dos cartões do recebimento (%1) não pode ser gravado: %2."),
        QStringLiteral(
            "TefRespostaIlegivel|A resposta do TEF (%1) não pode ser lida: %2. A espera continua."),
        QStringLiteral("TefRespostaRecusada|Um arquivo de resposta do TEF foi recusado: %1. Ele foi guardado "
                       "como %2 e a espera pela resposta continua."),
        QStringLiteral("TefRespostaNaoMovida|A resposta do TEF não pode ser movida de %1 para %2: %3."),
        QStringLiteral("TefSemNomeLivre|(nenhum nome livre)"),
        QStringLiteral("TefRespostaIncompleta|A resposta do gerenciador TEF ficou incompleta por %1 segundos "
                       "(guardada como %2). O pagamento não foi registrado e a transação no cartão será "
                       "desfeita."),
        QStringLiteral(
            "TefRespostaBloqueada|O arquivo de resposta do TEF (%1) não pôde ser lido nem posto de lado "
            "por %2 segundos. O pagamento não foi registrado e a transação no cartão, se houve, será "
            "desfeita."),
        QStringLiteral("TefNaoArquivoComum|não é um arquivo comum (é um atalho, uma pasta, um FIFO ou um "
                       "dispositivo)"),
        QStringLiteral("TefDonoEstranho|foi gravado pelo usuário %1, e não pelo gerenciador TEF (%2)"),
        QStringLiteral(
            "TefPastaAberta|A pasta do TEF %1 pode ser alterada por qualquer usuário: qualquer um "
            "poderia responder no lugar do gerenciador. A transação não foi feita. Restrinja a pasta "
            "ao usuário do caixa e ao grupo do gerenciador (permissões 0770)."),
    });
    return catalogue;
}

QString tefText(const char* key)
{
    return tefMessages().Msg(QLatin1String(key));
}

} // namespace zel
