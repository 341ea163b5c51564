#pragma once
// The combined table as CSV: a header row naming each column with its
// unit, then one row per lateral point with values that read back to the
// same 32-bit floats (B converted from the DIF file's gauss to `b` first);
// a value not computed (is_gap) is an empty cell.

#include <string>

#include "cli/units.hpp"
#include "plot/profile.hpp"

namespace plot {

// `distance_unit`: "m", "ft", or empty when the data file's unit is not known.
std::string write_csv(const Profile& profile, const std::string& distance_unit, cli::BUnit b);

}  // namespace plot
