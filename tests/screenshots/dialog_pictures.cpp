#include "dataset/DataSet.h"
#include "dialogs/DefaultDialogs.h"
#include "support/Operator.h"
#include "support/Screenshot.h"
#include "toolkit/TouchButton.h"
#include "toolkit/TouchForm.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zel {
namespace {

using test::Operator;
using test::saveScreenshot;

// Renders every default dialog and a sample touch form to PNG files for a person to look at.
class Screenshots : public ::testing::Test
{
protected:
    // Shoots the dialog the call shows, then closes it with Escape.
    template <class Call> void shoot(const QString& name, Call call)
    {
        Operator op;
        QString path;
        op.run([&] { path = saveScreenshot(Operator::activeForm(), name); }, QStringLiteral("screenshot"));
        op.press(Qt::Key_Escape).start();
        call();
        EXPECT_TRUE(QFile::exists(path)) << name.toStdString();
    }
    DefaultDialogs dialogs;
};

TEST_F(Screenshots, MessageDialogs)
{
    shoot(QStringLiteral("message-error-ok"), [&] {
        dialogs.TouchMessageDlg(QStringLiteral("Número do CPF/CNPJ inválido."), DialogType::Error,
                                DialogButtons::Ok);
    });
    shoot(QStringLiteral("message-confirmation-yes-no"), [&] {
        dialogs.TouchMessageDlg(QStringLiteral("Deseja imprimir o cheque?"), DialogType::Confirmation,
                                DialogButtons::YesNo);
    });
    shoot(QStringLiteral("message-information-extra"), [&] {
        dialogs.TouchMessageDlg(
            QStringLiteral("Erro na impressão do item\r\n7891000100103 - REFRIGERANTE LATA 35\r\n"
                           "Ignora o item e continua?"),
            DialogType::Information, DialogButtons::YesNo, 0, 0, QStringLiteral("&Cancela Cupom"));
    });
    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += QStringLiteral("Mensagem muito comprida do gerenciador de cartões, linha %1. ").arg(i);
    longText += QString(200, u'X');
    shoot(QStringLiteral("message-over-long"),
          [&] { dialogs.TouchMessageDlg(longText, DialogType::Error, DialogButtons::YesNo); });
}

TEST_F(Screenshots, Notice)
{
    dialogs.TouchMessage(QStringLiteral("Transação aprovada. Retire o cartão."));
    QWidget* notice = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmTouchMessage") && w->isVisible())
            notice = w;
    }
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(saveScreenshot(notice, QStringLiteral("notice")).isEmpty());
    notice->close();
}

TEST_F(Screenshots, DiscountDialog)
{
    Operator op;
    QString path;
    op.type(QStringLiteral("p12,5"));
    op.run([&] { path = saveScreenshot(Operator::activeForm(), QStringLiteral("discount")); });
    op.press(Qt::Key_Escape).start();
    dialogs.CriaDesconto({});
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(Screenshots, SearchDialog)
{
    DataPacket p;
    FieldDef code;
    code.name = QStringLiteral("NRINSJURCLIE");
    code.displayLabel = QStringLiteral("Código");
    FieldDef name;
    name.name = QStringLiteral("NMRAZSOCCLIE");
    name.displayLabel = QStringLiteral("Nome do Cliente");
    p.fields = {code, name};
    const char* names[] = {"Padaria São João Ltda", "Restaurante Sabor da Terra", "Lanchonete do João",
                           "Bar Central",           "Supermercado Bom Preço",     "Farmácia Popular",
                           "Açougue Boi Gordo"};
    for (int i = 0; i < 7; ++i)
        p.rows.append({QStringLiteral("%1").arg(11222333000100LL + i * 1111), QString::fromUtf8(names[i])});
    DataSet clients;
    clients.setData(p);

    Operator op;
    QString all;
    QString narrowed;
    op.run([&] { all = saveScreenshot(Operator::activeForm(), QStringLiteral("search")); });
    op.type(QStringLiteral("joao"));
    op.run([&] { narrowed = saveScreenshot(Operator::activeForm(), QStringLiteral("search-narrowed")); });
    op.press(Qt::Key_Escape).start();
    dialogs.Pesquisa(clients, {});
    EXPECT_TRUE(QFile::exists(all));
    EXPECT_TRUE(QFile::exists(narrowed));
}

TEST_F(Screenshots, SampleTouchForm)
{
    QTemporaryDir dir;
    QImage glyph(32, 32, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    for (int y = 6; y < 26; ++y)
        for (int x = 3; x < 29; ++x)
            glyph.setPixelColor(x, y, (y < 12) ? QColor(40, 40, 40) : QColor(30, 120, 200));
    const QString glyphPath = dir.filePath(QStringLiteral("cartao.bmp"));
    ASSERT_TRUE(glyph.save(glyphPath, "BMP"));

    TouchForm form;
    form.setObjectName(QStringLiteral("frmAmostra"));
    form.resize(560, 260);
    form.setStyleSheet(QStringLiteral("TouchForm#frmAmostra { background: #DDE3EA; }"));
    auto* grid = new QGridLayout(&form);
    const struct
    {
        const char* caption;
        qint64 back;
        qint64 text;
        bool glyph;
    } buttons[] = {{"Dinheiro", 0x0040A040, 0x00FFFFFF, false},
                   {"Cartão Crédito", 0x00B06020, 0x00FFFFFF, true},
                   {"Cartão Débito", 0x0000A0E0, 0x00000000, true},
                   {"Cheque", 0x00B09090, 0x00000000, false},
                   {"Ticket Refeição Convênio", 0x008080FF, 0x00000000, false},
                   {"", 0x00B09090, 0, false}};
    int i = 0;
    for (const auto& b : buttons) {
        auto* button = new TTouchButton(QString::fromUtf8(b.caption), &form);
        button->setColor(colorFromTColor(b.back));
        button->setCaptionColor(colorFromTColor(b.text));
        button->setFixedSize(75, 56);
        if (b.glyph)
            button->loadGlyph(glyphPath);
        grid->addWidget(button, i / 6, i % 6);
        ++i;
    }
    auto* pressed = new TTouchButton(QStringLiteral("Pressionado"), &form);
    pressed->setColor(colorFromTColor(0x0040A040));
    pressed->setDown(true);
    auto* disabled = new TTouchButton(QStringLiteral("Desativado"), &form);
    disabled->loadGlyph(glyphPath);
    disabled->setEnabled(false);
    auto* big = new TTouchButton(QStringLiteral("Enter"), &form);
    big->setFont(QFont(big->font().family(), 16, QFont::Bold));
    auto* left = new TTouchButton(QStringLiteral("Glifo à esquerda"), &form);
    left->loadGlyph(glyphPath);
    left->setLayout(TTouchButton::GlyphLeft);
    grid->addWidget(pressed, 1, 0);
    grid->addWidget(disabled, 1, 1);
    grid->addWidget(big, 1, 2);
    grid->addWidget(left, 1, 3, 1, 2);
    form.show();
    EXPECT_FALSE(saveScreenshot(&form, QStringLiteral("touch-form")).isEmpty());
}

} // namespace
} // namespace zel
