#include "ConsumerFixture.h"
#include "consumer/ConsumerKeys.h"
#include "consumer/TfrmInfConsumidor.h"
#include "consumer/Vrm_zel00400.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/Screenshot.h"
#include "toolkit/TouchButton.h"

#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

using namespace zel;
using namespace zel::test;

namespace {

class ConsumerForm : public ConsumerFixture
{
};

// The state of the form as a test step sees it.
struct Seen
{
    int step = -1;
    QString prompt, typed, client;
    bool correctEnabled = false;
};

Seen look()
{
    Seen s;
    s.step = Vrm_zel00400::NrPasso;
    s.prompt = ConsumerFixture::label("lblTexto");
    s.typed = ConsumerFixture::label("lblInforma");
    s.client = ConsumerFixture::label("lblCliente");
    auto* f = ConsumerFixture::form();
    s.correctEnabled = f && f->findChild<QWidget*>("tcbCorrigeConsumidor")->isEnabled();
    return s;
}

} // namespace

TEST_F(ConsumerForm, ClientByTaxpayerNumberThenConsumerGivesTheFiveTexts)
{
    Seen atConsumer;
    Operator& o = operatorForForm();
    o.type("529.982.247-25").press(Qt::Key_Return);
    consumerStep(o);
    o.run([&] { atConsumer = look(); }).type("31").press(Qt::Key_Return);

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(atConsumer.client, QString("Bruno Costa"));
    EXPECT_EQ(atConsumer.typed, QString());
    EXPECT_TRUE(atConsumer.correctEnabled);
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente, nmCliente, nmFantClie}),
              QStringList({"31", "Eva", "C2", "Bruno Costa", "Bruno"}));
    EXPECT_EQ(Vrm_zel00400::stNrInsJurClie, QString("529.982.247-25"));
    EXPECT_EQ(Vrm_zel00400::NrPasso, kStepNone);
    EXPECT_TRUE(dialogs->records().isEmpty());
    EXPECT_TRUE(displayCalls().isEmpty()) << "no POS keyboard, nothing on its display";
}

TEST_F(ConsumerForm, KeypadTypesThroughTheFormAndFindsTheClientByItsExternalCode)
{
    QString corrected;
    Operator& o = operatorForForm();
    o.click("tcb5").click("tcb0").click("tcb1").click("tcbEnter");
    consumerStep(o);
    o.click("tcb1").click("tcb2").click("tcbCorrigir").click("tcb1").run([&] {
        corrected = label("lblInforma");
    });
    o.click("tcbEnter");

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(corrected, QString("11"));
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente}), QStringList({"11", "Ana", "C1"}));
    EXPECT_EQ(Vrm_zel00400::stNrInsJurClie, QString("11.222.333/0001-81"));
}

TEST_F(ConsumerForm, ConsumerOfAnotherClientIsRefusedAndTheStepRepeatsForTheSameClient)
{
    Seen again;
    Operator& o = operatorForForm();
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("31").press(Qt::Key_Return); // Eva's code, but Eva is Bruno's consumer
    consumerStep(o);
    o.run([&] { again = look(); }).type("55").press(Qt::Key_Return);
    dialogs->expectMessageDlg(mrOk, "Código do consumidor inválido ou não cadastrado.");

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(again.client, QString("Alfa Refeições Ltda"));
    EXPECT_EQ(again.typed, QString());
    // "55" is Carla's identification code and Davi's consumer code: the identification wins.
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente}), QStringList({"21", "Carla", "C1"}));
    ASSERT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
    EXPECT_EQ(dialogs->records().front().buttons, DialogButtons::Ok);
}

TEST_F(ConsumerForm, UnknownClientWithoutThePosKeyboardShowsTheErrorDialog)
{
    Seen again;
    Operator& o = operatorForForm();
    o.type("999").press(Qt::Key_Return);
    dialogs->expectMessageDlg(mrOk, "Cliente não cadastrado.");
    clientStep(o);
    o.run([&] { again = look(); }).type("502").press(Qt::Key_Return);
    consumerStep(o);
    o.click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(again.typed, QString());
    EXPECT_FALSE(again.correctEnabled);
    EXPECT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(cdCliente, QString("C2"));
}

