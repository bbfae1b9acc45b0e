#include "ChequeFormFixture.h"
#include "cheque/Vrm_zel00200.h"
#include "devices/Peripherals.h"
#include "receipt/state/ReceiptSession.h"
#include "support/Operator.h"
#include "support/Screenshot.h"

#include <QLabel>
#include <QPointer>

using namespace zel;
using namespace zel::test;

namespace {

class ImpChequeCall : public ChequeFormFixture
{
protected:
    static QString shown(const QString& name)
    {
        auto* label = qobject_cast<QLabel*>(Operator::findControl(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
    }
};

TEST_F(ImpChequeCall, ShowsTheFormModallyWithTheAmountsUntilTheOperatorLeaves)
{
    devices->setIdTipoImpChq(1);
    QPointer<TfrmRecebeCheque> seen;
    QStringList texts;
    Operator op;
    op.waitUntil([] { return qobject_cast<TfrmRecebeCheque*>(Operator::activeForm()) != nullptr; },
                 "the cheque form")
        .run([&] { seen = qobject_cast<TfrmRecebeCheque*>(Operator::activeForm()); })
        .click("spdBanco")
        .type("341")
        .press(Qt::Key_Return)
        .click("spdData")
        .type("010524")
        .press(Qt::Key_Return)
        .run([&] {
            texts << shown("lblNmParcela") << shown("lblValorTotal") << shown("lblValorPago")
                  << shown("lblValorPagar") << shown("lblNrBanco") << shown("lblDtImp");
            saveScreenshot(Operator::activeForm(), "cheque_form_modal");
        })
        .click("spdSair")
        .start();

    Vrm_zel00200::ImpCheque(receipt.get(), 80.25, 19.75, 100);

    EXPECT_TRUE(op.finished());
    EXPECT_EQ(texts, QStringList({"1ª Parcela", "R$ 100,00", "R$ 19,75", "R$ 80,25", "341", "01/05/24"}));
    EXPECT_TRUE(seen.isNull()) << "the form is freed when the call returns";
    EXPECT_EQ(Vrm_zel00200::frmRecebeCheque, nullptr);
    EXPECT_EQ(Vrm_zel00200::doApagar, 80.25);
    EXPECT_EQ(Vrm_zel00200::doPago, 19.75);
    EXPECT_EQ(Vrm_zel00200::doTotal, 100.0);
    EXPECT_FALSE(Vrm_zel00200::boContinua);
}

TEST_F(ImpChequeCall, RefusesToOpenWithoutARunningReceipt)
{
    Vrm_zel00200::doApagar = 5;
    dialogs->expectMessageDlg(mrOk, "recebimento em andamento");
    Vrm_zel00200::ImpCheque(nullptr, 80, 20, 100);
    ASSERT_EQ(dialogs->records().size(), 1);
    EXPECT_EQ(dialogs->records().front().type, DialogType::Error);
    EXPECT_EQ(Vrm_zel00200::doApagar, 5.0) << "nothing changed";
}

TEST_F(ImpChequeCall, RefusesToOpenWithoutPeripheralServices)
{
    setPeripherals(nullptr);
    dialogs->expectMessageDlg(mrOk);
    Vrm_zel00200::ImpCheque(receipt.get(), 80, 20, 100);
    EXPECT_EQ(dialogs->records().size(), 1);
    EXPECT_FALSE(receipt->cdsReceb.active()) << "nothing was opened";
}

} // namespace
