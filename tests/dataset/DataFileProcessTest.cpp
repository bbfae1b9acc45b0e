#include "DataSetTestSupport.h"
#include "support/Eventually.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <random>

using namespace zel;
using namespace zel::test;

namespace {

QString createFile(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("shared.cds"));
    DataSet ds({stringField(QStringLiteral("TAG"), 30), typedField(QStringLiteral("N"), FieldType::Integer)});
    ds.createDataSet();
    EXPECT_TRUE(ds.saveToFile(path).ok());
    return path;
}

// Terminals saving to one file at the same time each keep every row they saved: two with more
// rows each, four with fewer.
class DataFileAppenders : public ::testing::TestWithParam<std::pair<int, int>>
{
};

TEST_P(DataFileAppenders, LoseNoRow)
{
    const auto [terminals, count] = GetParam();
    QTemporaryDir dir;
    const QString path = createFile(dir);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int t = 0; t < terminals; ++t) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(QStringLiteral(ZEL_DATAFILE_HELPER),
                                {"append", path, QStringLiteral("t%1-").arg(t), QString::number(count)});
    }
    for (auto& p : processes) {
        ASSERT_TRUE(zel::test::ended(*p));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }

    DataSet ds;
    ASSERT_TRUE(ds.loadFromFile(path).ok());
    QSet<QString> seen;
    for (ds.first(); !ds.eof(); ds.next())
        seen.insert(ds.fieldByName(QStringLiteral("TAG")).asString() +
                    ds.fieldByName(QStringLiteral("N")).asString());
    EXPECT_EQ(ds.recordCount(), terminals * count);
    for (int t = 0; t < terminals; ++t) {
        for (int i = 0; i < count; ++i)
            EXPECT_TRUE(seen.contains(QStringLiteral("t%1-%2").arg(t).arg(i))) << t << " " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Terminals, DataFileAppenders, ::testing::Values(std::pair{2, 25}, std::pair{4, 15}));

// Two terminals that each find no file and create it with rows of their own, at the same
// time: the second save adds its rows to the file the first created.
TEST(DataFileProcesses, TwoProcessesCreatingOneFileKeepBothRows)
{
    QTemporaryDir dir;
    for (int round = 0; round < 3; ++round) {
        const QString path = dir.filePath(QStringLiteral("new%1.cds").arg(round));
        const int count = 40;
        QProcess a, b;
        a.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"create", path, "a", QString::number(count)});
        b.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"create", path, "b", QString::number(count)});
        ASSERT_TRUE(zel::test::ended(a));
        ASSERT_TRUE(zel::test::ended(b));
        EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
        EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

        DataSet ds;
        ASSERT_TRUE(ds.loadFromFile(path).ok());
        QMap<QString, int> perTag;
        for (ds.first(); !ds.eof(); ds.next())
            ++perTag[ds.fieldByName(QStringLiteral("TAG")).asString()];
        EXPECT_EQ(perTag.value(QStringLiteral("a")), count) << round;
        EXPECT_EQ(perTag.value(QStringLiteral("b")), count) << round;
    }
}

