#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

struct DemoOutcome {
    int exitCode = -1;
    QJsonObject result;
    QString errors;
};

// The demo as a person runs it: a separate process, headless, its result document on stdout.
DemoOutcome runDemo(const QStringList& args)
{
    QProcess demo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    demo.setProcessEnvironment(env);
    demo.start(ZEL_DEMO_PATH, args);
    DemoOutcome run;
    if (!demo.waitForFinished(120000)) {
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

} // namespace

TEST(DemoRun, RestaurantSampleFromScenarioToResultDocument)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--screenshots", dir.path(), "--state", dir.filePath("state")});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonObject& r = run.result;
    EXPECT_EQ(r["result"], QJsonValue(false)) << "the sample's operator leaves without settling";
    EXPECT_EQ(r["couponNumber"], QJsonValue(""));
    const QJsonObject labels = r["labels"].toObject();
    EXPECT_EQ(labels["lblNmVenda"], QJsonValue("Nr. Mesa"));
    EXPECT_EQ(labels["lblValorTotal"], QJsonValue("R$ 173,08"));
    EXPECT_EQ(labels["lblServico"], QJsonValue("R$ 10,28"));
    EXPECT_EQ(labels["lblVrConsumacao"], QJsonValue("R$ 10,00"));
    // Dollars at the quote typed, cash, and part of the rest on a card the TEF manager simulator
    // approved.
    const QJsonObject movements = r["movements"].toObject();
    const int valor = fieldNames(movements).indexOf("VRMOVIVEND");
    ASSERT_GE(valor, 0);
    QStringList values;
    for (const QJsonValue& row : movements["rows"].toArray())
        values << QString::number(row.toArray().at(valor).toDouble(), 'f', 2);
    EXPECT_EQ(values, QStringList({"105.00", "30.00", "20.00"}));
    EXPECT_EQ(r["runningList"].toArray().size(), 3);
    EXPECT_EQ(labels["lblValorPago"], QJsonValue("R$ 155,00"));
    EXPECT_EQ(r["dialogs"].toArray().at(0).toObject()["text"], QJsonValue("Transacao aprovada"));
    const QJsonObject enabled = r["enabled"].toObject();
    EXPECT_EQ(enabled["tcbSair"], QJsonValue(true));
    EXPECT_EQ(enabled["tcbOk"], QJsonValue(false));
    EXPECT_EQ(enabled.size(), 21);
    EXPECT_TRUE(r["colours"].toObject()["lblValorPagar"].toString().startsWith('#'));
    EXPECT_EQ(r["sale"].toObject()["rows"].toArray().size(), 4);
    EXPECT_EQ(r["customerDisplay"].toArray().size(), 2);
    EXPECT_TRUE(r["scriptErrors"].toArray().isEmpty());
    ASSERT_EQ(r["screenshots"].toArray().size(), 2);
    for (const QJsonValue& shot : r["screenshots"].toArray())
        EXPECT_TRUE(QFile::exists(shot.toString())) << shot.toString().toStdString();
}

TEST(DemoRun, CounterSample)
{
    QTemporaryDir dir;
    const DemoOutcome run = runDemo({"--sample", "counter", "--screenshots", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.result["labels"].toObject()["lblNmVenda"], QJsonValue("Nr. Cupom"));
    EXPECT_EQ(run.result["labels"].toObject()["lblValorTotal"], QJsonValue("R$ 27,55"));
    // 50,00 in cash: 22,45 of change, recorded as the change row.
    EXPECT_EQ(run.result["labels"].toObject()["lblValorPagar"], QJsonValue("R$ 22,45"));
    EXPECT_TRUE(run.result["scriptErrors"].toArray().isEmpty()) << run.errors.toStdString();
    EXPECT_EQ(run.result["movements"].toObject()["rows"].toArray().size(), 2);
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

    const struct {
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
        {"scenario's script missing", {"--scenario", variant("s1.json", "script", "gone.script")}, "gone.script"},
        {"picture missing", {"--scenario", variant("s2.json", "picture", "gone.png")}, "gone.png"},
        {"picture not a picture", {"--scenario", variant("s3.json", "picture", "restaurant.script")},
         "restaurant.script"},
        {"module missing", {"--module", dir.filePath("libnone.so")}, "libnone.so"},
        {"module without the entries", {"--module", ZEL_NOT_A_MODULE_PATH}, "entry"},
        {"result not writable", {"--screenshots", dir.path(), "--result", dir.filePath("no/such/folder/out.json")},
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
    // The two left from before, then the approval of this run's card payment (20,00).
    ASSERT_EQ(listed.size(), 3) << run.errors.toStdString();
    EXPECT_EQ(listed[2].toObject()["amount"], QJsonValue("2000"));
    EXPECT_EQ(listed[0].toObject()["sequence"], QJsonValue("7"));
    EXPECT_EQ(listed[0].toObject()["state"], QJsonValue("confirmed"));
    EXPECT_EQ(listed[1].toObject()["amount"], QJsonValue("990"));
    EXPECT_EQ(listed[1].toObject()["state"], QJsonValue("undone"));
}
