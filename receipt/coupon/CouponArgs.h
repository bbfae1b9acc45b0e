#pragma once

#include "dataset/DataPacket.h"
#include "text/Messages.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zel {

class DataSet;

// The values the fiscal coupon takes from the sale and the receipt, and the arguments it
// builds from them for the fiscal printer. No widget and no device here: the receipt form
// reads its datasets into these, sends the arguments and writes the results back.

// One sale line as the coupon reads it.
struct CouponLine
{
    bool naoFiscal = false; // IDPRODIMPFIS "S": left off the coupon, not counted as an item
    QString tipoImposto;    // IDTPIMPOSFIS as the host sent it
    double pcAliquota = 0;  // VRPEALIMPFIS, percent
    QString cdProduto;      // CDARVPROD
    QString nmProduto;      // NMPRODUTO
    double quantidade = 0;  // QTPRODCOMVEN
    double preco = 0;       // VRPRECCOMVEN
    double desconto = 0;    // VRDESCCOMVEN, for the whole line
};

// The fields of a sale line the coupon reads, and VRDESCOMANDA, which it writes.
const QStringList& couponLineFields();
// The fields of the aliquot table the coupon reads.
const QStringList& aliquotFields();
// The first of `wanted` that `fields` lacks (names match without case); empty when none is.
QString missingField(const QList<FieldDef>& fields, const QStringList& wanted);
// The current row of the sale dataset (which has every field of couponLineFields()).
CouponLine readCouponLine(DataSet& venda);

// Where a line's tax code is looked up in the aliquot table: its tax kind ("N" when empty)
// and rate (0 for the kinds "N", "F" and "I", which carry no rate).
struct AliquotKey
{
    QString kind;
    double rate = 0;
};
AliquotKey aliquotKey(const CouponLine& line);

// The discount per unit sent with an item: the line discount shared over a quantity above 1;
// a quantity of 1 or less carries the whole line discount. Not cut: the printer multiplies
// it back by the quantity and rounds the item's discount to the cent.
double unitDiscount(double quantidade, double desconto);

// The receipt's values that close the coupon besides its amounts (which come from the ledger's
// coupon plan).
struct CouponSale
{
    QString usaTef;            // "S": cards go through TEF
    bool confirmaAuto = false; // a card was paid in this receipt
    QString formaPagto;
    bool consumidorInf = false;
    QString nrInsJurClie;
    QString nmFantClie;
    QString cdConsumidor;
    QString nmConsumidor;
    QString cnpjCpf;
    QString nome;
};

// The text and flag arguments of FechaCupom, in its order; the two datasets and the coupon
// number travel beside them. The amounts and the voucher flag are the plan's.
struct FechaCupomArgs
{
    bool emiteContraVale = false;
    bool semCartaoTef = true;
    double vrDesconto = 0;
    double vrTroco = 0;
    double vrServico = 0;
    QString usaTef;
    bool confirmaAuto = false;
    QString formaPagto;
    QString linhaCliente;
    QString cdConsumidor;
    QString nmConsumidor;
    QString cnpjCpf;
    QString nome;
};

FechaCupomArgs fechaCupomArgs(const CouponSale& sale);

// The digits of the Contra-Vale number: the closed coupon's number plus one. Nothing when
// the coupon number is not a decimal integer (optional blanks around digits).
std::optional<QString> voucherDigits(const QString& nrCupom);

// Texts of the coupon's dialogs, from the receipt form's catalogue.
QString itemErrorQuestion(const TMessages& messages, const CouponLine& line);
QString aliquotMissingText(const TMessages& messages, const CouponLine& line, const AliquotKey& key);
QString voucherNumberMissingText(const TMessages& messages, const QString& nrCupom);
QString saleFieldMissingText(const TMessages& messages, const QString& field);
QString aliquotFieldMissingText(const TMessages& messages, const QString& field);

} // namespace zel