// A terminal killed (SIGKILL) at a random moment, 100 times over, while it saves one row after
// another: each time the file opens, holds every row whose save had returned, and holds no row
// twice; only the row whose save was under way may or may not be there.
TEST(DataFileProcesses, KilledAtRandomMomentsKeepsEveryCommittedRow)
{
    QTemporaryDir dir;
    const QString path = createFile(dir);
    {
        DataSet ds;
        ASSERT_TRUE(ds.loadFromFile(path).ok());
        for (int i = 0; i < 400; ++i) // a file of some size, so saves take a while
            appendRow(ds, {QStringLiteral("base"), i});
        ASSERT_TRUE(ds.saveToFile(path).ok());
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, 150);
    QMap<QString, int> committed; // tag -> rows 0..n-1 whose save returned
    int killedWhileSaving = 0;    // runs killed after some saves, in the middle of the next
    for (int run = 0; run < 100; ++run) {
        const QString tag = QStringLiteral("k%1").arg(run);
        QProcess p;
        p.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"commit", path, tag, "1000"});
        ASSERT_TRUE(p.waitForStarted());
        // The random moment is counted from the first save that returned, not from the start:
        // on a loaded machine a process may take longer to start than any delay.
        QByteArray output;
        zel::test::awaitOutput(p, output, "\n");
        QThread::msleep(delayMs(random));
        p.kill();
        ASSERT_TRUE(zel::test::ended(p));
        output += p.readAllStandardOutput();
        const QList<QByteArray> lines = output.split('\n');
        int n = 0;
        for (const QByteArray& line : lines)
            if (!line.isEmpty()) {
                ASSERT_EQ(line.toInt(), n++) << "seed " << seed;
            }
        committed[tag] = n;
        killedWhileSaving += n > 0 ? 1 : 0;

        DataSet ds;
        const Status loaded = ds.loadFromFile(path);
        ASSERT_TRUE(loaded.ok()) << "seed " << seed << " run " << run << ": "
                                 << loaded.errorMessage().toStdString();
        QMap<QString, QSet<int>> found;
        int base = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            const QString t = ds.fieldByName(QStringLiteral("TAG")).asString();
            const int value = static_cast<int>(ds.fieldByName(QStringLiteral("N")).asInteger());
            if (t == QLatin1String("base")) {
                ++base;
                continue;
            }
            ASSERT_FALSE(found[t].contains(value))
                << "seed " << seed << ": " << t.toStdString() << value << " twice";
            found[t].insert(value);
        }
        ASSERT_EQ(base, 400) << "seed " << seed;
        for (auto it = committed.cbegin(); it != committed.cend(); ++it) {
            const QSet<int>& rows = found.value(it.key());
            for (int i = 0; i < it.value(); ++i)
                ASSERT_TRUE(rows.contains(i))
                    << "seed " << seed << ": committed row " << it.key().toStdString() << i << " lost";
            // Beyond the committed rows, only the one whose save was cut short.
            const int extra = static_cast<int>(rows.size()) - it.value();
            ASSERT_LE(extra, 1) << "seed " << seed << " " << it.key().toStdString();
            if (extra == 1) {
                ASSERT_TRUE(rows.contains(it.value())) << "seed " << seed;
            }
        }
    }
    // Most kills met the saving loop, not a process still starting.
    EXPECT_GT(killedWhileSaving, 50) << "seed " << seed;
}

// A terminal that dies in the middle of a save, while it writes the journal or while it
// overwrites the file's pages, leaves the file as it was before that save.
struct CrashCase
{
    const char* mode; // "log": the change log is applied; "rewrite": every row is replaced
    int nthWrite;     // > 0: a write to the database file; < 0: a write to the journal
};

class CrashTest : public ::testing::TestWithParam<CrashCase>
{
};

TEST_P(CrashTest, FileKeepsItsLastWholeSave)
{
    QTemporaryDir dir;
    const QString path = createFile(dir);
    const int rows = 3000;
    {
        DataSet ds;
        ASSERT_TRUE(ds.loadFromFile(path).ok());
        for (int i = 0; i < rows; ++i)
            appendRow(ds, {QStringLiteral("row %1 with a longer text").arg(i), 1});
        ASSERT_TRUE(ds.saveToFile(path).ok());
    }
    QProcess p;
    p.start(QStringLiteral(ZEL_DATAFILE_HELPER),
            {"crash", path, GetParam().mode, QString::number(GetParam().nthWrite)});
    ASSERT_TRUE(zel::test::ended(p));
    ASSERT_EQ(p.exitStatus(), QProcess::CrashExit)
        << p.exitCode() << " " << p.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(path + QStringLiteral("-journal")));

    DataSet ds;
    const Status loaded = ds.loadFromFile(path);
    ASSERT_TRUE(loaded.ok()) << loaded.errorMessage().toStdString();
    ASSERT_EQ(ds.recordCount(), rows);
    for (ds.first(); !ds.eof(); ds.next())
        ASSERT_EQ(ds.fieldByName(QStringLiteral("N")).asInteger(), 1) << "a partial save reached the file";
    // And the file takes the next save, which leaves no journal behind.
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("N")).setInteger(5);
    ds.post();
    EXPECT_TRUE(ds.saveToFile(path).ok());
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
}

INSTANTIATE_TEST_SUITE_P(Writes, CrashTest,
                         ::testing::Values(CrashCase{"log", 1}, CrashCase{"log", 20}, CrashCase{"rewrite", 1},
                                           CrashCase{"rewrite", 8}, CrashCase{"log", -3},
                                           CrashCase{"rewrite", -2}),
                         [](const ::testing::TestParamInfo<CrashCase>& info) {
                             const int n = info.param.nthWrite;
                             return std::string(info.param.mode) +
                                    (n > 0 ? "_database_write_" : "_journal_write_") +
                                    std::to_string(n > 0 ? n : -n);
                         });

} // namespace
