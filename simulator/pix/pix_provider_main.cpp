// pix-provider-sim: a Pix provider on this machine, answering the standard Pix API as a rules
// file says.
//   pix-provider-sim [--port N] [--rules FILE] [--state FILE] [--client-id ID]
//                    [--client-secret SECRET] [--key KEY]
// Prints "port=<n>" on a line of its own once it listens (--port 0, the default, takes any
// free port), so that whoever started it knows where to send. Stops on SIGTERM or SIGINT; the
// state file is already whole by then, as it is rewritten on every change.

#include "PixProviderSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// Turns SIGTERM and SIGINT into a normal end of the event loop.
bool catchStopSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    // A client gone in the middle of an answer must not end the provider.
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pix-provider-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated Pix provider: the standard Pix API over HTTP."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("The port (0: any free one)."),
                                        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption rulesOption(QStringLiteral("rules"), QStringLiteral("The rules file (JSON)."),
                                         QStringLiteral("file"));
    const QCommandLineOption stateOption(QStringLiteral("state"),
                                         QStringLiteral("The state file, rewritten on every change (JSON)."),
                                         QStringLiteral("file"));
    const QCommandLineOption idOption(QStringLiteral("client-id"),
                                      QStringLiteral("The client id it accepts."), QStringLiteral("id"),
                                      QStringLiteral("zel-pdv"));
    const QCommandLineOption secretOption(QStringLiteral("client-secret"),
                                          QStringLiteral("The client secret it accepts."),
                                          QStringLiteral("secret"), QStringLiteral("zel-segredo"));
    const QCommandLineOption keyOption(
        QStringLiteral("key"), QStringLiteral("The receiver's Pix key a charge must name (default: any)."),
        QStringLiteral("key"));
    parser.addOptions({portOption, rulesOption, stateOption, idOption, secretOption, keyOption});
    parser.process(app);

    bool number = false;
    const uint port = parser.value(portOption).toUInt(&number);
    if (!number || port > 65535) {
        std::fprintf(stderr, "pix-provider-sim: --port must be a number from 0 to 65535\n");
        return 2;
    }
    zel::pixsim::PixSimOptions options;
    if (parser.isSet(rulesOption)) {
        auto loaded = zel::pixsim::PixSimRules::load(parser.value(rulesOption));
        if (!loaded) {
            std::fprintf(stderr, "pix-provider-sim: %s\n", qPrintable(loaded.errorMessage()));
            return 2;
        }
        options.rules = loaded.value();
    }
    options.statePath = parser.value(stateOption);
    options.clientId = parser.value(idOption);
    options.clientSecret = parser.value(secretOption);
    options.key = parser.value(keyOption);

    if (!catchStopSignals(app)) {
        std::fprintf(stderr, "pix-provider-sim: cannot catch the stop signals\n");
        return 1;
    }
    zel::pixsim::PixProviderSim provider(options);
    QString error;
    const quint16 chosen = provider.start(quint16(port), &error);
    if (chosen == 0) {
        std::fprintf(stderr, "pix-provider-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("port=%u\n", unsigned(chosen));
    std::fflush(stdout);
    return app.exec();
}
