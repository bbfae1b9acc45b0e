#include "ChequeFormFixture.h"
#include "toolkit/FitLabel.h"

#include <QFontMetrics>
#include <QLabel>

using namespace zel;
using namespace zel::test;

namespace {

class ChequeLayout : public ChequeFormFixture
{
protected:
    QRect geometryOf(const char* name) const
    {
        auto* w = form->findChild<QWidget*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w ? w->geometry() : QRect();
    }
};

// Each row of the form: its selection button, caption and value, and the amounts column.
const std::vector<std::vector<const char*>> kRows = {
    {"spdParcelas", "lblParcelas", "lblNrParcelas"},
    {"spdValor", "lblVrCheque", "lblValor"},
    {"spdAgencia", "lblAgencia", "lblNrAgencia"},
    {"spdBanco", "lblNmBanco", "lblNrBanco"},
    {"spdConta", "lblConta", "lblNrConta"},
    {"spdCheque", "lblCheque", "lblNrCheque"},
    {"spdData", "lblData", "lblDtImp"},
    {"lblTotal", "lblValorTotal"},
    {"lblPago", "lblValorPago"},
    {"lblPagar", "lblValorPagar"},
    {"lblAno", "spdA1", "spdA2", "spdA3", "spdA4"},
};

TEST_F(ChequeLayout, TheAlphanumericKeyboardHidesNoRowInPartAndLeavesTheBackTextInSight)
{
    open();
    click("spdVerso");
    ASSERT_TRUE(visible("panKeyBoard1"));
    const QRect keyboard = geometryOf("panKeyBoard1");
    EXPECT_TRUE(QRect(0, 0, 800, 600).contains(keyboard));
    for (const auto& row : kRows) {
        for (const char* name : row) {
            const QRect part = geometryOf(name);
            EXPECT_TRUE(!keyboard.intersects(part) || keyboard.contains(part))
                << name << " is cut by the keyboard";
        }
    }
    EXPECT_FALSE(keyboard.intersects(geometryOf("lblNmVerso"))) << "the text being typed";
    EXPECT_FALSE(keyboard.intersects(geometryOf("lblVerso")));
}

TEST_F(ChequeLayout, TheBackTextShowsALongWordWhole)
{
    open();
    click("spdVerso");
    const QString word = QStringLiteral("Pagavelsomentenaagenciadeorigemaposcompensacaodovalortotalxy");
    ASSERT_EQ(word.size(), 60);
    type(word);
    press(Qt::Key_Return);
    auto* back = form->findChild<TFitLabel*>(QStringLiteral("lblNmVerso"));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->text(), word);
    const TFitLabel::Fitted fit = back->fitted();
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(fit.lines.join(QString()), word);
    const QFontMetrics metrics(fit.font);
    for (const QString& line : fit.lines)
        EXPECT_LE(metrics.horizontalAdvance(line), back->contentsRect().width()) << line.toStdString();
    EXPECT_GE(fit.font.pixelSize(), 12);
}

} // namespace
