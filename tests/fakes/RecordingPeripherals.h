#pragma once

#include "dataset/DataPacket.h"
#include "devices/Peripherals.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>

namespace zel {

// One call made on the peripheral services: the member's name and its arguments as text.
struct PeripheralCall
{
    QString name;
    QStringList args;
    bool write = false; // a variable written, not a call

    // name(arg, arg, ...): texts in double quotes with control characters named ("<ESC>"),
    // numbers as the shortest exact decimal text, booleans true/false, a dataset as
    // "DataSet[rows]". A variable written shows as name := value.
    QString text() const;
};

// A test double of the peripheral services that records every call in order and answers
// from a script. Each member has a queue of results; a call takes the next one, or the
// member's default once the queue is empty. Defaults: true for every boolean answer;
// GetSequence "1", "2", ...; NewIntPosFileName dir + "intpos.002", "intpos.003", ...;
// AjustaZero pads with zeros; DataMoviFiscal a null date; EnviaComImpChq the length of
// the command it received. Both CheckGPAtivo overloads share the queue "CheckGPAtivo".
//
// Out arguments are scripted under "FechaCupom.nrCupom" and "Cancela_Cupom.nrCupom"; with
// nothing scripted they are left as they were.
//
// Variables (CdAliq, IdTipoImpFis, IdTipoImpChq, DsDirCad, DirTef, inContCuponsTEF) are
// plain values: writes are recorded ("CdAliq := \"T18\""), reads are not. TAM_DISPLAY is
// read only and not recorded.
class RecordingPeripherals : public Peripherals
{
public:
    RecordingPeripherals();

    // The record.
    const QList<PeripheralCall>& calls() const { return m_calls; }
    QStringList callTexts() const;
    // Only the calls of the given members (names as recorded, e.g. "VendaItem", "CdAliq").
    QStringList callTexts(const QStringList& names) const;
    QStringList callNames() const;
    int count(const QString& name) const;
    void clearCalls() { m_calls.clear(); }

    // The script.
    void script(const QString& member, const QVariantList& results);
    void setDefault(const QString& member, const QVariant& result);

    // What FechaCupom received as its two datasets, copied at the call.
    const DataPacket& lastMovements() const { return m_lastMovements; }
    const DataPacket& lastPaymentTypes() const { return m_lastPaymentTypes; }

    void setTamDisplay(int width) { m_tamDisplay = width; }

    // Fiscal printer.
    bool Estado_Impressora(bool opcao1, bool opcao2) override;
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
    void setCdAliq(const QString& code) override;
    int IdTipoImpFis() const override { return m_idTipoImpFis; }
    void setIdTipoImpFis(int kind) override;
    int IdTipoImpChq() const override { return m_idTipoImpChq; }
    void setIdTipoImpChq(int kind) override;
    QString DsDirCad() const override { return m_dsDirCad; }
    void setDsDirCad(const QString& dir) override;

    // Keyboard display.
    bool TecladoOK() override;
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
    QString DirTef() const override { return m_dirTef; }
    void setDirTef(const QString& dir) override;
    int inContCuponsTEF() const override { return m_inContCuponsTEF; }
    void setInContCuponsTEF(int count) override;

    // Customer display.
    bool DisplayOK() override;
    void DisplayChar(const QString& text) override;
    int TAM_DISPLAY() const override { return m_tamDisplay; }

    // Cheque printer.
    bool ImpChqChar(const QString& text) override;
    bool Retorno_Imp(int result) override;
    bool Fecha_Imp_Chq_Sweda(bool opcao1, bool opcao2) override;

protected:
    int enviaComandoCheque(const char* command) override;

private:
    void record(const QString& name, QStringList args);
    void recordWrite(const QString& name, const QString& value);
    // The next scripted result of `member`, or its default; `fallback` when neither is set.
    QVariant next(const QString& member, const QVariant& fallback = {});
    bool nextBool(const QString& member);

    QList<PeripheralCall> m_calls;
    QHash<QString, QVariantList> m_script;
    QHash<QString, QVariant> m_defaults;
    DataPacket m_lastMovements;
    DataPacket m_lastPaymentTypes;
    int m_sequence = 0;
    int m_fileNumber = 1;

    QString m_cdAliq;
    int m_idTipoImpFis = 0;
    int m_idTipoImpChq = 0;
    QString m_dsDirCad;
    QString m_dirTef;
    int m_inContCuponsTEF = 0;
    int m_tamDisplay = 20;
};

} // namespace zel
