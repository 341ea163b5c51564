#pragma once
// The explorer's span panel: the session's cross section hung in sagging
// level spans, E or B at 1 m over the ground around the middle span, as
// JSON for the page.

#include <string>

#include "engine/engine.hpp"

namespace explorer {

// E (kV/m) or B (uT) on a grid of `columns` positions along the line, from
// a tenth of a span before the first tower to a tenth beyond the second,
// by `rows` lateral positions, 30 m beyond the outermost groups; 3 spans of
// `length`, every group hanging by `sag` (both in the file's units). Also
// the largest value on the grid and the cross section's largest over the
// same lateral positions. Throws brenlow::Error for spans the engine
// refuses and for a grid outside 2 to 400 either way.
std::string span_json(const brenlow::CrossSection& section, double length, double sag, bool magnetic, int columns,
                      int rows);

}  // namespace explorer
