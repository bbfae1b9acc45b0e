#include "ReceiptMessages.h"

namespace zel {

TMessages receiptMessages()
{
    // Texts keep their trailing blanks: they are joined to amounts as they stand.
    return TMessages(QStringList{
        QStringLiteral("CGCCPF_NOK|Número do CPF/CNPJ inválido."),
        QStringLiteral("ErroItem|Erro ao imprimir o item: "),
        QStringLiteral("Ignora|Ignorar item?"),
        QStringLiteral("CancelaCupom|Cancela Cupom"),
        // The fiscal coupon's own texts ("%1"... mark where the product, rate or number goes).
        QStringLiteral("AliqNaoCad|Alíquota não cadastrada na impressora fiscal para o produto %1 - %2 "
                       "(tributação %3, %4%). O item fica fora do cupom."),
        QStringLiteral("ContraValeSemNumero|O número do cupom fiscal (\"%1\") não é um número inteiro: o "
                       "Contra-Vale ficou sem número."),
        QStringLiteral(
            "VendaSemCampoCupom|A venda não tem o campo %1: o cupom fiscal não pode ser impresso."),
        QStringLiteral("AliqSemCampo|A tabela de alíquotas não tem o campo %1: o cupom fiscal não pode ser "
                       "impresso."),
        QStringLiteral("isCredito3|Digite o valor"),
        QStringLiteral("isMoeda1|Digite o valor da cotação de hoje"),
        QStringLiteral("isConvenio1|Digite o código do convênio"),
        QStringLiteral("isConvenio2|Digite o código do consumidor"),
        QStringLiteral("TeclisCredito3|Valor : "),
        QStringLiteral("TeclisMoeda1|Valor Cotacao : "),
        QStringLiteral("TeclisConvenio1|Convenio : "),
        QStringLiteral("TeclisConvenio2|Consumidor : "),
        QStringLiteral("Recebimento|Recebimento"),
        QStringLiteral("Total|Total : "),
        QStringLiteral("TotalPago|Pago : "),
        QStringLiteral("TotalAPagar|A Pagar : "),
        QStringLiteral("TeclTotal|Total"),
        QStringLiteral("TeclPago|Pago"),
        QStringLiteral("TeclFalta|Falta"),
        QStringLiteral(
            "RecebNoTroco|Tipo de recebimento não permite que seja emitido troco. Assumir valor da venda?"),
        QStringLiteral(
            "NoRecebTroco|Não foram utilizados tipos de recebimento que permitem troco, ou o troco é "
            "maior que o máximo permitido. Assumir valor da venda?"),
        QStringLiteral("TROCO|TROCO"),
        QStringLiteral("CONTRA-VALE|Contra-Vale"),
        QStringLiteral("TeclCredito|CREDITO"),
        QStringLiteral("SaldoDev|Saldo : "),
        QStringLiteral("CNPJCPF|CNPJ/CPF"),
        QStringLiteral("Nome|NOME"),
        QStringLiteral(
            "FechaDesc|A senha do supervisor deve ser informada para fechar um cupom com desconto."),
        QStringLiteral("ImpComprovante|Deseja imprimir o comprovante de desconto em folha de pagamento?"),
        QStringLiteral("ErroComando|Erro ao enviar comando para a impressora."),
        // The printer's own reason for a refusal, shown under "ErroComando".
        QStringLiteral("MotivoImpressora|A impressora respondeu: %1"),
        QStringLiteral(
            "CupomNaoConfere|O cupom montado não confere com a venda (total do cupom %1, pagamentos "
            "menos troco %2): o cupom não foi fechado. Use Limpar e receba a venda outra vez."),
        // The part of the sale received but not on the fiscal coupon (running-list caption).
        QStringLiteral("ForaDoCupom|Fora do cupom"),
        QStringLiteral("Desconto|Desconto"),
        QStringLiteral("ImpCheque|Deseja imprimir cheque?"),
        // Why a receipt does not open.
        QStringLiteral("RecebimentoAberto|Já há um recebimento aberto. Termine-o antes de abrir outro."),
        QStringLiteral("SemPerifericos|Os periféricos não foram instalados pelo sistema. O recebimento não "
                       "pode ser aberto."),
        QStringLiteral("VendaSemCampo|A venda não tem o campo %1."),
        QStringLiteral("CotacaoGuardadaInvalida|A cotação guardada de hoje para %1 (%2) não pode ser usada: "
                       "digite a cotação de hoje."),
        QStringLiteral(
            "CupomFicaAberto|A impressora não cancelou o cupom %1: ele fica aberto na impressora e "
            "será cancelado no início do próximo recebimento."),
        QStringLiteral(
            "CupomAnteriorAberto|O cupom %1 de um recebimento anterior continua aberto e a impressora "
            "não o cancelou. Resolva na impressora e tente de novo."),
        QStringLiteral(
            "DescontoAbaixoDoCartao|Com este desconto a venda ficaria abaixo do que já foi pago em "
            "cartão ou Pix (%1). Para dar o desconto, devolva esses pagamentos com Limpar."),
        QStringLiteral(
            "CartaoAcimaDoDevido|O cartão não pode passar do valor a pagar: %1 digitado, %2 a pagar. "
            "Nada foi enviado ao cartão."),
        QStringLiteral("TabelaSemCampos|A tabela %1 não tem os campos de que o recebimento precisa: %2. O "
                       "recebimento não foi aberto."),
        QStringLiteral("TabelaVenda|da venda (parâmetro 1)"),
        QStringLiteral("TabelaClientes|de clientes (parâmetro 4)"),
        QStringLiteral("TabelaConsumidores|de consumidores (parâmetro 5)"),
        QStringLiteral("TabelaAliquotas|de alíquotas (parâmetro 6)"),
        QStringLiteral("TabelaTipos|de tipos de recebimento (parâmetro 7)"),
        QStringLiteral(
            "TiposSemBotao|Nenhum tipo de recebimento pode aparecer como botão: é preciso IDTPBUTTON "
            "\"5\", NRBUTTON de \"01\" a \"24\", NRBUTTONAUX de um grupo (\"01\" ou o NRBUTTON "
            "de um botão de grupo), NRPGCONFTELA \"1\", \"2\"... e CDFPIMPFIS preenchido. O "
            "recebimento não foi aberto."),
        QStringLiteral("CampoNaoNumerico|O campo %1 da venda é do tipo %2, e não numérico."),
        QStringLiteral("ValorNaoNumerico|O campo %1 da linha %2 da venda não é um número: \"%3\"."),
        QStringLiteral("ValorAmbiguo|O campo %1 da linha %2 da venda pode ser lido como dois números "
                       "diferentes: \"%3\" (vírgula ou ponto como separador decimal?). Envie o número sem "
                       "separador de milhar."),
        QStringLiteral("TotalForaDeFaixa|O total da venda (quantidade × preço) é grande demais para ser "
                       "recebido."),
        QStringLiteral("ValorInvalido|O valor digitado não é um número; nada foi registrado."),
        QStringLiteral("CotacaoInvalida|A cotação deve ser maior que zero e no máximo %1."),
        // Amounts beyond the largest a receipt takes ("%1": that amount).
        QStringLiteral("ValorAcimaLimite|O valor passa do limite do recebimento, %1. Digite outro valor."),
        QStringLiteral("PagoAcimaLimite|Com este valor o total pago passaria de %1, o limite do recebimento. "
                       "Digite outro valor."),
        QStringLiteral(
            "CotacaoAcimaLimite|A cotação passa do limite do recebimento, %1. Digite outra cotação."),
        QStringLiteral("MoedaAcimaLimite|Este valor na moeda estrangeira vale %1, acima do limite do "
                       "recebimento, %2. Digite outro valor."),
        QStringLiteral("ErroCotacao|Não foi possível gravar ou ler as cotações:"),
        // Why the largest-change rule was left out of a change.
        QStringLiteral(
            "TipoReceIlegivel|O limite de troco não foi aplicado: não foi possível ler os tipos de "
            "recebimento."),
        QStringLiteral("ArquivoAusente|O arquivo %1 não existe."),
        QStringLiteral("ArquivoSemCampos|O arquivo %1 não tem os campos %2 e %3."),
        QStringLiteral(
            "TipoReceSemTipo|O limite de troco não foi aplicado: o arquivo de tipos de recebimento "
            "(tiporece.cds) não diz o tipo (IDTIPORECE) de %1. O troco fica no tipo de troco do "
            "pagamento."),
        QStringLiteral("PcMaxTrocoInvalido|O limite de troco não foi aplicado: o percentual máximo de troco "
                       "não é um número."),
        // The discount's running-list lines and its refusal.
        QStringLiteral("Subtotal|Subtotal"),
        QStringLiteral(
            "DescontoSemTotal|Não é possível dar desconto nesta venda: o total é zero (ou menor que "
            "0,02)."),
        QStringLiteral("AcimaDoDevido|%3 não pode passar do valor a pagar: %1 digitado, %2 a pagar. Nada foi "
                       "registrado."),
        QStringLiteral("ItemNaoPodeSair|Este item não pode ficar fora: sem ele a venda ficaria sem "
                       "valor. O cupom foi cancelado; saia do recebimento ou tente de novo."),
        QStringLiteral("VendaSemValor|A venda não tem valor a receber: o total é %1. Confira os descontos "
                       "e os itens da venda."),
        QStringLiteral("CupomImpresso|O cupom fiscal desta venda já foi impresso. Confirme a venda com OK."),
    });
}

} // namespace zel
