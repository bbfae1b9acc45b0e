#include "PixMessages.h"

namespace zel::pix {

const TMessages& pixMessages()
{
    static const TMessages catalogue(QStringList{
        // The codes: the BR Code composed for a static charge, the one a provider hands over,
        // and the QR image drawn from it.
        QStringLiteral("PixCampoChave|a chave Pix"),
        QStringLiteral("PixCampoNome|o nome do recebedor"),
        QStringLiteral("PixCampoCidade|a cidade do recebedor"),
        QStringLiteral("PixCampoDescricao|a descrição"),
        QStringLiteral("PixCampoVazio|Falta %1 para gerar o código Pix."),
        QStringLiteral("PixCaractereInvalido|%1 tem o caractere \"%2\", que o código Pix não comporta."),
        QStringLiteral("PixChaveLonga|A chave Pix tem %1 caracteres; o código Pix comporta no máximo %2."),
        QStringLiteral("PixDescricaoLonga|A descrição não cabe no código Pix junto com esta chave: "
                       "passa %1 caracteres do limite."),
        QStringLiteral("PixValorNegativo|O valor do Pix não pode ser negativo."),
        QStringLiteral("PixValorGrande|O valor do Pix passa do que o código comporta (%1)."),
        QStringLiteral("PixTxidInvalido|O identificador da cobrança Pix \"%1\" deve ter de 1 a %2 letras "
                       "sem acento e números."),
        QStringLiteral("PixCodigoVazio|O código Pix está vazio."),
        QStringLiteral("PixCodigoLongo|O código Pix tem %1 caracteres; um código Pix tem no máximo %2."),
        QStringLiteral("PixCodigoCaractere|O código Pix tem um caractere inválido (%1) na posição %2."),
        QStringLiteral("PixCodigoTruncado|O código Pix está incompleto ou corrompido na posição %1."),
        QStringLiteral("PixCodigoRepetido|O código Pix tem o campo %1 repetido."),
        QStringLiteral("PixCodigoFalta|O código Pix não tem o campo %1."),
        QStringLiteral("PixCodigoCampo|O campo %1 do código Pix tem um valor inválido: \"%2\"."),
        QStringLiteral("PixCodigoCrcPosicao|O código Pix não termina com a verificação (CRC) de 4 dígitos."),
        QStringLiteral(
            "PixCodigoCrc|O código Pix está corrompido: a verificação (CRC) diz %1, o texto dá %2."),
        QStringLiteral("PixCodigoNaoPix|O código não é de um pagamento Pix (não tem o identificador "
                       "br.gov.bcb.pix)."),
        QStringLiteral("PixCodigoChaveOuUrl|O código Pix deve ter a chave ou o endereço da cobrança, e só "
                       "um dos dois."),
        QStringLiteral("PixQrVazio|Não há código Pix para o QR Code."),
        QStringLiteral("PixQrLongo|O código Pix é longo demais para um QR Code."),
        QStringLiteral("PixQrNulo|O código Pix tem um caractere nulo, que o QR Code não comporta."),
        QStringLiteral("PixQrTamanho|O QR Code do Pix não pode ter %1 pixels de lado."),
        QStringLiteral("PixQrFalhou|Não foi possível gerar o QR Code do Pix (erro %1 do gerador)."),
        // The payment: the charge's life at the till, the journal of live charges and their
        // settlement.
        QStringLiteral("PixTitulo|Pagamento com Pix"),
        QStringLiteral("PixSolicitacao|Venda %1"),
        QStringLiteral("PixGerando|Gerando a cobrança Pix..."),
        QStringLiteral("PixTempoRestante|Aponte a câmera do celular para o QR Code. Tempo restante: %1:%2"),
        QStringLiteral("PixConfirmeRecebimento|Toque em Recebido quando o Pix aparecer na conta."),
        QStringLiteral("PixCancelando|Cancelando a cobrança..."),
        QStringLiteral("PixRecebido|Recebido"),
        QStringLiteral("PixCancelar|Cancelar"),
        QStringLiteral("PixDisplay|Pague com Pix"),
        QStringLiteral("PixConfirmaRecebido|Confirma que o Pix de %1 foi recebido na conta?"),
        QStringLiteral("PixAcimaDoDevido|O Pix de %1 passa do valor a pagar (%2)."),
        QStringLiteral(
            "PixJaPago|A cobrança foi paga no momento do cancelamento: o pagamento foi registrado."),
        QStringLiteral("PixDiarioIlegivel|Não foi possível ler as cobranças Pix pendentes em %1: %2"),
        QStringLiteral("PixDiarioNaoGravado|Não foi possível gravar as cobranças Pix pendentes em %1: %2"),
        QStringLiteral("PixDiarioEntrada|a cobrança %1 está incompleta"),
        QStringLiteral("PixNaoArquivoComum|não é um arquivo comum"),
        QStringLiteral("PixCodigoProvedor|O provedor Pix entregou um código que não pode ser mostrado: %1"),
        QStringLiteral("PixValorDiferente|o valor do código não é o da cobrança."),
        QStringLiteral("PixNaoCriada|O provedor Pix não criou a cobrança. Nada foi cobrado."),
        QStringLiteral("PixSemResposta|O provedor Pix não responde. Nada foi registrado; a cobrança será "
                       "cancelada (ou devolvida, se paga) assim que ele responder."),
        QStringLiteral("PixExpirada|O tempo para pagar o Pix acabou. Nada foi cobrado."),
        QStringLiteral("PixCancelada|A cobrança Pix foi cancelada. Nada foi cobrado."),
        QStringLiteral("PixNaoRemovida|Não foi possível cancelar a cobrança Pix agora. Nada foi registrado; "
                       "ela será cancelada (ou devolvida, se paga) depois."),
        QStringLiteral("PixValorPagoDiferente|O provedor Pix informa um pagamento de %1 para uma cobrança de "
                       "%2. Nada foi registrado; o valor pago será devolvido."),
        QStringLiteral("PixSemProvedor|Há %1 cobrança(s) Pix pendente(s), mas o provedor Pix não está "
                       "configurado para resolvê-las."),
        QStringLiteral("PixDevolvido|Pix de %1 devolvido ao cliente (cobrança %2)."),
        QStringLiteral("PixPendente|A cobrança Pix de %1 (%2) ainda não pôde ser resolvida: %3 Ela será "
                       "tentada de novo no próximo recebimento."),
    });
    return catalogue;
}

QString pixText(const char* key)
{
    return pixMessages().Msg(QLatin1String(key));
}

Error pixError(const char* key, std::initializer_list<QString> args)
{
    // One pass over the text: a value that itself holds "%2" (a key typed with it, a piece of a
    // hostile code) stays as it is instead of being filled by the next value.
    const QString pattern = pixText(key);
    const auto values = std::data(args);
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'%' && i + 1 < pattern.size()) {
            const int n = pattern.at(i + 1).digitValue();
            if (n >= 1 && size_t(n) <= args.size()) {
                text += values[n - 1];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return Error{text, QLatin1String(key)};
}

} // namespace zel::pix
