#include "SimTestSupport.h"
#include "SimulatedPeripherals.h"
#include "TextDisplay.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(KeyboardDisplay, WritesAtTheCursorAndDropsWhatPassesTheLineEnd)
{
    TextDisplay display(2, 40);
    display.write(QStringLiteral("Recebimento   Total : R$ 100,00"));
    ASSERT_TRUE(display.goTo(2, 1));
    display.write(QStringLiteral("Pago : R$ 1.234,56   A Pagar : R$ 1.234,56")); // 42 characters
    EXPECT_EQ(display.trimmedLines(),
              (QStringList{QStringLiteral("Recebimento   Total : R$ 100,00"),
                           QStringLiteral("Pago : R$ 1.234,56   A Pagar : R$ 1.234,")}));
    EXPECT_EQ(display.lines().at(0).size(), 40);

    // Clearing line 2 and writing there leaves line 1 alone.
    display.clearLine(2);
    display.write(QStringLiteral("Valor : 10,00"));
    EXPECT_EQ(display.trimmedLines().at(0), QStringLiteral("Recebimento   Total : R$ 100,00"));
    EXPECT_EQ(display.trimmedLines().at(1), QStringLiteral("Valor : 10,00"));

    // Overwriting in the middle, a NUL ending the text, control characters as blanks.
    ASSERT_TRUE(display.goTo(1, 15));
    display.write(QStringLiteral("TOTAL\tX") + QChar(0) + QStringLiteral("ignored"));
    EXPECT_EQ(display.trimmedLines().at(0), QStringLiteral("Recebimento   TOTAL X R$ 100,00"));

    EXPECT_FALSE(display.goTo(3, 1));
    EXPECT_FALSE(display.goTo(1, 41));
    EXPECT_FALSE(display.goTo(0, 1));
    EXPECT_EQ(display.cursorRow(), 1);

    display.clear();
    EXPECT_EQ(display.trimmedLines(), (QStringList{QString(), QString()}));
    EXPECT_EQ(display.cursorRow(), 1);
    EXPECT_EQ(display.cursorColumn(), 1);
}

struct StreamCase
{
    const char* name;
    QStringList texts; // one DisplayChar call each
    QStringList lines;
};

class CustomerDisplay : public ::testing::TestWithParam<StreamCase>
{
};

TEST_P(CustomerDisplay, TextRunsOnWrapsAndScrolls)
{
    TextDisplay display(2, 20);
    for (const auto& text : GetParam().texts)
        display.stream(text);
    EXPECT_EQ(display.trimmedLines(), GetParam().lines);
}

const QString kFF = QStringLiteral("\x0C");

INSTANTIATE_TEST_SUITE_P(
    Cases, CustomerDisplay,
    ::testing::Values(
        // The receipt's two totals: each call exactly one line wide.
        StreamCase{"two_full_lines",
                   {kFF, QStringLiteral("Total :       100,00"), QStringLiteral("Pago :         50,00")},
                   {QStringLiteral("Total :       100,00"), QStringLiteral("Pago :         50,00")}},
        StreamCase{"form_feed_clears",
                   {QStringLiteral("old text"), kFF, QStringLiteral("new")},
                   {QStringLiteral("new"), QString()}},
        StreamCase{"long_text_wraps",
                   {kFF, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")},
                   {QStringLiteral("ABCDEFGHIJKLMNOPQRST"), QStringLiteral("UVWXY")}},
        StreamCase{"third_line_scrolls",
                   {kFF, QStringLiteral("11111111111111111111"), QStringLiteral("22222222222222222222"),
                    QStringLiteral("33")},
                   {QStringLiteral("22222222222222222222"), QStringLiteral("33")}},
        StreamCase{"cr_lf", {QStringLiteral("abc\r\nde\rX")}, {QStringLiteral("abc"), QStringLiteral("Xe")}},
        StreamCase{"short_lines_follow_on",
                   {kFF, QStringLiteral("TROCO"), QStringLiteral("50,00")},
                   {QStringLiteral("TROCO50,00"), QString()}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatedDisplays, FollowTheSettingsAndIgnoreCallsWhenAbsent)
{
    QTemporaryDir dir;
    SimulatorConfig config = simtest::config(dir);
    config.displayWidth = 16;
    SimulatedPeripherals devices(config);
    QList<SimulatedPeripherals::Device> changes;
    devices.setChangeListener([&](SimulatedPeripherals::Device device) { changes << device; });
    EXPECT_EQ(devices.TAM_DISPLAY(), 16);
    devices.DisplayChar(QStringLiteral("0123456789ABCDEFGH"));
    EXPECT_EQ(devices.customerDisplay().trimmedLines(),
              (QStringList{QStringLiteral("0123456789ABCDEF"), QStringLiteral("GH")}));
    devices.TeclGoToXY(2, 3);
    devices.TeclDispStr(QStringLiteral("ok"));
    EXPECT_EQ(devices.keyboardDisplay().trimmedLines().at(1), QStringLiteral("  ok"));
    EXPECT_EQ(changes, (QList<SimulatedPeripherals::Device>{SimulatedPeripherals::Device::CustomerDisplay,
                                                            SimulatedPeripherals::Device::KeyboardDisplay}));

    devices.setKeyboardPresent(false);
    devices.setDisplayPresent(false);
    EXPECT_FALSE(devices.TecladoOK());
    EXPECT_FALSE(devices.DisplayOK());
    devices.TeclFormFeed();
    devices.DisplayChar(kFF);
    EXPECT_EQ(devices.keyboardDisplay().trimmedLines().at(1), QStringLiteral("  ok"));
    EXPECT_EQ(devices.customerDisplay().trimmedLines().at(1), QStringLiteral("GH"));
}

} // namespace
} // namespace zel
