#pragma once
// The combined table as CSV: a header row naming each column with its
// unit, then one row per lateral point with values that read back to the
// same 32-bit floats.

#include <string>

#include "plot/profile.hpp"

namespace plot {

std::string write_csv(const Profile& profile, bool feet);

// The shortest decimal text that reads back to exactly this float; "NaN",
// "Infinity" and "-Infinity" for the values that are not numbers.
std::string round_trip_text(float value);

}  // namespace plot
