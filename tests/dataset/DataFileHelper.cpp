// A second process for the data file tests.
//   datafile_helper append <file> <tag> <count>: <count> times load, append one row, save.
//   datafile_helper create <file> <tag> <count>: a new dataset with <count> rows saved to a
//     file that may not exist yet.
//   datafile_helper crash <file> <log|rewrite> <n>: add 1 to N of every row and save, dying on
//     the n-th write to the database file (n > 0) or to its journal (n < 0).
//   datafile_helper commit <file> <tag> <count>: <count> times load, append one row, save (every
//     third save replaces every row), and print the row's N once its save returned.

#include "CrashVfs.h"
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
    // "append": one row a save; "commit" also rewrites every row on every third save and prints
    // the number of each row whose save returned.
    const bool commit = args[1] == QLatin1String("commit");
    if ((commit || args[1] == QLatin1String("append")) && args.size() == 5) {
        const int count = args[4].toInt();
        for (int i = 0; i < count; ++i) {
            if (Status s = ds.loadFromFile(path); !s)
                return fail(s);
            ds.append();
            ds.fieldByName(QStringLiteral("TAG")).setString(args[3]);
            ds.fieldByName(QStringLiteral("N")).setInteger(i);
            ds.post();
            const SaveMode mode = commit && i % 3 == 2 ? SaveMode::ReplaceRows : SaveMode::Changes;
            if (Status s = ds.saveToFile(path, mode); !s)
                return fail(s);
            if (commit) {
                std::printf("%d\n", i);
                std::fflush(stdout);
            }
        }
        return 0;
    }
    if (args[1] == QLatin1String("create") && args.size() == 5) {
        ds.setFieldDefs({FieldDef{QStringLiteral("TAG"), FieldType::String, 30},
                         FieldDef{QStringLiteral("N"), FieldType::Integer, 0}});
        ds.createDataSet();
        for (int i = 0; i < args[4].toInt(); ++i) {
            ds.append();
            ds.fieldByName(QStringLiteral("TAG")).setString(args[3]);
            ds.fieldByName(QStringLiteral("N")).setInteger(i);
            ds.post();
        }
        if (Status s = ds.saveToFile(path); !s)
            return fail(s);
        return 0;
    }
    if (args[1] == QLatin1String("crash") && args.size() == 5) {
        if (Status s = ds.loadFromFile(path); !s)
            return fail(s);
        const bool rewrite = args[3] == QLatin1String("rewrite"); // replace every row
        for (ds.first(); !ds.eof(); ds.next()) {
            ds.edit();
            ds.fieldByName(QStringLiteral("N"))
                .setInteger(ds.fieldByName(QStringLiteral("N")).asInteger() + 1);
            ds.post();
        }
        const int nth = args[4].toInt();
        installCrashVfs(nth > 0 ? CrashTarget::Database : CrashTarget::Journal, nth > 0 ? nth : -nth);
        if (Status s = ds.saveToFile(path, rewrite ? SaveMode::ReplaceRows : SaveMode::Changes); !s)
            return fail(s);
        return 3; // the save finished before the chosen write
    }
    return 2;
}
