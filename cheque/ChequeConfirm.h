#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace zel {
class DataSet;
}

// The confirmation of a cheque apart from the form: the checks of the fields in their order,
// the reading of the cheque's date, and the rows a cheque leaves in the receipt's tables.
namespace zel::cheque {

// The cheque on screen, as its value labels hold it.
struct ChequeFields
{
    QString parcelas; // instalment count
    QString valor;    // "," as decimal separator
    QString agencia;
    QString banco;
    QString conta;
    QString cheque;
    QString data; // as shown: dd/mm/yy or dd/mm/yyyy
    QString verso;
};

// What the checks depend on beside the fields.
struct CheckContext
{
    bool primParcela = true; // the first cheque of the form: the instalment count is required
    bool imprime = false;    // the host asked for the cheque to be printed
    int idTipoImpFis = 0;
    int idTipoImpChq = 0;
    QDate today;
    qint64 paidCents = 0; // already paid in the receipt (a cheque this one replaces left out)
};

// The outcome of the checks: the catalogue key of the first that failed (empty when all
// passed), and what they read.
struct CheckResult
{
    QString erro;
    double valor = 0; // to the cent
    QDate data;
};

// The checks, in this order: instalment count on the first cheque ("ParcelaDeve"), value
// given ("ValorDeve"), a number ("ValorInv"), above zero ("ValorMaior"), branch
// ("AgenciaDeve"), bank ("BancoDeve"), account ("ContaDeve"), cheque number ("ChequeDeve"),
// a real date ("DtImpInv"), the back text when a fiscal printer of kind 4 is to take the
// cheque ("VersoInv"), a value the cheque printer's layout holds ("ValorImpMaior"), and a value
// within the largest amount of a receipt, for the cheque and for what it takes the amount paid
// to ("ValorAcimaLimite").
CheckResult checkCheque(const ChequeFields& fields, const CheckContext& context);

// The date shown as dd/mm/yy or dd/mm/yyyy. A two-digit year is a year of today's century
// (01/05/24 is 1 May 2024 in this century). A partial date, or one the calendar lacks
// (31/02/24), has none.
std::optional<QDate> chequeDate(const QString& shown, const QDate& today);

// A date more than a year before or after today: likely a mistyped year ("010190" read as
// 2090), to be confirmed by the operator. Post-dated cheques of a few months are usual.
bool dataDistante(const QDate& data, const QDate& today);

// The value to the nearest cent, as its two-decimal text reads back.
double aoCentavo(double valor);

// The amount still due after a cheque of `valor`, to the cent; below zero when the cheque
// pays more than is due.
double apagarDepois(double apagar, double valor);

// The cheque payment type of `cdsReceb`: its current row when that is a cheque type (the one
// the operator touched), else the first cheque type it shows; empty when it holds none.
QString chequeType(DataSet& cdsReceb);

// Appends the instalment row (COD 1, VALOR the cheque's value), opening the table when it
// is closed. Answers the row's bookmark.
qint64 gravaParcela(DataSet& cdsParcelas, double valor);

// Deletes the row with that bookmark, whatever the table's filter; false when it is gone.
bool apagaLinha(DataSet& table, qint64 bookmark);

} // namespace zel::cheque
