#pragma once

#include "text/Result.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace zel::demo {

// The settings the module reads (system scope, KORVANA / "Sistemas Integrados Korvana", group
// "Vormel"), kept in a folder of the run: the store is pointed there for the whole process, so
// the machine's own settings are never read nor written. Only the given keys are written; the
// store starts empty each run.
Status writeRunSettings(const QString& folder, const QJsonObject& settings);

// The keys a scenario's "settings" may give.
bool isRunSettingKey(const QString& key);

// The TEF manager simulator program, started on the run's TEF folder with the scenario's rules
// and stopped when this object goes. On Linux it also ends (SIGTERM) when this process ends
// without stopping it, killed or crashed, so no manager is left running without its host.
class TefManagerProcess
{
public:
    TefManagerProcess() = default;
    ~TefManagerProcess();
    TefManagerProcess(const TefManagerProcess&) = delete;
    TefManagerProcess& operator=(const TefManagerProcess&) = delete;

    // Writes the rules to `rulesPath`, starts `program` and waits until it watches `tefDir`.
    Status start(const QString& program, const QString& tefDir, const QJsonObject& rules,
                 const QString& rulesPath);
    // The same in two halves, so that a host can go on with its own start while the manager
    // starts: launch writes the rules and starts the program; watching waits until it watches.
    Status launch(const QString& program, const QString& tefDir, const QJsonObject& rules,
                  const QString& rulesPath);
    Status watching();
    void stop();
    qint64 processId() const { return m_process.processId(); }

private:
    QProcess m_process;
};

// Who the till is to the Pix provider simulator, and the key its charges are paid into.
struct PixCredentials
{
    QString clientId = QStringLiteral("pdv-demo");
    QString clientSecret = QStringLiteral("segredo-da-demo");
    QString key = QStringLiteral("pix@restaurante.example");
};

// The Pix provider simulator as a separate process, for a run whose scenario names it.
class PixProviderProcess
{
public:
    PixProviderProcess() = default;
    ~PixProviderProcess();
    PixProviderProcess(const PixProviderProcess&) = delete;
    PixProviderProcess& operator=(const PixProviderProcess&) = delete;

    // Writes the rules to `rulesPath`, starts `program` on a free port of this machine and waits
    // until it listens; its charges are kept in `statePath`.
    Status start(const QString& program, const QJsonObject& rules, const QString& rulesPath,
                 const QString& statePath, const PixCredentials& credentials);
    void stop();
    int port() const { return m_port; }
    // Every charge the provider made and what became of it (its state file).
    QJsonArray charges() const;

private:
    QProcess m_process;
    QString m_statePath;
    int m_port = 0;
};

// Where the Pix provider simulator program is: $ZEL_PIX_PROVIDER_SIM, else beside the demo, else
// in the build tree's simulator folder.
QString pixProviderProgram();

// The platform a run without a display asks Qt for: the offscreen one with one screen of the
// till's size, 800 × 600, described in the file `screensFile` (written here). `platform` is
// what QT_QPA_PLATFORM says: empty or plain "offscreen" gets the till's screen; anything else
// (another platform, offscreen with options of its own) is kept and the answer is empty.
QByteArray tillScreenPlatform(const QByteArray& platform, bool hasDisplay, const QString& screensFile);

// Where the TEF manager simulator program is: $ZEL_TEF_MANAGER_SIM, else beside the demo, else
// in the build tree's simulator folder.
QString tefManagerProgram();

} // namespace zel::demo
