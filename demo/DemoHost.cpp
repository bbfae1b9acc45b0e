#include "DemoHost.h"

#include "DeviceMonitor.h"
#include "RunSettings.h"
#include "dataset/PacketJson.h"
#include "simulator/SimulatorConfig.h"
#include "simulator/TefApprovals.h"
#include "zel/Pkg_zel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

namespace zel::demo {

namespace {

const char* const kAmountLabels[] = {"lblNmVenda",     "lblNrVenda",    "lblValorTotal", "lblValorPago",
                                     "lblPagar",       "lblValorPagar", "lblServico",    "lblVrConsumacao",
                                     "lblRecebimento", "lblInputReceb2"};
const char* const kButtons[] = {
    "tcbOk",       "tcbSair",  "tcbClear",    "tcbDesconto", "tcbCNPJCPF", "tcbVoltar", "tcbProximo",
    "tcbAnterior", "tcbEnter", "tcbCorrigir", "tcbVirgula",  "tcb0",       "tcb1",      "tcb2",
    "tcb3",        "tcb4",     "tcb5",        "tcb6",        "tcb7",       "tcb8",      "tcb9"};
const char* const kColouredLabels[] = {"lblPagar", "lblValorPagar"};

// Takes the receipt form's texts when it hides: the module frees the form on its own schedule,
// and the host reads nothing of the module's inside but what the screen showed.
class SnapshotFilter : public QObject
{
public:
    explicit SnapshotFilter(FormSnapshot& target) : m_target(target) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched->objectName() == QLatin1String("TfrmRecebimento")) {
            auto* form = static_cast<QWidget*>(watched);
            if (auto* list = form->findChild<QPlainTextEdit*>(QStringLiteral("memLista"))) {
                m_target.runningList = list->toPlainText().split(u'\n');
                if (m_target.runningList == QStringList{QString()})
                    m_target.runningList.clear();
            }
            for (const char* name : kAmountLabels)
                if (auto* label = form->findChild<QLabel*>(QLatin1String(name)))
                    m_target.labels.insert(QLatin1String(name), label->text());
            for (const char* name : kButtons)
                if (auto* button = form->findChild<QWidget*>(QLatin1String(name)))
                    m_target.enabled.insert(QLatin1String(name), button->isEnabled());
            for (const char* name : kColouredLabels)
                if (auto* label = form->findChild<QLabel*>(QLatin1String(name)))
                    m_target.colours.insert(QLatin1String(name),
                                            label->palette().color(QPalette::WindowText).name());
        }
        return false;
    }

private:
    FormSnapshot& m_target;
};

QJsonArray toArray(const QStringList& lines)
{
    QJsonArray out;
    for (const QString& line : lines)
        out.append(line);
    return out;
}

// Every window still open, closed from outside: used when a script has failed or run out.
void closeEverything()
{
    for (int i = 0; i < 10; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        modal->close();
        QCoreApplication::processEvents();
    }
}

} // namespace

DemoHost::DemoHost(DemoOptions options) : m_options(std::move(options)) {}

DemoHost::~DemoHost()
{
    if (m_module.isLoaded()) {
        if (auto finalize = reinterpret_cast<FinalizeFn>(m_module.resolve("Finalize")))
            finalize();
        m_module.unload();
    }
}

Status DemoHost::loadModule()
{
    m_module.setFileName(m_options.modulePath);
    if (!m_module.load())
        return Error{QStringLiteral("cannot load the module %1: %2")
                         .arg(m_options.modulePath, m_module.errorString())};
    return {};
}

