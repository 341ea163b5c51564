#pragma once
// Numbers as SVG text: tick labels with a chosen number of decimals, and
// coordinates in user units.

#include <string>

namespace svg {

// The value rounded to a fixed number of decimals, never "-0"; E-form far
// from ordinary magnitudes; "NaN", "Infinity", "-Infinity" for the rest.
std::string fixed(double value, int decimals);

// A coordinate or length in user units: one decimal.
inline std::string num(double value) { return fixed(value, 1); }

}  // namespace svg