TEST_F(ConsumerForm, WithThePosKeyboardPromptsAndNotFoundMessagesGoToItsDisplay)
{
    setKeyboard(true);
    Operator& o = operatorForForm();
    o.type("999").press(Qt::Key_Return);
    clientStep(o);
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("77").press(Qt::Key_Return);
    consumerStep(o);
    o.type("E11").press(Qt::Key_Return);

    EXPECT_TRUE(consumidor());
    EXPECT_TRUE(dialogs->records().isEmpty()) << "the display replaces the dialogs";
    const QStringList line1 = {"TeclGoToXY(1, 1)"}, line2 = {"TeclGoToXY(2, 1)"};
    const QStringList clientPrompt = {"TeclDispClrLn2()", "TeclGoToXY(2, 1)",
                                      "TeclDispStr(\"Codigo Cliente : \")"};
    const QStringList consumerPrompt = {"TeclDispClrLn2()", "TeclGoToXY(2, 1)",
                                        "TeclDispStr(\"Codigo Consumidor : \")"};
    QStringList expected = {"TeclFormFeed()", "TeclGoToXY(1, 1)", "TeclDispStr(\"Consumidor\")"};
    expected << clientPrompt
             << QStringList{"TeclDispClrLn1()", "TeclGoToXY(1, 1)",
                            "TeclDispStr(\"Cliente nao cadastrado.\")"}
             << clientPrompt
             << QStringList{"TeclFormFeed()", "TeclGoToXY(1, 1)", "TeclDispStr(\"Alfa Refeições Ltda\")"}
             << consumerPrompt
             << QStringList{"TeclDispClrLn1()", "TeclGoToXY(1, 1)", "TeclDispStr(\"Codigo invalido\")"}
             << consumerPrompt;
    EXPECT_EQ(displayCalls(), expected);
}

TEST_F(ConsumerForm, EnterOnNothingTypedDoesNothingInEitherStep)
{
    Seen client, consumer;
    Operator& o = operatorForForm();
    o.press(Qt::Key_Return).click("tcbEnter").press(Qt::Key_Enter).run([&] { client = look(); });
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.press(Qt::Key_Return).click("tcbEnter").run([&] { consumer = look(); }).click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(client.step, kStepClient);
    EXPECT_EQ(client.prompt, QString("Cód. Cliente"));
    EXPECT_EQ(consumer.step, kStepConsumer);
    EXPECT_TRUE(dialogs->records().isEmpty()) << "no lookup ran";
}

TEST_F(ConsumerForm, WithThePosKeyboardEscapeAndDeleteNeedTheUpPrefix)
{
    setKeyboard(true);
    QStringList seen;
    const auto note = [&] { seen << QString("%1:%2").arg(Vrm_zel00400::NrPasso).arg(label("lblInforma")); };
    Operator& o = operatorForForm();
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("1").press(Qt::Key_Escape).run(note);                                  // Escape alone: nothing
    o.press(Qt::Key_Up).press(Qt::Key_Delete).run(note);                          // Up, Delete: nothing
    o.press(Qt::Key_Up).type("2").press(Qt::Key_Escape).run(note);                // a digit ends the prefix
    o.press(Qt::Key_Up).press(Qt::Key_Backspace).press(Qt::Key_Escape).run(note); // so does Backspace
    o.press(Qt::Key_Up).press(Qt::Key_Escape);                                    // Up, Escape: cancel

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(seen, QStringList({"2:1", "2:1", "2:12", "2:1"}));
    EXPECT_EQ(QStringList({cdConsumidor, cdCliente, nmCliente}),
              QStringList({"", "C1", "Alfa Refeições Ltda"}));
}

TEST_F(ConsumerForm, WithoutThePosKeyboardEscapeCancelsAtOnceAndDeleteClearsOrGoesBack)
{
    QString afterDelete;
    Seen back;
    Operator& o = operatorForForm();
    o.type("50").press(Qt::Key_Up).press(Qt::Key_Delete).run([&] { afterDelete = label("lblInforma"); });
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("1").press(Qt::Key_Delete); // back to the client
    clientStep(o);
    o.run([&] { back = look(); }).press(Qt::Key_Escape);

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(afterDelete, QString());
    EXPECT_EQ(back.client, QString()) << "the client label empties when the client is chosen again";
    EXPECT_EQ(back.typed, QString());
    EXPECT_FALSE(back.correctEnabled);
    EXPECT_EQ(cdConsumidor, QString());
    EXPECT_EQ(cdCliente, QString("C1")) << "the client found before going back";
}

