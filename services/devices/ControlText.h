#pragma once

#include "DevicesExport.h"

#include <QString>

namespace zel {

// The text with its control characters named, for logs and call records: ESC shows as
// "<ESC>", line feed "<LF>", form feed "<FF>", carriage return "<CR>", NUL "<NUL>", any
// other character below 32 (and DEL) as "<0xNN>".
ZEL_DEVICES_EXPORT QString showControlChars(const QString& text);

} // namespace zel
