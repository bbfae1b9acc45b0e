#include "toolkit/TouchForm.h"

#include "support/Operator.h"
#include "support/ScriptedDialogs.h"
#include "toolkit/ErrorBarrier.h"
#include "toolkit/TouchButton.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

namespace zel {
namespace {

// Records what reaches its key handlers, as "down:<key name>" and "press:<character>".
class RecordingForm : public TouchForm
{
public:
    explicit RecordingForm(QWidget* parent = nullptr) : TouchForm(parent)
    {
        resize(400, 300);
        panel = new QFrame(this);
        edit = new QLineEdit(panel);
    }

    QStringList seen;
    int activations = 0;
    std::function<void()> onActivate;
    QFrame* panel;
    QLineEdit* edit;

protected:
    void FormKeyDown(QKeyEvent* event) override
    {
        seen.append(QStringLiteral("down:") + QKeySequence(event->key()).toString());
    }
    void FormKeyPress(QChar key) override { seen.append(QStringLiteral("press:") + key); }
    void FormActivate() override
    {
        ++activations;
        if (onActivate)
            onActivate();
    }
};

TEST(KeyPreview, KeysOnAChildReachTheFormAndStopThere)
{
    RecordingForm form;
    form.show();
    QTest::keyClick(form.edit, Qt::Key_A);
    EXPECT_EQ(form.seen, QStringList({"down:A", "press:a"}));
    EXPECT_TRUE(form.edit->text().isEmpty());
}

TEST(KeyPreview, ControlsAddedLaterAreWatchedToo)
{
    RecordingForm form;
    form.show();
    auto* nested = new QFrame(form.panel);
    auto* late = new QLineEdit(nested);
    QTest::keyClick(late, Qt::Key_7);
    EXPECT_EQ(form.seen, QStringList({"down:7", "press:7"}));
    EXPECT_TRUE(late->text().isEmpty());
}

TEST(KeyPreview, EscapeAndEnterDoNotCloseTheForm)
{
    RecordingForm form;
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.seen, QStringList({"down:Esc", "press:\x1b", "down:Return", "press:\r"}));
}

TEST(KeyPreview, DeleteIsAKeyNotACharacter)
{
    RecordingForm form;
    QKeyEvent physical(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    QCoreApplication::sendEvent(form.edit, &physical);
    EXPECT_EQ(form.seen, QStringList({"down:Del"}));
}

TEST(KeyPreview, AChildWindowKeepsItsOwnKeys)
{
    RecordingForm owner;
    RecordingForm child(&owner);
    QTest::keyClick(child.edit, Qt::Key_B);
    EXPECT_TRUE(owner.seen.isEmpty());
    EXPECT_EQ(child.seen, QStringList({"down:B", "press:b"}));
}

struct PostCase
{
    const char* text;
    bool sendEnter;
    bool asChar;
    QStringList expected;
};

class PostTextCases : public ::testing::TestWithParam<PostCase>
{
};

TEST_P(PostTextCases, SendsCharactersOrKeysInOrder)
{
    RecordingForm form;
    form.PostText(QString::fromUtf8(GetParam().text), GetParam().sendEnter, GetParam().asChar);
    EXPECT_EQ(form.seen, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Semantics, PostTextCases,
                         ::testing::Values(PostCase{"12", false, true, {"press:1", "press:2"}},
                                           PostCase{"\b", false, false, {"down:Backspace"}},
                                           PostCase{".", false, false, {"down:Del"}},
                                           PostCase{"", true, true, {"down:Return"}},
                                           PostCase{"5", true, false, {"down:5", "down:Return"}},
                                           PostCase{"42", true, true, {"press:4", "press:2", "down:Return"}},
                                           PostCase{"\xC3\xA7", false, true, {"press:\xC3\xA7"}},
                                           PostCase{"", false, true, {}}));

TEST(PostedClose, ClosesAfterTheHandlerReturns)
{
    RecordingForm form;
    bool visibleAfterPost = false;
    form.onActivate = [&] {
        form.postClose(42);
        visibleAfterPost = form.isVisible();
    };
    test::WaitFailureGuard loud;
    EXPECT_EQ(form.exec(), 42);
    EXPECT_TRUE(visibleAfterPost);
    EXPECT_EQ(form.activations, 1);
}

TEST(Activation, RunsOnceEachTimeTheFormIsShown)
{
    RecordingForm form;
    form.onActivate = [&] { form.postClose(1); };
    test::WaitFailureGuard loud;
    form.exec();
    form.exec();
    EXPECT_EQ(form.activations, 2);
}

// A form whose key handler converts before it commits, as forms are written.
class CountingForm : public TouchForm
{
public:
    int value = 3;

protected:
    void FormKeyPress(QChar key) override
    {
        if (!key.isDigit())
            throw std::runtime_error("'" + QString(key).toStdString() + "' não é um número");
        value = key.digitValue();
    }
};

TEST(ErrorBarrier, ShowsTheErrorAndKeepsTheState)
{
    test::ScopedScriptedDialogs dialogs;
    dialogs->expectMessageDlg(mrOk, QStringLiteral("'x' não é um número"));
    CountingForm form;
    form.PostText(QStringLiteral("x"), false, true);
    EXPECT_EQ(form.value, 3);
    ASSERT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(dialogs->records()[0].type, DialogType::Error);
    EXPECT_EQ(dialogs->records()[0].buttons, DialogButtons::Ok);
    form.PostText(QStringLiteral("5"), false, true);
    EXPECT_EQ(form.value, 5);
}

TEST(ErrorBarrier, GuardsClickHandlers)
{
    test::ScopedScriptedDialogs dialogs;
    dialogs->expectMessageDlg(mrOk, QStringLiteral("sem papel"));
    TouchForm form;
    auto* button = new TTouchButton(QStringLiteral("Imprimir"), &form);
    bool after = false;
    form.bindClick(button, [&] {
        throw std::runtime_error("sem papel");
        after = true;
    });
    form.show();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(after);
}

TEST(ErrorBarrier, AnswersWhetherTheActionCompleted)
{
    test::ScopedScriptedDialogs dialogs;
    dialogs->expectMessageDlg(mrOk, unexpectedErrorText());
    EXPECT_TRUE(guard([] {}));
    EXPECT_FALSE(guard([] { throw 7; }));
    // A called-off wait was reported when it happened: no dialog for it.
    EXPECT_FALSE(guard([] { throw WaitTimeout("wait called off"); }));
}

struct CentreCase
{
    QRect screen;
    QSize form;
    QPoint origin;
};

class Centring : public ::testing::TestWithParam<CentreCase>
{
};

TEST_P(Centring, PlacesTheFormAtHalfTheDifference)
{
    EXPECT_EQ(centredGeometry(GetParam().screen, GetParam().form).topLeft(), GetParam().origin);
    EXPECT_EQ(centredGeometry(GetParam().screen, GetParam().form).size(), GetParam().form);
}

INSTANTIATE_TEST_SUITE_P(Screens, Centring,
                         ::testing::Values(CentreCase{{0, 0, 1024, 768}, {800, 600}, {112, 84}},
                                           CentreCase{{0, 0, 800, 600}, {800, 600}, {0, 0}},
                                           CentreCase{{0, 0, 640, 480}, {800, 600}, {-80, -60}},
                                           // (799 - 800) div 2 is 0: division truncates toward zero
                                           CentreCase{{0, 0, 799, 599}, {800, 600}, {0, 0}},
                                           CentreCase{{0, 0, 797, 480}, {800, 600}, {-1, -60}},
                                           CentreCase{{1920, 0, 1280, 1024}, {800, 600}, {2160, 212}}));

TEST(Centring, TestsRunOnTheTillsScreenSize)
{
    // Layout checks and screenshots assume the touch screen the module is made for.
    EXPECT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 600));
}

TEST(Centring, ShownFormsStandCentredOnThePrimaryScreen)
{
    RecordingForm form;
    form.resize(QSize(752, 337));
    form.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form.pos(), centredGeometry(screen, form.size()).topLeft());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST(ModalRun, InTestBuildsAFormLeftOpenFailsAndCloses)
{
    QStringList failures;
    const auto previous = waits::setFailureHook([&](const QString& m) { failures.append(m); });
    waits::setTimeLimit(std::chrono::milliseconds(150));
    RecordingForm form;
    form.setObjectName(QStringLiteral("frmEsquecido"));
    const int result = form.exec();
    waits::setTimeLimit(std::chrono::milliseconds(-1));
    waits::setFailureHook(previous);
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("frmEsquecido"))) << failures[0].toStdString();
}

TEST(Pictures, MissingOrUnreadableFilesLeaveNoPicture)
{
    QTemporaryDir dir;
    const QString notAnImage = dir.filePath(QStringLiteral("fundo.bmp"));
    QFile file(notAnImage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a bitmap");
    file.close();
    const QString picture = dir.filePath(QStringLiteral("fundo.png"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(picture));

    TouchForm form;
    EXPECT_FALSE(form.setBackgroundPicture(dir.filePath(QStringLiteral("nada.bmp"))));
    EXPECT_FALSE(form.setBackgroundPicture(notAnImage));
    EXPECT_TRUE(form.backgroundPicture().isNull());
    EXPECT_TRUE(form.setBackgroundPicture(picture));
    EXPECT_EQ(form.backgroundPicture().size(), QSize(40, 30));
    form.resize(200, 100);
    EXPECT_EQ(form.grab().toImage().pixelColor(100, 50), QColor(Qt::darkCyan));

    QLabel label;
    EXPECT_FALSE(TouchForm::loadPicture(&label, notAnImage));
    EXPECT_TRUE(TouchForm::loadPicture(&label, picture));
    EXPECT_TRUE(label.hasScaledContents());
}

} // namespace
} // namespace zel
