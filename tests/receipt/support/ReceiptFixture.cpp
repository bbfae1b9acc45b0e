#include "ReceiptFixture.h"

#include "PaymentTypes.h"
#include "devices/Peripherals.h"
#include "receipt/form/Vrm_zel00000.h"

#include <QSettings>

namespace zel::test {

void ReceiptFixture::SetUp()
{
    Vrm_zel00000::Initialization();
    devices = std::make_shared<RecordingPeripherals>();
    setPeripherals(devices);

    // The receipt's settings come from an empty store of the test, never the machine's: the
    // fiscal coupon is printed.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settingsDir.path());

    venda.setFieldDefs(saleFields());
    venda.createDataSet();

    QList<FieldDef> clientFields, consumerFields;
    for (const char* name :
         {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "CDEXCLIENTE", "NMRAZSOCCLIE", "NMFANTCLIE"})
        clientFields.append(FieldDef{name, FieldType::String, 40});
    for (const char* name : {"CDCLIENTE", "CDIDCONSUMID", "CDCONSUMIDOR", "CDEXCONSUMID", "NMCONSUMIDOR"})
        consumerFields.append(FieldDef{name, FieldType::String, 40});
    clientes.setFieldDefs(clientFields);
    clientes.createDataSet();
    consumidores.setFieldDefs(consumerFields);
    consumidores.createDataSet();
    aliquotas.setFieldDefs({FieldDef{"CDALIQIMPFIS", FieldType::String, 10, {}, {}, true},
                            FieldDef{"VRALIQIMPFIS", FieldType::Float, 0, {}, {}, true},
                            FieldDef{"IDALIQIMPFIS", FieldType::String, 1, {}, {}, true}});
    aliquotas.createDataSet();
    aliquotas.append(); // the rate of lines with no tax kind
    aliquotas.fieldByName("CDALIQIMPFIS").setString("NN");
    aliquotas.fieldByName("VRALIQIMPFIS").setFloat(0);
    aliquotas.fieldByName("IDALIQIMPFIS").setString("N");
    aliquotas.post();
    definePaymentTypes(tipos);
    addTipo(tipos, TipoRow{}); // cash on the first button
}

QList<FieldDef> ReceiptFixture::saleFields()
{
    return test::saleFields();
}

void ReceiptFixture::TearDown()
{
    setPeripherals(nullptr);
    Vrm_zel00000::Finalization();
}

void ReceiptFixture::addSaleLine(double qt, double preco, double desc, double servico, double consumacao,
                                 double descComanda)
{
    venda.append();
    venda.fieldByName("NMPRODUTO").setString(QStringLiteral("Produto %1").arg(venda.recordCount() + 1));
    venda.fieldByName("QTPRODCOMVEN").setFloat(qt);
    venda.fieldByName("VRPRECCOMVEN").setFloat(preco);
    venda.fieldByName("VRDESCCOMVEN").setFloat(desc);
    venda.fieldByName("VRTXSERVICO").setFloat(servico);
    venda.fieldByName("VRCONSUMAMIN").setFloat(consumacao);
    venda.fieldByName("VRDESCOMANDA").setFloat(descComanda);
    venda.post();
}

Operator& ReceiptFixture::operatorForNextReceipt()
{
    op = std::make_unique<Operator>();
    op->waitUntil([] { return Vrm_zel00000::frmRecebimento && !Vrm_zel00000::boIdCriado; },
                  QStringLiteral("the receipt form opened"));
    return *op;
}

bool ReceiptFixture::recebimento(const QString& idTipoSis)
{
    if (op)
        op->start();
    return Vrm_zel00000::Recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos,
                                     idTipoSis, QString(), figura, QStringLiteral("1"));
}

} // namespace zel::test
