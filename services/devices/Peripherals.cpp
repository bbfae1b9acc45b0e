#include "Peripherals.h"

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

std::shared_ptr<Peripherals>& installed()
{
    static std::shared_ptr<Peripherals> services;
    return services;
}

} // namespace

Peripherals& peripherals()
{
    static MissingPeripherals missing;
    auto& services = installed();
    return services ? *services : static_cast<Peripherals&>(missing);
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
