#include "DataSetTestSupport.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

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

TEST(DataFileProcesses, TwoProcessesAppendingToOneFileLoseNoRow)
{
    QTemporaryDir dir;
    const QString path = createFile(dir);
    const int count = 25;
    QProcess a, b;
    a.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"append", path, "a", QString::number(count)});
    b.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"append", path, "b", QString::number(count)});
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    DataSet ds;
    ASSERT_TRUE(ds.loadFromFile(path).ok());
    QSet<QString> seen;
    for (ds.first(); !ds.eof(); ds.next())
        seen.insert(ds.fieldByName(QStringLiteral("TAG")).asString() + ds.fieldByName(QStringLiteral("N")).asString());
    EXPECT_EQ(ds.recordCount(), 2 * count);
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(seen.contains(QStringLiteral("a%1").arg(i))) << i;
        EXPECT_TRUE(seen.contains(QStringLiteral("b%1").arg(i))) << i;
    }
}

// A process killed while it saves leaves the file as one of its whole saves made it.
TEST(DataFileProcesses, KilledSaveLeavesTheFileWhole)
{
    QTemporaryDir dir;
    const QString path = createFile(dir);
    const int batch = 4000;
    for (int delayMs : {0, 7, 23}) {
        QProcess p;
        p.start(QStringLiteral(ZEL_DATAFILE_HELPER), {"churn", path, QString::number(batch)});
        ASSERT_TRUE(p.waitForStarted());
        int lastBatch = 0;
        while (lastBatch < 2 && p.waitForReadyRead(60000)) {
            while (p.canReadLine())
                lastBatch = p.readLine().trimmed().toInt();
        }
        ASSERT_GE(lastBatch, 2) << p.readAllStandardError().toStdString();
        QThread::msleep(delayMs);
        p.kill();
        p.waitForFinished();
        while (p.canReadLine())
            lastBatch = p.readLine().trimmed().toInt();

        DataSet ds;
        const Status loaded = ds.loadFromFile(path);
        ASSERT_TRUE(loaded.ok()) << loaded.errorMessage().toStdString();
        EXPECT_EQ(ds.recordCount() % batch, 0) << "a partial save reached the file";
        EXPECT_GE(ds.recordCount(), batch * lastBatch);
        // The file is still writable after the interrupted save.
        appendRow(ds, {"after", 0});
        EXPECT_TRUE(ds.saveToFile(path).ok());
        ds.emptyDataSet();
        ASSERT_TRUE(ds.saveToFile(path).ok());
    }
}

} // namespace
