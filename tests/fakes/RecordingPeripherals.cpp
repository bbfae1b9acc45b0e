#include "RecordingPeripherals.h"

#include "dataset/DataSet.h"
#include "devices/ControlText.h"

#include <charconv>

namespace zel {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + showControlChars(text) + QLatin1Char('"');
}

QString number(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString flag(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString dataset(const DataPacket& packet)
{
    return QStringLiteral("DataSet[%1]").arg(packet.rows.size());
}

} // namespace

QString PeripheralCall::text() const
{
    if (write)
        return name + QStringLiteral(" := ") + args.value(0);
    return name + QLatin1Char('(') + args.join(QStringLiteral(", ")) + QLatin1Char(')');
}

RecordingPeripherals::RecordingPeripherals() = default;

QStringList RecordingPeripherals::callTexts() const
{
    QStringList texts;
    for (const auto& call : m_calls)
        texts << call.text();
    return texts;
}

QStringList RecordingPeripherals::callTexts(const QStringList& names) const
{
    QStringList texts;
    for (const auto& call : m_calls) {
        if (names.contains(call.name))
            texts << call.text();
    }
    return texts;
}

QStringList RecordingPeripherals::callNames() const
{
    QStringList names;
    for (const auto& call : m_calls)
        names << call.name;
    return names;
}

int RecordingPeripherals::count(const QString& name) const
{
    int n = 0;
    for (const auto& call : m_calls)
        n += call.name == name ? 1 : 0;
    return n;
}

void RecordingPeripherals::script(const QString& member, const QVariantList& results)
{
    m_script[member] += results;
}

void RecordingPeripherals::setDefault(const QString& member, const QVariant& result)
{
    m_defaults[member] = result;
}

void RecordingPeripherals::record(const QString& name, QStringList args)
{
    m_calls.append({name, std::move(args)});
}

void RecordingPeripherals::recordWrite(const QString& name, const QString& value)
{
    m_calls.append({name, {value}, true});
}

QVariant RecordingPeripherals::next(const QString& member, const QVariant& fallback)
{
    auto queue = m_script.find(member);
    if (queue != m_script.end() && !queue->isEmpty())
        return queue->takeFirst();
    return m_defaults.value(member, fallback);
}

bool RecordingPeripherals::nextBool(const QString& member)
{
    return next(member, true).toBool();
}

// ---- Fiscal printer ----------------------------------------------------------------------

bool RecordingPeripherals::Estado_Impressora(bool opcao1, bool opcao2)
{
    record(QStringLiteral("Estado_Impressora"), {flag(opcao1), flag(opcao2)});
    return nextBool(QStringLiteral("Estado_Impressora"));
}

void RecordingPeripherals::Abre_Gaveta()
{
    record(QStringLiteral("Abre_Gaveta"), {});
}

bool RecordingPeripherals::AbreCupom(const QString& nrCupom)
{
    record(QStringLiteral("AbreCupom"), {quoted(nrCupom)});
    return nextBool(QStringLiteral("AbreCupom"));
}

bool RecordingPeripherals::VendaItem(const QString& nrVenda, const QString& tipoDesconto,
                                     const QString& cdProduto, const QString& nmProduto,
                                     const QString& cdAliq, double quantidade, double vrUnitario,
                                     double vrDesconto)
{
    record(QStringLiteral("VendaItem"),
           {quoted(nrVenda), quoted(tipoDesconto), quoted(cdProduto), quoted(nmProduto), quoted(cdAliq),
            number(quantidade), number(vrUnitario), number(vrDesconto)});
    return nextBool(QStringLiteral("VendaItem"));
}

bool RecordingPeripherals::Cancela_Cupom(bool opcao1, bool opcao2, QString& nrCupom)
{
    record(QStringLiteral("Cancela_Cupom"), {flag(opcao1), flag(opcao2), quoted(nrCupom)});
    const QVariant number = next(QStringLiteral("Cancela_Cupom.nrCupom"));
    if (number.isValid())
        nrCupom = number.toString();
    return nextBool(QStringLiteral("Cancela_Cupom"));
}

bool RecordingPeripherals::Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                                             double valor)
{
    record(QStringLiteral("Cupom_Conferencia"),
           {quoted(nrVenda), quoted(tipo), number(percentual), number(valor)});
    return nextBool(QStringLiteral("Cupom_Conferencia"));
}

