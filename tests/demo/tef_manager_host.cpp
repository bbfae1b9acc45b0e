// A host that starts the TEF manager simulator exactly as the demo does (TefManagerProcess),
// says "manager <pid>" and runs until it is stopped or killed.
//   tef_manager_host <tef-manager-sim> <tefdir> <rules as JSON> <rules file>

#include "RunSettings.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    zel::demo::TefManagerProcess manager;
    const auto started =
        manager.start(args[1], args[2], QJsonDocument::fromJson(args[3].toUtf8()).object(), args[4]);
    if (!started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.errorMessage()));
        return 1;
    }
    std::printf("manager %lld\n", static_cast<long long>(manager.processId()));
    std::fflush(stdout);
    return app.exec();
}
