// The TEF folder is shared: whoever can write there plants links, FIFOs, folders, forged
// answers and control characters. None of it may steer a payment, overwrite a file elsewhere,
// freeze the till or reach a device as a command.

#include "IntPos.h"
#include "SimulatedPeripherals.h"
#include "TefTestSupport.h"
#include "devices/ControlText.h"
#include "fakes/RecordingPeripherals.h"
#include "receipt/tef/TefExchange.h"
#include "receipt/tef/TefJournal.h"
#include "support/Eventually.h"
#include "support/ScriptedDialogs.h"
#include "toolkit/Waits.h"

#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zel {
namespace {

using teftest::readAll;
using teftest::response;

const QByteArray kForged = response({"000-000 = CRT", "001-000 = 1", "009-000 = 0", "028-000 = 0"});
const QByteArray kDeclined = response({"000-000 = CRT", "001-000 = 1", "009-000 = 05", "028-000 = 0"});
const QByteArray kPrecious = "precious\n";

class HostileTefFiles : public ::testing::Test
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_tef.ready);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_tmp.filePath("settings"));
        ASSERT_TRUE(teftest::writeWhole(victim(), kPrecious));
        std::signal(SIGPIPE, SIG_IGN);
    }

    void TearDown() override
    {
        m_feeding = false;
        if (m_feeder.joinable())
            m_feeder.join();
    }

    QString req() const { return m_dir + "req/intpos.001"; }
    QString resp() const { return m_dir + "resp/intpos.001"; }
    QString victim() const { return m_tmp.filePath("victim"); }
    std::shared_ptr<SimulatedPeripherals> simulatedDevices() const
    {
        return std::make_shared<SimulatedPeripherals>(
            SimulatorConfig::fromJson(QJsonObject{{"tef", QJsonObject{{"dir", "tef"}}}}, m_tmp.path())
                .value());
    }

    // The manager simulator, as the separate program it is, answering payments without a
    // message or a slip.
    void startManager(QProcess& manager)
    {
        const QString rules = m_tmp.filePath("rules.json");
        ASSERT_TRUE(teftest::writeWhole(
            rules, R"({"default": {"action": "approve", "receipt": [], "message": ""}})"));
        manager.setProcessChannelMode(QProcess::MergedChannels);
        manager.start(ZEL_TEF_MANAGER_SIM, {"--dir", m_dir, "--rules", rules, "--once"});
        QByteArray seen;
        ASSERT_TRUE(test::awaitOutput(manager, seen, "watching")) << seen.toStdString();
    }

    // The test as the TEF manager: `plant` runs once the request is on disk; the request is
    // taken once `taken()` holds; the decline goes out once the name is free again.
    void runManager(const std::function<void()>& plant, const std::function<bool()>& taken)
    {
        QObject::connect(&m_manager, &QTimer::timeout, [=, this, planted = false]() mutable {
            if (!planted && QFile::exists(req())) {
                planted = true;
                plant();
            }
            if (planted && taken()) {
                QFile::remove(req());
                if (!QFileInfo(resp()).exists() && !QFileInfo(resp()).isSymLink() && !m_answered)
                    m_answered = teftest::writeWhole(resp(), kDeclined);
            }
        });
        m_manager.start(5);
    }

    // Feeds a forged approval to whoever opens the FIFO at `path` for reading.
    void feedFifo(const QString& path)
    {
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        m_feeding = true;
        m_feeder = std::thread([this, name = QFile::encodeName(path)] {
            for (struct stat info = {}; m_feeding;
                 std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK); // a FIFO's only when read
                if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode))
                    (void)!::write(fd, kForged.constData(), size_t(kForged.size()));
                if (fd >= 0)
                    ::close(fd);
            }
        });
    }

    std::shared_ptr<RecordingPeripherals> m_devices = std::make_shared<RecordingPeripherals>();
    teftest::TefScope m_tef{m_devices, std::chrono::seconds(10)};
    QTemporaryDir& m_tmp = m_tef.tmp;
    const QString& m_dir = m_tef.dir;
    test::ScopedScriptedDialogs m_dialogs;
    QTimer m_manager;
    bool m_answered = false;
    std::atomic<bool> m_feeding{false};
    std::thread m_feeder;
};

