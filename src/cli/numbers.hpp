#pragma once
// Numbers on the command line and in the tables the programs write.

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// The whole text as a finite number ("12", "+1.5", "-3e2"); none for
// anything else (blanks, trailing characters, "inf", "nan", out of range).
std::optional<double> parse_real(std::string_view text);

// The shortest decimal text that reads back to exactly this float; "NaN",
// "Infinity" and "-Infinity" for the values that are not numbers.
std::string round_trip_text(float value);

}  // namespace cli