bool RecordingPeripherals::AbreCupomRes(const QString& nrVenda, const QString& texto)
{
    record(QStringLiteral("AbreCupomRes"), {quoted(nrVenda), quoted(texto)});
    return nextBool(QStringLiteral("AbreCupomRes"));
}

bool RecordingPeripherals::FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto,
                                      double vrTroco, double vrServico, const QString& usaTef,
                                      bool confirmaAuto, const QString& formaPagto, DataSet& movimentos,
                                      DataSet& recebimentos, QString& nrCupom, const QString& linhaCliente,
                                      const QString& cdConsumidor, const QString& nmConsumidor,
                                      const QString& cnpjCpf, const QString& nome)
{
    m_lastMovements = movimentos.data();
    m_lastPaymentTypes = recebimentos.data();
    record(QStringLiteral("FechaCupom"),
           {flag(emiteContraVale), flag(semCartaoTef), number(vrDesconto), number(vrTroco), number(vrServico),
            quoted(usaTef), flag(confirmaAuto), quoted(formaPagto), dataset(m_lastMovements),
            dataset(m_lastPaymentTypes), quoted(nrCupom), quoted(linhaCliente), quoted(cdConsumidor),
            quoted(nmConsumidor), quoted(cnpjCpf), quoted(nome)});
    const QVariant number = next(QStringLiteral("FechaCupom.nrCupom"));
    if (number.isValid())
        nrCupom = number.toString();
    return nextBool(QStringLiteral("FechaCupom"));
}

QString RecordingPeripherals::AjustaZero(const QString& digitos, int width)
{
    record(QStringLiteral("AjustaZero"), {quoted(digitos), QString::number(width)});
    return next(QStringLiteral("AjustaZero"), padWithZeros(digitos, width)).toString();
}

bool RecordingPeripherals::ImpFiscalOK()
{
    record(QStringLiteral("ImpFiscalOK"), {});
    return nextBool(QStringLiteral("ImpFiscalOK"));
}

QDate RecordingPeripherals::DataMoviFiscal()
{
    record(QStringLiteral("DataMoviFiscal"), {});
    return next(QStringLiteral("DataMoviFiscal"), QDate()).toDate();
}

void RecordingPeripherals::setCdAliq(const QString& code)
{
    recordWrite(QStringLiteral("CdAliq"), quoted(code));
    m_cdAliq = code;
}

void RecordingPeripherals::setIdTipoImpFis(int kind)
{
    recordWrite(QStringLiteral("IdTipoImpFis"), QString::number(kind));
    m_idTipoImpFis = kind;
}

void RecordingPeripherals::setIdTipoImpChq(int kind)
{
    recordWrite(QStringLiteral("IdTipoImpChq"), QString::number(kind));
    m_idTipoImpChq = kind;
}

void RecordingPeripherals::setDsDirCad(const QString& dir)
{
    recordWrite(QStringLiteral("DsDirCad"), quoted(dir));
    m_dsDirCad = dir;
}

// ---- Keyboard display ------------------------------------------------------------------

bool RecordingPeripherals::TecladoOK()
{
    record(QStringLiteral("TecladoOK"), {});
    return nextBool(QStringLiteral("TecladoOK"));
}

void RecordingPeripherals::TeclFormFeed()
{
    record(QStringLiteral("TeclFormFeed"), {});
}

void RecordingPeripherals::TeclDispClrLn1()
{
    record(QStringLiteral("TeclDispClrLn1"), {});
}

void RecordingPeripherals::TeclDispClrLn2()
{
    record(QStringLiteral("TeclDispClrLn2"), {});
}

