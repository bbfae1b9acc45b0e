#include "ReceiptFixture.h"

#include "zel/Pkg_zel.h"
#include "receipt/Vrm_zel00000.h"

#include "devices/Peripherals.h"

namespace zel::test {

void ReceiptFixture::SetUp()
{
    Vrm_zel00000::Initialization();
    devices = std::make_shared<RecordingPeripherals>();
    setPeripherals(devices);

    QList<FieldDef> saleFields;
    for (const char* name : {"QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "VRTXSERVICO", "VRCONSUMAMIN",
                             "VRDESCOMANDA"})
        saleFields.append(FieldDef{name, FieldType::Float, 0, {}, {}, true});
    saleFields.prepend(FieldDef{"NMPRODUTO", FieldType::String, 40, {}, {}, true});
    venda.setFieldDefs(saleFields);
    venda.createDataSet();

    clientes.setFieldDefs({FieldDef{"CDCLIENTE", FieldType::String, 21, {}, {}, true}});
    clientes.createDataSet();
    consumidores.setFieldDefs({FieldDef{"CDCONSUMIDOR", FieldType::String, 21, {}, {}, true}});
    consumidores.createDataSet();
    aliquotas.setFieldDefs({FieldDef{"CDALIQIMPFIS", FieldType::String, 10, {}, {}, true},
                            FieldDef{"VRALIQIMPFIS", FieldType::Float, 0, {}, {}, true},
                            FieldDef{"IDALIQIMPFIS", FieldType::String, 1, {}, {}, true}});
    aliquotas.createDataSet();
    tipos.setFieldDefs({FieldDef{"CDTIPORECE", FieldType::String, 3, {}, {}, true}});
    tipos.createDataSet();
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
    return Recebimento(venda, movimentos, nrVenda, clientes, consumidores, aliquotas, tipos, idTipoSis,
                       QString(), figura, QStringLiteral("1"));
}

} // namespace zel::test
