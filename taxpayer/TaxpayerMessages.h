#pragma once

#include "text/Messages.h"

namespace zel {

// The taxpayer-id form's message catalogue, as the form's design holds it.
TMessages taxpayerMessages();

} // namespace zel
