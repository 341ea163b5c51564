#include "svg/number.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace svg {

std::string fixed(double value, int decimals) {
  if (!std::isfinite(value)) return value != value ? "NaN" : value > 0 ? "Infinity" : "-Infinity";
  char buffer[400];
  double magnitude = std::fabs(value);
  if (decimals > 9 || (magnitude >= 1e9 && magnitude == magnitude)) {
    // Far from ordinary magnitudes: E-form with enough digits.
    std::snprintf(buffer, sizeof buffer, "%.4g", value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.*f", std::max(decimals, 0), value);
  }
  std::string text = buffer;
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace svg
