#pragma once
// E-TOTAL and J for the studies: the ion flow of a section with its default
// conditions, solved once per distinct section (a study asks many points
// of one section, and a height search a few sections many times).

#include "engine/engine.hpp"
#include "limits/quantity.hpp"

namespace limits {

// The total field (kV/m) or the magnitude of the ion current density
// (nA/m2) at the ground at lateral point x (metres); not-a-number for a
// section without a DC pole at a voltage. Safe from several threads.
float ion_flow_value(const brenlow::CrossSection& section, Quantity q, float x);

// True when the section has a DC pole at a voltage.
bool has_dc_pole(const brenlow::CrossSection& section);

}  // namespace limits
