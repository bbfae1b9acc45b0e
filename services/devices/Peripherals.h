#pragma once

#include "DevicesExport.h"

#include <QDate>
#include <QString>
#include <memory>
#include <stdexcept>

namespace zel {

class DataSet;

// The peripheral services the module relies on: the fiscal printer and its settings, the
// POS keyboard's two-line display, the TEF directory routines, the customer display and
// the cheque printer. The host owns the devices; it implements this interface and installs
// it with setPeripherals before it calls the module. Member names are the ones the module
// and the host share, so they keep their original spelling.
//
// Text variables of the services (CdAliq, DsDirCad, DirTef) are getter/setter pairs; the
// directories end with "/". Every call happens on the user-interface thread.
class ZEL_DEVICES_EXPORT Peripherals
{
public:
    virtual ~Peripherals() = default;

    // ---- Fiscal printer and its settings --------------------------------------------
    // true when the printer is ready for a coupon.
    virtual bool Estado_Impressora(bool opcao1, bool opcao2) = 0;
    virtual void Abre_Gaveta() = 0;
    // The fiscal printer's own reason for the last command it refused, in its words; empty when
    // the device does not tell (the default). Shown to the operator under the module's error.
    virtual QString lastPrinterError() const { return {}; }
    // Opens a fiscal coupon; true when it is open.
    virtual bool AbreCupom(const QString& nrCupom) = 0;
    // Registers one item under the aliquot code `cdAliq`. `tipoDesconto` is "D" (a value);
    // `vrDesconto` is the discount per unit of the item. true: the item was taken.
    virtual bool VendaItem(const QString& nrVenda, const QString& tipoDesconto, const QString& cdProduto,
                           const QString& nmProduto, const QString& cdAliq, double quantidade,
                           double vrUnitario, double vrDesconto) = 0;
    // Cancels the open coupon, or the last one closed; `nrCupom` receives its number.
    virtual bool Cancela_Cupom(bool opcao1, bool opcao2, QString& nrCupom) = 0;
    // Announces the coupon's surcharge ("A"), discount ("D") or neither ("0"), either as a
    // percentage or as a value.
    virtual bool Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                                   double valor) = 0;
    // Opens the payment phase; true when it is open.
    virtual bool AbreCupomRes(const QString& nrVenda, const QString& texto) = 0;
    // Prints the movements as payment lines and closes the coupon; `nrCupom` receives the
    // number of the closed coupon. `semCartaoTef` is false when a card was paid through
    // TEF in this coupon. `movimentos` and `recebimentos` are read only; their cursors,
    // filters and rows are left as they were.
    virtual bool FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto, double vrTroco,
                            double vrServico, const QString& usaTef, bool confirmaAuto,
                            const QString& formaPagto, DataSet& movimentos, DataSet& recebimentos,
                            QString& nrCupom, const QString& linhaCliente, const QString& cdConsumidor,
                            const QString& nmConsumidor, const QString& cnpjCpf, const QString& nome) = 0;
    // The digits with leading zeros up to `width` characters.
    virtual QString AjustaZero(const QString& digitos, int width) = 0;
    virtual bool ImpFiscalOK() = 0;
    // The fiscal movement date; a null date when the printer has none.
    virtual QDate DataMoviFiscal() = 0;

    virtual QString CdAliq() const = 0;
    virtual void setCdAliq(const QString& code) = 0;
    virtual int IdTipoImpFis() const = 0;
    virtual void setIdTipoImpFis(int kind) = 0;
    virtual int IdTipoImpChq() const = 0;
    virtual void setIdTipoImpChq(int kind) = 0;
    virtual QString DsDirCad() const = 0;
    virtual void setDsDirCad(const QString& dir) = 0;

    // ---- Keyboard display: two lines of 40 characters, rows and columns from 1 ------------
    virtual bool TecladoOK() = 0;
    virtual void TeclFormFeed() = 0;
    virtual void TeclDispClrLn1() = 0;
    virtual void TeclDispClrLn2() = 0;
    virtual void TeclGoToXY(int row, int col) = 0;
    virtual void TeclDispStr(const QString& text) = 0;

    // ---- TEF: the IntPos exchange directory -----------------------------------------------
    // Requests go to DirTef() + "req/intpos.001", responses come in DirTef() + "resp/intpos.001".
    virtual bool CheckIntPosFiles() = 0;
    virtual bool CheckDirTef(const QString& letter) = 0;
    // The activity check: true when the TEF manager answers.
    virtual bool CheckGPAtivo() = 0;
    // After a request was written: true when the manager took the request with this header
    // ("CRT", "CHQ") and sequence.
    virtual bool CheckGPAtivo(const QString& header, const QString& sequence) = 0;
    virtual QString GetSequence() = 0;
    // A path in `dir` (which ends with "/") that no file uses.
    virtual QString NewIntPosFileName(const QString& dir) = 0;
    // Removes the files of the exchange `sequence` from `dir`.
    virtual bool DeleteIntPosFiles(const QString& dir, const QString& sequence) = 0;
    virtual QString DirTef() const = 0;
    virtual void setDirTef(const QString& dir) = 0;
    // Approved exchanges whose receipt lines are still to be printed.
    virtual int inContCuponsTEF() const = 0;
    virtual void setInContCuponsTEF(int count) = 0;

    // ---- Customer display: two lines of TAM_DISPLAY characters ------------------------------
    virtual bool DisplayOK() = 0;
    // Writes the text at the cursor; character 12 clears the display.
    virtual void DisplayChar(const QString& text) = 0;
    virtual int TAM_DISPLAY() const = 0;

    // ---- Cheque printer -------------------------------------------------------------------
    // One text for the escape-command printer (kind 1).
    virtual bool ImpChqChar(const QString& text) = 0;
    // One command for the command-string printer (kind 2), Latin-1 text. The command is
    // copied into a buffer of kChequeCommandBuffer characters, so at most 255 of them reach
    // the printer; a null command sends nothing and answers -1.
    int EnviaComImpChq(const char* command);
    // Receives each answer of EnviaComImpChq; true when the printer reported success.
    virtual bool Retorno_Imp(int result) = 0;
    virtual bool Fecha_Imp_Chq_Sweda(bool opcao1, bool opcao2) = 0;

    static constexpr int kChequeCommandBuffer = 256;

protected:
    // Sends one zero-terminated command of at most 255 characters.
    virtual int enviaComandoCheque(const char* command) = 0;
};

// Thrown when the module reaches the peripheral services and the host installed none.
class ZEL_DEVICES_EXPORT PeripheralsMissing : public std::runtime_error
{
public:
    explicit PeripheralsMissing(const QString& call);
};

// The installed services. With none installed this answers an object whose every call
// throws PeripheralsMissing, which the forms' error barrier shows to the operator.
ZEL_DEVICES_EXPORT Peripherals& peripherals();
ZEL_DEVICES_EXPORT bool peripheralsInstalled();
// Installs `services` (nullptr uninstalls) and answers the ones it replaces.
ZEL_DEVICES_EXPORT std::shared_ptr<Peripherals> setPeripherals(std::shared_ptr<Peripherals> services);

// Left-pads `digits` with zeros up to `width` characters; longer texts stay as they are.
ZEL_DEVICES_EXPORT QString padWithZeros(const QString& digits, int width);

} // namespace zel
