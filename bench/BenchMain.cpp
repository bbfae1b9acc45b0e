// The main of every benchmark program: Google Benchmark inside a QApplication, offscreen unless
// QT_QPA_PLATFORM names another platform.

#include "toolkit/Waits.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // A step that never comes (a manager that never answers, a form that never opens) ends the
    // run instead of holding it.
    zel::waits::setTimeLimit(std::chrono::seconds(30));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
