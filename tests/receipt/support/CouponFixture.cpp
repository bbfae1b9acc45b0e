#include "CouponFixture.h"

#include "devices/Peripherals.h"
#include "receipt/form/Vrm_zel00000.h"

namespace zel::test {

void CouponFixture::SetUp()
{
    Vrm_zel00000::StnrVenda = "12";
    form = std::make_unique<TfrmRecebimento>();
    DataPacket sale;
    for (const char* f : {"CDARVPROD", "NMPRODUTO", "IDPRODIMPFIS", "IDTPIMPOSFIS"})
        sale.fields << FieldDef(f);
    for (const char* f : {"VRPEALIMPFIS", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "VRDESCOMANDA"})
        sale.fields << FieldDef(f, FieldType::Float);
    form->cdsVendaOk.setData(sale);
    DataPacket aliq;
    aliq.fields = {FieldDef("CDALIQIMPFIS"), FieldDef("VRALIQIMPFIS", FieldType::Float),
                   FieldDef("IDALIQIMPFIS")};
    aliq.rows = {Row{"NN", 0.0, "N"}, Row{"FF", 0.0, "F"}, Row{"II", 0.0, "I"}, Row{"T18", 18.0, "T"}};
    form->cdsAliqImpFis.setData(aliq);
    DataPacket tipos;
    tipos.fields = {FieldDef("CDTIPORECE"), FieldDef("IDTIPORECE"), FieldDef("NMTIPORECE"),
                    FieldDef("CDFPIMPFIS")};
    tipos.rows = {Row{"004", "4", "DINHEIRO", "01"}, Row{"005", "5", "TICKET", "02"},
                  Row{"001", "1", "CREDITO", "03"}, Row{"002", "2", "DEBITO", "04"}};
    form->cdsReceb.setData(tipos);
}

void CouponFixture::TearDown()
{
    form.reset();
    setPeripherals(nullptr);
    Vrm_zel00000::StnrVenda.clear();
}

void CouponFixture::line(const QString& cd, const QString& kind, double qt, double preco, double desc,
                         const QString& naoFiscal, double pc)
{
    DataSet& v = form->cdsVendaOk;
    v.append();
    v.fieldByName("CDARVPROD").setString(cd);
    v.fieldByName("NMPRODUTO").setString("Produto " + cd);
    v.fieldByName("IDPRODIMPFIS").setString(naoFiscal);
    v.fieldByName("IDTPIMPOSFIS").setString(kind);
    v.fieldByName("VRPEALIMPFIS").setFloat(pc);
    v.fieldByName("QTPRODCOMVEN").setFloat(qt);
    v.fieldByName("VRPRECCOMVEN").setFloat(preco);
    v.fieldByName("VRDESCCOMVEN").setFloat(desc);
    v.post();
    form->session().readSaleLines();
}

void CouponFixture::threeItems()
{
    for (const char* cd : {"001", "002", "003"})
        line(cd, "T", 1, 10);
}

void CouponFixture::movement(const QString& tipoMov, const QString& code, double value)
{
    DataSet& m = form->cdsMovCaixa;
    m.append();
    m.fieldByName("IDTIPOMOVIVE").setString(tipoMov);
    m.fieldByName("CDTIPORECE").setString(code);
    m.fieldByName("VRMOVIVEND").setFloat(value);
    DataSet& tipos = form->cdsReceb;
    if (tipos.locate("CDTIPORECE", {code}))
        m.fieldByName("NMTIPORECE").setString(tipos.fieldByName("NMTIPORECE").asString());
    m.post();
}

void CouponFixture::charges(double servico, double consumacao, double descComanda, double desconto)
{
    form->session().ledger().setCharges(toCents(servico), toCents(consumacao), toCents(descComanda));
    form->session().ledger().setDiscount(toCents(desconto));
    form->session().sync();
}

bool CouponFixture::print()
{
    if (form->cdsMovCaixa.isEmpty()) {
        form->session().sync();
        movement("E", "004", fromCents(form->session().ledger().net()));
        form->cdsMovCaixa.edit();
        form->cdsMovCaixa.fieldByName("CDTIPOTROCO").setString("004");
        form->cdsMovCaixa.post();
    }
    return form->ImprimeCupom();
}

QStringList CouponFixture::saleColumn(const QString& field)
{
    QStringList out;
    const int i = form->cdsVendaOk.fieldIndex(field);
    for (const Row& r : form->cdsVendaOk.data().rows)
        out << r.value(i).toString();
    return out;
}

} // namespace zel::test
