#include "RunSettings.h"
#include "support/Eventually.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct DemoOutcome
{
    int exitCode = -1;
    QJsonObject result;
    QString errors;
};

// The demo as a person runs it: a separate process, headless, its result document on stdout.
DemoOutcome runDemo(const QStringList& args, const QString& workingDir = QString())
{
    QProcess demo;
    if (!workingDir.isEmpty())
        demo.setWorkingDirectory(workingDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    demo.setProcessEnvironment(env);
    demo.start(ZEL_DEMO_PATH, args);
    DemoOutcome run;
    if (!zel::test::ended(demo)) {
        demo.kill();
        run.errors = "the demo did not finish";
        return run;
    }
    run.exitCode = demo.exitCode();
    run.errors = QString::fromUtf8(demo.readAllStandardError());
    run.result = QJsonDocument::fromJson(demo.readAllStandardOutput()).object();
    return run;
}

QStringList fieldNames(const QJsonObject& packet)
{
    QStringList names;
    for (const QJsonValue& f : packet["fields"].toArray())
        names << f["name"].toString();
    return names;
}

// The packet's column as texts ("105.00" for a number).
QStringList column(const QJsonObject& packet, const QString& field)
{
    const int i = fieldNames(packet).indexOf(field);
    QStringList values;
    for (const QJsonValue& row : packet["rows"].toArray()) {
        const QJsonValue v = row.toArray().at(i);
        values << (v.isDouble() ? QString::number(v.toDouble(), 'f', 2) : v.toString());
    }
    return values;
}

// The journal line that starts with `label`, blanks squeezed ("TOTAL R$ 173,08").
QString journalLine(const QJsonObject& result, const QString& label)
{
    for (const QJsonValue& line : result["fiscalJournal"].toArray())
        if (line.toString().startsWith(label))
            return line.toString().simplified();
    return {};
}

} // namespace

// Dollars at the quote typed, a card the TEF manager simulator approves with a slip, cash with
// change, a CPF: the receipt settles itself, the coupon agrees with the receipt to the cent, the
// slip is printed and the approval confirmed.
TEST(DemoRun, RestaurantSampleSettlesWithCouponSlipAndConfirmedCard)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--screenshots", dir.path(), "--state", dir.filePath("state")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject& r = run.result;
    EXPECT_EQ(r["result"], QJsonValue(true));
    EXPECT_EQ(r["couponNumber"], QJsonValue("000001"));
    EXPECT_EQ(column(r["movements"].toObject(), "IDTIPOMOVIVE"), QStringList({"E", "E", "E", "S"}));
    EXPECT_EQ(column(r["movements"].toObject(), "VRMOVIVEND"),
              QStringList({"105.00", "20.00", "50.00", "1.92"}));
    // Products 152,80; service fee 15,28 less the comanda discount 5,00, and minimum consumption 10,00.
    EXPECT_EQ(journalLine(r, "SUBTOTAL"), QString("SUBTOTAL 152,80"));
    EXPECT_EQ(journalLine(r, "ACRESCIMO"), QString("ACRESCIMO 20,28"));
    EXPECT_EQ(journalLine(r, "TOTAL R$"), QString("TOTAL R$ 173,08"));
    EXPECT_EQ(journalLine(r, "TROCO"), QString("TROCO 1,92"));
    EXPECT_EQ(journalLine(r, "CPF/CNPJ"), QString("CPF/CNPJ: 529.982.247-25"));
    EXPECT_EQ(journalLine(r, "COMPROVANTE TEF"), QString("COMPROVANTE TEF - COO 000001"));
    const QJsonArray approvals = r["tefApprovals"].toArray();
    ASSERT_EQ(approvals.size(), 1);
    EXPECT_EQ(approvals[0].toObject()["amount"], QJsonValue("2000"));
    EXPECT_EQ(approvals[0].toObject()["state"], QJsonValue("confirmed"));
    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty());
    ASSERT_EQ(r["screenshots"].toArray().size(), 5);
    for (const QJsonValue& shot : r["screenshots"].toArray())
        EXPECT_TRUE(QFile::exists(shot.toString())) << shot.toString().toStdString();
}