Result<QJsonObject> DemoHost::run(const Scenario& s)
{
    // The script is read first: bad input stops the run before the module is loaded.
    std::optional<QList<ScriptAction>> actions;
    const QString scriptPath = m_options.scriptPath.isEmpty() ? s.script : m_options.scriptPath;
    if (m_options.runScript && !scriptPath.isEmpty()) {
        QFile file(scriptPath);
        if (!file.open(QIODevice::ReadOnly))
            return Error{QStringLiteral("script %1: %2").arg(scriptPath, file.errorString())};
        auto parsed = parseScript(QString::fromUtf8(file.readAll()));
        if (!parsed)
            return Error{QStringLiteral("%1: %2").arg(scriptPath, parsed.errorMessage())};
        actions = std::move(parsed).value();
    }

    // Devices: the scenario's settings, with their state under the run's folder unless it names one.
    static QTemporaryDir scratch;
    // A relative state folder counts from the working directory, as every path of the command
    // line does; the devices' own relative paths count from the scenario's folder.
    const QString stateRoot =
        m_options.stateDir.isEmpty() ? scratch.path() : QFileInfo(m_options.stateDir).absoluteFilePath();
    QJsonObject devices = s.devices;
    if (!devices.contains(QStringLiteral("stateDir")))
        devices.insert(QStringLiteral("stateDir"), QDir(stateRoot).filePath(QStringLiteral("state")));
    if (!devices.contains(QStringLiteral("dataDir")))
        devices.insert(QStringLiteral("dataDir"), QDir(stateRoot).filePath(QStringLiteral("data")));
    // A TEF manager for the run works on the run's own exchange folder unless the devices name one.
    if (s.runsTefManager) {
        QJsonObject tef = devices.value(QStringLiteral("tef")).toObject();
        if (tef.value(QStringLiteral("dir")).toString().isEmpty())
            tef.insert(QStringLiteral("dir"), QDir(stateRoot).filePath(QStringLiteral("tef")));
        devices.insert(QStringLiteral("tef"), tef);
    }
    // A Pix provider for the run: started first, as the settings name its port.
    QJsonObject settings = s.settings;
    if (s.runsPixProvider) {
        const PixCredentials credentials;
        QDir().mkpath(stateRoot);
        if (const Status started =
                m_pixProvider.start(pixProviderProgram(), s.pixProvider,
                                    QDir(stateRoot).filePath(QStringLiteral("pix-rules.json")),
                                    QDir(stateRoot).filePath(QStringLiteral("pix-state.json")), credentials);
            !started)
            return started.error();
        const QString base = QStringLiteral("http://127.0.0.1:%1").arg(m_pixProvider.port());
        const QList<std::pair<QString, QString>> named = {
            {QStringLiteral("PixUrl"), base + QStringLiteral("/v2")},
            {QStringLiteral("PixTokenUrl"), base + QStringLiteral("/oauth/token")},
            {QStringLiteral("PixClientId"), credentials.clientId},
            {QStringLiteral("PixClientSecret"), credentials.clientSecret},
            {QStringLiteral("PixChave"), credentials.key},
            {QStringLiteral("PixNomeRecebedor"), QStringLiteral("Restaurante Demo")},
            {QStringLiteral("PixCidadeRecebedor"), QStringLiteral("Sao Paulo")}};
        for (const auto& [key, value] : named) {
            if (!settings.contains(key))
                settings.insert(key, value);
        }
    }
    if (const Status st = writeRunSettings(QDir(stateRoot).filePath(QStringLiteral("settings")), settings);
        !st)
        return st.error();
    auto config = SimulatorConfig::fromJson(devices, s.devicesDir);
    if (!config)
        return Error{QStringLiteral("scenario devices: %1").arg(config.errorMessage())};
    QDir().mkpath(config->stateDir);
    QDir().mkpath(config->dataDir);
    // The branch's full payment-type table, kept in the data directory as a host keeps it.
    {
        DataSet tiporece;
        tiporece.setData(s.paymentTypes);
        const QString path = QDir(config->dataDir).filePath(QStringLiteral("tiporece.cds"));
        QFile::remove(path); // the scenario's table replaces the last run's, whatever its fields
        if (const Status st = tiporece.saveToFile(path, SaveMode::ReplaceRows); !st)
            return Error{QStringLiteral("payment types %1: %2").arg(path, st.errorMessage())};
    }
    m_devices = std::make_shared<SimulatedPeripherals>(*config);
    TefManagerProcess tefManager;
    if (s.runsTefManager) {
        // The manager starts while the host loads the module; it must watch before the sale.
        const Status started = tefManager.launch(tefManagerProgram(), config->tef.dir, s.tefManager,
                                                 QDir(stateRoot).filePath(QStringLiteral("tef-rules.json")));
        if (!started)
            return started.error();
    }
    m_journalStart = m_devices->fiscalPrinter().journalText().size();
    // Pictures of the screen draw the windows as they stand, so their order is noted from the first.
    watchWindowStack();
    std::unique_ptr<DeviceMonitor> monitor;
    if (!m_options.headless) {
        monitor = std::make_unique<DeviceMonitor>(*m_devices);
        // At the screen's right edge, beside the receipt the module centres on the screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect room = screen->availableGeometry();
            monitor->resize(monitor->width(), room.height());
            monitor->move(room.right() + 1 - monitor->width(), room.top());
        }
        monitor->show();
    }

    if (const Status st = loadModule(); !st)
        return st.error();
    const auto resolve = [this](const char* name) { return m_module.resolve(name); };
    auto initialize = reinterpret_cast<InitializeFn>(resolve("Initialize"));
    auto recebimento = reinterpret_cast<RecebimentoFn>(resolve("Recebimento"));
    auto instalaPerifericos = reinterpret_cast<InstalaPerifericosFn>(resolve("InstalaPerifericos"));
    auto instalaDialogos = reinterpret_cast<InstalaDialogosFn>(resolve("InstalaDialogos"));
    auto defineFilial = reinterpret_cast<DefineFilialFn>(resolve("DefineFilial"));
    if (!initialize || !recebimento || !instalaPerifericos || !instalaDialogos || !defineFilial)
        return Error{QStringLiteral("the module %1 lacks an entry function").arg(m_options.modulePath)};

    // The cheque unit's printing mode is the host's to set; the module never assigns it.
    auto* idImpCupFis = reinterpret_cast<QString*>(resolve("IdImpCupFis"));
    if (!idImpCupFis)
        return Error{
            QStringLiteral("the module %1 lacks the variable IdImpCupFis").arg(m_options.modulePath)};

    // The module is loaded; the manager must watch before the module starts.
    if (s.runsTefManager) {
        if (const Status st = tefManager.watching(); !st)
            return st.error();
    }

    initialize();
    *idImpCupFis = s.chequeMode.isEmpty() ? s.printerModel : s.chequeMode;
    defineFilial(s.branch);
    instalaPerifericos(m_devices.get());
    instalaDialogos(&m_dialogs);

    // The host's datasets.
    DataSet venda, movimentos, clientes, consumidores, aliquotas, tipos;
    venda.setData(s.sale);
    tipos.setData(s.paymentTypes);
    clientes.setData(s.clients);
    consumidores.setData(s.consumers);
    aliquotas.setData(s.taxRates);
    QString nrVenda = s.saleNumber;

    // The operator script runs from the event loop while the module's forms wait.
    std::unique_ptr<OperatorScript> script;
    if (actions) {
        script = std::make_unique<OperatorScript>(
            std::move(*actions), [this](int answer) { m_dialogs.queueAnswer(answer); },
            m_options.screenshotDir);
        QObject::connect(script.get(), &OperatorScript::failed,
                         [](const QString&) { QTimer::singleShot(0, closeEverything); });
        script->start();
    }

    // A headless run never hangs: what is still open after the script, or after the watchdog's
    // time, is closed and reported.
    // Closing goes on every second until the receipt returns: a dialog the module opens while it
    // unwinds (a card it could not undo, say) is closed too, not left for the run's time limit.
    QTimer watchdog, closer;
    watchdog.setSingleShot(true);
    closer.setInterval(1000);
    QObject::connect(&closer, &QTimer::timeout, closeEverything);
    if (m_options.headless) {
        QObject::connect(&watchdog, &QTimer::timeout, [this, &closer] {
            m_scriptErrors.append(QStringLiteral("the receipt was still open when the run's time ran out"));
            closeEverything();
            closer.start();
        });
        watchdog.start(m_options.watchdogMs);
        if (script)
            QObject::connect(script.get(), &OperatorScript::done, [&watchdog] { watchdog.start(5000); });
    }

    SnapshotFilter snapshot(m_snapshot);
    qApp->installEventFilter(&snapshot);
    const bool settled = recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos,
                                     s.systemType, QString(), s.picture, s.printerModel);
    qApp->removeEventFilter(&snapshot);
    watchdog.stop();
    closer.stop();
    if (script) {
        m_scriptErrors += script->errors();
        m_screenshots = script->screenshots();
        if (!script->finished())
            m_scriptErrors.append(QStringLiteral("the receipt closed before the script's end"));
    }
    instalaDialogos(nullptr);
    instalaPerifericos(nullptr);
    if (monitor) {
        // The device monitor as the sale left it: the journal with its coupon, the displays,
        // the cheque printer's commands (a notice the receipt left on the screen is not drawn).
        monitor->refresh();
        QCoreApplication::processEvents();
        if (!m_options.finalScreen.isEmpty()) {
            if (saveScreenPicture(m_options.finalScreen, true))
                m_screenshots.append(m_options.finalScreen);
            else
                m_scriptErrors.append(QStringLiteral("could not write %1").arg(m_options.finalScreen));
        }
        m_devices->setChangeListener({});
    }
    return resultDocument(settled, nrVenda, movimentos.data(), venda.data());
}

