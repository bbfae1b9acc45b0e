#include "PaymentTypes.h"
#include "ReceiptFixture.h"
#include "receipt/form/TfrmRecebimento.h"
#include "receipt/form/Vrm_zel00000.h"
#include "support/QStringPrinter.h"
#include "support/Screenshot.h"
#include "toolkit/TouchButton.h"

#include <QFileInfo>

using namespace zel;
using namespace zel::test;

namespace {

class ReceiptGridRun : public ReceiptFixture
{
};

QString caption(const QString& name)
{
    auto* button = qobject_cast<TTouchButton*>(Operator::findControl(name));
    return button ? button->caption() : QStringLiteral("<missing %1>").arg(name);
}

// The operator pages through the groups of a running receipt; the pictures of the filled grid
// are left in the test output for a person to look at.
TEST_F(ReceiptGridRun, OperatorPagesThroughGroupsOnTheReceipt)
{
    addSaleLine(2, 42.5);
    definePaymentTypes(tipos);
    addGrupo(tipos, "01", "Cartões", 0x8B0000, 0xFFFFFF);
    addGrupo(tipos, "02", "Outros", 0x006400, 0xFFFFFF);
    const char* page1[] = {"Crédito", "Débito", "Dinheiro", "Ticket", "Vale", "Cheque", "Dólar"};
    const char* kinds1[] = {"1", "2", "4", "5", "7", "3", "6"};
    for (int i = 0; i < 7; ++i) {
        TipoRow row;
        row.cd = QString("%1").arg(i + 1, 3, 10, QChar(u'0'));
        row.nome = row.caption = QString::fromUtf8(page1[i]);
        row.idTipo = kinds1[i];
        row.nrButton = QString("%1").arg(i + 1, 2, 10, QChar(u'0'));
        const qint64 colours[] = {0xF0D0A0, 0xE0C890, 0x90E0A0, 0xA0E0F0, 0x90D0F0, 0xE0B0C0, 0x60C0E0};
        row.back = colours[i];
        addTipo(tipos, row);
    }
    TipoRow convenio;
    convenio.cd = "020";
    convenio.nome = convenio.caption = "Convênio";
    convenio.idTipo = "8";
    convenio.nrButton = "07";
    convenio.grupo = "02";
    addTipo(tipos, convenio);

    QString firstPage, secondGroup;
    QString shot1, shot2;
    operatorForNextReceipt()
        .run([&] { shot1 = saveScreenshot(Operator::activeForm(), "receipt_payment_grid_group01"); },
             "screenshot")
        .run([&] {
            firstPage = caption("tcbBalcao01") + "|" + caption("tcbBalcao07") + "|" + caption("tcbGrupo02");
        })
        .click("tcbGrupo02")
        .run([&] { secondGroup = caption("tcbBalcao01") + "|" + caption("tcbBalcao07"); })
        .run([&] { shot2 = saveScreenshot(Operator::activeForm(), "receipt_payment_grid_group02"); },
             "screenshot")
        .click("tcbProximo")
        .click("tcbAnterior")
        .click("tcbSair");
    EXPECT_FALSE(recebimento());
    EXPECT_EQ(firstPage, QString("Crédito|Dólar|Outros"));
    EXPECT_EQ(secondGroup, QString("|Convênio"));
    EXPECT_TRUE(QFileInfo::exists(shot1));
    EXPECT_TRUE(QFileInfo::exists(shot2));
    EXPECT_EQ(Vrm_zel00000::frmRecebimento->NrPagina, 1);
    EXPECT_TRUE(op->finished());
}

} // namespace
