#pragma once

#include "Messages.h"

namespace zel {

// The texts the amount and number routines give operators, in Portuguese.
const TMessages& textCatalogue();

inline QString textMessage(const QString& key)
{
    return textCatalogue().Msg(key);
}

} // namespace zel
