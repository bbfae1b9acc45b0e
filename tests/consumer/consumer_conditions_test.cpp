#include "ConsumerFixture.h"
#include "consumer/ConsumerKeys.h"
#include "consumer/TfrmInfConsumidor.h"
#include "consumer/Vrm_zel00400.h"
#include "receipt/form/TfrmRecebimento.h"
#include "support/Screenshot.h"
#include "toolkit/FitLabel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>

// The consumer form under conditions an operator's till brings: keys that arrive together, a
// form closed from outside, a call that fails, a long client name.

using namespace zel;
using namespace zel::test;

namespace {

class ConsumerConditions : public ConsumerFixture
{
};

// Queues digits and Enter ("\r") for the form all at once, as a card reader on the POS
// keyboard or a fast typist delivers them: none is handled before the last is queued.
void postKeysAtOnce(const char* keys)
{
    for (const QChar ch : QString::fromLatin1(keys)) {
        const int key = ch == u'\r' ? int(Qt::Key_Return) : Qt::Key_0 + ch.digitValue();
        QCoreApplication::postEvent(ConsumerFixture::form(),
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(ch)));
    }
}

} // namespace

TEST_F(ConsumerConditions, KeysThatArriveTogetherGiveEachStepItsOwnCode)
{
    Operator& o = operatorForForm();
    o.run([] { postKeysAtOnce("501\r11\r"); });

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente}), QStringList({"11", "Ana", "C1"}));
}

TEST_F(ConsumerConditions, AnUnknownClientDropsTheConsumerCodeThatCameWithIt)
{
    QString typedAgain;
    Operator& o = operatorForForm();
    o.run([] { postKeysAtOnce("999\r11\r"); });
    dialogs->expectMessageDlg(mrOk, "Cliente não cadastrado.");
    clientStep(o);
    o.run([&] { typedAgain = label("lblInforma"); }).type("502").press(Qt::Key_Return);
    consumerStep(o);
    o.type("31").press(Qt::Key_Return);

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(typedAgain, QString());
    EXPECT_EQ(QStringList({cdConsumidor, cdCliente}), QStringList({"31", "C2"}));
}

// A form closed or hidden from outside: by the host, or a window manager.
struct Closing
{
    const char* name;
    bool inConsumerStep;
    void (*close)(QWidget*);
};

void PrintTo(const Closing& c, std::ostream* os)
{
    *os << c.name;
}

class ConsumerFormClosed : public ConsumerFixture, public ::testing::WithParamInterface<Closing>
{
};

TEST_P(ConsumerFormClosed, FromOutsideEndsTheCallWithNoConsumer)
{
    Operator& o = operatorForForm();
    if (GetParam().inConsumerStep) {
        o.type("501").press(Qt::Key_Return);
        consumerStep(o);
        o.type("1");
    }
    o.run([] { GetParam().close(form()); });

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(cdConsumidor, QString());
    EXPECT_EQ(Vrm_zel00400::NrPasso, kStepNone);
    EXPECT_EQ(form(), nullptr);
    EXPECT_TRUE(dialogs->records().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ways, ConsumerFormClosed,
                         ::testing::Values(Closing{"ClientStepHidden", false, [](QWidget* f) { f->hide(); }},
                                           Closing{"ClientStepClosed", false, [](QWidget* f) { f->close(); }},
                                           Closing{"ConsumerStepHidden", true, [](QWidget* f) { f->hide(); }},
                                           Closing{"ConsumerStepClosed", true,
                                                   [](QWidget* f) { f->close(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsumerConditions, AFailedCallHandsBackNoCodesOfTheIdentificationBefore)
{
    operatorForForm().type("501").press(Qt::Key_Return);
    consumerStep(*op);
    op->type("11").press(Qt::Key_Return);
    ASSERT_TRUE(consumidor());
    ASSERT_EQ(cdCliente, QString("C1"));

    // Tables without the lookup fields: the call fails before any step runs.
    op.reset();
    const DataPacket lacking{{FieldDef{"CDCLIENTE", FieldType::String, 21}}, {}};
    const std::pair<DataSet*, const char*> tables[] = {{&receipt->cdsConsumidor, "NMCONSUMIDOR"},
                                                       {&receipt->cdsCliente, "NMRAZSOCCLIE"}};
    for (const auto& [table, missing] : tables) {
        table->setData(lacking);
        dialogs->expectMessageDlg(mrOk, missing);
        EXPECT_FALSE(consumidor()) << table->name().toStdString();
        EXPECT_EQ(cdConsumidor, QString()) << table->name().toStdString();
        EXPECT_EQ(cdCliente, QString()) << table->name().toStdString();
    }
}

TEST_F(ConsumerConditions, AClientNameOfFiftyCharactersShowsWhole)
{
    const QString name = QStringLiteral("Cooperativa Agroindustrial dos Produtores do Oeste");
    ASSERT_EQ(name.size(), 50);
    QString shown;
    TFitLabel::Fitted fit;
    QRect area, keypad;
    DataPacket clients;
    for (const char* field :
         {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "CDEXCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE"})
        clients.fields.append(FieldDef{field, FieldType::String, 50});
    clients.rows.append(Row{"C9", "J", "11222333000181", "509", name, "Cooperativa"});
    receipt->cdsCliente.setData(clients);
    Operator& o = operatorForForm();
    o.type("509").press(Qt::Key_Return);
    consumerStep(o);
    o.run([&] {
         auto* label = form()->findChild<TFitLabel*>("lblCliente");
         ASSERT_NE(label, nullptr);
         shown = label->text();
         fit = label->fitted();
         area = label->contentsRect();
         keypad = form()->findChild<QWidget*>("panKeyboard")->geometry();
         EXPECT_FALSE(keypad.intersects(label->geometry()));
         saveScreenshot(form(), "consumer_form_long_client_name");
     }).click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(shown.toStdString(), name.toStdString());
    EXPECT_TRUE(fit.fits);
    EXPECT_EQ(fit.lines.join(QString()).toStdString(), name.toStdString());
    const QFontMetrics metrics(fit.font);
    for (const QString& line : fit.lines)
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), area.width()) << line.toStdString();
    EXPECT_GE(fit.font.pixelSize(), 12);
    EXPECT_TRUE(QRect(0, 0, 297, 390).contains(keypad));
}
