#include "DataSetMessages.h"

#include "DataPacket.h"

namespace zel {

const TMessages& dataSetCatalogue()
{
    static const TMessages catalogue(QStringList{
        // Datasets in memory.
        QStringLiteral("DsFechado|A tabela está fechada."),
        QStringLiteral("DsCampoNaoExiste|O campo \"%1\" não existe."),
        QStringLiteral("DsTabelaSemCampos|A tabela %1 não tem os campos %2."),
        QStringLiteral("DsCampoSemNome|Um campo precisa de um nome."),
        QStringLiteral("DsCampoNomePontoVirgula|O nome de campo \"%1\" não pode conter \";\"."),
        QStringLiteral("DsCampoNomeReservado|O nome de campo \"%1\" é reservado aos arquivos de dados."),
        QStringLiteral("DsCampoTamanhoNegativo|O campo \"%1\" tem tamanho negativo."),
        QStringLiteral("DsCampoRepetido|O campo \"%1\" está definido duas vezes."),
        QStringLiteral("DsLinhaTamanho|A linha %1 tem %2 valores para %3 campos."),
        QStringLiteral("DsLinhaValor|Linha %1: %2"),
        QStringLiteral("DsDefinicoesAberta|As definições de campos só mudam com a tabela fechada."),
        QStringLiteral("DsSemCamposCriar|Não é possível criar uma tabela sem definições de campos."),
        QStringLiteral("DsSemCamposAbrir|Não é possível abrir uma tabela sem definições de campos."),
        QStringLiteral("DsSemCamposLinhas|Não é possível receber linhas sem definições de campos."),
        QStringLiteral("DsLocalizaValores|A busca em \"%1\" precisa de um valor por campo; foram dados %2."),
        QStringLiteral("DsChaveRepetida|A chave (%1) já existe no índice único %2."),
        QStringLiteral("DsLinhasChaveRepetida|As linhas repetem uma chave do índice único %1."),
        QStringLiteral("DsSemLinhaEditar|Não há linha para alterar."),
        QStringLiteral("DsSemLinhaExcluir|Não há linha para excluir."),
        QStringLiteral("DsIndiceSemNome|Um índice precisa de um nome."),
        QStringLiteral("DsIndiceRepetido|O índice %1 está definido duas vezes."),
        QStringLiteral("DsIndiceSemCampos|O índice %1 não tem campos."),
        QStringLiteral("DsIndiceDescendente|Índice %1: o campo descendente %2 não é um de seus campos."),
        QStringLiteral("DsIndiceNaoExiste|O índice %1 não existe."),
        QStringLiteral("DsGravarForaEdicao|O campo %1 só pode ser alterado em edição ou inclusão."),
        QStringLiteral("DsNaoNumero|O campo %1 contém \"%2\", que não é um número."),
        QStringLiteral("DsNaoInteiro|O campo %1 contém \"%2\", que não é um número inteiro."),
        QStringLiteral("DsNaoDataHora|O campo %1 contém \"%2\", que não é uma data e hora."),
        QStringLiteral("DsNaoLogico|O campo %1 contém \"%2\", que não é verdadeiro nem falso."),
        // Values that a field cannot take.
        QStringLiteral("DsValorInvalido|O campo %1 (%2) não aceita o valor \"%3\"."),
        QStringLiteral("DsValorInvalidoPorque|O campo %1 (%2) não aceita o valor \"%3\": %4"),
        QStringLiteral("DsPorqueForaLimite|fora dos limites"),
        QStringLiteral("DsPorqueNaoInteiro|não é um número inteiro"),
        QStringLiteral("DsPorqueNaoFinito|não é um número finito"),
        QStringLiteral("DsPorqueNaoData|não é uma data ISO 8601 (aaaa-mm-dd)"),
        QStringLiteral("DsPorqueAnos|fora dos anos 1 a 9999"),
        QStringLiteral("DsPorqueNaoDataHora|não é uma data e hora ISO 8601"),
        QStringLiteral("DsPorqueDataHoraInvalida|não é uma data e hora válida"),
        QStringLiteral("DsPorqueLogico01|só 0 e 1 são valores lógicos"),
        QStringLiteral("DsPorqueNaoLogico|não é verdadeiro nem falso"),
        // Data files.
        QStringLiteral("ArqSemNome|Nenhum nome de arquivo de dados foi informado."),
        QStringLiteral("ArqErro|Arquivo de dados %1: %2"),
        QStringLiteral("ArqNaoExiste|não existe."),
        QStringLiteral("ArqPasta|é uma pasta, não um arquivo de dados."),
        QStringLiteral("ArqNaoAbre|não pode ser aberto (%1)."),
        QStringLiteral("ArqNaoAbreGravar|não pode ser aberto para gravação (%1)."),
        QStringLiteral("ArqNaoLe|não pode ser lido (%1)."),
        QStringLiteral("ArqNaoGrava|não pode ser gravado (%1)."),
        QStringLiteral("ArqNaoCria|não pode ser criado (%1)."),
        QStringLiteral("ArqPastaNaoExiste|não pode ser criado: a pasta %1 não existe."),
        QStringLiteral("ArqNaoSqlite|não é um arquivo de dados (não é um banco SQLite)."),
        QStringLiteral("ArqOutroSistema|não é um arquivo de dados deste sistema (%1)."),
        QStringLiteral("ArqSemTabelas|sem as tabelas de um arquivo de dados"),
        QStringLiteral("ArqIdAplicacao|identificação de aplicação errada"),
        QStringLiteral("ArqSemIdentidade|sem identidade de arquivo"),
        QStringLiteral("ArqOutroTipo|é um banco SQLite de outro tipo; não foi alterado."),
        QStringLiteral("ArqOcupado|está ocupado por outro processo; tente de novo."),
        QStringLiteral("ArqVersao|tem a versão de formato \"%1\"; este programa lê a versão %2."),
        QStringLiteral("ArqSemCampos|sua lista de campos está vazia."),
        QStringLiteral("ArqCampoInvalido|sua lista de campos tem um campo inválido \"%1\"."),
        QStringLiteral("ArqTipoDesconhecido|o campo \"%1\" tem o tipo desconhecido \"%2\"."),
        QStringLiteral("ArqColunas|sua tabela tem as colunas (%1), mas a lista de campos diz (%2)."),
        QStringLiteral("ArqIndiceInvalido|seu índice \"%1\" é inválido."),
        QStringLiteral("ArqLinhaCampo|linha %1, campo %2: %3"),
        QStringLiteral("ArqTipoErrado|contém %1 onde cabe um valor do tipo %2."),
        QStringLiteral("ArqTextoLongo|\"%1\" é maior que os %2 caracteres do campo."),
        QStringLiteral("ArqDataInvalida|\"%1\" não é uma data válida."),
        QStringLiteral("ArqValorLogico|%1 não é 0 nem 1."),
        QStringLiteral("ArqNaoFinito|o valor não é um número finito."),
        QStringLiteral("ArqChaveRepetida|suas linhas repetem uma chave do índice único %1."),
        QStringLiteral("ArqOutraForma|tem uma tabela de outra forma (%1); a tabela tem (%2)."),
        QStringLiteral("ArqMesmaChave|outro terminal gravou uma linha com a mesma chave (%1)."),
        QStringLiteral("ArqLinhaExcluida|uma linha alterada aqui (linha %1) foi excluída por outro terminal "
                       "desde que o arquivo foi lido; leia-o de novo."),
        QStringLiteral("ArqLinhaAlterada|uma linha alterada aqui (linha %1) também foi alterada por outro "
                       "terminal desde que o arquivo foi lido; leia-o de novo."),
        // Data files that the module did not make as they stand (a shared folder is written by
        // others): refused, and left as they are.
        QStringLiteral("ArqLink|%1 é um link simbólico; um arquivo de dados e seus diários não podem "
                       "ser links. Nada foi lido nem gravado."),
        QStringLiteral("ArqNaoComum|%1 não é um arquivo comum. Nada foi lido nem gravado."),
        QStringLiteral("ArqVariosNomes|%1 tem %2 nomes (links físicos); um arquivo de dados tem um nome só. "
                       "Nada foi lido nem gravado."),
        QStringLiteral("ArqObjetoEstranho|contém %1 \"%2\", que este sistema não cria; o arquivo não foi "
                       "usado nem alterado."),
        QStringLiteral("ArqObjetoAlterado|%1 \"%2\" não tem a definição que este sistema lhe dá; o "
                       "arquivo não foi usado nem alterado."),
        QStringLiteral("ArqObjetoFalta|falta %1 \"%2\"; o arquivo não foi usado nem alterado."),
        QStringLiteral("ArqModoWal|está no modo WAL do SQLite; um arquivo de dados usa o diário comum. O "
                       "arquivo não foi usado nem alterado."),
        QStringLiteral("ArqDanificado|está danificado (%1); o arquivo não foi usado nem alterado."),
        QStringLiteral("ArqDemora|uma leitura ou gravação passou de %1 segundos e foi abandonada; nada foi "
                       "gravado."),
        QStringLiteral("ArqGrande|guarda um valor ou uma definição maior que o permitido (%1); nada foi "
                       "gravado."),
        QStringLiteral("ArqCamposDiferentes|tem os campos (%1), mas a tabela define (%2); o arquivo não "
                       "foi usado nem alterado."),
        QStringLiteral("ArqIndicesDiferentes|tem os índices (%1), mas a tabela define (%2); o arquivo não "
                       "foi usado nem alterado."),
        QStringLiteral("Objeto_table|a tabela"),
        QStringLiteral("Objeto_index|o índice"),
        QStringLiteral("Objeto_view|a visão"),
        QStringLiteral("Objeto_trigger|o gatilho"),
        QStringLiteral("ArqNaoCabe|Arquivo de dados %1 não serve para a tabela: %2"),
        QStringLiteral("ArqSemCamposGravar|Uma tabela sem definições de campos não pode ser gravada."),
        QStringLiteral("ArqOrigemDiferente|as linhas da tabela não vieram deste arquivo e suas alterações "
                       "não podem ser aplicadas a ele; grave substituindo as linhas do arquivo."),
        QStringLiteral("ArqSubstituido|foi recriado desde que a tabela foi lida; leia-o de novo."),
        QStringLiteral("ArqSemRegistro|as alterações da tabela não foram todas registradas; grave "
                       "substituindo as linhas do arquivo."),
        // Kinds of values (in "contém %1 onde cabe %2" and in data packets).
        QStringLiteral("TipoInteiro|um número inteiro"),
        QStringLiteral("TipoReal|um número real"),
        QStringLiteral("TipoTexto|um texto"),
        QStringLiteral("TipoBlob|um blob"),
        QStringLiteral("TipoNulo|um nulo"),
        QStringLiteral("TipoLogico|um valor lógico"),
        QStringLiteral("TipoNumero|um número"),
        QStringLiteral("TipoLista|uma lista"),
        QStringLiteral("TipoListaObjeto|uma lista ou um objeto"),
        QStringLiteral("TipoObjeto|um objeto"),
        QStringLiteral("TipoNada|nada"),
        QStringLiteral("TipoData|um texto de data \"yyyy-MM-dd\""),
        QStringLiteral("TipoDataHora|um texto de data e hora \"yyyy-MM-ddTHH:mm:ss\""),
        QStringLiteral("TipoVerdadeiroFalso|true ou false"),
        QStringLiteral("TipoValor|um valor"),
        QStringLiteral("CampoTexto|texto"),
        QStringLiteral("CampoInteiro|número inteiro"),
        QStringLiteral("CampoReal|número real"),
        QStringLiteral("CampoData|data"),
        QStringLiteral("CampoDataHora|data e hora"),
        QStringLiteral("CampoLogico|lógico"),
        // Data packets as JSON.
        QStringLiteral("PctEsperado|%1: esperado %2, encontrado %3."),
        QStringLiteral("PctTextoLongo|%1: \"%2\" é maior que os %3 caracteres do campo."),
        QStringLiteral("PctSemNome|%1: \"name\" falta ou não é um texto."),
        QStringLiteral("PctNomeInvalido|%1: este nome não pode ser nome de campo."),
        QStringLiteral("PctCampoRepetido|%1: o campo está definido duas vezes."),
        QStringLiteral("PctMembroDesconhecido|%1: membro desconhecido \"%2\"."),
        QStringLiteral("PctSemTipo|%1: \"type\" falta ou não é um texto."),
        QStringLiteral("PctTipoDesconhecido|%1: tipo desconhecido \"%2\" (conhecidos: string, integer, "
                       "float, date, datetime, boolean)."),
        QStringLiteral("PctTamanho|%1: \"size\" deve ser um número inteiro a partir de 0."),
        QStringLiteral("PctMembroTexto|%1: \"%2\" deve ser um texto."),
        QStringLiteral("PctVisivel|%1: \"visible\" deve ser true ou false."),
        QStringLiteral("PctLinhaTamanho|%1: %2 valores para %3 campos."),
        QStringLiteral("PctCampoDesconhecido|%1: campo desconhecido \"%2\"."),
        QStringLiteral("PctCampoDuasVezes|%1: o campo \"%2\" aparece duas vezes."),
        QStringLiteral("PctNaoObjeto|Um pacote de dados deve ser um objeto JSON; encontrado %1."),
        QStringLiteral("PctErro|Pacote de dados: %1"),
        QStringLiteral("PctSemFields|\"fields\" falta ou não é uma lista."),
        QStringLiteral("PctRowsLista|\"rows\" deve ser uma lista."),
        QStringLiteral("PctLinhasSemCampos|linhas sem campos."),
        QStringLiteral("PctJson|erro de JSON na posição %1: %2"),
    });
    return catalogue;
}

QString fieldTypeLabel(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return dataSetText("CampoTexto");
    case FieldType::Integer:
        return dataSetText("CampoInteiro");
    case FieldType::Float:
        return dataSetText("CampoReal");
    case FieldType::Date:
        return dataSetText("CampoData");
    case FieldType::DateTime:
        return dataSetText("CampoDataHora");
    case FieldType::Boolean:
        return dataSetText("CampoLogico");
    }
    return fieldTypeName(type);
}

} // namespace zel
