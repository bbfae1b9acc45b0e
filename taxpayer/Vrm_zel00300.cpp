#include "Vrm_zel00300.h"

#include "zel/Pkg_zel.h"

namespace Vrm_zel00300 {
void Initialization() {}
void Finalization() {}
} // namespace Vrm_zel00300

// The taxpayer-id form comes with taxpayer identification; until then no number is taken
// and the name comes back empty, as after a cancellation.
QString CriaInfAdicional(QString& nome)
{
    nome.clear();
    return QString();
}
