#include "OperatorScript.h"
#include "support/Eventually.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace zel::demo;

TEST(OperatorScriptParse, TypedDatesCountFromTheDayTheScriptRuns)
{
    const QDate today(2026, 12, 30);
    const struct
    {
        const char* typed;
        const char* expected;
    } rows[] = {{"{today}", "301226"},    {"{today+3}", "020127"},
                {"{today-30}", "301126"}, {"a{today+1}b{today+2}", "a311226b010127"},
                {"{today+}", "{today+}"}, {"{hoje}", "{hoje}"}};
    for (const auto& row : rows) {
        const auto actions = parseScript(QString("type ") + row.typed, today);
        ASSERT_TRUE(actions.ok()) << row.typed;
        EXPECT_EQ(actions->at(0).target, QString(row.expected)) << row.typed;
    }
}

TEST(OperatorScriptParse, ReadsEveryActionAndSkipsComments)
{
    const auto actions = parseScript("# a sale\n"
                                     "click tcbGrupo02\r\n"
                                     "\n"
                                     "type 12,50\n"
                                     "key Enter\n"
                                     "key 7\n"
                                     "answer 6\n"
                                     "wait 250\n"
                                     "screenshot out/grid.png\n"
                                     "expect lblValorTotal R$ 173,08\n"
                                     "screen out/all.png\n");
    ASSERT_TRUE(actions.ok()) << actions.errorMessage().toStdString();
    ASSERT_EQ(actions->size(), 9);
    const auto& a = *actions;
    EXPECT_EQ(a[0].kind, ScriptAction::Click);
    EXPECT_EQ(a[0].target, QString("tcbGrupo02"));
    EXPECT_EQ(a[0].line, 2);
    EXPECT_EQ(a[1].kind, ScriptAction::Type);
    EXPECT_EQ(a[1].target, QString("12,50"));
    EXPECT_EQ(a[2].kind, ScriptAction::Key);
    EXPECT_EQ(a[3].target, QString("7"));
    EXPECT_EQ(a[4].kind, ScriptAction::Answer);
    EXPECT_EQ(a[4].number, 6);
    EXPECT_EQ(a[5].number, 250);
    EXPECT_EQ(a[6].target, QString("out/grid.png"));
    EXPECT_EQ(a[7].kind, ScriptAction::Expect);
    EXPECT_EQ(a[7].target, QString("lblValorTotal"));
    EXPECT_EQ(a[7].text, QString("R$ 173,08"));
    EXPECT_EQ(a[8].kind, ScriptAction::Screen);
    EXPECT_EQ(a[8].target, QString("out/all.png"));
}

TEST(OperatorScriptParse, RefusesBadLinesNamingTheLine)
{
    // An expectation without a control name would be met by whichever control came first.
    const char* bad[] = {"press tcbOk", "key Hyper", "answer yes",
                         "wait -5",     "click",     "screenshot",
                         "screen",      "expect",    "expect  lblValorTotal R$ 1,00"};
    for (const char* line : bad) {
        const auto r = parseScript(QString("# first\n") + line);
        ASSERT_FALSE(r.ok()) << line;
        EXPECT_TRUE(r.errorMessage().contains("line 2")) << r.errorMessage().toStdString();
    }
}

namespace {

// Windows of one size in one place, each of its own colour, brought to the front in a given
// order: where they overlap, the `screen` picture shows the one that came last, whatever the
// order they were made in.
struct Stacking
{
    const char* name;
    QList<int> steps; // windows by the order they were made, as they come to the front
    int modal;        // the window shown modal, or -1
    int front;        // the window the picture shows
};

void PrintTo(const Stacking& s, std::ostream* os)
{
    *os << s.name;
}

class ScreenPicture : public ::testing::TestWithParam<Stacking>
{
};

} // namespace

TEST_P(ScreenPicture, DrawsTheWindowsInStackingOrder)
{
    const QList<QColor> colours{Qt::red, Qt::darkGreen, Qt::blue};
    std::vector<std::unique_ptr<QDialog>> windows;
    for (const QColor& colour : colours) {
        auto window = std::make_unique<QDialog>();
        window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, colour);
        window->setPalette(palette);
        window->setAutoFillBackground(true);
        window->setGeometry(100, 100, 200, 150);
        windows.push_back(std::move(window));
    }
    watchWindowStack();
    for (const int index : GetParam().steps) {
        QDialog* last = windows[size_t(index)].get();
        last->hide(); // a window on the screen comes to the front again as the operator reopens it
        last->setModal(index == GetParam().modal);
        last->show();
        ASSERT_TRUE(zel::test::eventually([&] { return QApplication::activeWindow() == last; })) << index;
    }

    EXPECT_EQ(screenPicture().pixelColor(200, 175), colours[GetParam().front]);
    EXPECT_EQ(windowsBackToFront().constLast(), windows[size_t(GetParam().front)].get());
}

INSTANTIATE_TEST_SUITE_P(Orders, ScreenPicture,
                         ::testing::Values(Stacking{"ShownAsMade", {0, 1, 2}, -1, 2},
                                           Stacking{"ShownInReverse", {2, 1, 0}, -1, 0},
                                           Stacking{"FirstShownAgain", {0, 1, 2, 0}, -1, 0},
                                           Stacking{"MiddleShownAgain", {2, 1, 0, 1}, -1, 1},
                                           Stacking{"DialogMadeFirstOverTheForms", {1, 2, 0}, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The operator touches only what is in front: a control behind a modal window ignores the touch
// (as on the screen, where the dialog's wait would otherwise start what the operator could not),
// and a last touch that opens a modal window still ends the script, leaving the window to the
// host's close instead of holding the run until its watchdog.
TEST(OperatorScriptRun, TouchesOnlyWhatIsInFrontAndEndsOnATouchThatOpensAWindow)
{
    QDialog behind, front, last;
    auto button = [](QDialog* on, const char* name) {
        auto* b = new QPushButton(on);
        b->setObjectName(name);
        return b;
    };
    int counts = 0;
    QObject::connect(button(&behind, "tcbConta"), &QPushButton::clicked, [&] { ++counts; });
    QObject::connect(button(&behind, "tcbAbre"), &QPushButton::clicked, [&] { front.exec(); });
    QObject::connect(button(&front, "tcbUltima"), &QPushButton::clicked, [&] { last.exec(); });
    behind.show();

    bool done = false;
    OperatorScript script(*parseScript("click tcbConta\nclick tcbAbre\nclick tcbConta\nclick tcbUltima"), {},
                          {});
    QObject::connect(&script, &OperatorScript::done, [&] {
        done = true;
        last.reject(); // the host closes what is left
        front.reject();
    });
    QTimer::singleShot(3000, [&] { // a runner that waits for the window gives up here, not hangs
        last.reject();
        front.reject();
    });
    script.start(10);
    ASSERT_TRUE(zel::test::eventually([&] { return done; }, 2500)) << "the last touch opened a window";
    EXPECT_EQ(counts, 1) << "the touch behind the modal window did nothing";
    EXPECT_TRUE(script.errors().isEmpty()) << script.errors().join('\n').toStdString();
}