TEST_F(ConsumerForm, CorrectConsumerReturnsToTheClientPromptAndTheDisplaySaysConsumidor)
{
    setKeyboard(true);
    int displayMark = 0;
    Operator& o = operatorForForm();
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.run([&] { displayMark = int(devices->calls().size()); }).click("tcbCorrigeConsumidor");
    clientStep(o);
    o.type("502").press(Qt::Key_Return);
    consumerStep(o);
    o.type("31").press(Qt::Key_Return);

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente, nmCliente, nmFantClie}),
              QStringList({"31", "Eva", "C2", "Bruno Costa", "Bruno"}));
    QStringList after;
    for (int i = displayMark; i < devices->calls().size() && after.size() < 6; ++i) {
        if (devices->calls()[i].name.startsWith("Tecl") && devices->calls()[i].name != "TecladoOK")
            after << devices->calls()[i].text();
    }
    EXPECT_EQ(after,
              QStringList({"TeclFormFeed()", "TeclGoToXY(1, 1)", "TeclDispStr(\"Consumidor\")",
                           "TeclDispClrLn2()", "TeclGoToXY(2, 1)", "TeclDispStr(\"Codigo Cliente : \")"}));
}

TEST_F(ConsumerForm, CancelInTheClientStepAnswersFalseWithNoCodes)
{
    Vrm_zel00400::stCdCliente = "stale";
    Vrm_zel00400::stCdConsumidor = "stale";
    Operator& o = operatorForForm();
    o.type("50").click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(cdConsumidor, QString());
    EXPECT_EQ(cdCliente, QString());
    EXPECT_EQ(nmCliente, QString()) << "the unit's client name, whatever the outcome";
}

TEST_F(ConsumerForm, CancelInTheConsumerStepKeepsTheClientFound)
{
    Operator& o = operatorForForm();
    o.type("502").press(Qt::Key_Return);
    consumerStep(o);
    o.type("3").click("tcbCancelar");

    // The payment entry passes the unit's own client name variables as the last two arguments.
    QString cdCons = "x", nmCons = "x", cdCli;
    o.start();
    const bool answer =
        Vrm_zel00400::Consumidor(Vrm_zel00000::runningSession(), QString(), cdCons, nmCons, cdCli,
                                 Vrm_zel00400::stNmCliente, Vrm_zel00400::stNmFantClie);
    EXPECT_FALSE(answer);
    EXPECT_EQ(cdCons, QString());
    EXPECT_EQ(nmCons, QString());
    EXPECT_EQ(cdCli, QString("C2"));
    EXPECT_EQ(Vrm_zel00400::stNmCliente, QString("Bruno Costa"));
    EXPECT_EQ(Vrm_zel00400::stNmFantClie, QString("Bruno"));
}

TEST_F(ConsumerForm, TheDialogueRunsOncePerCallHoweverOftenTheFormIsActivated)
{
    setKeyboard(true);
    Seen afterReactivation;
    Operator& o = operatorForForm();
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("1").run([] { form()->FormActivate(); });
    o.run([&] { afterReactivation = look(); }).type("1").press(Qt::Key_Return);

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(afterReactivation.step, kStepConsumer);
    EXPECT_EQ(afterReactivation.typed, QString("1"));
    EXPECT_EQ(afterReactivation.client, QString("Alfa Refeições Ltda"));
    EXPECT_EQ(cdConsumidor, QString("11"));
    EXPECT_EQ(displayCalls().count("TeclDispStr(\"Consumidor\")"), 1);
}

TEST_F(ConsumerForm, TheReceiptTablesStayOpenForAnotherIdentificationInTheSameReceipt)
{
    operatorForForm().type("501").press(Qt::Key_Return);
    consumerStep(*op);
    op->type("11").press(Qt::Key_Return);
    EXPECT_TRUE(consumidor());
    EXPECT_EQ(cdConsumidor, QString("11"));
    EXPECT_TRUE(receipt->cdsCliente.active());
    EXPECT_TRUE(receipt->cdsConsumidor.active());

    // Also when someone closed them meanwhile.
    receipt->cdsCliente.close();
    receipt->cdsConsumidor.close();
    operatorForForm().type("502").press(Qt::Key_Return);
    consumerStep(*op);
    op->type("7001").press(Qt::Key_Return);
    EXPECT_TRUE(consumidor());
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente}), QStringList({"31", "Eva", "C2"}));
    EXPECT_TRUE(receipt->cdsCliente.active());
    EXPECT_TRUE(receipt->cdsConsumidor.active());
}

