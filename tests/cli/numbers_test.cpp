// Numbers read from the command line and written to tables.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "cli/numbers.hpp"

namespace {

TEST(ParseReal, WholeFiniteNumbersOnly) {
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  const std::vector<Case> cases = {
      {"12", 12.0},     {"+1.5", 1.5},     {"-3e2", -300.0},  {"0", 0.0},       {".5", 0.5},
      {"", std::nullopt}, {"+", std::nullopt}, {"1.5m", std::nullopt}, {" 1", std::nullopt},
      {"1 ", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt},
      {"0x10", std::nullopt},  // "0" then "x10": not the whole text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(cli::parse_real(c.text), c.value);
  }
}

// The text reads back to the very same float, and is the shortest that does.
TEST(RoundTripText, ReadsBackToTheSameFloat) {
  const float tiny = std::numeric_limits<float>::denorm_min(), big = std::numeric_limits<float>::max();
  struct Case {
    float value;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0.0f, "0"},        {-0.0f, "-0"},          {0.1f, "0.1"},          {1.0f / 3.0f, "0.33333334"},
      {-12.5f, "-12.5"},  {16777216.0f, "16777216"}, {tiny, "1e-45"},     {big, "3.4028235e+38"},
      {std::numeric_limits<float>::quiet_NaN(), "NaN"},
      {std::numeric_limits<float>::infinity(), "Infinity"},
      {-std::numeric_limits<float>::infinity(), "-Infinity"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = cli::round_trip_text(c.value);
    EXPECT_EQ(text, c.text);
    if (std::isfinite(c.value)) {
      EXPECT_EQ(std::strtof(text.c_str(), nullptr), c.value);
    }
  }
}

}  // namespace