QJsonObject DemoHost::resultDocument(bool settled, const QString& coupon, const DataPacket& movements,
                                     const DataPacket& sale) const
{
    const QString journal = m_devices->fiscalPrinter().journalText().mid(m_journalStart);
    QJsonObject document{
        {"result", settled},
        {"couponNumber", coupon},
        {"movements", packetToJsonObject(movements)},
        {"sale", packetToJsonObject(sale)},
        {"runningList", toArray(m_snapshot.runningList)},
        {"labels", m_snapshot.labels},
        {"enabled", m_snapshot.enabled},
        {"colours", m_snapshot.colours},
        {"keyboardDisplay", toArray(m_devices->keyboardDisplay().lines())},
        {"customerDisplay", toArray(m_devices->customerDisplay().lines())},
        {"fiscalJournal", toArray(journal.split(u'\n', Qt::SkipEmptyParts))},
        {"chequePrinter", toArray(m_devices->chequePrinter().log())},
        {"drawerOpenings", m_devices->fiscalPrinter().drawerOpenings()},
        {"dialogs", m_dialogs.record()},
        {"screenshots", toArray(m_screenshots)},
        {"scriptErrors", toArray(m_scriptErrors)},
    };
    // The TEF manager's approvals and what became of them (its state file, when there is one).
    const QString tefDir = m_devices->DirTef();
    document.insert("tefApprovals",
                    tefDir.isEmpty() ? QJsonArray() : tefapprovals::toJson(tefapprovals::read(tefDir)));
    // The Pix provider's charges and what became of them (its state file, when it ran).
    document.insert("pixCharges", m_pixProvider.charges());
    return document;
}

} // namespace zel::demo
