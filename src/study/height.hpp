#pragma once
// The height search: the smallest common raise of some groups for which
// every limit holds at every point.

#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "study/quantity.hpp"

namespace study {

class Progress;
class StopFlag;

struct Limit {
  Quantity quantity;
  float value;  // in the quantity's unit (B in the chosen unit)
};

struct HeightRequest {
  brenlow::CrossSection section;
  std::vector<int> groups;      // 0-based; empty: every group, earth wires too
  std::vector<Limit> limits;
  std::vector<float> at;        // lateral points, metres
  BUnit b = BUnit::microtesla;
  const StopFlag* stop = nullptr;  // ends the search early when requested
};

struct HeightResult {
  bool found = false;     // false: no raise up to the largest tried meets every limit
  bool stopped = false;   // Ctrl-C before the search ended
  long steps = 0;         // the raise in steps of the resolution
  float raise = 0;        // the raise in the data file's unit
  brenlow::CrossSection raised;               // as a data file written by the study holds it
  std::string file_text;                      // that data file
  std::string unwritable;                     // why no data file can hold the raised section (then
                                              // `raised` is the section as raised, unrounded)
  std::vector<std::vector<float>> before;     // [limit][point]
  std::vector<std::vector<float>> after;      // [limit][point], of `raised` (when found)
  long evaluations = 0;   // sections the search evaluated
};

// The resolution of a raise in the data file's unit: 1 cm, or 0.05 ft.
float raise_resolution(const LengthUnit& unit);
// The largest raise tried: 1,000 m.
inline constexpr float largest_raise_metres = 1000.0f;

// The section with the groups raised by `raise` (in the data file's unit).
brenlow::CrossSection raised(const brenlow::CrossSection& section, const std::vector<int>& groups, float raise);

// Scans upwards in steps of about a metre until every limit holds,
// then bisects the last step to the resolution (a field that first rises
// with height is still met at its smallest raise); a limit met already
// gives 0. The values reported are those of the section as written.
// Throws StudyError for a bad request.
HeightResult search_height(const HeightRequest& request, Progress* progress);

}  // namespace study