// A cash payment cleared, a 10 % discount, two cheques printed: the coupon carries the discount
// and the cheques, the cheque printer got both cheques' commands.
TEST(DemoRun, CounterSampleSettlesWithDiscountAndTwoPrintedCheques)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--sample", "counter", "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject& r = run.result;
    EXPECT_EQ(r["result"], QJsonValue(true));
    EXPECT_EQ(r["couponNumber"], QJsonValue("000001"));
    const QJsonObject movements = r["movements"].toObject();
    EXPECT_EQ(column(movements, "VRMOVIVEND"), QStringList({"12.40", "12.40"}));
    EXPECT_EQ(column(movements, "NRCHEQUEVEND"), QStringList({"100231", "100232"}));
    EXPECT_EQ(journalLine(r, "DESCONTO"), QString("DESCONTO -2,75"));
    EXPECT_EQ(journalLine(r, "TOTAL R$"), QString("TOTAL R$ 24,80"));
    const QJsonArray cheque = r["chequePrinter"].toArray();
    ASSERT_EQ(cheque.size(), 10);
    // The sample's cheques are dated a month and two months from the day it runs.
    const auto dated = [](int days) {
        return QJsonValue("ImpChqChar <ESC>D" + QDate::currentDate().addDays(days).toString("ddMMyy"));
    };
    EXPECT_EQ(cheque[3], dated(30));
    EXPECT_EQ(cheque[4], QJsonValue("ImpChqChar <ESC>V00000000001240"));
    EXPECT_EQ(cheque[8], dated(61));
    EXPECT_EQ(column(r["sale"].toObject(), "VRDESCOMANDA"), QStringList({"2.75", "2.75", "2.75", "2.75"}));
    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty()) << run.errors.toStdString();
}

// Weighed plates, a line that is not fiscal, a discount given after the customer paid: the screen,
// the change movement and the coupon agree to the cent, and the sale settles.
TEST(DemoRun, BuffetSampleSettlesWeighedLinesAndADiscountAfterPayment)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--sample", "buffet", "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject& r = run.result;
    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty()) << run.errors.toStdString();
    EXPECT_EQ(r["result"], QJsonValue(true));
    EXPECT_EQ(column(r["movements"].toObject(), "VRMOVIVEND"), QStringList({"100.00", "24.61"}));
    EXPECT_EQ(journalLine(r, "SUBTOTAL"), QString("SUBTOTAL 72,39")) << "28,79 + 37,60 + 6,00";
    EXPECT_EQ(journalLine(r, "TOTAL R$"), QString("TOTAL R$ 67,39"));
    EXPECT_EQ(journalLine(r, "DINHEIRO"), QString("DINHEIRO 92,00"))
        << "100,00 less the 8,00 outside the coupon";
    EXPECT_EQ(journalLine(r, "TROCO"), QString("TROCO 24,61"));
}

// The Pix sample: the charge asked of the provider simulator, paid by the simulated customer, the
// payment recorded once with the charge's txid and end-to-end id, the coupon closed by itself
// with it under the Pix form; the provider holds one charge, paid and kept. The run also ends
// cleanly after the host unloads the module that used Qt Network.
TEST(DemoRun, PixSampleSettlesWithTheChargePaidAndRecordedOnce)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--sample", "pix", "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject& r = run.result;
    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty()) << run.errors.toStdString();
    EXPECT_EQ(r["result"], QJsonValue(true));
    EXPECT_EQ(column(r["movements"].toObject(), "VRMOVIVEND"), QStringList({"27.55"}));
    const QJsonArray charges = r["pixCharges"].toArray();
    ASSERT_EQ(charges.size(), 1);
    const QJsonObject charge = charges.first().toObject();
    EXPECT_EQ(charge["status"], "CONCLUIDA");
    EXPECT_EQ(charge["refunded"].toInteger(), 0);
    EXPECT_EQ(charge["description"], "Venda 000457") << "named by its sale number";
    EXPECT_EQ(column(r["movements"].toObject(), "DSMOVIVEND"),
              QStringList({"PIX " + charge["txid"].toString() + " " + charge["e2eid"].toString()}));
    EXPECT_EQ(journalLine(r, "PIX"), QString("PIX 27,55"));
    EXPECT_TRUE(QFile::exists(dir.filePath("pix-qr.png")));
}

