#include "support/Operator.h"

#include "toolkit/TouchButton.h"
#include "toolkit/TouchForm.h"

#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace zel {
namespace {

using namespace std::chrono_literals;
using test::Operator;

QStringList failuresOf(const std::function<void()>& body)
{
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter spy(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        body();
    }
    QStringList messages;
    for (int i = 0; i < results.size(); ++i)
        messages << QString::fromStdString(results.GetTestPartResult(i).message());
    return messages;
}

// A form that, once shown, waits for its button and then for Enter, as a payment entry does.
class EntryForm : public TouchForm
{
public:
    EntryForm()
    {
        setObjectName(QStringLiteral("frmEntrada"));
        resize(300, 200);
        button = new TTouchButton(QStringLiteral("Dinheiro"), this);
        button->setObjectName(QStringLiteral("tcbDinheiro"));
        bindClick(button, [this] {
            steps << QStringLiteral("button");
            waitWhile([this] { return !entered; }, QStringLiteral("Enter after the button"));
            steps << QStringLiteral("entered");
        });
    }
    TTouchButton* button;
    QStringList steps;
    bool entered = false;
    bool closeOnEnter = true;

protected:
    void FormKeyDown(QKeyEvent* event) override
    {
        if (event->key() != Qt::Key_Return)
            return;
        entered = true;
        if (closeOnEnter)
            postClose(QDialog::Accepted);
    }
};

TEST(Operator, RunsStepsInsideTheFormsNestedWaits)
{
    EntryForm form;
    Operator op;
    op.click(QStringLiteral("tcbDinheiro")).press(Qt::Key_Return).start();
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.steps, QStringList({"button", "entered"}));
    EXPECT_EQ(op.log(), QStringList({"click tcbDinheiro", "press key 0x1000004"}));
    EXPECT_TRUE(op.finished());
    EXPECT_FALSE(op.failed());
}

TEST(Operator, AnUnknownControlFailsTheTestWithItsNameAndClosesTheForm)
{
    EntryForm form;
    int result = -1;
    const QStringList failures = failuresOf([&] {
        Operator op(100ms);
        op.click(QStringLiteral("tcbNaoExiste")).press(Qt::Key_Return).start();
        result = form.exec();
    });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("tcbNaoExiste"))) << failures[0].toStdString();
    EXPECT_TRUE(failures[0].contains(QStringLiteral("frmEntrada"))) << failures[0].toStdString();
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST(Operator, ADisabledControlCannotBeClickedButCanBeTapped)
{
    EntryForm form;
    form.button->setEnabled(false);
    const QStringList failures = failuresOf([&] {
        Operator op(100ms);
        op.tap(QStringLiteral("tcbDinheiro")).press(Qt::Key_Return).start();
        form.exec();
        Operator strict(100ms);
        strict.click(QStringLiteral("tcbDinheiro")).start();
        form.exec();
    });
    EXPECT_TRUE(form.steps.isEmpty());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("disabled")));
}

TEST(Operator, AWaitThatNeverEndsFailsInsteadOfHanging)
{
    EntryForm form;
    form.closeOnEnter = false;
    waits::setTimeLimit(200ms);
    const QStringList failures = failuresOf([&] {
        Operator op;
        op.click(QStringLiteral("tcbDinheiro")).start(); // nobody presses Enter
        form.exec();
    });
    waits::setTimeLimit(-1ms);
    ASSERT_GE(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("Enter after the button"))) << failures[0].toStdString();
    EXPECT_EQ(form.steps, QStringList({"button"}));
}

TEST(Operator, WaitsUntilAConditionHolds)
{
    bool ready = false;
    QTimer::singleShot(50, [&] { ready = true; });
    EntryForm form;
    Operator op;
    op.waitUntil([&] { return ready; }, QStringLiteral("the timer")).press(Qt::Key_Return).start();
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_TRUE(ready);
}

TEST(Operator, ReportsAConditionThatNeverHolds)
{
    const QStringList failures = failuresOf([&] {
        EntryForm form;
        Operator op;
        op.waitUntil([] { return false; }, QStringLiteral("the printer to answer"), 100ms).start();
        form.exec();
    });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("the printer to answer")));
}

} // namespace
} // namespace zel
