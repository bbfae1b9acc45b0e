#include "ReceiptBenchHost.h"

#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "receipt/support/PaymentTypes.h"

#include <QAbstractButton>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace zel::bench {

namespace {

// Runs `call` with its time inside the device added to `ns`.
template <class F> auto timed(qint64& ns, F&& call)
{
    const qint64 start = nowNs();
    struct Add
    {
        qint64& ns;
        qint64 start;
        ~Add() { ns += nowNs() - start; }
    } add{ns, start};
    return call();
}

} // namespace

bool TimedPeripherals::Estado_Impressora(bool a, bool b)
{
    return timed(deviceNs, [&] { return SimulatedPeripherals::Estado_Impressora(a, b); });
}

void TimedPeripherals::Abre_Gaveta()
{
    timed(deviceNs, [&] { SimulatedPeripherals::Abre_Gaveta(); });
}

bool TimedPeripherals::AbreCupom(const QString& nrCupom)
{
    return timed(deviceNs, [&] { return SimulatedPeripherals::AbreCupom(nrCupom); });
}

bool TimedPeripherals::VendaItem(const QString& nrVenda, const QString& tipoDesconto,
                                 const QString& cdProduto, const QString& nmProduto, const QString& cdAliq,
                                 double quantidade, double vrUnitario, double vrDesconto)
{
    return timed(deviceNs, [&] {
        return SimulatedPeripherals::VendaItem(nrVenda, tipoDesconto, cdProduto, nmProduto, cdAliq,
                                               quantidade, vrUnitario, vrDesconto);
    });
}

bool TimedPeripherals::Cupom_Conferencia(const QString& nrVenda, const QString& tipo, double percentual,
                                         double valor)
{
    return timed(deviceNs,
                 [&] { return SimulatedPeripherals::Cupom_Conferencia(nrVenda, tipo, percentual, valor); });
}

bool TimedPeripherals::AbreCupomRes(const QString& nrVenda, const QString& texto)
{
    return timed(deviceNs, [&] { return SimulatedPeripherals::AbreCupomRes(nrVenda, texto); });
}

bool TimedPeripherals::FechaCupom(bool emiteContraVale, bool semCartaoTef, double vrDesconto, double vrTroco,
                                  double vrServico, const QString& usaTef, bool confirmaAuto,
                                  const QString& formaPagto, DataSet& movimentos, DataSet& recebimentos,
                                  QString& nrCupom, const QString& linhaCliente, const QString& cdConsumidor,
                                  const QString& nmConsumidor, const QString& cnpjCpf, const QString& nome)
{
    return timed(deviceNs, [&] {
        return SimulatedPeripherals::FechaCupom(
            emiteContraVale, semCartaoTef, vrDesconto, vrTroco, vrServico, usaTef, confirmaAuto, formaPagto,
            movimentos, recebimentos, nrCupom, linhaCliente, cdConsumidor, nmConsumidor, cnpjCpf, nome);
    });
}

ReceiptHost::ReceiptHost()
{
    // The settings the module reads come from an empty store of this run, never the machine's.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       m_tmp.filePath(QStringLiteral("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                       m_tmp.filePath(QStringLiteral("settings")));

    SimulatorConfig config;
    config.stateDir = m_tmp.filePath(QStringLiteral("state")) + u'/';
    config.dataDir = m_tmp.filePath(QStringLiteral("data")) + u'/';
    config.keyboardPresent = false;
    config.displayPresent = false;
    m_devices = std::make_shared<TimedPeripherals>(config);
    m_devices->setDsDirCad(config.dataDir);
    setPeripherals(m_devices);
    m_dialogs = std::make_shared<AnsweringDialogs>();
    setDialogs(m_dialogs);
    Vrm_zel00000::Initialization();

    venda.setFieldDefs(test::saleFields());
    venda.createDataSet();

    setClients(0);
    aliquotas.setData(DataPacket{
        {FieldDef("CDALIQIMPFIS"), FieldDef("VRALIQIMPFIS", FieldType::Float), FieldDef("IDALIQIMPFIS")},
        {Row{"T18", 18.0, "T"}, Row{"FF", 0.0, "F"}}});
    aliquotas.open();

    test::definePaymentTypes(tipos);
    test::TipoRow cash;
    test::addTipo(tipos, cash);
    test::TipoRow credit;
    credit.cd = QStringLiteral("002");
    credit.nome = credit.caption = QStringLiteral("Crédito");
    credit.idTipo = QStringLiteral("1");
    credit.nrButton = QStringLiteral("02");
    credit.cdfp = QStringLiteral("02");
    test::addTipo(tipos, credit);
}

