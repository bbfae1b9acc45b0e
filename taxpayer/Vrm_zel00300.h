#pragma once

// The taxpayer-id unit: its form returns its answers through CriaInfAdicional only.
namespace Vrm_zel00300 {
void Initialization();
void Finalization();
} // namespace Vrm_zel00300
