#include "FiliProc.h"

namespace zel {

namespace {
QString& branchCode()
{
    static QString code;
    return code;
}
} // namespace

QString FiliProc()
{
    return branchCode();
}

void setFiliProc(const QString& code)
{
    branchCode() = code;
}

} // namespace zel