TEST_F(ConsumerForm, WithoutAReceiptFormNothingCanBeFound)
{
    Vrm_zel00000::frmRecebimento = nullptr;
    Vrm_zel00400::stCdCliente = "stale";
    dialogs->expectMessageDlg(mrOk, "Não há recebimento em andamento");
    EXPECT_FALSE(consumidor());
    EXPECT_EQ(cdCliente, QString());
    EXPECT_EQ(cdConsumidor, QString());
    Vrm_zel00000::frmRecebimento = receipt;
}

TEST_F(ConsumerForm, AConsumerTableWithoutTheLookupFieldsIsReportedAndTheFormCloses)
{
    receipt->cdsConsumidor.setData(DataPacket{
        {FieldDef{"CDCLIENTE", FieldType::String, 21}, FieldDef{"CDCONSUMIDOR", FieldType::String, 21}}, {}});
    dialogs->expectMessageDlg(mrOk, "CDIDCONSUMID, CDEXCONSUMID, NMCONSUMIDOR");
    EXPECT_FALSE(consumidor());
    EXPECT_EQ(Vrm_zel00400::NrPasso, kStepNone);
}

TEST_F(ConsumerForm, DesignHasItsSizeControlsAndBackgroundPicture)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath("fundo.png");
    QImage image(60, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(picture));
    Vrm_zel00000::frmRecebimento->figura = picture;

    TfrmInfConsumidor designed(Vrm_zel00000::runningSession());
    EXPECT_EQ(designed.size(), QSize(297, 390));
    EXPECT_TRUE(designed.windowFlags() & Qt::FramelessWindowHint);
    for (int d = 0; d <= 9; ++d) {
        auto* digit = designed.findChild<TTouchButton*>(QString("tcb%1").arg(d));
        ASSERT_NE(digit, nullptr) << d;
        EXPECT_EQ(digit->tag(), 48 + d);
        EXPECT_EQ(digit->parentWidget()->objectName(), QString("panKeyboard"));
    }
    const std::pair<const char*, const char*> hints[] = {{"tcbCorrigir", "Corrigir"},
                                                         {"tcbCancelar", "Cancelar"},
                                                         {"tcbPesquisa", "Pesquisar"},
                                                         {"tcbCorrigeConsumidor", "Corrigir Consumidor"}};
    for (const auto& [name, hint] : hints) {
        auto* button = designed.findChild<TTouchButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->hint(), QString::fromUtf8(hint));
    }
    EXPECT_EQ(designed.findChild<TTouchButton*>("tcbEnter")->caption(), QString("Enter"));
    EXPECT_FALSE(designed.findChild<QWidget*>("tcbPesquisa")->isEnabled());
    EXPECT_FALSE(designed.findChild<QWidget*>("tcbCorrigeConsumidor")->isEnabled());
    EXPECT_EQ(designed.findChild<QLabel*>("lblTexto")->text(), QString("Cliente"));
    EXPECT_TRUE(designed.findChild<QLabel*>("lblInforma")->alignment() & Qt::AlignRight);
    EXPECT_NE(designed.findChild<QLabel*>("lblCliente"), nullptr);
    EXPECT_FALSE(designed.findChild<QLabel*>("imgBackGround")->isHidden()) << "the picture exists";
    EXPECT_EQ(designed.msgPadrao.Messages().size(), 17);

    Vrm_zel00000::frmRecebimento->figura = dir.filePath("missing.png");
    TfrmInfConsumidor plain(Vrm_zel00000::runningSession());
    EXPECT_TRUE(plain.findChild<QLabel*>("imgBackGround")->isHidden());

    // A picture of the form as the operator sees it in the consumer step.
    Vrm_zel00000::frmRecebimento->figura.clear();
    Operator& o = operatorForForm();
    o.type("501").press(Qt::Key_Return);
    consumerStep(o);
    o.type("11").run([] { saveScreenshot(form(), "consumer_form_consumer_step"); }, "screenshot");
    o.click("tcbCancelar");
    EXPECT_FALSE(consumidor());
}