// What an attacker puts at the response's name during a card payment, and what the operator
// is told. In every case no card payment is recorded and the exchange ends.
struct Planted
{
    const char* name;
    std::function<void(HostileTefFiles&)> plant;
    bool beforeTheTake;          // planted while the request still waits in req/
    const char* notice;          // the notice naming the refused file, or null (set aside silently)
    const char* error = nullptr; // the error that ends the exchange, when the file cannot be moved
};

class PlantedResponses : public HostileTefFiles, public ::testing::WithParamInterface<Planted>
{
};

TEST_P(PlantedResponses, NeverCountAsTheManagersAnswer)
{
    const Planted& c = GetParam();
    if (std::string(c.name) == "forgedByAnotherAccount" && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file another owner";
    if (c.notice)
        m_dialogs->expectMessage(c.notice);
    if (c.error) {
        m_devices->setDefault("NewIntPosFileName", QString());
        m_dialogs->expectMessageDlg(mrOk, c.error);
    }
    runManager([&] { c.plant(*this); }, [&] { return !c.beforeTheTake || !QFileInfo(resp()).exists(); });

    EXPECT_NO_THROW(EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, "")));

    EXPECT_EQ(m_devices->inContCuponsTEF(), 0);
    EXPECT_EQ(readAll(victim()), kPrecious);
}

INSTANTIATE_TEST_SUITE_P(
    HostileTefFiles, PlantedResponses,
    ::testing::Values(
        Planted{"forgedBeforeTheTake", [](HostileTefFiles& t) { teftest::writeWhole(t.resp(), kForged); },
                true, nullptr},
        Planted{"forgedByAnotherAccount",
                [](HostileTefFiles& t) {
                    teftest::writeWhole(t.resp() + ".x", kForged);
                    ASSERT_EQ(::chown(QFile::encodeName(t.resp() + ".x").constData(), 4242, 4242), 0);
                    QFile::rename(t.resp() + ".x", t.resp());
                },
                false, "4242"},
        Planted{"fifo", [](HostileTefFiles& t) { t.feedFifo(t.resp()); }, false, "arquivo comum"},
        Planted{"folder", [](HostileTefFiles& t) { QDir().mkdir(t.resp()); }, false, "arquivo comum"},
        Planted{"linkToAForgedAnswer",
                [](HostileTefFiles& t) {
                    teftest::writeWhole(t.m_tmp.filePath("forged"), kForged);
                    QFile::link(t.m_tmp.filePath("forged"), t.resp());
                },
                false, "arquivo comum"},
        Planted{"folderThatCannotBeMoved", [](HostileTefFiles& t) { QDir().mkdir(t.resp()); }, false,
                "movida", "posto de lado"}),
    [](const auto& info) { return std::string(info.param.name); });

// A link planted where a TEF file is about to be written: the write replaces the link and the
// file it pointed to stays as it was.
struct PlantedLink
{
    const char* name;
    const char* link; // relative to the TEF folder
    std::function<void(HostileTefFiles&)> write;
};

class PlantedLinks : public HostileTefFiles, public ::testing::WithParamInterface<PlantedLink>
{
};

TEST_P(PlantedLinks, AreReplacedNotWrittenThrough)
{
    const PlantedLink& c = GetParam();
    ASSERT_TRUE(QFile::link(victim(), m_dir + c.link));

    c.write(*this);

    EXPECT_EQ(readAll(victim()), kPrecious);
}

