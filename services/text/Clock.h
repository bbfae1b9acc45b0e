#pragma once

#include <QDate>
#include <QDateTime>

namespace zel {

// The module's clock: every "now" and "today" the module records or compares comes from here
// (the system clock, unless a test set the time, ClockForTests.h).
QDateTime now();
QDate today();

} // namespace zel
