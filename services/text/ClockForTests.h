#pragma once

// Only for tests and the demo's scripted runs: not part of what a host uses.

#include <QDateTime>

namespace zel::clockfortests {

// From now on the module's clock reads `fixed` (an invalid time: the system clock again).
void set(const QDateTime& fixed);

} // namespace zel::clockfortests
