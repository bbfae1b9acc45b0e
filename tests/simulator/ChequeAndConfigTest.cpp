#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"

#include <QFile>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(ChequePrinter, LogsEveryTextWithItsControlCharacters)
{
    QTemporaryDir dir;
    SimulatorConfig config = simtest::config(dir);
    config.chequeKind = 1;
    SimulatedPeripherals devices(config);
    const QString esc = QStringLiteral("\x1B");
    EXPECT_TRUE(devices.ImpChqChar(esc + QStringLiteral("B001")));
    EXPECT_TRUE(devices.ImpChqChar(esc + QStringLiteral("V00000000123450")));
    EXPECT_TRUE(devices.ImpChqChar(QStringLiteral("          VERSO\n\x0C")));
    // Kind 1 takes no command strings.
    EXPECT_EQ(devices.EnviaComImpChq("!010524"), -1);
    EXPECT_FALSE(devices.Retorno_Imp(-1));
    EXPECT_TRUE(devices.Fecha_Imp_Chq_Sweda(false, false));

    const QStringList expected{QStringLiteral("ImpChqChar <ESC>B001"),
                               QStringLiteral("ImpChqChar <ESC>V00000000123450"),
                               QStringLiteral("ImpChqChar           VERSO<LF><FF>"),
                               QStringLiteral("EnviaComImpChq !010524 [recusado: impressora de tipo 1]"),
                               QStringLiteral("Retorno_Imp -1"),
                               QStringLiteral("Fecha_Imp_Chq_Sweda false false")};
    EXPECT_EQ(devices.chequePrinter().log(), expected);

    QFile file(devices.chequePrinter().logPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList fileLines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(fileLines.size(), expected.size());
    EXPECT_TRUE(fileLines.at(0).endsWith(QStringLiteral(" ImpChqChar <ESC>B001")));
}

TEST(ChequePrinter, CommandStringsReachAKindTwoPrinterCutTo255Characters)
{
    QTemporaryDir dir;
    SimulatorConfig config = simtest::config(dir);
    config.chequeKind = 2;
    SimulatedPeripherals devices(config);
    const QByteArray longCommand = "\"" + QByteArray(299, 'v');
    const int result = devices.EnviaComImpChq(longCommand.constData());
    EXPECT_EQ(result, 255);
    EXPECT_TRUE(devices.Retorno_Imp(result));
    EXPECT_FALSE(devices.ImpChqChar(QStringLiteral("x")));
    EXPECT_EQ(devices.chequePrinter().log().first(),
              QStringLiteral("EnviaComImpChq ") + QString::fromLatin1(longCommand.left(255)));
}

TEST(SimulatorConfig, RoundTripsThroughItsFile)
{
    QTemporaryDir dir;
    SimulatorConfig config = simtest::config(dir);
    config.fiscalKind = 7;
    config.chequeKind = 2;
    config.aliquots = {QStringLiteral("T18"), QStringLiteral("F")};
    config.movementDate = QStringLiteral("2026-12-07");
    config.faults.refuseItem = 3;
    config.faults.refuseItemTimes = 0;
    config.displayWidth = 16;
    config.keyboardPresent = false;
    config.tef.letters = QStringLiteral("CD");
    config.tef.sequenceTimeoutMs = 2500;
    const QString path = dir.filePath(QStringLiteral("devices.json"));
    ASSERT_TRUE(config.save(path));

    auto loaded = SimulatorConfig::load(path);
    ASSERT_TRUE(loaded) << loaded.errorMessage().toStdString();
    EXPECT_EQ(loaded->toJson(), config.toJson());
    EXPECT_EQ(loaded->movementDateValue(), QDate(2026, 12, 7));
    EXPECT_TRUE(loaded->stateDir.endsWith(QLatin1Char('/')));

    SimulatedPeripherals devices(loaded.value());
    EXPECT_EQ(devices.IdTipoImpFis(), 7);
    EXPECT_EQ(devices.IdTipoImpChq(), 2);
    EXPECT_EQ(devices.DataMoviFiscal(), QDate(2026, 12, 7));
    EXPECT_EQ(devices.DsDirCad(), dir.path() + QStringLiteral("/data/"));
    EXPECT_EQ(devices.DirTef(), dir.path() + QStringLiteral("/tef/"));
}

struct BadSetting
{
    const char* json;
    const char* mentions;
};

class SimulatorConfigErrors : public ::testing::TestWithParam<BadSetting>
{
};

TEST_P(SimulatorConfigErrors, NameTheSettingAtFault)
{
    const auto document = QJsonDocument::fromJson(GetParam().json);
    ASSERT_TRUE(document.isObject()) << GetParam().json;
    auto config = SimulatorConfig::fromJson(document.object(), QStringLiteral("/tmp"));
    ASSERT_FALSE(config);
    EXPECT_TRUE(config.errorMessage().contains(QLatin1String(GetParam().mentions)))
        << config.errorMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimulatorConfigErrors,
    ::testing::Values(BadSetting{R"({"fiscalPrinter": {"faults": {"refuseitem": 2}}})",
                                 "fiscalPrinter.faults.refuseitem"},
                      BadSetting{R"({"fiscalPrinter": {"kind": "7"}})", "fiscalPrinter.kind"},
                      BadSetting{R"({"fiscalPrinter": {"kind": 1.5}})", "fiscalPrinter.kind"},
                      BadSetting{R"({"customerDisplay": {"width": 0}})", "customerDisplay.width"},
                      BadSetting{R"({"keyboard": true})", "keyboard"},
                      BadSetting{R"({"fiscalPrinter": {"movementDate": "07/12/2026"}})", "movementDate"},
                      BadSetting{R"({"tef": {"dir": 3}})", "tef.dir"},
                      BadSetting{R"({"tef": {"sequenceTimeoutMs": -1}})", "tef.sequenceTimeoutMs"},
                      BadSetting{R"({"tefDir": "x"})", "tefDir"}));

TEST(SimulatorConfig, ReportsAFileThatIsNotJson)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ \"stateDir\": ");
    file.close();
    auto config = SimulatorConfig::load(path);
    ASSERT_FALSE(config);
    EXPECT_TRUE(config.errorMessage().contains(path));
    EXPECT_FALSE(SimulatorConfig::load(dir.filePath(QStringLiteral("missing.json"))));
}

} // namespace
} // namespace zel
