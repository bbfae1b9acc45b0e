// pdv-demo: a point-of-sale host that loads the payment module by file name and runs one sale
// on simulated devices. See the README for the options, the scenario, script and result formats.

#include "DemoHost.h"
#include "RunSettings.h"
#include "Samples.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {

QString defaultModulePath()
{
    if (const QByteArray env = qgetenv("ZEL_MODULE"); !env.isEmpty())
        return QString::fromLocal8Bit(env);
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const char* candidate : {"../package/libPkg_zel.so", "../lib/libPkg_zel.so", "libPkg_zel.so"})
        if (QFile::exists(exe.filePath(QLatin1String(candidate))))
            return QDir::cleanPath(exe.filePath(QLatin1String(candidate)));
    return QStringLiteral("libPkg_zel.so");
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Prints the monotonic clock once the receipt form's first paint is over, for timing the start.
class FirstPaintClock : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window()->objectName() == QLatin1String("TfrmRecebimento")) {
            m_seen = true;
            QTimer::singleShot(0, this, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::fprintf(stderr, "pdv-demo: first paint %lld\n",
                             qint64(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stderr);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int fail(const QString& message, int code)
{
    std::fprintf(stderr, "pdv-demo: %s\n", qPrintable(message));
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    // Without a display the demo runs offscreen, with its script, on a screen of the till's size.
    QTemporaryDir screensDir;
    const QByteArray platform = zel::demo::tillScreenPlatform(
        qgetenv("QT_QPA_PLATFORM"), hasDisplay(), screensDir.filePath(QStringLiteral("screens.json")));
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pdv-demo"));
    QApplication::setApplicationDisplayName(QStringLiteral("PDV — Recebimento"));
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs one sale through the payment module on simulated devices."));
    parser.addHelpOption();
    QCommandLineOption scenarioOpt(QStringLiteral("scenario"), QStringLiteral("Scenario file (JSON)."),
                                   QStringLiteral("file"));
    QCommandLineOption sampleOpt(
        QStringLiteral("sample"),
        QStringLiteral("Built-in sample: restaurant (default), counter, buffet or pix."),
        QStringLiteral("name"), QStringLiteral("restaurant"));
    QCommandLineOption scriptOpt(QStringLiteral("script"), QStringLiteral("Operator script to run."),
                                 QStringLiteral("file"));
    QCommandLineOption noScriptOpt(QStringLiteral("no-script"), QStringLiteral("Run no operator script."));
    QCommandLineOption resultOpt(
        QStringLiteral("result"),
        QStringLiteral("Write the result document here instead of to the standard output."),
        QStringLiteral("file"));
    QCommandLineOption moduleOpt(QStringLiteral("module"), QStringLiteral("Path of libPkg_zel.so."),
                                 QStringLiteral("path"));
    QCommandLineOption stateOpt(
        QStringLiteral("state"),
        QStringLiteral("Folder for the simulated devices' state (kept between runs)."),
        QStringLiteral("dir"));
    QCommandLineOption shotsOpt(QStringLiteral("screenshots"),
                                QStringLiteral("Folder for the script's screenshots."), QStringLiteral("dir"),
                                QStringLiteral("."));
    QCommandLineOption writeSampleOpt(
        QStringLiteral("write-sample"),
        QStringLiteral("Write the chosen sample's files into a folder and stop."), QStringLiteral("dir"));
    QCommandLineOption finalScreenOpt(
        QStringLiteral("final-screen"),
        QStringLiteral("With a display: a picture of the whole screen (the device monitor) "
                       "once the receipt has closed."),
        QStringLiteral("file.png"));
    QCommandLineOption firstPaintOpt(
        QStringLiteral("first-paint"),
        QStringLiteral("Print the monotonic clock (ns) on the standard error once the "
                       "receipt's first paint is over, to time the start."));
    parser.addOptions({scenarioOpt, sampleOpt, scriptOpt, noScriptOpt, resultOpt, moduleOpt, stateOpt,
                       shotsOpt, writeSampleOpt, finalScreenOpt, firstPaintOpt});
    parser.process(app);

    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                          QGuiApplication::platformName() == QLatin1String("minimal");

    QTemporaryDir sampleDir;
    QString scenarioPath = parser.value(scenarioOpt);
    if (parser.isSet(writeSampleOpt)) {
        const QString written = zel::demo::writeSample(parser.value(sampleOpt), parser.value(writeSampleOpt));
        if (written.isEmpty())
            return fail(QStringLiteral("no sample named %1").arg(parser.value(sampleOpt)), 2);
        std::printf("%s\n", qPrintable(written));
        return 0;
    }
    if (scenarioPath.isEmpty()) {
        scenarioPath = zel::demo::writeSample(parser.value(sampleOpt), sampleDir.path());
        if (scenarioPath.isEmpty())
            return fail(
                QStringLiteral("no sample named %1 (samples: %2)")
                    .arg(parser.value(sampleOpt), zel::demo::sampleNames().join(QStringLiteral(", "))),
                2);
    }
    auto scenario = zel::demo::Scenario::load(scenarioPath);
    if (!scenario)
        return fail(scenario.errorMessage(), 2);

    zel::demo::DemoOptions options;
    options.modulePath = parser.isSet(moduleOpt) ? parser.value(moduleOpt) : defaultModulePath();
    options.stateDir = parser.value(stateOpt);
    options.screenshotDir = parser.value(shotsOpt);
    options.headless = headless;
    options.scriptPath = parser.value(scriptOpt);
    options.finalScreen = parser.value(finalScreenOpt);
    // With a display the operator plays; a script runs only when asked for.
    options.runScript = !parser.isSet(noScriptOpt) && (headless || parser.isSet(scriptOpt));

    FirstPaintClock firstPaint;
    if (parser.isSet(firstPaintOpt))
        app.installEventFilter(&firstPaint);

    int code = 0;
    QByteArray document;
    QString summary;
    {
        zel::demo::DemoHost host(options);
        auto result = host.run(*scenario);
        if (!result)
            return fail(result.errorMessage(), 2);
        document = QJsonDocument(*result).toJson(QJsonDocument::Indented);
        for (const QString& error : host.scriptErrors())
            std::fprintf(stderr, "pdv-demo: %s\n", qPrintable(error));
        code = host.scriptErrors().isEmpty() ? 0 : 3;
        // One line to end on: how the sale went, its coupon, where the pictures are.
        const QString coupon = result->value(QStringLiteral("couponNumber")).toString();
        summary =
            QStringLiteral("pdv-demo: %1%2%3%4")
                .arg(result->value(QStringLiteral("result")).toBool() ? QStringLiteral("sale settled")
                                                                      : QStringLiteral("sale not settled"),
                     coupon.isEmpty() ? QStringLiteral(", no coupon") : QStringLiteral(", coupon ") + coupon,
                     options.screenshotDir.isEmpty()
                         ? QString()
                         : QStringLiteral(", pictures in ") + QDir(options.screenshotDir).absolutePath(),
                     code == 0 ? QString() : QStringLiteral(", the script stopped with errors"));
    }

    if (parser.isSet(resultOpt)) {
        QFile out(parser.value(resultOpt));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(document) != document.size())
            return fail(QStringLiteral("cannot write %1").arg(parser.value(resultOpt)), 2);
    } else {
        std::fwrite(document.constData(), 1, size_t(document.size()), stdout);
        std::fflush(stdout);
    }
    std::fprintf(stderr, "%s\n", qPrintable(summary));
    return code;
}
