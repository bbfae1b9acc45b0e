#pragma once

// What the receipt benchmarks share: a host's datasets for a sale, the simulated devices with
// the time spent inside the fiscal printer counted, dialogs that answer at once and keep what
// they showed, and a script of operator touches run from the event loop while the receipt
// form waits in its modal loops.

#include "BenchSupport.h"
#include "SimulatedPeripherals.h"
#include "dataset/DataSet.h"
#include "dialogs/Dialogs.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <ctime>
#include <functional>

class QWidget;

namespace zel::bench {

// The simulated peripherals, with the wall time spent inside the fiscal printer's calls added
// up, so the module's own share of a coupon can be told apart.
class TimedPeripherals : public SimulatedPeripherals
{
public:
    using SimulatedPeripherals::SimulatedPeripherals;

    qint64 deviceNs = 0;

    bool Estado_Impressora(bool a, bool b) override;
    void Abre_Gaveta() override;
    bool AbreCupom(const QString& nrCupom) override;
    bool VendaItem(const QString& nrVenda, const QString& tipoDesconto, const QString& cdProduto,
                   const QString& nmProduto, const QString& cdAliq, double quantidade, double vrUnitario,
                   double vrDesconto) override;
    bool Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                           double valor) override;
    bool AbreCupomRes(const QString& nrVenda, const QString& texto) override;
    bool FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto, double vrTroco,
                    double vrServico, const QString& usaTef, bool confirmaAuto, const QString& formaPagto,
                    DataSet& movimentos, DataSet& recebimentos, QString& nrCupom, const QString& linhaCliente,
                    const QString& cdConsumidor, const QString& nmConsumidor, const QString& cnpjCpf,
                    const QString& nome) override;
};

// A host for Recebimento: a settings store and a state folder of its own, the timed simulated
// devices and the answering dialogs installed, and the datasets it hands the module. The
// payment types are cash "001" on button 01 and credit "002" on button 02; the aliquot table
// has "T18" (T at 18 %) and "FF".
class ReceiptHost
{
public:
    ReceiptHost();
    ~ReceiptHost();
    ReceiptHost(const ReceiptHost&) = delete;
    ReceiptHost& operator=(const ReceiptHost&) = delete;

    bool ok() const { return m_tmp.isValid(); }

    // Replaces the sale with `lines` lines of `price` each (quantity 1, kind T at 18 %).
    void setSale(int lines, double price);
    // Replaces the clients with `clients` clients of two consumers each (codes and names).
    void setClients(int clients);
    // The sale lines as a packet, for a form filled without Recebimento.
    DataPacket salePacket() const { return venda.data(); }

    // Calls Recebimento on the host's datasets.
    bool recebimento();

    TimedPeripherals& devices() { return *m_devices; }
    AnsweringDialogs& dialogs() { return *m_dialogs; }

    DataSet venda, movimentos, clientes, consumidores, aliquotas, tipos;
    QString nrVenda = QStringLiteral("12");

private:
    QTemporaryDir m_tmp;
    std::shared_ptr<TimedPeripherals> m_devices;
    std::shared_ptr<AnsweringDialogs> m_dialogs;
};

// A script of operator steps run from the event loop: each step waits until its condition
// holds (checked on every pass of the loop), then acts; the next step is scheduled before it
// acts, so a step that opens a modal loop leaves the script going on inside it. A step still
// waiting after 10 s fails the script and closes the receipt form.
class Script : public QObject
{
    Q_OBJECT
public:
    Script& when(std::function<bool()> ready, std::function<void()> act, QString what);
    // A real mouse click on the receipt form's control `name` once it is visible and enabled.
    Script& click(const QString& name);
    Script& waitForStep(int step);
    Script& waitUntilOpen();

    void start();
    bool finished() const { return m_steps.isEmpty() && !m_failed; }
    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }

    static QWidget* control(const QString& name);

private:
    struct Step
    {
        std::function<bool()> ready;
        std::function<void()> act;
        QString what;
    };
    void tick();

    QList<Step> m_steps;
    qint64 m_since = -1;
    bool m_failed = false;
    QString m_error;
};

} // namespace zel::bench
