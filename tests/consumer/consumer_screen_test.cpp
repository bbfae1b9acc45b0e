#include "ConsumerFixture.h"
#include "consumer/TfrmInfConsumidor.h"
#include "toolkit/FitLabel.h"
#include "toolkit/ShadeBehind.h"
#include "toolkit/TouchButton.h"
#include "toolkit/TouchForm.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

// What the consumer form shows the operator: the typed code whole, captions read at a glance,
// and the receipt behind it plainly out of play.

using namespace zel;
using namespace zel::test;

namespace {

class ConsumerScreen : public ConsumerFixture
{
};

// The mean luminance (0 to 255) of a widget as it is drawn now.
double meanLuminance(QWidget* widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return image.isNull() ? 0 : sum / (double(image.width()) * image.height());
}

} // namespace

TEST_F(ConsumerScreen, WhatIsTypedShowsWholeInTheEntry)
{
    enum Size { Designed, Smaller, Either };
    const struct
    {
        const char* typed;
        Size size; // the entry's own font, a smaller one, or whichever shows it whole
    } cases[] = {
        {"501", Designed},
        {"529.982.247-25", Designed},
        {"11.222.333/0001-81", Either},
        {"12.ABC.345/01DE-35", Smaller},
        {"WWWWWWWWWWWWWWWWWWWW", Smaller},
    };
    struct Shown
    {
        QString text;
        TFitLabel::Fitted fit;
        int designedPixels = 0;
        int room = 0;
    };
    QList<Shown> shown;
    Operator& o = operatorForForm();
    for (const auto& c : cases) {
        o.type(c.typed).run([&] {
            auto* entry = form()->findChild<TFitLabel*>("lblInforma");
            ASSERT_NE(entry, nullptr);
            shown.append({entry->text(), entry->fitted(), QFontInfo(entry->font()).pixelSize(),
                          entry->contentsRect().width()});
        });
        o.press(Qt::Key_Delete); // empties the entry in the client step
    }
    o.click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    ASSERT_EQ(shown.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const auto& c = cases[i];
        const Shown& s = shown[i];
        EXPECT_EQ(s.text, QString::fromLatin1(c.typed));
        EXPECT_TRUE(s.fit.fits) << c.typed;
        EXPECT_EQ(s.fit.lines, QStringList{QString::fromLatin1(c.typed)}) << c.typed;
        EXPECT_LE(QFontMetricsF(s.fit.font).horizontalAdvance(s.text), s.room) << c.typed;
        if (c.size != Either) {
            EXPECT_EQ(s.fit.font.pixelSize() < s.designedPixels, c.size == Smaller) << c.typed;
        }
    }
}

TEST_F(ConsumerScreen, CommandCaptionsShowWholeAndReadable)
{
    TfrmInfConsumidor designed(nullptr);
    const int digitPixels = QFontInfo(designed.findChild<TTouchButton*>("tcb7")->font()).pixelSize();
    for (const char* name : {"tcbPesquisa", "tcbCorrigeConsumidor", "tcbCancelar", "tcbEnter"}) {
        auto* button = designed.findChild<TTouchButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        const QFontMetrics metrics(button->font());
        // Readable at arm's length beside the digits: 16 px at least, more than half the digits' size.
        EXPECT_GE(QFontInfo(button->font()).pixelSize(), 16) << name;
        EXPECT_GT(QFontInfo(button->font()).pixelSize() * 2, digitPixels) << name;
        // Whole: every word on a line of its own at most, all lines within the button's face.
        const QRect face = button->rect().adjusted(4, 4, -4, -4);
        for (const QString& word : button->caption().split(u' '))
            EXPECT_LE(metrics.horizontalAdvance(word), face.width()) << name << " " << word.toStdString();
        const QRect drawn = metrics.boundingRect(face, Qt::AlignCenter | Qt::TextWordWrap, button->caption());
        EXPECT_TRUE(face.contains(drawn)) << name;
        EXPECT_TRUE(QRect(QPoint(), button->parentWidget()->size()).contains(button->geometry())) << name;
    }
}

// A touch form standing in for the receipt on the screen behind the consumer form.
struct Ending
{
    const char* name;
    void (*end)(Operator&);
};

void PrintTo(const Ending& e, std::ostream* os)
{
    *os << e.name;
}

class ConsumerShade : public ConsumerFixture, public ::testing::WithParamInterface<Ending>
{
};

TEST_P(ConsumerShade, TheFormBehindIsShadedWhileTheFormAsksAndClearAfter)
{
    TouchForm behind;
    behind.resize(800, 600);
    behind.show();
    const double before = meanLuminance(&behind);

    double during = 0;
    bool shadeCovers = false, formItselfShaded = true;
    Operator& o = operatorForForm();
    o.run([&] {
        const QWidget* shade = TShadeBehind::shadeOf(&behind);
        shadeCovers = shade && shade->isVisible() && shade->geometry() == behind.rect();
        formItselfShaded = TShadeBehind::shadeOf(form()) != nullptr;
        during = meanLuminance(&behind);
    });
    GetParam().end(o);
    consumidor();

    EXPECT_TRUE(shadeCovers);
    EXPECT_FALSE(formItselfShaded);
    EXPECT_LT(during, before * 0.7) << "before " << before << ", during " << during;
    EXPECT_EQ(TShadeBehind::shadeOf(&behind), nullptr);
    EXPECT_DOUBLE_EQ(meanLuminance(&behind), before);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ConsumerShade,
    ::testing::Values(
        Ending{"Cancelled", [](Operator& o) { o.click("tcbCancelar"); }},
        // What is typed after the client's Enter belongs to the consumer step.
        Ending{"ConsumerFound",
               [](Operator& o) { o.type("501").press(Qt::Key_Return).type("11").press(Qt::Key_Return); }},
        Ending{"ClosedFromOutside", [](Operator& o) { o.run([] { ConsumerFixture::form()->close(); }); }}),
    [](const auto& info) { return std::string(info.param.name); });
