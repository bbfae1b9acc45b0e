#pragma once

#include "text/Messages.h"

namespace zel {

// The receipt form's message catalogue, as the form's design holds it.
TMessages receiptMessages();

} // namespace zel
