#include "corona/audible_noise.hpp"
#include "reports/pages.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "bundle_line.hpp"
#include "page_text.hpp"

namespace {

constexpr real mic_height = 1.5f;
constexpr real point = 30.0f;

AudibleNoiseResults run(Inputs inputs, bool rain) {
  inputs.rainflag = rain;
  Outputs outputs;
  ztaudio(inputs, outputs);
  return outputs.audible;
}

// One bundle 15 m up, heard 30 m out at 1.5 m: D = 32.90 m.
struct ReferenceCase {
  std::string name;
  Bundle bundle;
  bool rain;
  real level;  // dB(A), to 0.01
};
// Test names show the case by its name.
void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

class AudibleNoiseReference : public testing::TestWithParam<ReferenceCase> {};

TEST_P(AudibleNoiseReference, GroupLevelAndTotals) {
  const ReferenceCase& c = GetParam();
  const AudibleNoiseResults an = run(line_of({c.bundle}, mic_height, point), c.rain);
  EXPECT_NEAR(an.ancond[0], c.level, 0.005f);
  // A single group is the whole line; L5 lies 3.5 dB above L50.
  EXPECT_NEAR(an.anl50, an.ancond[0], 1e-4f);
  EXPECT_FLOAT_EQ(an.anl5, an.anl50 + 3.5f);
}

INSTANTIATE_TEST_SUITE_P(
    Bundles, AudibleNoiseReference,
    testing::Values(ReferenceCase{"Ac3Rain", {true, 3, 30, 17}, true, 41.20f},
                    ReferenceCase{"Ac3Fair", {true, 3, 30, 17}, false, 16.20f},
                    ReferenceCase{"Ac4Rain", {true, 4, 30, 17}, true, 44.08f},
                    ReferenceCase{"Dc2Rain", {false, 2, 40, 20}, true, 19.28f},
                    ReferenceCase{"Dc2Fair", {false, 2, 40, 20}, false, 25.28f}),
    [](const auto& info) { return info.param.name; });

TEST(AudibleNoise, ReferenceL5InRain) {
  EXPECT_NEAR(run(line_of({{true, 3, 30, 17}}, mic_height, point), true).anl5, 44.70f, 0.005f);
}

// Level of an n-subconductor bundle over the same bundle with one
// subconductor: only bundles of 4 or more (AC) or 3 or more (DC) use an
// equivalent diameter.
TEST(AudibleNoise, EquivalentDiameter) {
  struct Case {
    bool ac;
    integer nsub;
    double gain;
  };
  const Case cases[] = {
      {true, 2, 0.0},
      {true, 3, 0.0},
      {true, 4, 55.0 * std::log10(std::pow(4.0, 0.48) * 0.58)},
      {false, 2, 0.0},
      {false, 3, 40.0 * std::log10(std::pow(3.0, 0.64) * 0.66)},
  };
  for (const Case& c : cases) {
    const real single = run(line_of({{c.ac, 1, 30, 20}}, mic_height, point), true).ancond[0];
    const real bundled = run(line_of({{c.ac, c.nsub, 30, 20}}, mic_height, point), true).ancond[0];
    EXPECT_NEAR(bundled - single, c.gain, 2e-4) << (c.ac ? "AC " : "DC ") << c.nsub;
  }
}

// Lines where nothing is summed: both totals are minus infinity.
TEST(AudibleNoise, NothingSummed) {
  struct Case {
    const char* name;
    Inputs inputs;
    int marked;  // groups holding the DC marker
  };
  Inputs negative_count = line_of({{true, 3, 30, 17}}, mic_height, point);
  negative_count.nphases = -3;
  const Case cases[] = {
      {"no groups", line_of({}, mic_height, point), 0},
      {"negative group count", negative_count, 0},
      {"DC poles without positive gradient", line_of({{false, 2, 40, 0}, {false, 2, 40, -20}}, mic_height, point),
       2},
  };
  for (const Case& c : cases) {
    for (const bool rain : {true, false}) {
      Inputs inputs = c.inputs;
      inputs.rainflag = rain;
      Outputs outputs;
      outputs.audible.ancond.fill(7.0f);
      ztaudio(inputs, outputs);
      const AudibleNoiseResults& an = outputs.audible;
      EXPECT_EQ(an.anl50, -std::numeric_limits<real>::infinity()) << c.name;
      EXPECT_EQ(an.anl5, -std::numeric_limits<real>::infinity()) << c.name;
      for (int i = 0; i < max_groups; ++i)
        EXPECT_EQ(an.ancond[i], i < c.marked ? -999.9f : 7.0f) << c.name << ", group " << i + 1;
    }
  }
}

// Degenerate AC levels (minus infinity, not-a-number) add nothing; a point
// at a bundle centre is infinitely loud.
TEST(AudibleNoise, DegenerateGroupLevels) {
  const Bundle loud{true, 3, 30, 17};
  const real alone = run(line_of({loud}, mic_height, point), true).anl50;
  const AudibleNoiseResults zero = run(line_of({loud, {true, 3, 30, 0}}, mic_height, point), true);
  EXPECT_EQ(zero.ancond[1], -std::numeric_limits<real>::infinity());
  EXPECT_EQ(zero.anl50, alone);
  const AudibleNoiseResults negative = run(line_of({{true, 3, 30, -5}, loud}, mic_height, point), true);
  EXPECT_TRUE(std::isnan(negative.ancond[0]));
  EXPECT_EQ(negative.anl50, alone);
  const AudibleNoiseResults centre = run(line_of({loud}, 15.0f, 0.0f), true);
  EXPECT_EQ(centre.anl50, std::numeric_limits<real>::infinity());
}

// Every energized group counts, also those beyond the ten a report prints;
// the count is held to the 50 groups of the line.
TEST(AudibleNoise, AllEnergizedGroupsSummed) {
  const Bundle b{true, 3, 30, 17};
  const real one = run(line_of({b}, mic_height, point), true).anl50;
  struct Case {
    int groups;
    integer nphases;
  };
  for (const Case c : {Case{10, 10}, Case{12, 12}, Case{50, 50}, Case{50, 32767}}) {
    Inputs inputs = line_of_copies(b, c.groups, mic_height, point);
    inputs.nphases = c.nphases;
    const AudibleNoiseResults an = run(inputs, true);
    EXPECT_NEAR(an.anl50, one + 10.0f * std::log10(static_cast<real>(c.groups)), 1e-3f) << c.nphases;
  }
}

}  // namespace

