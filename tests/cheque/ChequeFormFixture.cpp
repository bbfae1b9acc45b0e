#include "ChequeFormFixture.h"

#include "cheque/Vrm_zel00200.h"
#include "devices/Peripherals.h"
#include "receipt/state/ReceiptSession.h"
#include "toolkit/TouchButton.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

namespace zel::test {

void ChequeFormFixture::SetUp()
{
    devices = std::make_shared<RecordingPeripherals>();
    setPeripherals(devices);
    receipt = std::make_unique<ReceiptSession>();
    receipt->cdsReceb.setFieldDefs({FieldDef{"CDTIPORECE", FieldType::String, 3, {}, {}, true},
                                    FieldDef{"IDTIPORECE", FieldType::String, 1, {}, {}, true}});
    receipt->cdsReceb.createDataSet();
    receipt->cdsReceb.close();
    Vrm_zel00200::IdImpCupFis = QStringLiteral("2");
}

void ChequeFormFixture::TearDown()
{
    form.reset();
    receipt.reset();
    Vrm_zel00200::Finalization();
    setPeripherals(nullptr);
}

TfrmRecebeCheque& ChequeFormFixture::open(int impFis, int impChq)
{
    devices->setIdTipoImpFis(impFis);
    devices->setIdTipoImpChq(impChq);
    form = std::make_unique<TfrmRecebeCheque>(receipt.get());
    form->show();
    QCoreApplication::processEvents(); // the first activation
    return *form;
}

void ChequeFormFixture::expectIncompleteConfirmations(int count)
{
    for (int i = 0; i < count; ++i)
        dialogs->expectMessageDlg(mrOk, QStringLiteral("número de parcelas"));
}

QLabel* ChequeFormFixture::label(const char* name) const
{
    auto* found = form->findChild<QLabel*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QString ChequeFormFixture::text(const char* name) const
{
    const QLabel* found = label(name);
    return found ? found->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

TTouchButton* ChequeFormFixture::button(const char* name) const
{
    auto* found = form->findChild<TTouchButton*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void ChequeFormFixture::click(const char* name)
{
    TTouchButton* b = button(name);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isEnabled()) << name << " is disabled";
    b->click();
}

void ChequeFormFixture::type(const QString& keys)
{
    QTest::keyClicks(form.get(), keys);
}

void ChequeFormFixture::press(int key)
{
    QTest::keyClick(form.get(), Qt::Key(key));
}

bool ChequeFormFixture::underlined(const char* name) const
{
    const QLabel* found = label(name);
    return found && found->font().underline();
}

bool ChequeFormFixture::visible(const char* name) const
{
    const QWidget* found = form->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found && found->isVisible();
}

} // namespace zel::test
