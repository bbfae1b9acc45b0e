#include "dialogs/MessageDialog.h"

#include "dialogs/DefaultDialogs.h"
#include "support/Operator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace zel {
namespace {

using test::Operator;

struct KeyAnswer
{
    const char* name;
    DialogButtons buttons;
    const char* extra;
    int key;           // a key pressed, or 0
    const char* typed; // characters typed, when no key
    int expected;
};

class MessageKeys : public ::testing::TestWithParam<KeyAnswer>
{
};

TEST_P(MessageKeys, AnswerFromTheKeyboard)
{
    const KeyAnswer& c = GetParam();
    Operator op;
    if (c.key)
        op.press(c.key);
    else
        op.type(QString::fromUtf8(c.typed));
    op.start();
    DefaultDialogs dialogs;
    const int answer =
        dialogs.TouchMessageDlg(QStringLiteral("Item não impresso. Tentar de novo?"), DialogType::Information,
                                c.buttons, 0, 0, QString::fromUtf8(c.extra));
    EXPECT_EQ(answer, c.expected);
    EXPECT_TRUE(op.finished());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageKeys,
    ::testing::Values(KeyAnswer{"EscapeIsNo", DialogButtons::YesNo, "", Qt::Key_Escape, "", mrNo},
                      KeyAnswer{"EnterIsYes", DialogButtons::YesNo, "", Qt::Key_Return, "", mrYes},
                      KeyAnswer{"KeypadEnterIsYes", DialogButtons::YesNo, "", Qt::Key_Enter, "", mrYes},
                      KeyAnswer{"SIsYes", DialogButtons::YesNo, "", 0, "s", mrYes},
                      KeyAnswer{"NIsNo", DialogButtons::YesNo, "", 0, "N", mrNo},
                      KeyAnswer{"ExtraAccelerator", DialogButtons::YesNo, "&Cancela Cupom", 0, "c", mrExtra},
                      KeyAnswer{"ExtraWinsACollision", DialogButtons::YesNo, "&Sair", 0, "s", mrExtra},
                      KeyAnswer{"OtherLettersDoNothing", DialogButtons::YesNo, "&Cancela Cupom", 0, "xn",
                                mrNo},
                      KeyAnswer{"EscapeIsOk", DialogButtons::Ok, "", Qt::Key_Escape, "", mrOk},
                      KeyAnswer{"EnterIsOk", DialogButtons::Ok, "", Qt::Key_Return, "", mrOk},
                      KeyAnswer{"NoButtonsShowOk", DialogButtons::None, "", Qt::Key_Escape, "", mrOk}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDialog, AnswersTheTouchedButton)
{
    DefaultDialogs dialogs;
    for (const int expected : {mrYes, mrNo, mrExtra}) {
        Operator op;
        op.answer(expected).start();
        EXPECT_EQ(dialogs.TouchMessageDlg(QStringLiteral("Erro na impressão do item"), DialogType::Error,
                                          DialogButtons::YesNo, 0, 0, QStringLiteral("&Cancela Cupom")),
                  expected);
    }
}

TEST(MessageDialog, MarksOnlyTheLettersThatAnswer)
{
    MessageDialog collision(QStringLiteral("Sair?"), DialogType::Confirmation, DialogButtons::YesNo,
                            QStringLiteral("&Sair"));
    EXPECT_EQ(collision.findChild<QAbstractButton*>(QStringLiteral("tcbYes"))->text(), QStringLiteral("Sim"));
    EXPECT_EQ(collision.findChild<QAbstractButton*>(QStringLiteral("tcbNo"))->text(), QStringLiteral("&Não"));
    EXPECT_EQ(collision.findChild<QAbstractButton*>(QStringLiteral("tcbExtra"))->text(),
              QStringLiteral("&Sair"));
    EXPECT_EQ(collision.findChild<QAbstractButton*>(QStringLiteral("tcbOk")), nullptr);
}

TEST(MessageDialog, ClosesByItselfWithTheEscapeAnswer)
{
    test::WaitFailureGuard loud;
    DefaultDialogs dialogs;
    EXPECT_EQ(dialogs.TouchMessageDlg(QStringLiteral("Aguarde"), DialogType::Confirmation,
                                      DialogButtons::YesNo, 0, 1),
              mrNo);
}

TEST(MessageDialog, OverLongTextsWrapScrollAndStayUsable)
{
    const QString word = QString(300, u'W');
    QString text = QStringLiteral("Resposta do gerenciador:\r\n") + word + u'\n';
    for (int i = 0; i < 120; ++i)
        text += QStringLiteral("Linha %1 de uma mensagem muito comprida do gerenciador de cartões. ").arg(i);

    Operator op;
    QSize dialogSize;
    bool scrolls = false;
    bool fitsWidth = false;
    bool buttonsInside = false;
    op.run([&] {
        QWidget* dialog = Operator::activeForm();
        dialogSize = dialog->size();
        auto* view = dialog->findChild<QTextEdit*>(QStringLiteral("memTexto"));
        scrolls = view->verticalScrollBar()->isVisible() && view->verticalScrollBar()->maximum() > 0;
        fitsWidth = view->document()->size().width() <= view->viewport()->width() + 1;
        auto* no = dialog->findChild<QAbstractButton*>(QStringLiteral("tcbNo"));
        buttonsInside = dialog->rect().contains(QRect(no->mapTo(dialog, QPoint(0, 0)), no->size()));
    });
    op.answer(mrNo).start();

    DefaultDialogs dialogs;
    EXPECT_EQ(dialogs.TouchMessageDlg(text, DialogType::Error, DialogButtons::YesNo), mrNo);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_LE(dialogSize.width(), screen.width());
    EXPECT_LE(dialogSize.height(), screen.height());
    EXPECT_TRUE(scrolls);
    EXPECT_TRUE(fitsWidth);
    EXPECT_TRUE(buttonsInside);
}

TEST(MessageDialog, NormalisesLineBreaks)
{
    EXPECT_EQ(dialogText(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
}

TEST(Notice, ReturnsAtOnceAndClosesItself)
{
    test::WaitFailureGuard loud;
    DefaultDialogs dialogs;
    EXPECT_EQ(dialogs.TouchMessage(QStringLiteral("Transação aprovada"), DialogType::Information,
                                   DialogButtons::None, 0, 1),
              mrNone);
    QPointer<QWidget> notice;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmTouchMessage") && w->isVisible())
            notice = w;
    }
    ASSERT_TRUE(notice);
    waitWhile([&] { return notice && notice->isVisible(); }, QStringLiteral("the notice to close"));
    EXPECT_TRUE(!notice || !notice->isVisible());
}

TEST(Notice, ANewNoticeReplacesTheOneShown)
{
    DefaultDialogs dialogs;
    dialogs.TouchMessage(QStringLiteral("primeira"));
    dialogs.TouchMessage(QStringLiteral("segunda"));
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += w->objectName() == QLatin1String("frmTouchMessage") && w->isVisible();
    EXPECT_EQ(shown, 1);
}

struct CaptionCase
{
    const char* caption;
    char16_t accelerator;
    const char* plain;
};

class Captions : public ::testing::TestWithParam<CaptionCase>
{
};

TEST_P(Captions, FindTheAcceleratorAndThePlainText)
{
    EXPECT_EQ(acceleratorOf(QString::fromUtf8(GetParam().caption)), QChar(GetParam().accelerator));
    EXPECT_EQ(plainCaption(QString::fromUtf8(GetParam().caption)), QString::fromUtf8(GetParam().plain));
}

INSTANTIATE_TEST_SUITE_P(Accelerators, Captions,
                         ::testing::Values(CaptionCase{"&Cancela Cupom", u'C', "Cancela Cupom"},
                                           CaptionCase{"Cancela &Cupom", u'C', "Cancela Cupom"},
                                           CaptionCase{"P&&D &Vale", u'V', "P&D Vale"},
                                           CaptionCase{"Sem atalho", u'\0', "Sem atalho"},
                                           CaptionCase{"Fim&", u'\0', "Fim&"}, CaptionCase{"", u'\0', ""}));

} // namespace
} // namespace zel
