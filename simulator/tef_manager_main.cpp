// tef-manager-sim: answers the IntPos requests of a TEF directory as a rules file says.
//   tef-manager-sim --dir <tefdir> [--rules <file>] [--once]
// Stops on SIGTERM or SIGINT (after finishing or withdrawing the answers it owes; a second
// signal stops it at once), or with --once after the first payment request is answered.

#include "TefManager.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// Turns SIGTERM and SIGINT into a call of `stop` on the event loop; a second one quits.
bool catchStopSignals(QCoreApplication& app, std::function<void()> stop)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app, stop, received = 0]() mutable {
        char byte;
        [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
        if (++received == 1)
            stop();
        else
            app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // The log often goes to a pipe read by the host that started the manager. When that host is
    // gone (killed: the stop signal comes for that very reason), a log line must not end the
    // manager before it has settled what it owes.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tef-manager-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated TEF manager: answers IntPos requests."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("The TEF directory (holds req/ and resp/)."),
                                       QStringLiteral("tefdir"));
    const QCommandLineOption rulesOption(QStringLiteral("rules"), QStringLiteral("The rules file (JSON)."),
                                         QStringLiteral("file"));
    const QCommandLineOption onceOption(QStringLiteral("once"),
                                        QStringLiteral("Stop after answering the first payment request."));
    parser.addOptions({dirOption, rulesOption, onceOption});
    parser.process(app);

    if (!parser.isSet(dirOption) || parser.value(dirOption).isEmpty()) {
        std::fprintf(stderr, "tef-manager-sim: --dir <tefdir> is required\n");
        return 2;
    }
    zel::TefRules rules;
    if (parser.isSet(rulesOption)) {
        auto loaded = zel::TefRules::load(parser.value(rulesOption));
        if (!loaded) {
            std::fprintf(stderr, "tef-manager-sim: %s\n", qPrintable(loaded.errorMessage()));
            return 2;
        }
        rules = loaded.value();
    }
    zel::TefManager manager(parser.value(dirOption), rules, parser.isSet(onceOption));
    if (!catchStopSignals(app, [&manager] { manager.stop(); })) {
        std::fprintf(stderr, "tef-manager-sim: cannot catch the stop signals\n");
        return 1;
    }
    QObject::connect(&manager, &zel::TefManager::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QString error;
    if (!manager.start(&error)) {
        std::fprintf(stderr, "tef-manager-sim: %s\n", qPrintable(error));
        return 1;
    }
    return app.exec();
}
