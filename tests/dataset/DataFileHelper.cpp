// A second process for the data file tests.
//   datafile_helper append <file> <tag> <count>: <count> times load, append one row, save.
//   datafile_helper churn <file> <rows>: load, append <rows> rows, save, print the batch; forever.

#include "dataset/DataSet.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zel;

namespace {

int fail(const Status& s)
{
    std::fprintf(stderr, "%s\n", qPrintable(s.errorMessage()));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    const QString path = args[2];
    DataSet ds;
    if (args[1] == QLatin1String("append") && args.size() == 5) {
        const int count = args[4].toInt();
        for (int i = 0; i < count; ++i) {
            if (Status s = ds.loadFromFile(path); !s)
                return fail(s);
            ds.append();
            ds.fieldByName(QStringLiteral("TAG")).setString(args[3]);
            ds.fieldByName(QStringLiteral("N")).setInteger(i);
            ds.post();
            if (Status s = ds.saveToFile(path); !s)
                return fail(s);
        }
        return 0;
    }
    if (args[1] == QLatin1String("churn")) {
        const int rows = args[3].toInt();
        for (int batch = 1;; ++batch) {
            if (Status s = ds.loadFromFile(path); !s)
                return fail(s);
            for (int i = 0; i < rows; ++i) {
                ds.append();
                ds.fieldByName(QStringLiteral("TAG")).setString(QStringLiteral("churn-with-some-longer-text"));
                ds.fieldByName(QStringLiteral("N")).setInteger(batch);
                ds.post();
            }
            if (Status s = ds.saveToFile(path); !s)
                return fail(s);
            std::printf("%d\n", batch);
            std::fflush(stdout);
        }
    }
    return 2;
}
