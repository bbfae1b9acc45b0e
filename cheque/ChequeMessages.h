#pragma once

#include "text/Messages.h"

namespace zel {

// The texts the cheque form asks for that the receipt form's catalogue does not hold: the
// instalment titles, the confirmation's checks and questions, and the refusal to open without
// a receipt. The form looks a key up in the receipt's catalogue first and here after it, so a
// text the receipt's catalogue gives wins.
TMessages chequeMessages();

} // namespace zel
