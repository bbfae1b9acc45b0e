#pragma once

#include <QString>

namespace zel {

// The shared dialogs' own texts (titles, captions, hints, warnings), read by key from one
// catalogue.
QString dialogText(const char* key);

} // namespace zel
