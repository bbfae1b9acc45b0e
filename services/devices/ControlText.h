#pragma once

#include "DevicesExport.h"

#include <QString>

namespace zel {

// The text with its control characters named, for logs and call records: ESC shows as
// "<ESC>", line feed "<LF>", form feed "<FF>", carriage return "<CR>", NUL "<NUL>", any
// other character below 32 (and DEL) as "<0xNN>".
ZEL_DEVICES_EXPORT QString showControlChars(const QString& text);

// A control character: C0 (below 32), DEL (127) or C1 (128 to 159). A device takes these as
// commands (ESC starts one on most printers), so text from outside carries none.
ZEL_DEVICES_EXPORT bool isControlChar(QChar c);

// The text without its control characters, except those in `keep` (what the device's own
// protocol needs, as FF that clears the customer display). Everything else stays as it is.
ZEL_DEVICES_EXPORT QString printableText(const QString& text, QStringView keep = {});

} // namespace zel
