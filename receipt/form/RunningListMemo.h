#pragma once

#include "receipt/payment/RunningList.h"

class QPlainTextEdit;

namespace zel {

// Appends one line to the memo: the first 35 characters of `text`. Line breaks inside the
// text become blanks, so one call is always one line of the list.
void Linha(QPlainTextEdit* memo, const QString& text);

} // namespace zel