INSTANTIATE_TEST_SUITE_P(
    HostileTefFiles, PlantedLinks,
    ::testing::Values(
        PlantedLink{"request", "req/intpos.001",
                    [](HostileTefFiles& t) {
                        t.m_devices->script("CheckGPAtivo", {true, false});
                        EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));
                        EXPECT_TRUE(readAll(t.req()).startsWith("000-000 = CRT"));
                    }},
        PlantedLink{
            "journal", "recebimento-tef.json",
            [](HostileTefFiles& t) {
                // A killed run's half-written journal goes with the next write; the journal is 0600.
                QFile leftover(tefJournalPath(t.m_dir) + ".k1ll3d.tmp");
                ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
                ASSERT_TRUE(leftover.setFileTime(QDateTime::currentDateTime().addSecs(-120),
                                                 QFileDevice::FileModificationTime));
                leftover.close();
                EXPECT_TRUE(writeTefJournal(tefJournalPath(t.m_dir), {{"7", "000007", "1000", true}}).ok());
                EXPECT_EQ(readTefJournal(tefJournalPath(t.m_dir))->size(), 1);
                EXPECT_FALSE(leftover.exists());
                EXPECT_EQ(QFile(tefJournalPath(t.m_dir)).permissions() &
                              (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                          0);
            }},
        PlantedLink{"simulatedDevicesTemporary", "resp/intpos.sts.tmp",
                    [](HostileTefFiles& t) {
                        EXPECT_TRUE(writeFileWhole(t.m_dir + "resp/intpos.sts", "999-999 = 0\r\n"));
                    }},
        PlantedLink{"managersApprovals", "tef-approvals.json.tmp",
                    [](HostileTefFiles& t) {
                        QProcess manager;
                        t.startManager(manager);
                        // Planted again once the manager runs: it clears what it finds at its start.
                        QFile::link(t.victim(), t.m_dir + "tef-approvals.json.tmp");
                        EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));
                        EXPECT_TRUE(test::ended(manager));
                        EXPECT_TRUE(
                            readAll(t.m_dir + "tef-approvals.json").contains("\"state\": \"confirmed\""));
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder anyone may write to, without the sticky bit, is refused before a request is written.
class OpenTefFolders : public HostileTefFiles, public ::testing::WithParamInterface<std::pair<mode_t, bool>>
{
};

TEST_P(OpenTefFolders, AreRefused)
{
    const auto [mode, refused] = GetParam();
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir + "resp").constData(), mode), 0);
    if (refused)
        m_dialogs->expectMessageDlg(mrOk, "qualquer usuário");
    runManager([] {}, [] { return true; });

    EXPECT_FALSE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_EQ(m_answered, !refused);
}

INSTANTIATE_TEST_SUITE_P(HostileTefFiles, OpenTefFolders,
                         ::testing::Values(std::pair{mode_t(0777), true}, std::pair{mode_t(01777), false}));

