#pragma once

#include <QString>

namespace zel {

// The branch code stamped on new movements (CDFILIAL). The host sets it once at start-up;
// until then it is empty.
QString FiliProc();
void setFiliProc(const QString& branchCode);

} // namespace zel
