#include "ConsumerFixture.h"
#include "consumer/TfrmInfConsumidor.h"
#include "consumer/Vrm_zel00400.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"

using namespace zel;
using namespace zel::test;

namespace {

class ConsumerSearch : public ConsumerFixture
{
};

} // namespace

TEST_F(ConsumerSearch, PicksTheClientAndThenOneOfItsConsumers)
{
    Vrm_zel00000::frmRecebimento->figura = "/pictures/fundo.png";
    bool copiesClosed = false;
    dialogs->expectSearchPick("CDCLIENTE", "C2").expectSearchPick("CDCONSUMIDOR", "31");
    Operator& o = operatorForForm();
    o.click("tcbPesquisa");
    consumerStep(o);
    o.run([&] { copiesClosed = !form()->cdsPesqCliente.active(); }).click("tcbPesquisa");

    EXPECT_TRUE(consumidor());
    EXPECT_TRUE(copiesClosed);
    EXPECT_EQ(QStringList({cdConsumidor, nmConsumidor, cdCliente, nmCliente}),
              QStringList({"31", "Eva", "C2", "Bruno Costa"}));
    ASSERT_EQ(dialogs->records().size(), 2);
    const DialogRecord& clients = dialogs->records()[0];
    EXPECT_EQ(clients.text, QString("Código | Nome do Cliente"));
    EXPECT_EQ(clients.rows, 3);
    EXPECT_EQ(clients.picture, QString("/pictures/fundo.png"));
    const DialogRecord& consumers = dialogs->records()[1];
    EXPECT_EQ(consumers.text, QString("Código | Nome do Consumidor"));
    EXPECT_EQ(consumers.rows, 1) << "only the consumers of the client found";
}

TEST_F(ConsumerSearch, APickReplacesWhatWasTypedBefore)
{
    dialogs->expectSearchPick("CDCLIENTE", "C1").expectSearchPick("CDCONSUMIDOR", "21");
    Operator& o = operatorForForm();
    o.type("12").click("tcbPesquisa");
    consumerStep(o);
    o.type("9").click("tcbPesquisa");

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(QStringList({cdConsumidor, cdCliente}), QStringList({"21", "C1"}));
}

TEST_F(ConsumerSearch, ASearchClosedWithoutAPickChangesNothing)
{
    QString typedAfter;
    int stepAfter = -1;
    dialogs->expectSearchCancelled();
    Operator& o = operatorForForm();
    o.type("50").click("tcbPesquisa").run([&] {
        typedAfter = label("lblInforma");
        stepAfter = Vrm_zel00400::NrPasso;
    });
    o.type("1").press(Qt::Key_Return);
    consumerStep(o);
    o.click("tcbCancelar");

    EXPECT_FALSE(consumidor());
    EXPECT_EQ(typedAfter, QString("50"));
    EXPECT_EQ(stepAfter, 1);
    EXPECT_EQ(cdCliente, QString("C1"));
}

TEST_F(ConsumerSearch, AQuoteInTheClientCodeCannotWidenTheConsumerSearch)
{
    int offered = -1;
    QStringList names;
    dialogs->expectSearch([&](DataSet& ds) {
        offered = ds.recordCount();
        for (ds.first(); !ds.eof(); ds.next())
            names << ds.value("NMCONSUMIDOR").toString();
        return ds.locate("CDCONSUMIDOR", {"41"});
    });
    Operator& o = operatorForForm();
    o.type("503").press(Qt::Key_Return);
    consumerStep(o);
    o.click("tcbPesquisa");

    EXPECT_TRUE(consumidor());
    EXPECT_EQ(offered, 1);
    EXPECT_EQ(names, QStringList({"Fabio"}));
    EXPECT_EQ(QStringList({cdConsumidor, cdCliente}), QStringList({"41", "O'Brien"}));
}
