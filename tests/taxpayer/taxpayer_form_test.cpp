#include "dialogs/Dialogs.h"
#include "support/Operator.h"
#include "support/QStringPrinter.h"
#include "support/Screenshot.h"
#include "support/ScriptedDialogs.h"
#include "taxpayer/TfrmCNPJCPF.h"
#include "taxpayer/Vrm_zel00300.h"
#include "toolkit/TouchButton.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

using namespace zel;
using namespace zel::test;

namespace {

const QString kInvalido = QStringLiteral("Número do CPF/CNPJ inválido.");

TfrmCNPJCPF* form()
{
    return qobject_cast<TfrmCNPJCPF*>(Operator::activeForm());
}

QString shown()
{
    return form() ? form()->findChild<QLabel*>("lblInforma")->text() : QString();
}

// The control that types `c` on the form's keyboard.
QString keyFor(QChar c)
{
    switch (c.unicode()) {
    case u'.':
        return "spdPonto";
    case u',':
        return "spdVirgula";
    case u'/':
        return "spdBarra";
    case u' ':
        return "spdEspaco";
    case 0xC7:
    case 0xE7:
        return "spdCCdil";
    default:
        return QStringLiteral("spd") + c.toUpper();
    }
}

// A call of CriaInfAdicional driven by a scripted operator, with scripted dialogs.
class TaxpayerForm : public ::testing::Test
{
protected:
    // A fresh operator whose first step waits for the number step.
    Operator& operatorForForm()
    {
        op = std::make_unique<Operator>();
        return step(*op, kPassoNumero);
    }
    static Operator& step(Operator& o, int passo)
    {
        return o.waitUntil([passo] { return form() && form()->NrPasso == passo; },
                           passo == kPassoNumero ? "the number step" : "the name step");
    }
    static void touch(Operator& o, const QString& keys)
    {
        for (const QChar c : keys)
            o.click(keyFor(c));
    }
    QString call()
    {
        op->start();
        const QString numero = Vrm_zel00300::CriaInfAdicional(nome);
        EXPECT_TRUE(op->finished()) << op->log().join(" / ").toStdString();
        return numero;
    }

