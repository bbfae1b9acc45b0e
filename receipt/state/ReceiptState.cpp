#include "ReceiptState.h"

#include "receipt/payment/ReceiptMessages.h"

namespace zel {

namespace {

FieldDef str(const char* name, int size)
{
    return FieldDef{QString::fromLatin1(name), FieldType::String, size, {}, {}, true};
}

FieldDef num(const char* name, FieldType type = FieldType::Float)
{
    return FieldDef{QString::fromLatin1(name), type, 0, {}, {}, true};
}

} // namespace

// The tables the receipt makes itself, with their fields and indexes; the others come from
// the host with the sale.
ReceiptState::ReceiptState() : msgPadrao(receiptMessages())
{
    cdsMovCaixa.setFieldDefs({str("CDFILIAL", 4), str("NRSEQUMOVI", 10), str("IDTIPOMOVIVE", 1),
                              str("DSMOVIVEND", 250), str("NRSEQVENDA", 10), str("CDTIPORECE", 3),
                              num("DTHRINCMOV", FieldType::DateTime), num("DTDEPCHEQUE", FieldType::DateTime),
                              str("NRCONTRAVALE", 10), str("CDTIPOTROCO", 3),
                              FieldDef{"VRMOVIVEND", FieldType::Float, 0, "Valor", "#,##0.00", true},
                              FieldDef{"NMTIPORECE", FieldType::String, 40, "Recebimento", {}, true},
                              str("NRORDTROCO", 3), str("CDCLIENTE", 21), str("CDCONSUMIDOR", 21),
                              num("DTMOVIMCAIXA", FieldType::Date), num("VRMOVIVEOUT"), num("VRCOTINDOUT"),
                              // Cheque fields: wide enough for what the cheque form accepts.
                              str("CDAGECHEQVEN", 6), str("CDBANCHEQVEN", 3), str("CDCNTCHEQVEN", 17),
                              num("DTDEPCHEQVEN", FieldType::DateTime), str("NRCHEQUEVEND", 7)});
    // A grid of the movements shows the value and the payment type, under the labels the
    // movement table gives them; every other field is for the host and the coupon.
    for (const FieldDef& field : cdsMovCaixa.fieldDefs())
        cdsMovCaixa.setFieldVisible(field.name, field.name == QLatin1String("VRMOVIVEND") ||
                                                    field.name == QLatin1String("NMTIPORECE"));
    cdsMovCaixa.addIndex({"idxNRORDTROCO", {"NRORDTROCO", "DTHRINCMOV"}, {"DTHRINCMOV"}, true, false});
    cdsMovCaixa.addIndex({"idxDTHRINCMOV", {"DTHRINCMOV"}, {}, false, false});
    cdsMovCaixa.setIndexName("idxNRORDTROCO");
    cdsMovCaixa.createDataSet(); // open and empty: the payments of this receipt go here

    cdsDesconto.setFieldDefs({str("TIPO", 1), num("VALOR")});
    cdsParcelas.setFieldDefs({num("VALOR"), num("COD", FieldType::Integer)});
    cdsParcelas.addIndex({"idxCOD", {"COD"}, {}, false, false});
    cdsParcelas.setIndexName("idxCOD");
}

} // namespace zel
