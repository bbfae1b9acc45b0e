#include "TefDirectory.h"

#include "IntPos.h"
#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace zel {
namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray intpos(const QString& header, const QString& sequence, const QStringList& more = {})
{
    IntPosFile file;
    file.add(intpos::kHeader, header);
    file.add(intpos::kSequence, sequence);
    for (const auto& line : more)
        file.add(line.section(QLatin1Char('='), 0, 0).trimmed(), line.section(QLatin1Char('='), 1).trimmed());
    file.addEnd();
    return file.toBytes();
}

class TefDirectoryTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    SimulatorConfig m_config = simtest::config(m_dir);
    TefDirectory m_tef{m_config.tef, m_config.stateDir};
    QString resp() const { return m_tef.dir() + QStringLiteral("resp/"); }
};

TEST_F(TefDirectoryTest, SequencesAreUniqueAcrossInstancesThreadsAndRuns)
{
    QSet<QString> seen;
    {
        TefDirectory other(m_config.tef, m_config.stateDir);
        for (int i = 0; i < 5; ++i) {
            seen.insert(m_tef.nextSequence());
            seen.insert(other.nextSequence());
        }
    }
    EXPECT_EQ(seen.size(), 10);

    QStringList fromThreads[2];
    auto take = [&](int slot) {
        TefDirectory mine(m_config.tef, m_config.stateDir);
        for (int i = 0; i < 50; ++i)
            fromThreads[slot] << mine.nextSequence();
    };
    std::thread a(take, 0), b(take, 1);
    a.join();
    b.join();
    for (const auto& list : fromThreads)
        for (const auto& s : list)
            seen.insert(s);
    EXPECT_EQ(seen.size(), 110);

    TefDirectory later(m_config.tef, m_config.stateDir);
    EXPECT_EQ(later.nextSequence(), QStringLiteral("111"));
}

TEST_F(TefDirectoryTest, AnUnreadableCounterNeverGoesBackToOne)
{
    for (int i = 0; i < 3; ++i)
        m_tef.nextSequence();
    writeFile(m_config.stateDir + QStringLiteral("tef-sequence"), "x!");
    EXPECT_GT(m_tef.nextSequence().toLongLong(), 1000000);
}

TEST_F(TefDirectoryTest, ACounterThatCannotBeSavedHandsOutNoSequence)
{
    // A folder where the counter file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkpath(m_config.stateDir + QStringLiteral("tef-sequence/x")));
    m_config.tef.activityTimeoutMs = m_config.tef.takenTimeoutMs = 60000; // what "at once" is not
    SimulatedPeripherals devices(m_config);
    EXPECT_EQ(devices.GetSequence(), QString());
    EXPECT_EQ(devices.GetSequence(), QString());
    // An exchange without a sequence is not taken, and is refused at once.
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(devices.CheckGPAtivo(QStringLiteral("CRT"), QString()));
    EXPECT_FALSE(devices.CheckGPAtivo());
    EXPECT_LT(clock.elapsed(), 30000);
}

TEST_F(TefDirectoryTest, CheckFilesPreparesTheFoldersAndClearsLeftovers)
{
    EXPECT_FALSE(m_tef.checkDir(QStringLiteral("C"))); // no folders yet
    ASSERT_TRUE(m_tef.checkFiles());
    writeFile(m_tef.requestPath(), intpos(QStringLiteral("CRT"), QStringLiteral("9")));
    writeFile(m_tef.statusPath(), intpos(QStringLiteral("CRT"), QStringLiteral("9")));
    writeFile(resp() + QStringLiteral("intpos.002"), intpos(QStringLiteral("CRT"), QStringLiteral("8")));
    ASSERT_TRUE(m_tef.checkFiles());
    EXPECT_FALSE(QFile::exists(m_tef.requestPath()));
    EXPECT_FALSE(QFile::exists(m_tef.statusPath()));
    EXPECT_TRUE(QFile::exists(resp() + QStringLiteral("intpos.002"))); // a kept exchange stays

    EXPECT_TRUE(m_tef.checkDir(QStringLiteral("C")));
    EXPECT_TRUE(m_tef.checkDir(QStringLiteral("q")));
    EXPECT_FALSE(m_tef.checkDir(QStringLiteral("X")));
    EXPECT_FALSE(m_tef.checkDir(QStringLiteral("CD")));

    TefDirectory none(TefSettings{}, m_config.stateDir);
    EXPECT_FALSE(none.checkFiles());
    EXPECT_FALSE(none.checkActive());
}