// A relative state folder counts from the working directory, not from the scenario's folder:
// the devices' state, the quotes and the settings all land in it.
TEST(DemoRun, RelativeStateFolderCountsFromTheWorkingDirectory)
{
    QTemporaryDir dir;
    ASSERT_EQ(runDemo({"--sample", "counter", "--write-sample", dir.filePath("sample")}).exitCode, 0);
    const DemoOutcome run = runDemo(
        {"--scenario", dir.filePath("sample/counter.json"), "--state", "run", "--screenshots", dir.path()},
        dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("run/state/journal.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath("run/data/tiporece.cds")));
    EXPECT_FALSE(QDir(dir.filePath("sample/run")).exists());
}

// A scenario built on another in another folder: its own members replace the base's, and the
// base's relative paths (its script, its glyphs) still count from the base's folder.
TEST(DemoRun, ScenarioOnABaseKeepsTheBasesPaths)
{
    QTemporaryDir dir;
    ASSERT_EQ(runDemo({"--sample", "counter", "--write-sample", dir.filePath("sample")}).exitCode, 0);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("mine")));
    QFile derived(dir.filePath("mine/counter-9.json"));
    ASSERT_TRUE(derived.open(QIODevice::WriteOnly));
    derived.write(R"({"base": "../sample/counter.json", "branch": "0009"})");
    derived.close();
    const DemoOutcome run = runDemo(
        {"--scenario", derived.fileName(), "--state", dir.filePath("run"), "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.result["result"], QJsonValue(true)) << "the base's script ran to OK";
    const QStringList branches = column(run.result["movements"].toObject(), "CDFILIAL");
    ASSERT_FALSE(branches.isEmpty());
    EXPECT_EQ(branches.filter("0009").size(), branches.size()) << "the scenario's own branch";
}

// Every kind of bad input ends the run with code 2 and a message that names what was wrong,
// whether it is found before the module is loaded or after.
TEST(DemoRun, BadInputEndsWithCode2AndAClearMessage)
{
    QTemporaryDir dir;
    const auto write = [&dir](const QString& name, const QByteArray& content) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return f.fileName();
    };
    // The restaurant sample with one member changed.
    ASSERT_EQ(runDemo({"--write-sample", dir.path()}).exitCode, 0);
    QFile sampleFile(dir.filePath("restaurant.json"));
    ASSERT_TRUE(sampleFile.open(QIODevice::ReadOnly));
    const QJsonObject sample = QJsonDocument::fromJson(sampleFile.readAll()).object();
    const auto variant = [&](const QString& name, const QString& member, const QString& value) {
        QJsonObject changed = sample;
        changed[member] = value;
        return write(name, QJsonDocument(changed).toJson());
    };

    const struct
    {
        const char* what;
        QStringList args;
        QString named; // the message names this
    } cases[] = {
        {"scenario missing", {"--scenario", dir.filePath("none.json")}, "none.json"},
        {"scenario not JSON", {"--scenario", write("garbled.json", "{ \"sale\": ")}, "garbled.json"},
        {"scenario packet wrong",
         {"--scenario", write("broken.json", R"({"sale": {"fields": [{"name": "X", "type": "money"}]},
                                                 "paymentTypes": {"fields": []}})")},
         "sale"},
        {"sample unknown", {"--sample", "hotel"}, "hotel"},
        {"script missing", {"--script", dir.filePath("none.script")}, "none.script"},
        {"script is a folder", {"--script", dir.path()}, dir.path()},
        {"script garbled", {"--script", write("garbled.script", "click\n")}, "garbled.script"},
        {"scenario's script missing",
         {"--scenario", variant("s1.json", "script", "gone.script")},
         "gone.script"},
        {"picture missing", {"--scenario", variant("s2.json", "picture", "gone.png")}, "gone.png"},
        {"picture not a picture",
         {"--scenario", variant("s3.json", "picture", "restaurant.script")},
         "restaurant.script"},
        {"base missing", {"--scenario", write("b1.json", R"({"base": "gone.json"})")}, "gone.json"},
        {"bases naming each other",
         {"--scenario",
          (write("b2.json", R"({"base": "b3.json"})"), write("b3.json", R"({"base": "b2.json"})"))},
         "bases"},
        {"module missing", {"--module", dir.filePath("libnone.so")}, "libnone.so"},
        {"module without the entries", {"--module", ZEL_NOT_A_MODULE_PATH}, "entry"},
        {"result not writable",
         {"--screenshots", dir.path(), "--result", dir.filePath("no/such/folder/out.json")},
         "out.json"},
    };
    for (const auto& c : cases) {
        const DemoOutcome run = runDemo(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.what << ": " << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(c.named)) << c.what << ": " << run.errors.toStdString();
    }
}

TEST(DemoRun, ScriptNamingAMissingControlFailsWithItsName)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("bad.script");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("click tcbNoSuchButton\n");
    f.close();
    const DemoOutcome run = runDemo({"--script", script});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.errors.contains("tcbNoSuchButton")) << run.errors.toStdString();
    EXPECT_EQ(run.result["result"], QJsonValue(false)) << "the receipt was closed, not settled";
}