// ---- The audible noise pages ----

namespace {

Problem noise_problem(int groups, bool with_dc, integer units) {
  Problem problem;
  set_initial_values(problem);
  problem.inputs = line_of_copies({true, 3, 30, 17}, groups, 0.0f, 0.0f);
  for (int i = 0; i < groups; ++i) {
    problem.inputs.xcond[i] = static_cast<real>(4 * i);
    problem.run.condname[i] = "GROUP " + std::to_string(i + 1);
  }
  if (with_dc) {
    problem.inputs.acflag[groups - 1] = false;
    problem.inputs.gradient[groups - 1] = -20.0f;
  }
  problem.run.units = units;
  problem.run.distunit = units == 0 ? "MTRS" : "FEET";
  problem.run.anheight = 1.5f;
  problem.run.npoints = 2;
  problem.run.latpts[0] = -30.48f;
  problem.run.latpts[1] = 15.0f;
  return problem;
}

struct NoisePage {
  std::string name;
  int groups;
  bool with_dc;
  integer units;
};
void PrintTo(const NoisePage& c, std::ostream* os) { *os << c.name; }

class AudibleNoisePages : public testing::TestWithParam<NoisePage> {};

TEST_P(AudibleNoisePages, Layout) {
  const NoisePage& c = GetParam();
  Problem problem = noise_problem(c.groups, c.with_dc, c.units);
  const Inputs reference = problem.inputs;
  std::string print_text, console_text;
  {
    record::Writer print = record::Writer::to_string(&print_text);
    record::Writer console = record::Writer::to_string(&console_text);
    print_audible_noise_report(problem, print, console);
  }
  EXPECT_EQ(console_text, " AUDIBLE NOISE REPORT\r\n");

  const int shown = std::min(c.groups, 10);
  // Heading: 10(A8,1X) after the totals; the skip after the last name
  // writes nothing.
  std::string names_line = " REFERENCE    L5       L50    ";
  for (int i = 0; i < shown; ++i) names_line += problem.run.condname[i].str() + (i + 1 < shown ? " " : "");

  std::vector<std::string> expected;
  for (const bool rain : {true, false}) {
    expected.push_back(rain ? "1AUDIBLE NOISE CALCULATION - RAIN" : "1AUDIBLE NOISE CALCULATION - FAIR");
    expected.insert(expected.end(), {"", ""});
    if (c.with_dc)
      expected.push_back(" NOTE: -999.9 APPEARS FOR A DC PHASE WITH NEG. GRADIENT. - NOT SUMMED INTO TOTALS");
    expected.push_back(" DIST FROM    TOTALS");
    expected.push_back(names_line);
    expected.push_back(std::string("  (") + (c.units == 0 ? "MTRS" : "FEET") + ")     (DBA)    (DBA)");
    expected.insert(expected.end(), {"", ""});
    for (int j = 0; j < 2; ++j) {
      Inputs inputs = reference;
      inputs.rainflag = rain;
      inputs.evalht = 1.5f;
      inputs.xpoint = problem.run.latpts[j];
      Outputs outputs;
      ztaudio(inputs, outputs);
      // (13F9.1): the distance, L5, L50 and at most 10 group levels.
      std::vector<real> values{c.units == 0 ? inputs.xpoint : inputs.xpoint / 0.3048f, outputs.audible.anl5,
                               outputs.audible.anl50};
      for (int i = 0; i < shown; ++i) values.push_back(outputs.audible.ancond[i]);
      expected.push_back(f_fields(values, 9, 1));
    }
  }
  const std::vector<std::string> got = support::records(print_text);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t r = 0; r < got.size(); ++r) EXPECT_EQ(got[r], expected[r]) << "record " << r + 1;

  // The section leaves fair weather and the microphone height behind.
  EXPECT_FALSE(problem.inputs.rainflag);
  EXPECT_EQ(problem.inputs.evalht, 1.5f);
}

INSTANTIATE_TEST_SUITE_P(Lines, AudibleNoisePages,
                         testing::Values(NoisePage{"ThreeAc", 3, false, 0}, NoisePage{"WithDcPole", 3, true, 0},
                                         NoisePage{"TwelveGroups", 12, true, 0}, NoisePage{"English", 2, false, 1},
                                         NoisePage{"OtherUnitsValue", 1, false, 2}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
