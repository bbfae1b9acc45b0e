#pragma once

#include "DemoDialogs.h"
#include "OperatorScript.h"
#include "RunSettings.h"
#include "Scenario.h"
#include "SimulatedPeripherals.h"

#include <QJsonObject>
#include <QLibrary>
#include <QStringList>
#include <memory>

namespace zel::demo {

struct DemoOptions
{
    QString modulePath;
    QString stateDir;      // simulated devices' state; empty: a fresh temporary folder
    QString screenshotDir; // where "screenshot" actions write
    bool runScript = true;
    QString scriptPath;      // overrides the scenario's script
    int watchdogMs = 120000; // a headless run still open after this is closed with an error
    bool headless = false;
    QString finalScreen; // with a display: a picture of the whole screen once the receipt closed
};

// What the form showed when it closed.
struct FormSnapshot
{
    QStringList runningList;
    QJsonObject labels;
    QJsonObject enabled; // command and keypad buttons: enabled or not
    QJsonObject colours; // font colour of the amount-due caption and value, "#rrggbb"
};

// The host side of one sale: loads the module by file name, installs the simulated devices and
// the dialogs, hands the scenario's packets to Recebimento, and builds the result document.
class DemoHost
{
public:
    explicit DemoHost(DemoOptions options);
    ~DemoHost();

    // Runs the sale; the document describes the outcome, or the error that stopped it.
    Result<QJsonObject> run(const Scenario& scenario);
    QStringList scriptErrors() const { return m_scriptErrors; }

private:
    Status loadModule();
    QJsonObject resultDocument(bool settled, const QString& coupon, const DataPacket& movements,
                               const DataPacket& sale) const;

    DemoOptions m_options;
    QLibrary m_module;
    std::shared_ptr<SimulatedPeripherals> m_devices;
    DemoDialogs m_dialogs;
    FormSnapshot m_snapshot;
    PixProviderProcess m_pixProvider; // when the scenario names one; ends with the host
    QStringList m_scriptErrors;
    QStringList m_screenshots;
    qsizetype m_journalStart = 0;
};

} // namespace zel::demo
