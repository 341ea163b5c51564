#pragma once
// The explorer's span panel: the session's cross section hung in sagging
// level spans, E or B at 1 m over the ground around the middle span, as
// JSON for the page.

#include <cstddef>
#include <memory>
#include <string>

#include "engine/engine.hpp"

namespace explorer {

// E (kV/m) or B (uT) on a grid of `columns` positions along the line, from
// a tenth of a span before the first tower to a tenth beyond the second,
// by `rows` lateral positions, 30 m beyond the outermost groups; 3 spans of
// `length`, every group hanging by `sag` (both in the file's units). Also
// the largest value on the grid and the cross section's largest over the
// same lateral positions. A value that cannot be computed is null, and
// "missing" counts them. Throws brenlow::Error for spans the engine
// refuses and for a grid outside 2 to 400 either way.
std::string span_json(const brenlow::CrossSection& section, double length, double sag, bool magnetic, int columns,
                      int rows);

// The unknown charges the solve of those spans takes (its time grows as
// their cube), found without solving; throws brenlow::Error as span_json.
std::size_t span_unknowns(const brenlow::CrossSection& section, double length, double sag);

// span_json for one line after another, the last solve kept: a map of the
// other quantity, or on another grid, of the same line and spans is only
// evaluated, not solved again.
class SpanMaps {
 public:
  std::string json(const brenlow::CrossSection& section, double length, double sag, bool magnetic, int columns,
                   int rows);

 private:
  std::string key_;  // the line and spans solved
  std::unique_ptr<brenlow::SpanEvaluation> run_;
};

}  // namespace explorer
