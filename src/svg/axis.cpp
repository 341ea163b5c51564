#include "svg/axis.hpp"

#include <algorithm>
#include <cmath>

#include "svg/number.hpp"

namespace svg {

namespace {

// Largest step count kept; guards against a degenerate range.
constexpr int most_ticks = 60;

// Below this magnitude a step would lose its precision (or be no step at
// all, 0 or a denormal), and its digits would not fit a label.
constexpr double smallest_magnitude = 1e-200;

double nice_step(double raw) {
  double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double norm = raw / magnitude;
  double factor = norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10;
  return factor * magnitude;
}

}  // namespace

Axis empty_axis() { return Axis{}; }

bool drawable(double min, double max) {
  return std::isfinite(min) && std::isfinite(max) && min <= max && std::isfinite(max - min);
}

Axis nice_axis(double min, double max, int target) {
  if (!drawable(min, max)) return empty_axis();
  target = std::max(target, 1);
  double magnitude = std::max(std::fabs(min), std::fabs(max));
  if (max - min <= magnitude * 1e-6 || magnitude < smallest_magnitude) {
    // One value, or values equal to float precision: a band around them.
    // Values all next to nothing are shown as nothing.
    double pad = magnitude < smallest_magnitude ? 1 : magnitude * 0.1;
    min -= pad;
    max += pad;
    if (!drawable(min, max)) return empty_axis();
  }
  Axis axis;
  axis.has_data = true;
  axis.step = nice_step((max - min) / target);
  // A value within rounding of a tick is on it; the tick then stands at the
  // value, never a rounding inside it (a step a hair above its decimal
  // value, as some math libraries' powers of ten give, would put it there).
  axis.lo = std::min(std::floor(min / axis.step + 1e-9) * axis.step, min);
  axis.hi = std::max(std::ceil(max / axis.step - 1e-9) * axis.step, max);
  if (!(std::isfinite(axis.lo) && std::isfinite(axis.hi)) || (axis.hi - axis.lo) / axis.step > most_ticks) {
    // The extreme ends of the double range: plain bounds, no rounding.
    axis.lo = min;
    axis.hi = max;
    axis.step = (max - min) / target;
  }
  axis.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(axis.step) + 1e-9)));
  return axis;
}

std::vector<double> Axis::ticks() const {
  std::vector<double> out;
  if (!(step > 0)) return out;
  long count = std::lround((hi - lo) / step);
  if (count < 0 || count > most_ticks) return {lo, hi};
  // Ticks are whole multiples of the step, computed as such so that no sum
  // of steps drifts off a round value; on a range whose ends are not
  // multiples (a map cut to its grid) the ticks stand at the multiples
  // inside it, never at the ends plus steps (-76, -56, ...).
  const double first = std::ceil(lo / step - 1e-6);
  const double last = std::floor(hi / step + 1e-6);
  if (!(first <= last) || last - first > most_ticks) {
    // Not one multiple inside (or the extreme ends of the double range):
    // the plain ends and the steps between them.
    for (long k = 0; k <= count; ++k) out.push_back(lo + static_cast<double>(k) * step);
    return out;
  }
  for (double k = first; k <= last; ++k) {
    const double v = k * step;
    out.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
  }
  return out;
}

std::string Axis::label(double value, int extra) const { return fixed(value, decimals + extra); }

}  // namespace svg
