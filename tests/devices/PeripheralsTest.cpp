#include "devices/Peripherals.h"

#include "devices/BasicPeripherals.h"
#include "devices/ControlText.h"
#include "fakes/RecordingPeripherals.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

// Leaves the accessor as it found it.
class AccessorTest : public ::testing::Test
{
protected:
    void SetUp() override { m_saved = setPeripherals(nullptr); }
    void TearDown() override { setPeripherals(m_saved); }
    std::shared_ptr<Peripherals> m_saved;
};

TEST_F(AccessorTest, WithNothingInstalledEveryCallIsAClearError)
{
    EXPECT_FALSE(peripheralsInstalled());
    try {
        peripherals().Estado_Impressora(false, false);
        FAIL() << "no error";
    } catch (const PeripheralsMissing& e) {
        EXPECT_NE(std::string(e.what()).find("Estado_Impressora"), std::string::npos) << e.what();
    }
    EXPECT_THROW(peripherals().TAM_DISPLAY(), PeripheralsMissing);
    EXPECT_THROW(peripherals().EnviaComImpChq("!0105"), PeripheralsMissing);
    QString number;
    EXPECT_THROW(peripherals().Cancela_Cupom(false, false, number), PeripheralsMissing);
}

TEST_F(AccessorTest, InstalledServicesAreReachedAndReplaceable)
{
    auto first = std::make_shared<RecordingPeripherals>();
    auto second = std::make_shared<RecordingPeripherals>();
    EXPECT_EQ(setPeripherals(first), nullptr);
    EXPECT_TRUE(peripheralsInstalled());
    peripherals().TeclFormFeed();
    EXPECT_EQ(setPeripherals(second), first);
    peripherals().DisplayChar(QStringLiteral("x"));
    EXPECT_EQ(first->callTexts(), QStringList{QStringLiteral("TeclFormFeed()")});
    EXPECT_EQ(second->callTexts(), QStringList{QStringLiteral("DisplayChar(\"x\")")});
    EXPECT_EQ(setPeripherals(nullptr), second);
    EXPECT_FALSE(peripheralsInstalled());
}

// The command buffer holds 256 characters, the last one the terminator.
struct ChequeCommandCase
{
    int length;
    int delivered;
};

class ChequeCommandBuffer : public ::testing::TestWithParam<ChequeCommandCase>
{
};

TEST_P(ChequeCommandBuffer, AtMost255CharactersReachThePrinter)
{
    RecordingPeripherals fake;
    QByteArray command(GetParam().length, 'x');
    if (!command.isEmpty())
        command[0] = '!';
    const int answer = fake.EnviaComImpChq(command.constData());
    EXPECT_EQ(answer, GetParam().delivered); // the fake answers the length it received
    ASSERT_EQ(fake.calls().size(), 1);
    EXPECT_EQ(fake.calls().first().args.first().size(), GetParam().delivered + 2); // in quotes
}

INSTANTIATE_TEST_SUITE_P(Lengths, ChequeCommandBuffer,
                         ::testing::Values(ChequeCommandCase{0, 0}, ChequeCommandCase{254, 254},
                                           ChequeCommandCase{255, 255}, ChequeCommandCase{256, 255},
                                           ChequeCommandCase{1000, 255}));

TEST(ChequeCommand, ANullCommandSendsNothing)
{
    RecordingPeripherals fake;
    EXPECT_EQ(fake.EnviaComImpChq(nullptr), -1);
    EXPECT_TRUE(fake.calls().isEmpty());
}

TEST(PadWithZeros, FillsOnTheLeftUpToTheWidthAndKeepsLongerTexts)
{
    EXPECT_EQ(padWithZeros(QStringLiteral("124"), 4), QStringLiteral("0124"));
    EXPECT_EQ(padWithZeros(QStringLiteral("1240"), 4), QStringLiteral("1240"));
    EXPECT_EQ(padWithZeros(QStringLiteral("12400"), 4), QStringLiteral("12400"));
    EXPECT_EQ(padWithZeros(QString(), 3), QStringLiteral("000"));
    EXPECT_EQ(padWithZeros(QStringLiteral("7"), 0), QStringLiteral("7"));
}

TEST(ShowControlChars, NamesEveryControlCharacter)
{
    EXPECT_EQ(showControlChars(QStringLiteral("\x1B"
                                              "B001")),
              QStringLiteral("<ESC>B001"));
    EXPECT_EQ(showControlChars(QStringLiteral("   verso\n\x0C")), QStringLiteral("   verso<LF><FF>"));
    EXPECT_EQ(showControlChars(QString(QChar(0)) + QStringLiteral("\r\x01\x7F")),
              QStringLiteral("<NUL><CR><0x01><0x7F>"));
    EXPECT_EQ(showControlChars(QStringLiteral("Ação")), QStringLiteral("Ação"));
}

} // namespace
} // namespace zel

namespace zel {
namespace {

// A host with only a POS keyboard: it overrides that device and nothing else.
class KeyboardOnly : public BasicPeripherals
{
public:
    bool TecladoOK() override { return true; }
    void TeclDispStr(const QString& text) override { shown << text; }
    QStringList shown;
};

// Every device the host did not override is absent, its commands refuse, and the fiscal printer
// says which command is not supported; the settings are kept as given.
TEST(BasicPeripheralsTest, WhatTheHostDoesNotOverrideRefusesAndSaysWhy)
{
    KeyboardOnly host;
    EXPECT_TRUE(host.TecladoOK());
    host.TeclDispStr("A Pagar");
    EXPECT_EQ(host.shown, QStringList{"A Pagar"});
    EXPECT_FALSE(host.ImpFiscalOK());
    EXPECT_FALSE(host.DisplayOK());
    EXPECT_FALSE(host.CheckGPAtivo());
    EXPECT_EQ(host.EnviaComImpChq("x"), -1);
    EXPECT_FALSE(host.AbreCupom({}));
    EXPECT_EQ(host.lastPrinterError(), QString::fromUtf8("AbreCupom: não suportado (sem impressora fiscal)"));
    EXPECT_FALSE(host.Estado_Impressora(false, false));
    EXPECT_TRUE(host.lastPrinterError().startsWith("Estado_Impressora"));
    host.setDsDirCad("/dados");
    host.setInContCuponsTEF(2);
    EXPECT_EQ(host.DsDirCad(), QString("/dados/"));
    EXPECT_EQ(host.inContCuponsTEF(), 2);
    EXPECT_EQ(host.AjustaZero("12", 4), QString("0012"));
}

} // namespace
} // namespace zel
