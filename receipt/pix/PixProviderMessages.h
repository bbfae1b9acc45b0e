#pragma once

#include "text/Messages.h"

namespace zel::pix {

// The texts of the exchange with the Pix provider (its API, its client and the settings that
// name it), by key. Texts with %1, %2... take the values the key's use names.
const TMessages& pixProviderMessages();

// pixProviderMessages().Msg(key), for short.
QString pixProviderText(const char* key);

} // namespace zel::pix
