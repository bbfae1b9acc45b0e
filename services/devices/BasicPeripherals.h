#pragma once

#include "Peripherals.h"

namespace zel {

// A starting point for a host that has only some of the devices: every device is absent, every
// command refuses, and the fiscal printer says why ("não suportado"). A host derives from it and
// overrides the members of the devices it has; the settings (CdAliq, IdTipoImpFis, IdTipoImpChq,
// DsDirCad, DirTef, the count of TEF slips) are kept as given.
class ZEL_DEVICES_EXPORT BasicPeripherals : public Peripherals
{
public:
    bool Estado_Impressora(bool, bool) override { return refuse(QStringLiteral("Estado_Impressora")); }
    void Abre_Gaveta() override {}
    QString lastPrinterError() const override { return m_lastError; }
    bool AbreCupom(const QString&) override { return refuse(QStringLiteral("AbreCupom")); }
    bool VendaItem(const QString&, const QString&, const QString&, const QString&, const QString&, double,
                   double, double) override
    {
        return refuse(QStringLiteral("VendaItem"));
    }
    bool Cancela_Cupom(bool, bool, QString&) override { return refuse(QStringLiteral("Cancela_Cupom")); }
    bool Cupom_Conferencia(const QString&, const QString&, double, double) override
    {
        return refuse(QStringLiteral("Cupom_Conferencia"));
    }
    bool AbreCupomRes(const QString&, const QString&) override
    {
        return refuse(QStringLiteral("AbreCupomRes"));
    }
    bool FechaCupom(bool, bool, double, double, double, const QString&, bool, const QString&, DataSet&,
                    DataSet&, QString&, const QString&, const QString&, const QString&, const QString&,
                    const QString&) override
    {
        return refuse(QStringLiteral("FechaCupom"));
    }
    QString AjustaZero(const QString& digitos, int width) override { return padWithZeros(digitos, width); }
    bool ImpFiscalOK() override { return false; }
    QDate DataMoviFiscal() override { return {}; }

    QString CdAliq() const override { return m_cdAliq; }
    void setCdAliq(const QString& code) override { m_cdAliq = code; }
    int IdTipoImpFis() const override { return m_idTipoImpFis; }
    void setIdTipoImpFis(int kind) override { m_idTipoImpFis = kind; }
    int IdTipoImpChq() const override { return m_idTipoImpChq; }
    void setIdTipoImpChq(int kind) override { m_idTipoImpChq = kind; }
    QString DsDirCad() const override { return m_dsDirCad; }
    void setDsDirCad(const QString& dir) override { m_dsDirCad = withSlash(dir); }

    bool TecladoOK() override { return false; }
    void TeclFormFeed() override {}
    void TeclDispClrLn1() override {}
    void TeclDispClrLn2() override {}
    void TeclGoToXY(int, int) override {}
    void TeclDispStr(const QString&) override {}

    bool CheckIntPosFiles() override { return false; }
    bool CheckDirTef(const QString&) override { return false; }
    bool CheckGPAtivo() override { return false; }
    bool CheckGPAtivo(const QString&, const QString&) override { return false; }
    QString GetSequence() override { return {}; }
    QString NewIntPosFileName(const QString&) override { return {}; }
    bool DeleteIntPosFiles(const QString&, const QString&) override { return false; }
    QString DirTef() const override { return m_dirTef; }
    void setDirTef(const QString& dir) override { m_dirTef = withSlash(dir); }
    int inContCuponsTEF() const override { return m_slips; }
    void setInContCuponsTEF(int count) override { m_slips = count; }

    bool DisplayOK() override { return false; }
    void DisplayChar(const QString&) override {}
    int TAM_DISPLAY() const override { return 20; }

    bool ImpChqChar(const QString&) override { return false; }
    bool Retorno_Imp(int) override { return false; }
    bool Fecha_Imp_Chq_Sweda(bool, bool) override { return false; }

protected:
    int enviaComandoCheque(const char*) override { return -1; }

    // Refuses a fiscal printer command, saying it is not supported here.
    bool refuse(const QString& command)
    {
        m_lastError = command + QStringLiteral(": não suportado (sem impressora fiscal)");
        return false;
    }
    static QString withSlash(const QString& dir)
    {
        return dir.isEmpty() || dir.endsWith(u'/') ? dir : dir + u'/';
    }

private:
    QString m_lastError;
    QString m_cdAliq;
    int m_idTipoImpFis = 0;
    int m_idTipoImpChq = 0;
    QString m_dsDirCad;
    QString m_dirTef;
    int m_slips = 0;
};

} // namespace zel
