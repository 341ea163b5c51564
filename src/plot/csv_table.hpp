#pragma once
// The combined table as CSV: a header row naming each column with its
// unit, then one row per lateral point with values that read back to the
// same 32-bit floats.

#include <string>

#include "plot/profile.hpp"

namespace plot {

std::string write_csv(const Profile& profile, bool feet);

}  // namespace plot
