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