// Headless, the demo draws on a screen of the till's size unless the platform names its own.
TEST(DemoRun, HeadlessRunsOnTheTillsScreen)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("screen.script");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("screen till.png\nclick tcbSair\n");
    f.close();
    const DemoOutcome run = runDemo({"--script", script, "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage screen(dir.filePath("till.png"));
    ASSERT_EQ(screen.size(), QSize(800, 600));
    // The receipt covers the whole screen: no corner shows the desktop.
    const QColor desktop(0x5f, 0x6b, 0x73);
    for (const QPoint corner : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 599), QPoint(799, 599)})
        EXPECT_NE(screen.pixelColor(corner), desktop) << corner.x() << "," << corner.y();
}

TEST(RunSettings, OnlyAPlainOrMissingPlatformGetsTheTillsScreen)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("screens.json");
    const struct
    {
        const char* platform;
        bool display;
        bool till;
    } cases[] = {
        {"", true, false},
        {"xcb", false, false},
        {"offscreen:configfile=/tmp/mine.json", false, false},
        {"offscreen", true, true},
        {"", false, true},
        {"offscreen", false, true},
    };
    for (const auto& c : cases) {
        QFile::remove(file);
        const QByteArray platform = zel::demo::tillScreenPlatform(c.platform, c.display, file);
        EXPECT_EQ(platform, c.till ? "offscreen:configfile=" + QFile::encodeName(file) : QByteArray())
            << c.platform << " " << c.display;
        EXPECT_EQ(QFile::exists(file), c.till) << c.platform << " " << c.display;
    }
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QJsonObject till = QJsonDocument::fromJson(written.readAll())["screens"][0].toObject();
    EXPECT_EQ(QSize(till["width"].toInt(), till["height"].toInt()), QSize(800, 600));
}

TEST(DemoRun, ResultListsTheTefManagersApprovals)
{
    QTemporaryDir dir;
    ASSERT_EQ(runDemo({"--sample", "restaurant", "--write-sample", dir.path()}).exitCode, 0);
    const QString scenarioPath = dir.filePath("restaurant.json");
    QFile file(scenarioPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject scenario = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonObject devices = scenario["devices"].toObject();
    devices["tef"] = QJsonObject{{"dir", "tef"}};
    scenario["devices"] = devices;
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(scenario).toJson());
    file.close();
    // What the TEF manager left from earlier runs: one approval confirmed, one undone.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("tef")));
    QFile approvals(dir.filePath("tef/tef-approvals.json"));
    ASSERT_TRUE(approvals.open(QIODevice::WriteOnly));
    approvals.write(R"({"approvals": [{"sequence": "7", "amount": "1250", "state": "confirmed"},
                                      {"sequence": "8", "amount": "990", "state": "undone"}]})");
    approvals.close();

    const DemoOutcome run =
        runDemo({"--scenario", scenarioPath, "--state", dir.filePath("state"), "--screenshots", dir.path()});
    const QJsonArray listed = run.result["tefApprovals"].toArray();
    // The two left from before, then the approval of this run's card payment (20,00), confirmed
    // when the coupon closed.
    ASSERT_EQ(listed.size(), 3) << run.errors.toStdString();
    EXPECT_EQ(listed[2].toObject()["amount"], QJsonValue("2000"));
    EXPECT_EQ(listed[2].toObject()["state"], QJsonValue("confirmed"));
    EXPECT_EQ(listed[0].toObject()["sequence"], QJsonValue("7"));
    EXPECT_EQ(listed[0].toObject()["state"], QJsonValue("confirmed"));
    EXPECT_EQ(listed[1].toObject()["amount"], QJsonValue("990"));
    EXPECT_EQ(listed[1].toObject()["state"], QJsonValue("undone"));
}
