#pragma once

#include "text/Messages.h"
#include "text/Result.h"

#include <initializer_list>

namespace zel::pix {

// The texts the Pix payment shows the operator, by key. Texts with %1, %2... take the values
// the key's use names (a field's name, a character, a position, a number of characters).
const TMessages& pixMessages();

// pixMessages().Msg(key), for short.
QString pixText(const char* key);

// An error value whose text is the catalogue's for `key` filled with `args`, and whose code is
// the key itself, so tests and logs can tell the errors apart without reading Portuguese.
Error pixError(const char* key, std::initializer_list<QString> args = {});

} // namespace zel::pix
