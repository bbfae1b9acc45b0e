#include "Peripherals.h"

#include "ControlText.h"

#include <cstring>

namespace zel {

PeripheralsMissing::PeripheralsMissing(const QString& call)
    : std::runtime_error(QStringLiteral("Os serviços de periféricos não foram instalados pelo sistema "
                                        "(chamada %1).")
                             .arg(call)
                             .toStdString())
{
}

int Peripherals::EnviaComImpChq(const char* command)
{
    if (command == nullptr)
        return -1;
    char buffer[kChequeCommandBuffer];
    std::strncpy(buffer, command, kChequeCommandBuffer - 1);
    buffer[kChequeCommandBuffer - 1] = '\0';
    return enviaComandoCheque(buffer);
}

QString padWithZeros(const QString& digits, int width)
{
    if (digits.size() >= width)
        return digits;
    return QString(width - digits.size(), QLatin1Char('0')) + digits;
}

namespace {

// What the module reaches when the host installed nothing: every call is a clear error.
class MissingPeripherals final : public Peripherals
{
public:
    [[noreturn]] static void fail(const char* call) { throw PeripheralsMissing(QString::fromLatin1(call)); }

    bool Estado_Impressora(bool, bool) override { fail("Estado_Impressora"); }
    void Abre_Gaveta() override { fail("Abre_Gaveta"); }
    bool AbreCupom(const QString&) override { fail("AbreCupom"); }
    bool VendaItem(const QString&, const QString&, const QString&, const QString&, const QString&, double,
                   double, double) override
    {
        fail("VendaItem");
    }
    bool Cancela_Cupom(bool, bool, QString&) override { fail("Cancela_Cupom"); }
    bool Cupom_Conferencia(const QString&, const QString&, double, double) override
    {
        fail("Cupom_Conferencia");
    }
    bool AbreCupomRes(const QString&, const QString&) override { fail("AbreCupomRes"); }
    bool FechaCupom(bool, bool, double, double, double, const QString&, bool, const QString&, DataSet&,
                    DataSet&, QString&, const QString&, const QString&, const QString&, const QString&,
                    const QString&) override
    {
        fail("FechaCupom");
    }
    QString AjustaZero(const QString&, int) override { fail("AjustaZero"); }
    bool ImpFiscalOK() override { fail("ImpFiscalOK"); }
    QDate DataMoviFiscal() override { fail("DataMoviFiscal"); }
    QString CdAliq() const override { fail("CdAliq"); }
    void setCdAliq(const QString&) override { fail("CdAliq"); }
    int IdTipoImpFis() const override { fail("IdTipoImpFis"); }
    void setIdTipoImpFis(int) override { fail("IdTipoImpFis"); }
    int IdTipoImpChq() const override { fail("IdTipoImpChq"); }
    void setIdTipoImpChq(int) override { fail("IdTipoImpChq"); }
    QString DsDirCad() const override { fail("DsDirCad"); }
    void setDsDirCad(const QString&) override { fail("DsDirCad"); }

    bool TecladoOK() override { fail("TecladoOK"); }
    void TeclFormFeed() override { fail("TeclFormFeed"); }
    void TeclDispClrLn1() override { fail("TeclDispClrLn1"); }
    void TeclDispClrLn2() override { fail("TeclDispClrLn2"); }
    void TeclGoToXY(int, int) override { fail("TeclGoToXY"); }
    void TeclDispStr(const QString&) override { fail("TeclDispStr"); }

    bool CheckIntPosFiles() override { fail("CheckIntPosFiles"); }
    bool CheckDirTef(const QString&) override { fail("CheckDirTef"); }
    bool CheckGPAtivo() override { fail("CheckGPAtivo"); }
    bool CheckGPAtivo(const QString&, const QString&) override { fail("CheckGPAtivo"); }
    QString GetSequence() override { fail("GetSequence"); }
    QString NewIntPosFileName(const QString&) override { fail("NewIntPosFileName"); }
    bool DeleteIntPosFiles(const QString&, const QString&) override { fail("DeleteIntPosFiles"); }
    QString DirTef() const override { fail("DirTef"); }
    void setDirTef(const QString&) override { fail("DirTef"); }
    int inContCuponsTEF() const override { fail("inContCuponsTEF"); }
    void setInContCuponsTEF(int) override { fail("inContCuponsTEF"); }

    bool DisplayOK() override { fail("DisplayOK"); }
    void DisplayChar(const QString&) override { fail("DisplayChar"); }
    int TAM_DISPLAY() const override { fail("TAM_DISPLAY"); }

    bool ImpChqChar(const QString&) override { fail("ImpChqChar"); }
    bool Retorno_Imp(int) override { fail("Retorno_Imp"); }
    bool Fecha_Imp_Chq_Sweda(bool, bool) override { fail("Fecha_Imp_Chq_Sweda"); }

protected:
    int enviaComandoCheque(const char*) override { fail("EnviaComImpChq"); }
};

// The one way from the module to the devices: every text bound for a printer or a display
// loses its control characters here, whichever form, catalogue or host table it came from (a
// product name holding ESC would otherwise be a printer command). What a device's protocol
// needs stays: FF clears the customer display; the escape-command cheque printer takes the
// ESC commands, line feeds and form feeds the cheque form composes.
class ScreenedPeripherals final : public Peripherals
{
public:
    Peripherals* target = nullptr;

    static QString text(const QString& value) { return printableText(value); }

