#pragma once

#include <QString>

namespace zel {

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
// Every response is moved aside to a free name as it is read. One that belongs to another
// exchange is left there and the wait goes on; one still being written is read again when it
// changes; one too large or not text is left aside with an error notice, and the wait goes
// on. The manager's message is shown (with OK, or as a notice while receipt lines are
// printed). An approval with receipt lines counts one more receipt to print
// (inContCuponsTEF) and keeps its files; other outcomes remove them.
//
// True when the payment may be recorded. A test build's time limit on waits (WaitTimeout)
// and a missing peripheral installation (PeripheralsMissing) leave as exceptions, for the
// form's error barrier.
bool ExecutaTEF(const QString& letter, double amount, const QString& nrCupom);

} // namespace zel
