#include "PaymentTypes.h"

namespace zel::test {

QList<FieldDef> saleFields()
{
    QList<FieldDef> fields;
    for (const char* name : {"CDARVPROD", "NMPRODUTO", "IDPRODIMPFIS", "IDTPIMPOSFIS"})
        fields.append(FieldDef{name, FieldType::String, 40, {}, {}, true});
    for (const char* name : {"VRPEALIMPFIS", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN", "VRTXSERVICO",
                             "VRCONSUMAMIN", "VRDESCOMANDA"})
        fields.append(FieldDef{name, FieldType::Float, 0, {}, {}, true});
    return fields;
}

void definePaymentTypes(DataSet& tipos)
{
    tipos.close();
    QList<FieldDef> fields;
    const std::pair<const char*, int> strings[] = {
        {"CDFILIAL", 4},      {"CDTIPORECE", 3},   {"NMTIPORECE", 40},    {"CDTIPOTROCO", 3},
        {"NRORDTROCO", 3},    {"IDEMIVALE", 1},    {"IDVALE", 1},         {"IDDEBCLIE", 1},
        {"CDFPIMPFIS", 10},   {"IDTIPORECE", 1},   {"CDTPINDICE", 1},     {"IDPERVALOR", 1},
        {"CDINDICE", 4},      {"NRCONFTELA", 5},   {"IDTPBUTTON", 1},     {"NRBUTTON", 5},
        {"NRPGCONFTELA", 2},  {"IDTPBUTONAUX", 1}, {"NRBUTTONAUX", 5},    {"NRPGCONFTAUX", 2},
        {"CDIDENTBUTON", 10}, {"DSBUTTON", 40},    {"DSMESSAGEBUT", 300}, {"DSIMAGEMBUT", 200}};
    for (const auto& [name, size] : strings)
        fields.append(FieldDef{name, FieldType::String, size, {}, {}, true});
    for (const char* name : {"VRTAXAADMI", "VRMINCARTAO", "NRCOLORTEXT", "NRCOLORBACK"})
        fields.append(FieldDef{name, FieldType::Float, 0, {}, {}, true});
    tipos.setFieldDefs(fields);
    tipos.createDataSet();
}

void addTipo(DataSet& tipos, const TipoRow& row)
{
    tipos.append();
    tipos.fieldByName("CDFILIAL").setString("0001");
    tipos.fieldByName("CDTIPORECE").setString(row.cd);
    tipos.fieldByName("NMTIPORECE").setString(row.nome);
    tipos.fieldByName("IDTIPORECE").setString(row.idTipo);
    tipos.fieldByName("IDTPBUTTON").setString(row.tpButton);
    tipos.fieldByName("NRBUTTON").setString(row.nrButton);
    tipos.fieldByName("NRBUTTONAUX").setString(row.grupo);
    tipos.fieldByName("NRPGCONFTELA").setString(row.pagina);
    tipos.fieldByName("DSBUTTON").setString(row.caption);
    if (row.back.isValid())
        tipos.fieldByName("NRCOLORBACK").setFloat(row.back.toDouble());
    if (row.text.isValid())
        tipos.fieldByName("NRCOLORTEXT").setFloat(row.text.toDouble());
    tipos.fieldByName("DSIMAGEMBUT").setString(row.imagem);
    tipos.fieldByName("CDFPIMPFIS").setString(row.cdfp);
    tipos.post();
}

void addGrupo(DataSet& tipos, const QString& nrButton, const QString& caption, const QVariant& back,
              const QVariant& text, const QString& imagem)
{
    TipoRow row;
    row.cd = QString();
    row.nome = caption;
    row.idTipo = QString();
    row.tpButton = QStringLiteral("6");
    row.nrButton = nrButton;
    row.grupo = QString();
    row.pagina = QString();
    row.caption = caption;
    row.back = back;
    row.text = text;
    row.imagem = imagem;
    row.cdfp = QString();
    addTipo(tipos, row);
}

} // namespace zel::test
