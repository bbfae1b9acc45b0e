#include <gtest/gtest.h>

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
    // Dollars at the quote typed, cash, and the rest on a card the TEF manager simulator approved.
    const QJsonObject movements = r["movements"].toObject();
    const int valor = fieldNames(movements).indexOf("VRMOVIVEND");
    ASSERT_GE(valor, 0);
    QStringList values;
    for (const QJsonValue& row : movements["rows"].toArray())
        values << QString::number(row.toArray().at(valor).toDouble(), 'f', 2);
    EXPECT_EQ(values, QStringList({"105.00", "30.00", "38.08"}));
    EXPECT_EQ(r["runningList"].toArray().size(), 3);
    EXPECT_EQ(labels["lblValorPago"], QJsonValue("R$ 173,08"));
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
}

TEST(DemoRun, BadInputEndsWithAClearMessage)
{
    QTemporaryDir dir;
    const QString scenario = dir.filePath("broken.json");
    QFile f(scenario);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"sale": {"fields": [{"name": "X", "type": "money"}]}, "paymentTypes": {"fields": []}})");
    f.close();
    const DemoOutcome broken = runDemo({"--scenario", scenario});
    EXPECT_EQ(broken.exitCode, 2);
    EXPECT_TRUE(broken.errors.contains("sale")) << broken.errors.toStdString();

    const DemoOutcome unknownSample = runDemo({"--sample", "hotel"});
    EXPECT_EQ(unknownSample.exitCode, 2);
    EXPECT_TRUE(unknownSample.errors.contains("hotel"));
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