ReceiptHost::~ReceiptHost()
{
    Vrm_zel00000::Finalization();
    setDialogs(nullptr);
    setPeripherals(nullptr);
}

void ReceiptHost::setSale(int lines, double price)
{
    venda.emptyDataSet();
    for (int i = 1; i <= lines; ++i) {
        venda.append();
        venda.fieldByName("CDARVPROD").setString(QStringLiteral("%1").arg(i, 6, 10, QChar(u'0')));
        venda.fieldByName("NMPRODUTO").setString(QStringLiteral("Produto %1").arg(i));
        venda.fieldByName("IDPRODIMPFIS").setString(QStringLiteral("N"));
        venda.fieldByName("IDTPIMPOSFIS").setString(QStringLiteral("T"));
        venda.fieldByName("VRPEALIMPFIS").setFloat(18);
        venda.fieldByName("QTPRODCOMVEN").setFloat(1);
        venda.fieldByName("VRPRECCOMVEN").setFloat(price);
        for (const char* zero : {"VRDESCCOMVEN", "VRTXSERVICO", "VRCONSUMAMIN", "VRDESCOMANDA"})
            venda.fieldByName(zero).setFloat(0);
        venda.post();
    }
}

bool ReceiptHost::recebimento()
{
    return Vrm_zel00000::Recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos,
                                     QStringLiteral("RES"), QString(), QString(), QString());
}

QWidget* Script::control(const QString& name)
{
    TfrmRecebimento* form = Vrm_zel00000::frmRecebimento;
    return form ? form->findChild<QWidget*>(name) : nullptr;
}

Script& Script::when(std::function<bool()> ready, std::function<void()> act, QString what)
{
    m_steps.append({std::move(ready), std::move(act), std::move(what)});
    return *this;
}

Script& Script::click(const QString& name)
{
    return when(
        [name] {
            QWidget* c = control(name);
            return c && c->isVisible() && c->isEnabled();
        },
        [name] {
            QWidget* c = control(name);
            QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, c->rect().center());
        },
        QStringLiteral("click ") + name);
}

Script& Script::waitForStep(int step)
{
    return when([step] { return Vrm_zel00000::InputStep == step; }, [] {},
                QStringLiteral("input step %1").arg(step));
}

Script& Script::waitUntilOpen()
{
    return when(
        [] {
            return Vrm_zel00000::frmRecebimento && Vrm_zel00000::frmRecebimento->isVisible() &&
                   !Vrm_zel00000::boIdCriado;
        },
        [] {}, QStringLiteral("the receipt form open"));
}

void Script::start()
{
    QTimer::singleShot(0, this, &Script::tick);
}

void Script::tick()
{
    if (m_failed || m_steps.isEmpty())
        return;
    const qint64 now = nowNs();
    if (m_since < 0)
        m_since = now;
    if (!m_steps.front().ready()) {
        if (now - m_since > qint64(10) * 1000000000) {
            m_failed = true;
            m_error = QStringLiteral("step \"%1\" never became possible").arg(m_steps.front().what);
            m_steps.clear();
            if (Vrm_zel00000::frmRecebimento)
                Vrm_zel00000::frmRecebimento->postClose();
            return;
        }
        QTimer::singleShot(0, this, &Script::tick);
        return;
    }
    const Step step = m_steps.takeFirst();
    m_since = -1;
    QTimer::singleShot(0, this, &Script::tick);
    step.act();
}

void ReceiptHost::setClients(int count)
{
    DataPacket c{
        {FieldDef{"CDCLIENTE", FieldType::String, 21}, FieldDef{"CDCONSUMIDOR", FieldType::String, 21},
         FieldDef{"NMRAZSOCCLIE", FieldType::String, 60}, FieldDef{"NRINSJURCLIE", FieldType::String, 14}},
        {}};
    DataPacket k{{FieldDef{"CDCLIENTE", FieldType::String, 21},
                  FieldDef{"CDCONSUMIDOR", FieldType::String, 21},
                  FieldDef{"NMCONSUMIDOR", FieldType::String, 60}},
                 {}};
    for (int i = 1; i <= count; ++i) {
        const QString code = QStringLiteral("C%1").arg(i);
        c.rows.append(Row{code, QString(), QStringLiteral("Cliente %1 Ltda").arg(i),
                          QStringLiteral("%1").arg(i, 14, 10, QLatin1Char('0'))});
        for (int j = 1; j <= 2; ++j)
            k.rows.append(
                Row{code, QString::number(i * 2 + j), QStringLiteral("Consumidor %1").arg(i * 2 + j)});
    }
    clientes.setData(c);
    consumidores.setData(k);
}

} // namespace zel::bench