    ScopedScriptedDialogs dialogs;
    std::unique_ptr<Operator> op;
    QString nome = QStringLiteral("old name");
};

struct Accepted
{
    const char* typed;
    bool touched; // on the form's keys, else on a physical keyboard
    const char* numero;
};

class TaxpayerAccepted : public TaxpayerForm, public ::testing::WithParamInterface<Accepted>
{
};

TEST_P(TaxpayerAccepted, NumberComesBackInItsStandardFormAndTheNameFollows)
{
    const Accepted& row = GetParam();
    Operator& o = operatorForForm();
    if (row.touched) {
        touch(o, QString::fromUtf8(row.typed));
        o.click("spdEnter");
    } else {
        o.type(QString::fromUtf8(row.typed)).press(Qt::Key_Return);
    }
    step(o, kPassoNome).type("Ana Lima").press(Qt::Key_Return);

    EXPECT_EQ(call(), QString::fromUtf8(row.numero));
    EXPECT_EQ(nome, QString("Ana Lima"));
    EXPECT_TRUE(dialogs->records().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Numbers, TaxpayerAccepted,
                         ::testing::Values(Accepted{"529.982.247-25", false, "529.982.247-25"},
                                           Accepted{"52998224725", true, "529.982.247-25"},
                                           Accepted{"5.2.9.9.8.2.2.4.7.2.5////,,,,", true, "529.982.247-25"},
                                           Accepted{"11222333000181", false, "11.222.333/0001-81"},
                                           Accepted{"12.abc.345/01de-35", false, "12.ABC.345/01DE-35"},
                                           Accepted{"12.ABC.345/01DE35", true, "12.ABC.345/01DE-35"}));

TEST_F(TaxpayerForm, InvalidNumbersAreRefusedWithTheMessageAndAFreshStep)
{
    const QStringList invalid{"529.982.247-24", "11.222.333/0001-80", "12.ABC.345/01DE-36", "111.111.111-11",
                              "1234"};
    QStringList afterRefusal;
    Operator& o = operatorForForm();
    o.press(Qt::Key_Return); // nothing typed: ignored
    for (const QString& number : invalid) {
        o.type(number).press(Qt::Key_Return);
        step(o, kPassoNumero).run([&] {
            afterRefusal << shown() +
                                (form()->findChild<QLabel*>("lblTexto")->isVisible() ? "|number" : "|?");
        });
        dialogs->expectMessageDlg(mrOk, kInvalido);
    }
    o.type("529.982.247-25").press(Qt::Key_Return);
    step(o, kPassoNome).press(Qt::Key_Return); // an empty name is accepted

    EXPECT_EQ(call(), QString("529.982.247-25"));
    EXPECT_EQ(nome, QString());
    EXPECT_EQ(afterRefusal, QStringList(invalid.size(), "|number"));
    ASSERT_EQ(dialogs->records().size(), invalid.size());
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
    EXPECT_EQ(dialogs->records().front().buttons, DialogButtons::Ok);
}

TEST_F(TaxpayerForm, ExitOrCloseInEitherStepAnswersNothing)
{
    struct Row
    {
        int passo;
        std::function<void(Operator&)> leave;
    };
    const Row rows[] = {
        {kPassoNumero, [](Operator& o) { o.click("spdSair"); }},
        {kPassoNome, [](Operator& o) { o.press(Qt::Key_Escape); }},
        {kPassoNome, [](Operator& o) { o.run([] { form()->close(); }, "close the form from outside"); }},
        {kPassoNumero, [](Operator& o) { o.run([] { form()->reject(); }, "reject the form from outside"); }},
    };
    for (const Row& row : rows) {
        nome = "old name";
        Operator& o = operatorForForm();
        o.type("529.982.247-25");
        if (row.passo == kPassoNome)
            o.press(Qt::Key_Return).type("Ana");
        step(o, row.passo);
        row.leave(o);
        EXPECT_EQ(call(), QString());
        EXPECT_EQ(nome, QString());
    }
}

TEST_F(TaxpayerForm, LetterKeysFollowShiftAndCapsLockOnTheName)
{
    struct Row
    {
        QStringList clicks; // key names, or text typed on the keys
        QString name;
        QString captionOfA; // after the clicks
        bool capsLockShown; // the Caps Lock key shows itself on
    };
    const Row rows[] = {
        {{"joao silva"}, "Joao silva", "a", false},             // shift on at the start, once
        {{"spdCapsLock", "ana"}, "ANA", "A", true},             // caps lock
        {{"spdCapsLock", "spdShift", "ana"}, "aNA", "A", true}, // shift under caps lock: small letter
        {{"spdShift", "ana", "spdShift", "ç", "spdShift"},
         "anaÇ",
         "A",
         false}, // shift released, then by hand
        {{"bia", "spdBackSpace", "spdLimpar", "ça"}, "ça", "a", false},
        {{"spdCapsLock", "spdCapsLock", "ana"}, "ana", "a", false},
    };
    for (const Row& row : rows) {
        QString caption;
        bool capsLockShown = false;
        Operator& o = operatorForForm();
        o.type("52998224725").click("spdEnter");
        step(o, kPassoNome);
        for (const QString& click : row.clicks) {
            if (click.startsWith("spd"))
                o.click(click);
            else
                touch(o, click);
        }
        o.run([&] {
            caption = form()->findChild<TTouchButton*>("spdA")->caption();
            capsLockShown = form()->findChild<TTouchButton*>("spdCapsLock")->isChecked();
        });
        o.click("spdEnter");
        EXPECT_EQ(call(), QString("529.982.247-25"));
        EXPECT_EQ(nome, row.name) << row.clicks.join(' ').toStdString();
        EXPECT_EQ(caption, row.captionOfA) << row.clicks.join(' ').toStdString();
        EXPECT_EQ(capsLockShown, row.capsLockShown) << row.clicks.join(' ').toStdString();
    }
}

TEST_F(TaxpayerForm, ALongNameKeepsItsEndInSight)
{
    QString line, typed;
    bool fits = false;
    Operator& o = operatorForForm();
    o.type("52998224725").press(Qt::Key_Return);
    step(o, kPassoNome).type("WALMOR WAGNER MOURA WERNECK MEMORIA WM XYZ").run([&] {
        const QLabel* label = form()->findChild<QLabel*>("lblInforma");
        line = label->text();
        fits = label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width();
        typed = form()->entrada.stNome;
        saveScreenshot(form(), "taxpayer_form_long_name");
    });
    o.press(Qt::Key_Escape);
    call();
    // The line fits and ends with what was typed last, after an ellipsis.
    EXPECT_TRUE(fits) << line.toStdString();
    ASSERT_TRUE(line.startsWith(QChar(0x2026))) << line.toStdString();
    EXPECT_TRUE(typed.endsWith(line.mid(1))) << line.toStdString();
}

TEST_F(TaxpayerForm, KeysThatArriveTogetherAreHandledInOrder)
{
    // A refused number, a good one and the name, sent in one go: the message comes between.
    Operator& o = operatorForForm();
    o.run([] {
        TfrmCNPJCPF* f = form();
        f->PostText("123", true, true);
        f->PostText("11.222.333/0001-81", true, true);
        f->PostText("Bar do Zé", true, true);
    });
    dialogs->expectMessageDlg(mrOk, kInvalido);

    EXPECT_EQ(call(), QString("11.222.333/0001-81"));
    EXPECT_EQ(nome, QString("Bar do Ze"));
    EXPECT_EQ(dialogs->records().size(), 1);
}

TEST(TaxpayerFormRealDialog, KeysQueuedBehindTheMessageWaitForTheFreshStep)
{
    const std::shared_ptr<Dialogs> previous = setDialogs(nullptr);
    QString message;
    Operator o;
    o.waitUntil([] { return form() && form()->NrPasso == kPassoNumero; }, "the number step");
    o.run([] {
        // Keys posted, not sent: they reach the form while the message is on screen.
        for (const QString& chars : {QString("999"), QString("\r52998224725\rEva\r")}) {
            for (const QChar c : chars) {
                const int key = c == u'\r' ? Qt::Key_Return : 0;
                QCoreApplication::postEvent(form(), new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier,
                                                                  key ? QString() : QString(c)));
            }
        }
    });
    o.waitUntil([] { return Operator::activeForm()->objectName() == "frmTouchMessageDlg"; }, "the message");
    o.run([&] {
        message = Operator::activeForm()->findChild<QWidget*>("memTexto")->property("plainText").toString();
    });
    o.answer(mrOk).start();

    QString nome;
    EXPECT_EQ(Vrm_zel00300::CriaInfAdicional(nome), QString("529.982.247-25"));
    EXPECT_EQ(nome, QString("Eva"));
    EXPECT_EQ(message.trimmed(), kInvalido);
    EXPECT_TRUE(o.finished());
    setDialogs(previous);
}

TEST_F(TaxpayerForm, DesignAndScreenshot)
{
    TfrmCNPJCPF designed;
    EXPECT_EQ(designed.size(), QSize(752, 337));
    QStringList names{"lblTexto", "lblTexto2",   "lblInforma", "spdPonto",     "spdVirgula",
                      "spdBarra", "spdCCdil",    "spdEspaco",  "spdBackSpace", "spdLimpar",
                      "spdEnter", "spdCapsLock", "spdShift",   "spdSair"};
    for (const QChar c : QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
        names << QStringLiteral("spd") + c;
    for (const QString& name : names)
        EXPECT_NE(designed.findChild<QWidget*>(name), nullptr) << name.toStdString();
    EXPECT_EQ(designed.findChild<TTouchButton*>("spdQ")->tag(), 81);

    Operator& o = operatorForForm();
    o.type("12.ABC.345/01DE-35").press(Qt::Key_Return);
    step(o, kPassoNome).type("Restaurante Bom Sabor").run([] {
        saveScreenshot(form(), "taxpayer_form_name_step");
    });
    o.press(Qt::Key_Escape);
    EXPECT_EQ(call(), QString());
}

} // namespace
