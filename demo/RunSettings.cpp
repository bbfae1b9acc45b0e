#include "RunSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSettings>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace zel::demo {

namespace {

// The child ends with this process: on Linux the kernel sends it SIGTERM when the thread that
// started it ends, however this process ends (a SIGKILL too), and it settles what it owes as at
// any stop. Started from the main thread, that is when the process ends.
void endWithThisProcess(QProcess& process)
{
#ifdef Q_OS_LINUX
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent died before the death signal was asked for: no signal will come.
        if (::getppid() != parent)
            ::_exit(1);
    });
#else
    Q_UNUSED(process);
#endif
}

// A simulator program: $<env>, else beside the demo, else in the build tree, else on the PATH.
QString simulatorProgram(const char* env, const char* name, const char* inBuildTree)
{
    if (const QByteArray set = qgetenv(env); !set.isEmpty())
        return QString::fromLocal8Bit(set);
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const char* candidate : {name, inBuildTree})
        if (QFile::exists(exe.filePath(QLatin1String(candidate))))
            return QDir::cleanPath(exe.filePath(QLatin1String(candidate)));
    return QString::fromLatin1(name);
}

// Asks the program to end (SIGTERM: a simulator withdraws what it owes), then kills it.
void stopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

const QStringList kKeys = {QStringLiteral("UsaTEF"),
                           QStringLiteral("UsaTEFCheque"),
                           QStringLiteral("PcMaxTroco"),
                           QStringLiteral("UtilizaImpFis"),
                           QStringLiteral("PixUrl"),
                           QStringLiteral("PixTokenUrl"),
                           QStringLiteral("PixClientId"),
                           QStringLiteral("PixClientSecret"),
                           QStringLiteral("PixChave"),
                           QStringLiteral("PixNomeRecebedor"),
                           QStringLiteral("PixCidadeRecebedor"),
                           QStringLiteral("PixExpiracao"),
                           QStringLiteral("PixEstatico"),
                           QStringLiteral("PixTempoResposta")};

} // namespace

bool isRunSettingKey(const QString& key)
{
    return kKeys.contains(key);
}

Status writeRunSettings(const QString& folder, const QJsonObject& settings)
{
    if (!QDir().mkpath(folder))
        return Error{QStringLiteral("cannot create the settings folder %1").arg(folder)};
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, folder);
    QSettings store(QSettings::SystemScope, QStringLiteral("KORVANA"),
                    QStringLiteral("Sistemas Integrados Korvana"));
    store.clear();
    store.beginGroup(QStringLiteral("Vormel"));
    for (auto it = settings.begin(); it != settings.end(); ++it)
        store.setValue(it.key(), it.value().toString());
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        return Error{QStringLiteral("cannot write the run's settings to %1").arg(store.fileName())};
    return {};
}

TefManagerProcess::~TefManagerProcess()
{
    stop();
}

Status TefManagerProcess::start(const QString& program, const QString& tefDir, const QJsonObject& rules,
                                const QString& rulesPath)
{
    if (const Status launched = launch(program, tefDir, rules, rulesPath); !launched)
        return launched;
    return watching();
}

Status TefManagerProcess::launch(const QString& program, const QString& tefDir, const QJsonObject& rules,
                                 const QString& rulesPath)
{
    QSaveFile file(rulesPath);
    const QByteArray bytes = QJsonDocument(rules).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Error{QStringLiteral("cannot write the TEF manager's rules to %1").arg(rulesPath)};
    QDir().mkpath(tefDir);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    endWithThisProcess(m_process);
    m_process.start(program, {QStringLiteral("--dir"), tefDir, QStringLiteral("--rules"), rulesPath});
    if (!m_process.waitForStarted(5000))
        return Error{QStringLiteral("cannot start the TEF manager simulator %1: %2")
                         .arg(program, m_process.errorString())};
    return {};
}

Status TefManagerProcess::watching()
{
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains("watching") && clock.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        seen += m_process.readAll();
    }
    if (!seen.contains("watching")) {
        stop();
        return Error{QStringLiteral("the TEF manager simulator did not start: %1")
                         .arg(QString::fromLocal8Bit(seen).trimmed())};
    }
    return {};
}

void TefManagerProcess::stop()
{
    stopProcess(m_process);
}

QByteArray tillScreenPlatform(const QByteArray& platform, bool hasDisplay, const QString& screensFile)
{
    if (platform != "offscreen" && (!platform.isEmpty() || hasDisplay))
        return {};
    QFile file(screensFile);
    const QByteArray screens = R"({"screens": [{"name": "till", "x": 0, "y": 0, "width": 800, "height": 600,)"
                               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(screens) != screens.size())
        return "offscreen"; // still headless, on the platform's own screen
    return "offscreen:configfile=" + QFile::encodeName(screensFile);
}

QString tefManagerProgram()
{
    return simulatorProgram("ZEL_TEF_MANAGER_SIM", "tef-manager-sim", "../simulator/tef-manager-sim");
}

PixProviderProcess::~PixProviderProcess()
{
    stop();
}

Status PixProviderProcess::start(const QString& program, const QJsonObject& rules, const QString& rulesPath,
                                 const QString& statePath, const PixCredentials& credentials)
{
    QSaveFile file(rulesPath);
    const QByteArray bytes = QJsonDocument(rules).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Error{QStringLiteral("cannot write the Pix provider's rules to %1").arg(rulesPath)};
    m_statePath = statePath;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    endWithThisProcess(m_process);
    m_process.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--rules"),
                              rulesPath, QStringLiteral("--state"), statePath, QStringLiteral("--client-id"),
                              credentials.clientId, QStringLiteral("--client-secret"),
                              credentials.clientSecret, QStringLiteral("--key"), credentials.key});
    if (!m_process.waitForStarted(5000))
        return Error{QStringLiteral("cannot start the Pix provider simulator %1: %2")
                         .arg(program, m_process.errorString())};
    // It prints the port it took once it listens.
    QByteArray seen;
    QElapsedTimer clock;
    clock.start();
    while (!seen.contains('\n') && clock.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        seen += m_process.readAllStandardOutput();
    }
    const QByteArray line = seen.left(seen.indexOf('\n'));
    bool ok = false;
    m_port = line.startsWith("port=") ? line.mid(5).toInt(&ok) : 0;
    if (!ok || m_port <= 0) {
        const QByteArray why = m_process.readAllStandardError();
        stop();
        return Error{QStringLiteral("the Pix provider simulator did not start: %1")
                         .arg(QString::fromLocal8Bit(why + seen).trimmed())};
    }
    return {};
}

void PixProviderProcess::stop()
{
    stopProcess(m_process);
}

QJsonArray PixProviderProcess::charges() const
{
    QFile file(m_statePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("charges")).toArray();
}

QString pixProviderProgram()
{
    return simulatorProgram("ZEL_PIX_PROVIDER_SIM", "pix-provider-sim", "../simulator/pix/pix-provider-sim");
}

} // namespace zel::demo
