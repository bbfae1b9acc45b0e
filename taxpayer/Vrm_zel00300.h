#pragma once

#include <QString>

// The taxpayer-id unit: its form returns its answers through CriaInfAdicional only.
namespace Vrm_zel00300 {
void Initialization();
void Finalization();

// The taxpayer identification form, modal: the number typed (empty when none) and, in `nome`,
// the name. Exported to hosts as CriaInfAdicional.
QString CriaInfAdicional(QString& nome);
} // namespace Vrm_zel00300
