#pragma once
// Axis ranges and tick marks at round values (steps of 1, 2 or 5 times a
// power of ten).

#include <string>
#include <vector>

namespace svg {

struct Axis {
  double lo = 0;
  double hi = 1;
  double step = 0.2;
  int decimals = 1;       // digits after the point in tick labels
  bool has_data = false;  // false: no value to show, a placeholder range

  std::vector<double> ticks() const;
  // A tick or value with the axis' precision plus `extra` digits.
  std::string label(double value, int extra = 0) const;
};

// The axis for values from `min` to `max` with about `target` intervals.
// A single value (or an almost flat set) gets a range around it; no values
// at all (has_data false) a placeholder range of 0 to 1.
// A range of values too wide for a picture (its span is not a finite
// double), or not finite at all, gets the placeholder; callers that must
// not show a placeholder check drawable() first.
Axis nice_axis(double min, double max, int target = 5);
bool drawable(double min, double max);
Axis empty_axis();

}  // namespace svg
