#include "dialogs/DialogTexts.h"

#include "text/Messages.h"

namespace zel {

namespace {
const TMessages& catalogue()
{
    static const TMessages messages(QStringList{
        QStringLiteral("TituloErro|Erro"),
        QStringLiteral("TituloConfirmacao|Confirmação"),
        QStringLiteral("TituloInformacao|Informação"),
        QStringLiteral("TituloDesconto|Desconto"),
        QStringLiteral("TituloPesquisa|Pesquisa"),
        QStringLiteral("BotaoSim|Sim"),
        QStringLiteral("BotaoNao|Não"),
        QStringLiteral("BotaoOk|OK"),
        QStringLiteral("BotaoConfirmar|Confirmar"),
        QStringLiteral("BotaoCancelar|Cancelar"),
        QStringLiteral("BotaoSelecionar|Selecionar"),
        QStringLiteral("BotaoValor|Valor (R$)"),
        QStringLiteral("BotaoPercentual|Percentual (%)"),
        QStringLiteral("BotaoCorrigir|Corrigir"),
        QStringLiteral("BotaoEspaco|Espaço"),
        QStringLiteral("BotaoLimpar|Limpar"),
        QStringLiteral("DicaPaginaAnterior|Página Anterior"),
        QStringLiteral("DicaProximaPagina|Próxima Página"),
        QStringLiteral("DigitePesquisa|Digite para pesquisar"),
        QStringLiteral("ContagemLinhas|%1 de %2"),
        QStringLiteral("PercentualAcimaDeCem|O percentual não pode passar de 100%."),
        QStringLiteral("ValorSim|Sim"),
        QStringLiteral("ValorNao|Não"),
    });
    return messages;
}
} // namespace

QString dialogText(const char* key)
{
    return catalogue().Msg(QLatin1String(key));
}

} // namespace zel