TEST_F(TefDirectoryTest, NewNamesAreFreeAndDeleteTakesOnlyOneExchange)
{
    ASSERT_TRUE(m_tef.checkFiles());
    EXPECT_EQ(m_tef.newFileName(resp()), resp() + QStringLiteral("intpos.002"));
    writeFile(resp() + QStringLiteral("intpos.002"), intpos(QStringLiteral("CRT"), QStringLiteral("41")));
    writeFile(resp() + QStringLiteral("intpos.003"), intpos(QStringLiteral("CRT"), QStringLiteral("42")));
    writeFile(resp() + QStringLiteral("intpos.005"), intpos(QStringLiteral("XXX"), QStringLiteral("41")));
    EXPECT_EQ(m_tef.newFileName(resp().chopped(1)), resp() + QStringLiteral("intpos.004"));

    EXPECT_FALSE(m_tef.deleteFiles(resp(), QString()));
    EXPECT_TRUE(m_tef.deleteFiles(resp(), QStringLiteral("41")));
    EXPECT_EQ(QDir(resp()).entryList(QDir::Files), QStringList{QStringLiteral("intpos.003")});
}

TEST_F(TefDirectoryTest, TheActivityCheckFailsWithoutAManagerAndWithdrawsItsRequest)
{
    m_config.tef.activityTimeoutMs = 300;
    m_config.tef.takenTimeoutMs = 60000; // not the activity check's wait
    TefDirectory tef(m_config.tef, m_config.stateDir);
    ASSERT_TRUE(tef.checkFiles());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(tef.checkActive());
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_FALSE(QFile::exists(tef.requestPath()));
}

TEST_F(TefDirectoryTest, WaitTakenEndsWhenTheMatchingStatusFileArrives)
{
    m_config.tef.takenTimeoutMs = 60000; // what the status file ends long before
    TefDirectory tef(m_config.tef, m_config.stateDir);
    ASSERT_TRUE(tef.checkFiles());
    writeFile(tef.requestPath(), intpos(QStringLiteral("CRT"), QStringLiteral("77")));
    // A stale status of another exchange first, then the right one, while the wait runs.
    QTimer::singleShot(
        100, [&] { writeFileWhole(tef.statusPath(), intpos(QStringLiteral("CRT"), QStringLiteral("76"))); });
    QTimer::singleShot(400, [&] {
        writeFileWhole(tef.statusPath(), intpos(QStringLiteral("CRT"), QStringLiteral("77")));
        QFile::remove(tef.requestPath());
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(tef.waitTaken(QStringLiteral("CRT"), QStringLiteral("77")));
    EXPECT_GE(clock.elapsed(), 350);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_FALSE(QFile::exists(tef.statusPath()));
}

// A file that arrives between the wait's first look and its watch of the folder is seen at
// once, not when the safety timer next fires: nothing else would announce it.
TEST_F(TefDirectoryTest, WaitUntilSeesAFileThatArrivedBeforeTheWatch)
{
    const QString dir = m_dir.path();
    const QString path = dir + QStringLiteral("/arrived");
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    int looks = 0;
    EXPECT_TRUE(TefDirectory::waitUntil(dir, 60000, [&] {
        if (++looks == 1)
            writeFile(path, "x"); // arrives right after the first look
        return looks > 1 && QFile::exists(path);
    }));
    EXPECT_FALSE(loopRan) << "the wait went to its event loop for a file already there";
}

TEST(IntPosFile, ReadsFieldsByNameAsTheProtocolDefines)
{
    const auto file = IntPosFile::parse("000-000 = CRT\r\n001-000 = 12\r\n030-000 =   Aprovada  \r\n"
                                        "028-000 = \r\n0300-00 = x\r\n999-999 = 0\r\n");
    EXPECT_EQ(file.header(), QStringLiteral("CRT"));
    EXPECT_EQ(file.value(intpos::kMessage), QStringLiteral("Aprovada"));
    EXPECT_TRUE(file.has(intpos::kReceiptCount));
    EXPECT_TRUE(file.value(intpos::kReceiptCount).isEmpty());
    EXPECT_FALSE(file.has(intpos::kStatus));
    EXPECT_TRUE(file.isComplete());
    EXPECT_FALSE(file.isWellFormed());
    EXPECT_FALSE(IntPosFile::parse("000-000 = CRT\r\n001-000 = 12\r\n").isComplete());
    EXPECT_EQ(IntPosFile::parse(file.toBytes()).lines(), file.lines());
}

} // namespace
} // namespace zel
