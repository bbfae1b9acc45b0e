#pragma once

#include "text/Messages.h"

namespace zel {

// The consumer form's message catalogue, as the form's design holds it.
TMessages consumerMessages();

} // namespace zel
