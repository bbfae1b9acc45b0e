#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace zel {

class DataSet;
class TMessages;

// The change of a receipt and the closing of a payment entry, without widgets: the form reads
// its state and its movement rows into these values, and writes back what they decide.

// One payment row of the movement dataset as the change step sees it, in the order of the
// movement dataset's active index.
struct ChangeRow
{
    QString cdTipoRece;
    QString cdTipoTroco; // the payment type in which this payment gives change; empty: none
    double valor = 0;
    bool fixo = false; // charged on a card through the TEF manager: never lowered here
};

// The first row that may give `troco`: it names a change type and is worth at least the change.
std::optional<int> rowGivingChange(const QList<ChangeRow>& rows, double troco);

// "Take the sale value": the change is taken off the payments that give none, first row first.
// A row worth more than what is left of the change is lowered by it; a row worth as much or
// less is removed and its value taken off the change. Rows that give change, and card rows the
// TEF manager charged, are passed over.
struct Reduction
{
    // One per row, in order: the row's new value, or nothing when it goes.
    QList<std::optional<double>> values;
    double resto = 0; // the change still to give
};
Reduction takeSaleValue(const QList<ChangeRow>& rows, double troco);

// The largest change, as a percentage of the ticket payments (the rule itself: changeInCash in
// Ledger.h). Off when the setting is empty.
struct ChangeLimit
{
    bool on = false;
    double percentual = 0;
    QString error; // the setting is not a number: the limit is off and this says why
};
ChangeLimit changeLimit(const QString& pcMaxTroco);

// The payment types of `rows` whose kind the payment-type file (`kinds`: CDTIPORECE →
// IDTIPORECE) does not give: not in the file, or with an empty kind. The largest-change rule
// cannot weigh their payments (one may be a ticket), so it is left out: the change stays in
// the giving payment's change type rather than turning into cash unannounced. Each type once,
// in the rows' order.
QStringList typesWithoutKind(const QHash<QString, QString>& kinds, const QList<ChangeRow>& rows);

// Change given in a ticket kind ("5", "7") is a Contra-Vale voucher.
bool isContraValeKind(const QString& idTipoRece);

// The caption of the amount-due label while it shows the change: "TROCO : " or
// "Contra-Vale : ".
QString changeCaption(const TMessages& messages, bool contraVale);

// The running-list lines of the change: an empty line, the change under its caption, and for a
// change type in foreign currency with a quote, the change in that currency, named by `moeda`
// (its index, "USD"; the type's name when empty).
QStringList changeListLines(const TMessages& messages, const QString& caption, double troco,
                            const QString& nmTipoTroco, double cotacao, const QString& moeda = QString());

// The change row ("S") of the movement dataset: the change in the change type, and for a
// change type in foreign currency with a quote (above 0), the change in that currency (cut to
// cents) and the quote. Change type, order and voucher number stay empty.
struct ChangeMovement
{
    QString cdFilial;
    QString cdTipoRece; // the change type
    QString nmTipoRece;
    QString cdCliente;
    QString cdConsumidor;
    double valor = 0;
    double cotacao = 0;
    QDateTime dtHrIncMov;
    QDate dtMovimCaixa;
};
void appendChangeMovement(DataSet& movements, const ChangeMovement& movement);

// `styleSheet` with its text colour set to `color` (a "color:" declaration replaced, or
// added); background and border colours stay.
QString withTextColor(const QString& styleSheet, const QString& color);

// Maroon, the colour of the change and its caption.
inline const QString kChangeColor = QStringLiteral("#800000");

} // namespace zel
