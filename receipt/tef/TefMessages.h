#pragma once

#include "text/Messages.h"

namespace zel {

// The texts the card exchange shows the operator, by key. Texts with %1, %2... take the
// values the key's use names (file names, reasons, a number of seconds).
const TMessages& tefMessages();

// tefMessages().Msg(key), for short.
QString tefText(const char* key);

} // namespace zel
