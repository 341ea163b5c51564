#pragma once
// The explorer's ion flow panel: under a line's DC poles in corona, the
// nominal and the total field and the ion current at the ground across the
// profiles' range, with each pole's onset and current, as JSON for the page.

#include <string>

#include "engine/engine.hpp"

namespace explorer {

// At `count` points from `left` to `right` (the file's units) at the
// ground: x, e_nominal and e_total (kV/m), j (nA/m2); the poles (name, kV,
// onset voltage kV, current mA/km, corona); the notes and warnings. For a
// section without a DC pole at a voltage: {"dc":false}. Throws
// brenlow::Error for a roughness the engine refuses and for a count
// outside 2 to 1000.
std::string ion_flow_json(const brenlow::CrossSection& section, double roughness, double left, double right,
                          int count);

}  // namespace explorer