    bool Estado_Impressora(bool a, bool b) override { return target->Estado_Impressora(a, b); }
    void Abre_Gaveta() override { target->Abre_Gaveta(); }
    QString lastPrinterError() const override { return target->lastPrinterError(); }
    bool AbreCupom(const QString& nrCupom) override { return target->AbreCupom(text(nrCupom)); }
    bool VendaItem(const QString& nrVenda, const QString& tipoDesconto, const QString& cdProduto,
                   const QString& nmProduto, const QString& cdAliq, double quantidade, double vrUnitario,
                   double vrDesconto) override
    {
        return target->VendaItem(text(nrVenda), text(tipoDesconto), text(cdProduto), text(nmProduto),
                                 text(cdAliq), quantidade, vrUnitario, vrDesconto);
    }
    bool Cancela_Cupom(bool a, bool b, QString& nrCupom) override
    {
        return target->Cancela_Cupom(a, b, nrCupom);
    }
    bool Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                           double valor) override
    {
        return target->Cupom_Conferencia(text(nrVenda), text(tipo), percentual, valor);
    }
    bool AbreCupomRes(const QString& nrVenda, const QString& texto) override
    {
        return target->AbreCupomRes(text(nrVenda), text(texto));
    }
    bool FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto, double vrTroco,
                    double vrServico, const QString& usaTef, bool confirmaAuto, const QString& formaPagto,
                    DataSet& movimentos, DataSet& recebimentos, QString& nrCupom, const QString& linhaCliente,
                    const QString& cdConsumidor, const QString& nmConsumidor, const QString& cnpjCpf,
                    const QString& nome) override
    {
        return target->FechaCupom(emiteContraVale, semCartaoTef, vrDesconto, vrTroco, vrServico, text(usaTef),
                                  confirmaAuto, text(formaPagto), movimentos, recebimentos, nrCupom,
                                  text(linhaCliente), text(cdConsumidor), text(nmConsumidor), text(cnpjCpf),
                                  text(nome));
    }
    QString AjustaZero(const QString& digitos, int width) override
    {
        return target->AjustaZero(digitos, width);
    }
    bool ImpFiscalOK() override { return target->ImpFiscalOK(); }
    QDate DataMoviFiscal() override { return target->DataMoviFiscal(); }
    QString CdAliq() const override { return target->CdAliq(); }
    void setCdAliq(const QString& code) override { target->setCdAliq(text(code)); }
    int IdTipoImpFis() const override { return target->IdTipoImpFis(); }
    void setIdTipoImpFis(int kind) override { target->setIdTipoImpFis(kind); }
    int IdTipoImpChq() const override { return target->IdTipoImpChq(); }
    void setIdTipoImpChq(int kind) override { target->setIdTipoImpChq(kind); }
    QString DsDirCad() const override { return target->DsDirCad(); }
    void setDsDirCad(const QString& dir) override { target->setDsDirCad(dir); }

    bool TecladoOK() override { return target->TecladoOK(); }
    void TeclFormFeed() override { target->TeclFormFeed(); }
    void TeclDispClrLn1() override { target->TeclDispClrLn1(); }
    void TeclDispClrLn2() override { target->TeclDispClrLn2(); }
    void TeclGoToXY(int row, int col) override { target->TeclGoToXY(row, col); }
    void TeclDispStr(const QString& value) override { target->TeclDispStr(text(value)); }

    bool CheckIntPosFiles() override { return target->CheckIntPosFiles(); }
    bool CheckDirTef(const QString& letter) override { return target->CheckDirTef(letter); }
    bool CheckGPAtivo() override { return target->CheckGPAtivo(); }
    bool CheckGPAtivo(const QString& header, const QString& sequence) override
    {
        return target->CheckGPAtivo(header, sequence);
    }
    QString GetSequence() override { return target->GetSequence(); }
    QString NewIntPosFileName(const QString& dir) override { return target->NewIntPosFileName(dir); }
    bool DeleteIntPosFiles(const QString& dir, const QString& sequence) override
    {
        return target->DeleteIntPosFiles(dir, sequence);
    }
    QString DirTef() const override { return target->DirTef(); }
    void setDirTef(const QString& dir) override { target->setDirTef(dir); }
    int inContCuponsTEF() const override { return target->inContCuponsTEF(); }
    void setInContCuponsTEF(int count) override { target->setInContCuponsTEF(count); }

    bool DisplayOK() override { return target->DisplayOK(); }
    void DisplayChar(const QString& value) override { target->DisplayChar(printableText(value, u"\f")); }
    int TAM_DISPLAY() const override { return target->TAM_DISPLAY(); }

    bool ImpChqChar(const QString& value) override
    {
        return target->ImpChqChar(printableText(value, u"\x1b\n\f"));
    }
    bool Retorno_Imp(int result) override { return target->Retorno_Imp(result); }
    bool Fecha_Imp_Chq_Sweda(bool a, bool b) override { return target->Fecha_Imp_Chq_Sweda(a, b); }

protected:
    // A command string is printable Latin-1: its protocol has no control characters.
    int enviaComandoCheque(const char* command) override
    {
        const QByteArray printable = printableText(QString::fromLatin1(command)).toLatin1();
        return target->EnviaComImpChq(printable.constData());
    }
};

std::shared_ptr<Peripherals>& installed()
{
    static std::shared_ptr<Peripherals> services;
    return services;
}

} // namespace

Peripherals& peripherals()
{
    static MissingPeripherals missing;
    static ScreenedPeripherals screened;
    auto& services = installed();
    screened.target = services ? services.get() : static_cast<Peripherals*>(&missing);
    return screened;
}

bool peripheralsInstalled()
{
    return installed() != nullptr;
}

std::shared_ptr<Peripherals> setPeripherals(std::shared_ptr<Peripherals> services)
{
    installed().swap(services);
    return services;
}

} // namespace zel
