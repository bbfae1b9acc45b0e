#pragma once

#include "text/Messages.h"

namespace zel {

// The receipt form's message catalogue, as the form's design holds it, and the texts of the
// refusals of a receipt that cannot open ("%1" marks where the field, line or value goes).
TMessages receiptMessages();

} // namespace zel
