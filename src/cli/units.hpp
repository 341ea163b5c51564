#pragma once
// The unit of the magnetic flux density a person reads. The print and DIF
// files hold gauss; tables, pictures and CSV files show uT for a line in
// metric units and mG for one in English units, unless --b-unit says
// otherwise. Every program takes the same names.

#include <optional>
#include <string_view>

namespace cli {

enum class BUnit { microtesla, milligauss, gauss };

// "uT", "mG" or "G", in any case ("µT" too); none for anything else.
std::optional<BUnit> parse_b_unit(std::string_view text);
// "uT", "mG", "G".
std::string_view b_unit_label(BUnit b);
// How many of the unit make one gauss: 100, 1000, 1.
double per_gauss(BUnit b);
// The unit a line's own units call for: mG for English units, uT for metric.
inline BUnit default_b_unit(bool english) { return english ? BUnit::milligauss : BUnit::microtesla; }

}  // namespace cli
