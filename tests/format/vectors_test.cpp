// F, E and 1PE fields over a spread of floats (ties, round-ups into a new
// digit, subnormals, the largest float, signed zeros, NaN, infinities,
// narrow fields), against reference renderings made once by a Fortran
// compiler from format/gen_float_vectors.f90 and kept in
// format/float_vectors.txt (pattern, descriptor, |field|). Every reference
// agrees with the rendering rules, so none is excluded.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <set>
#include <string>

#include "format/record.hpp"

namespace {

TEST(FloatVectors, MatchReferenceRenderings) {
  std::ifstream in(std::string(BRENLOW_TEST_DATA) + "/format/float_vectors.txt");
  ASSERT_TRUE(in) << "missing float_vectors.txt";
  std::string line;
  int compared = 0;
  while (std::getline(in, line)) {
    const auto bar = line.find('|');
    ASSERT_NE(bar, std::string::npos) << line;
    const std::uint32_t pattern = static_cast<std::uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16));
    const std::string descriptor = line.substr(9, bar - 10);
    std::string expected = line.substr(bar + 1, line.size() - bar - 2);
    const float value = std::bit_cast<float>(pattern);
    const std::string got = record::render("(" + descriptor + ")", {value}).at(0);
    EXPECT_EQ(got, expected) << line;
    ++compared;
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
