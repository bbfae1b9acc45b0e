#pragma once

#include "receipt/payment/InputStep.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace zel {

class DataSet;
class TMessages;

// Payment kinds (IDTIPORECE of a payment type).
namespace kind {
inline const QString credito = QStringLiteral("1");
inline const QString debito = QStringLiteral("2");
inline const QString cheque = QStringLiteral("3");
inline const QString dinheiro = QStringLiteral("4");
inline const QString ticket = QStringLiteral("5");
inline const QString moeda = QStringLiteral("6");
inline const QString ticket2 = QStringLiteral("7");
inline const QString conta = QStringLiteral("8");
// Pix: charged through the Pix provider (or a static code the operator confirms); the amount
// prompt proposes what is due and takes no more.
inline const QString pix = QStringLiteral("P");
} // namespace kind

// The input step of the amount prompt of a kind; isNone for the kinds that ask no amount
// (foreign currency has its own two steps, client account asks for the consumer).
TInputStep amountStepOfKind(const QString& idTipoRece);

// Card kinds: the on-screen digit keys are locked during their prompt and the TEF letter is
// "C" (credit) or "D" (debit).
bool isCardKind(const QString& idTipoRece);
QString tefLetterOfKind(const QString& idTipoRece);

// A cheque's own fields on its payment row.
struct ChequeData
{
    QString agencia;
    QString banco;
    QString conta;
    QString numero;
    QDate data;
};

// One payment row ("E") of the movement dataset.
struct PaymentMovement
{
    QString cdFilial;
    QString cdTipoRece;
    QString cdTipoTroco;
    QString nrOrdTroco;
    QString nmTipoRece;
    QString cdCliente;
    QString cdConsumidor;
    double valor = 0;                  // local currency, already cut to cents
    QDateTime dtHrIncMov;              // when it was taken
    QDate dtMovimCaixa;                // the day it counts on
    std::optional<double> vrMoviveOut; // foreign currency: the amount in that currency
    std::optional<double> vrCotIndOut; // foreign currency: the quote
    QString dsMoviVend;                // Pix: "PIX <txid> <end-to-end id>", what identifies it
    std::optional<ChequeData> cheque;  // a cheque typed on the cheque form
};

// Deletes the row with that bookmark, whatever the table's filter; false when it is gone (or the
// table is closed, or the bookmark is 0).
bool removeRow(DataSet& table, qint64 bookmark);

// The day a movement counts on: the fiscal movement date when the printer gave one, else the
// day it was taken.
QDate movementDate(const QDateTime& dtMovFiscal, const QDateTime& taken);

// Appends and posts the row. The fields left out (sequence numbers, voucher number) stay
// empty; the description only for a Pix payment, the cheque fields only for a cheque.
void appendMovement(DataSet& movements, const PaymentMovement& movement);

// A foreign-currency payment: the foreign amount received is `typed` cut to cents, and it is
// worth that amount times `quote`, cut to cents, in local currency. The movement records the
// amount received as it went into the drawer, never one worked back from the local value.
struct ForeignPayment
{
    double valor = 0;       // local currency (VRMOVIVEND)
    double vrMoviveOut = 0; // the foreign amount received (VRMOVIVEOUT)
};
ForeignPayment foreignPayment(double typed, double quote);

// A quote may be used only when it is above zero (the amount proposed divides by it) and no
// larger than the largest amount of a receipt (AmountLimit.h).
bool isUsableQuote(double quote);

// The keyboard display's two lines after a payment: the title and the total, then what was paid
// and what is still due, each amount whole and right-aligned in its half of the 40 columns.
QStringList keyboardSummary(const TMessages& messages, double total, double pago, double aPagar);
inline constexpr int kKeyboardColumns = 40;

// One line of the customer display: the caption, a blank, and the amount in fixed format
// right-aligned in the rest of the display's width.
QString customerDisplayLine(const QString& caption, double value, int displayWidth);

} // namespace zel
