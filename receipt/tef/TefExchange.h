#pragma once

#include "receipt/tef/IntPosCodec.h"

#include <QString>
#include <chrono>

class QLabel;

namespace zel {

class Peripherals;
class Dialogs;

// What an exchange with the TEF manager is handed by whoever starts it: the devices (the TEF
// folder's routines), the dialogs that show the manager's messages and the exchange's errors,
// and the label on the receipt's screen that says what is being waited for (none: nothing is
// shown there).
struct TefContext
{
    Peripherals& devices;
    Dialogs& dialogs;
    QLabel* waitLabel = nullptr; // lives as long as the receipt form, which outlives the exchange
};

// A card payment (letters "C" credit and "D" debit) or a cheque consultation ("Q") put to
// the TEF manager through the IntPos files of the TEF directory, on the installed
// peripheral services and dialogs. `amount` is already cut to cents and above 0; `nrCupom`
// is the receipt's coupon number, empty when it holds none.
//
// It checks that an exchange may start, that the directory serves the letter and that the
// manager is active (any of them false: false, nothing written or shown); writes the request
// whole (a temporary file renamed into place) and waits until the manager has taken it; then
// sleeps until the response arrives (a file-system watch on the response folder with a slow
// safety timer), while the screen keeps painting and the keypad keeps working. Neither Back
// nor Exit ends that wait: once the manager has the request, a card may be charged, and the
// answer must be read.
//
// Before the request is written, a response file left in place by an earlier exchange is
// moved aside: nothing there can answer a request the manager has not seen. During the wait
// every response is moved aside to a free name as it is read. Whose it is comes first, from
// the lines it holds so far (classifyTefResponse): one of another exchange, finished or not,
// is left aside and the wait goes on; a failure naming no exchange counts as this one's only
// once the manager has taken the request (the request file is gone, or the status file names
// this sequence). Then whether it is finished: trailing blanks and an end-of-file mark after
// the end line are allowed. This exchange's response still unfinished is read again when it
// changes; one that stays unfinished and unchanged for the stall period (tefStallPeriod) ends
// the exchange as failed, with an error dialog: nothing is recorded and nothing is confirmed,
// so the manager's approval, if any, is undone later. A file too large or not text is left
// aside with an error notice, and the wait goes on. The manager's message is shown (with OK,
// or as a notice while receipt lines are printed). An approval with receipt lines counts one
// more receipt to print (inContCuponsTEF) and keeps its files; other outcomes remove them.
//
// While it runs, the context's wait label (the receipt form's payment-type title) says that
// the module waits for the card manager, and tefExchangeRunning() is true: the form keeps Exit, Clear
// and Discount off and its Back does nothing.
//
// True when the payment may be recorded. A test build's time limit on waits (WaitTimeout)
// and a missing peripheral installation (PeripheralsMissing) leave as exceptions, for the
// form's error barrier.
// An approval fills `approval` (when given) with what undoing it needs.
bool ExecutaTEF(const TefContext& context, const QString& letter, double amount, const QString& nrCupom,
                TefApproval* approval = nullptr);

// How an undo of an approval ended.
enum class TefUndo {
    Undone,   // the manager says the approval is undone: the customer is not charged
    Refused,  // the manager answered that it cannot undo it: the charge stands
    NoAnswer, // no answer within tefUndoWait(): the charge may stand
};
struct TefUndoResult
{
    TefUndo outcome = TefUndo::NoAnswer;
    QString message; // the manager's message, or why there was no answer (catalogue text)
};

// Undoes an approval this till was given: "NCN" for a pending one, an administrative
// cancellation ("CNC", naming its amount and NSU) for one the manager took as final. The
// receipt form's title says what is being undone for as long as it waits, at most
// tefUndoWait(); a request the manager has not taken by then is withdrawn. On Undone the
// approval's files are removed. Failures are logged and kept for the host (LastError); the
// caller tells the operator.
TefUndoResult DesfazTEF(const TefContext& context, const TefApproval& approval);

// How long an undo waits for the manager: 20 s. Tests shorten it; returns the one it replaces.
std::chrono::milliseconds tefUndoWait();
std::chrono::milliseconds setTefUndoWait(std::chrono::milliseconds period);

// True from the start of ExecutaTEF to its return.
bool tefExchangeRunning();

// How long this exchange's own response may stay unfinished and unchanged before the
// exchange gives up on it: 10 s. Tests shorten it; returns the period it replaces.
std::chrono::milliseconds tefStallPeriod();
std::chrono::milliseconds setTefStallPeriod(std::chrono::milliseconds period);

} // namespace zel