void RecordingPeripherals::TeclGoToXY(int row, int col)
{
    record(QStringLiteral("TeclGoToXY"), {QString::number(row), QString::number(col)});
}

void RecordingPeripherals::TeclDispStr(const QString& text)
{
    record(QStringLiteral("TeclDispStr"), {quoted(text)});
}

// ---- TEF ---------------------------------------------------------------------------------

bool RecordingPeripherals::CheckIntPosFiles()
{
    record(QStringLiteral("CheckIntPosFiles"), {});
    return nextBool(QStringLiteral("CheckIntPosFiles"));
}

bool RecordingPeripherals::CheckDirTef(const QString& letter)
{
    record(QStringLiteral("CheckDirTef"), {quoted(letter)});
    return nextBool(QStringLiteral("CheckDirTef"));
}

bool RecordingPeripherals::CheckGPAtivo()
{
    record(QStringLiteral("CheckGPAtivo"), {});
    return nextBool(QStringLiteral("CheckGPAtivo"));
}

bool RecordingPeripherals::CheckGPAtivo(const QString& header, const QString& sequence)
{
    record(QStringLiteral("CheckGPAtivo"), {quoted(header), quoted(sequence)});
    return nextBool(QStringLiteral("CheckGPAtivo"));
}

QString RecordingPeripherals::GetSequence()
{
    record(QStringLiteral("GetSequence"), {});
    const QVariant scripted = next(QStringLiteral("GetSequence"));
    return scripted.isValid() ? scripted.toString() : QString::number(++m_sequence);
}

QString RecordingPeripherals::NewIntPosFileName(const QString& dir)
{
    record(QStringLiteral("NewIntPosFileName"), {quoted(dir)});
    const QVariant scripted = next(QStringLiteral("NewIntPosFileName"));
    if (scripted.isValid())
        return scripted.toString();
    return dir + QStringLiteral("intpos.%1").arg(++m_fileNumber, 3, 10, QLatin1Char('0'));
}

bool RecordingPeripherals::DeleteIntPosFiles(const QString& dir, const QString& sequence)
{
    record(QStringLiteral("DeleteIntPosFiles"), {quoted(dir), quoted(sequence)});
    return nextBool(QStringLiteral("DeleteIntPosFiles"));
}

void RecordingPeripherals::setDirTef(const QString& dir)
{
    recordWrite(QStringLiteral("DirTef"), quoted(dir));
    m_dirTef = dir;
}

void RecordingPeripherals::setInContCuponsTEF(int count)
{
    recordWrite(QStringLiteral("inContCuponsTEF"), QString::number(count));
    m_inContCuponsTEF = count;
}

// ---- Customer display and cheque printer ---------------------------------------------

bool RecordingPeripherals::DisplayOK()
{
    record(QStringLiteral("DisplayOK"), {});
    return nextBool(QStringLiteral("DisplayOK"));
}

void RecordingPeripherals::DisplayChar(const QString& text)
{
    record(QStringLiteral("DisplayChar"), {quoted(text)});
}

bool RecordingPeripherals::ImpChqChar(const QString& text)
{
    record(QStringLiteral("ImpChqChar"), {quoted(text)});
    return nextBool(QStringLiteral("ImpChqChar"));
}

int RecordingPeripherals::enviaComandoCheque(const char* command)
{
    const QString text = QString::fromLatin1(command);
    record(QStringLiteral("EnviaComImpChq"), {quoted(text)});
    return next(QStringLiteral("EnviaComImpChq"), int(text.size())).toInt();
}

bool RecordingPeripherals::Retorno_Imp(int result)
{
    record(QStringLiteral("Retorno_Imp"), {QString::number(result)});
    return nextBool(QStringLiteral("Retorno_Imp"));
}

bool RecordingPeripherals::Fecha_Imp_Chq_Sweda(bool opcao1, bool opcao2)
{
    record(QStringLiteral("Fecha_Imp_Chq_Sweda"), {flag(opcao1), flag(opcao2)});
    return nextBool(QStringLiteral("Fecha_Imp_Chq_Sweda"));
}

} // namespace zel
