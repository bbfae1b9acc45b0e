#pragma once

#include "ChequePrinter.h"
#include "FiscalPrinter.h"
#include "SimulatorConfig.h"
#include "TefDirectory.h"
#include "TextDisplay.h"
#include "devices/Peripherals.h"

#include <functional>

namespace zel {

// The peripheral services on simulated devices, set up from a SimulatorConfig: a virtual
// fiscal printer with its journal, the keyboard display and the customer display as text
// buffers, a cheque printer that logs its commands, and the TEF routines over a real
// directory served by tef-manager-sim. Hosts install it with setPeripherals.
class SimulatedPeripherals : public Peripherals
{
public:
    explicit SimulatedPeripherals(const SimulatorConfig& config);
    static Result<std::shared_ptr<SimulatedPeripherals>> fromFile(const QString& configPath);

    const SimulatorConfig& config() const { return m_config; }
    FiscalPrinter& fiscalPrinter() { return m_fiscal; }
    const TextDisplay& keyboardDisplay() const { return m_keyboard; }
    const TextDisplay& customerDisplay() const { return m_display; }
    ChequePrinter& chequePrinter() { return m_cheque; }
    TefDirectory& tef() { return m_tef; }

    // Called after each call that may change what a device shows or holds, so a host can
    // repaint its view of the devices.
    enum class Device { FiscalPrinter, KeyboardDisplay, CustomerDisplay, ChequePrinter };
    void setChangeListener(std::function<void(Device)> listener) { m_listener = std::move(listener); }

    void setKeyboardPresent(bool present) { m_keyboardPresent = present; }
    void setDisplayPresent(bool present) { m_displayPresent = present; }
    void setMovementDate(const QDate& date) { m_movementDate = date; }

    // What went wrong confirming or undoing TEF approvals at the coupon closings so far
    // (a manager that did not answer, an approval it no longer had pending).
    const QStringList& tefErrors() const { return m_tefErrors; }

    // Fiscal printer.
    bool Estado_Impressora(bool opcao1, bool opcao2) override;
    QString lastPrinterError() const override { return m_fiscal.lastError(); }
    void Abre_Gaveta() override;
    bool AbreCupom(const QString& nrCupom) override;
    bool VendaItem(const QString& nrVenda, const QString& tipoDesconto, const QString& cdProduto,
                   const QString& nmProduto, const QString& cdAliq, double quantidade, double vrUnitario,
                   double vrDesconto) override;
    bool Cancela_Cupom(bool opcao1, bool opcao2, QString& nrCupom) override;
    bool Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                           double valor) override;
    bool AbreCupomRes(const QString& nrVenda, const QString& texto) override;
    bool FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto, double vrTroco,
                    double vrServico, const QString& usaTef, bool confirmaAuto, const QString& formaPagto,
                    DataSet& movimentos, DataSet& recebimentos, QString& nrCupom, const QString& linhaCliente,
                    const QString& cdConsumidor, const QString& nmConsumidor, const QString& cnpjCpf,
                    const QString& nome) override;
    QString AjustaZero(const QString& digitos, int width) override;
    bool ImpFiscalOK() override;
    QDate DataMoviFiscal() override;
    QString CdAliq() const override { return m_cdAliq; }
    void setCdAliq(const QString& code) override { m_cdAliq = code; }
    int IdTipoImpFis() const override { return m_idTipoImpFis; }
    void setIdTipoImpFis(int kind) override { m_idTipoImpFis = kind; }
    int IdTipoImpChq() const override { return m_cheque.kind(); }
    void setIdTipoImpChq(int kind) override { m_cheque.setKind(kind); }
    QString DsDirCad() const override { return m_dsDirCad; }
    void setDsDirCad(const QString& dir) override;

    // Keyboard display.
    bool TecladoOK() override { return m_keyboardPresent; }
    void TeclFormFeed() override;
    void TeclDispClrLn1() override;
    void TeclDispClrLn2() override;
    void TeclGoToXY(int row, int col) override;
    void TeclDispStr(const QString& text) override;

    // TEF.
    bool CheckIntPosFiles() override;
    bool CheckDirTef(const QString& letter) override;
    bool CheckGPAtivo() override;
    bool CheckGPAtivo(const QString& header, const QString& sequence) override;
    QString GetSequence() override;
    QString NewIntPosFileName(const QString& dir) override;
    bool DeleteIntPosFiles(const QString& dir, const QString& sequence) override;
    QString DirTef() const override { return m_tef.dir(); }
    void setDirTef(const QString& dir) override { m_tef.setDir(dir); }
    int inContCuponsTEF() const override { return m_inContCuponsTEF; }
    void setInContCuponsTEF(int count) override { m_inContCuponsTEF = std::max(0, count); }

    // Customer display.
    bool DisplayOK() override { return m_displayPresent; }
    void DisplayChar(const QString& text) override;
    int TAM_DISPLAY() const override { return m_display.columns(); }

    // Cheque printer.
    bool ImpChqChar(const QString& text) override;
    bool Retorno_Imp(int result) override;
    bool Fecha_Imp_Chq_Sweda(bool opcao1, bool opcao2) override;

protected:
    int enviaComandoCheque(const char* command) override;

private:
    // After a coupon closed: confirms the approvals whose slips it printed, then undoes every
    // other approval the manager still lists as pending.
    void settleTefApprovals(const QList<TefDirectory::PendingReceipt>& printed);

    void changed(Device device)
    {
        if (m_listener)
            m_listener(device);
    }

    std::function<void(Device)> m_listener;
    SimulatorConfig m_config;
    FiscalPrinter m_fiscal;
    TextDisplay m_keyboard;
    TextDisplay m_display;
    ChequePrinter m_cheque;
    TefDirectory m_tef;

    bool m_keyboardPresent;
    bool m_displayPresent;
    QDate m_movementDate;
    QString m_cdAliq;
    int m_idTipoImpFis;
    QString m_dsDirCad;
    int m_inContCuponsTEF = 0;
    QStringList m_tefErrors;
};

} // namespace zel
