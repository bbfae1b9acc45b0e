// One terminal of the four-terminal save benchmark (dataset_bench):
//   dataset-bench-terminal <file> <tag>
// loads the data file, appends one row (TAG = <tag>), prints "ready", waits for a line on its
// standard input, saves, and prints the save's duration in microseconds (or "error <text>").

#include "dataset/DataSet.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    zel::DataSet ds;
    if (const zel::Status loaded = ds.loadFromFile(args[1]); !loaded) {
        std::printf("error %s\n", qPrintable(loaded.errorMessage()));
        return 1;
    }
    ds.append();
    ds.fieldByName(QStringLiteral("TAG")).setString(args[2]);
    ds.post();
    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    const auto start = std::chrono::steady_clock::now();
    const zel::Status saved = ds.saveToFile(args[1]);
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();
    if (!saved) {
        std::printf("error %s\n", qPrintable(saved.errorMessage()));
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(us));
    return 0;
}