// Whatever the umask, the folders and files of an exchange are the till's account's and the
// manager's group's only.
TEST_F(HostileTefFiles, ExchangeFilesAreForTheTillAndTheManagersGroupOnly)
{
    const mode_t before = ::umask(0);
    QDir(m_dir).removeRecursively();
    const auto simulated = simulatedDevices();
    setPeripherals(simulated);
    QProcess manager;
    ASSERT_TRUE(simulated->CheckIntPosFiles());
    startManager(manager);

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    ::umask(before);
    EXPECT_TRUE(test::ended(manager));
    QStringList made = {m_dir, m_dir + "req", m_dir + "resp", m_dir + "tef-approvals.json"};
    for (const QString& name : QDir(m_dir + "resp").entryList(QDir::Files))
        made << m_dir + "resp/" + name;
    for (const QString& path : made) {
        struct stat info = {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
        EXPECT_EQ(info.st_mode & 07777, S_ISDIR(info.st_mode) ? 0770u : 0660u) << path.toStdString();
    }
}

// A run killed while writing its request leaves a temporary file beside it: the next exchange
// removes such files of its own once they are old, and nothing else.
TEST_F(HostileTefFiles, OldTemporaryRequestsOfThisUserAreRemovedAndNothingElse)
{
    const auto simulated = simulatedDevices();
    setPeripherals(simulated);
    ASSERT_TRUE(simulated->CheckIntPosFiles());
    const QString left = req() + ".k3j9x0.tmp", fresh = req() + ".a1b2c3.tmp", other = req() + ".keep",
                  link = req() + ".l1nk.tmp", folder = req() + ".d1r.tmp";
    for (const QString& path : {left, fresh, other})
        ASSERT_TRUE(teftest::writeWhole(path, "000-000 = CRT\r\n"));
    ASSERT_TRUE(QFile::link(victim(), link));
    ASSERT_TRUE(QDir().mkdir(folder));
    const auto old = QDateTime::currentDateTime().addSecs(-120);
    for (const QString& path : {left, other}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    QProcess manager;
    startManager(manager);

    EXPECT_TRUE(ExecutaTEF(tefContext(), "C", 10.0, ""));

    EXPECT_TRUE(test::ended(manager));
    EXPECT_FALSE(QFileInfo::exists(left));
    for (const QString& kept : {fresh, other, folder})
        EXPECT_TRUE(QFileInfo::exists(kept)) << kept.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(victim()), kPrecious);
}

// Over many generated texts: what reaches a device is the text without its control
// characters, except the FF that clears the customer display; what a device needs to see in
// a text otherwise printable reaches it whole.
TEST_F(HostileTefFiles, DevicesGetTextsWithoutControlCharacters)
{
    QRandomGenerator random(20261208);
    const auto printable = [](QString text, QChar kept) {
        return text.removeIf(
            [&](QChar c) { return c != kept && (c < u'\x20' || (c >= u'\x7f' && c <= u'\x9f')); });
    };
    for (int n = 0; n < 300; ++n) {
        QString text;
        for (int i = random.bounded(12); i > 0; --i)
            text += QChar(char16_t(random.bounded(0x180)));
        const auto sent = std::make_shared<RecordingPeripherals>();
        const auto expected = std::make_shared<RecordingPeripherals>();
        setPeripherals(sent);
        peripherals().VendaItem("1", "D", "789", text, "T18", 1, 2, 0);
        peripherals().TeclDispStr(text);
        peripherals().DisplayChar(text);
        expected->VendaItem("1", "D", "789", printable(text, QChar(0x20)), "T18", 1, 2, 0);
        expected->TeclDispStr(printable(text, QChar(0x20)));
        expected->DisplayChar(printable(text, QChar(12)));
        ASSERT_EQ(sent->callTexts(), expected->callTexts()) << showControlChars(text).toStdString();
    }
}

// The simulated devices read only a regular file up to the size limit, without waiting for a
// writer (a FIFO with a forged status behind it), and print an approval's slip as text.
TEST_F(HostileTefFiles, SimulatedDevicesReadSaneFilesAndPrintSlipsAsText)
{
    QFile big(m_dir + "resp/intpos.009");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write(kForged) > 0 && big.resize(qint64(3) << 30));
    big.close();
    EXPECT_FALSE(readIntPosFile(big.fileName()));
    feedFifo(m_dir + "resp/intpos.sts");
    EXPECT_FALSE(readIntPosFile(m_dir + "resp/intpos.sts"));

    const auto devices = simulatedDevices();
    const QString sequence = devices->tef().nextSequence();
    ASSERT_TRUE(
        teftest::writeWhole(m_dir + "resp/intpos.002",
                            response({"000-000 = CRT", "001-000 = " + sequence, "009-000 = 0", "028-000 = 1",
                                      QStringLiteral(u"029-001 = \"VIA\u001b@\u009b2J CLIENTE\u0007\"")})));
    const auto receipts = devices->tef().pendingReceipts(1);
    ASSERT_EQ(receipts.size(), 1);
    EXPECT_EQ(receipts.first().lines, QStringList{"VIA@2J CLIENTE"});
}

} // namespace
} // namespace zel
