// Bundle charges and maximum surface gradients: single conductors and flat
// lines against double-precision physics, earth wires and DC poles, the
// phasor cycle of a line with AC and DC groups, the example data file, the
// column-sweep charge loop against the row-by-row one, and malformed data.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "gradients/bundle_charges.hpp"
#include "gradients/gradients.hpp"
#include "lines.hpp"

namespace {

struct Group {
  bool ac;
  real x, y;
  integer nsub;
  real subdiam, spacing, volts, phangle;
};

Inputs line_of(integer nphases, const std::vector<Group>& groups) {
  Inputs in;
  in.nphases = nphases;
  in.nearth = static_cast<integer>(static_cast<int>(groups.size()) - nphases);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& g = groups[i];
    in.acflag[i] = g.ac;
    in.xcond[i] = g.x;
    in.ycond[i] = g.y;
    in.nsub[i] = g.nsub;
    in.subdiam[i] = g.subdiam;
    in.spacing[i] = g.spacing;
    in.volts[i] = g.volts;
    in.phangle[i] = g.phangle;
  }
  return in;
}

double relative(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

// The flat 500 kV line of the example: three 3-conductor phases, two earth wires.
Inputs flat_line(bool earth_wires_ac) {
  return line_of(3, {{true, -12, 15, 3, 30, 45, 303, 0},
                     {true, 0, 15, 3, 30, 45, 303, 120},
                     {true, 12, 15, 3, 30, 45, 303, 240},
                     {earth_wires_ac, -9, 25, 1, 11, 0, 0, 0},
                     {earth_wires_ac, 9, 25, 1, 11, 0, 0, 0}});
}

struct SingleCase {
  bool ac;
  real volts, subdiam_mm, height_m;
};

class SingleConductor : public testing::TestWithParam<SingleCase> {};

// A lone conductor of radius r at height h: g = V / (r ln(2h / r)).
TEST_P(SingleConductor, GradientIsVOverRLog) {
  const SingleCase c = GetParam();
  Inputs in = line_of(1, {{c.ac, 0, c.height_m, 1, c.subdiam_mm, 0, c.volts, 0}});
  ASSERT_TRUE(ztmxgrad(in));
  const double r_cm = c.subdiam_mm / 20.0;
  const double expected = c.volts / (r_cm * std::log(2.0 * c.height_m * 100.0 / r_cm));
  EXPECT_LT(relative(in.calcgrad[0], expected), 1e-4) << in.calcgrad[0] << " against " << expected;
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleConductor,
                         testing::Values(SingleCase{true, 303, 30, 15}, SingleCase{true, 100, 11, 25},
                                         SingleCase{false, 500, 50.8f, 40}, SingleCase{false, -400, 40, 18},
                                         SingleCase{true, -200, 25, 12}, SingleCase{true, 0.5f, 2, 3}));

// The earth wires of an AC line carry induced charges too.
TEST(SurfaceGradients, FlatLineOuterPhasesAlikeCentrePhaseHighest) {
  Inputs in = flat_line(true);
  ASSERT_TRUE(ztmxgrad(in));
  EXPECT_LT(relative(in.calcgrad[0], in.calcgrad[2]), 1e-5);
  EXPECT_GT(in.calcgrad[1], in.calcgrad[0] * 1.01f);
  EXPECT_GT(in.calcgrad[3], 1.0f);
  const std::vector<double> expected = lines::gradients(in, 5, false);
  for (int i = 0; i < 5; ++i) EXPECT_LT(relative(in.calcgrad[i], expected[i]), 1e-4) << "group " << i + 1;
}

// A bipole with an earth wire off centre: the earth wire's induced gradient
// is positive, the negative pole's is negative.
TEST(SurfaceGradients, SignFollowsThePole) {
  Inputs in = line_of(2, {{false, -6, 20, 2, 40, 45, 400, 0},
                          {false, 6, 20, 2, 40, 45, -400, 0},
                          {false, 3, 30, 1, 11, 0, 0, 0}});
  ASSERT_TRUE(ztmxgrad(in));
  EXPECT_GT(in.calcgrad[0], 0.0f);
  EXPECT_LT(in.calcgrad[1], 0.0f);
  const std::vector<double> expected = lines::gradients(in, 3, false);
  for (int i = 0; i < 3; ++i) EXPECT_LT(relative(in.calcgrad[i], expected[i]), 1e-4) << "group " << i + 1;
  EXPECT_GT(in.calcgrad[2], 1.0f);
  // The charges are those of the signed voltages.
  EXPECT_GT(in.qreal[0], 0.0f);
  EXPECT_LT(in.qreal[1], 0.0f);
}

// Only a line with both AC and DC groups turns its AC phasors through a
// cycle; the angles are left 3599 single-precision steps of 0.1 on.
TEST(SurfaceGradients, PhaseAnglesAdvanceOnlyOnHybridLines) {
  real advanced = 120.0f;
  for (int t = 2; t <= 3600; ++t) advanced = advanced + 0.1f;
  EXPECT_NEAR(advanced, 479.9f, 0.1f);

  struct Case {
    const char* name;
    std::vector<bool> ac;
    bool hybrid;
  };
  const std::vector<Case> cases = {
      {"all AC", {true, true, true}, false},
      {"all DC", {false, false, false}, false},
      {"DC earth wire on AC line", {true, true, false}, true},
      {"AC group after DC", {false, true, false}, true},
  };
  for (const Case& c : cases) {
    Inputs in = line_of(2, {{c.ac[0], -6, 20, 2, 30, 45, 300, 5.0f},
                            {c.ac[1], 6, 20, 2, 30, 45, 300, 120.0f},
                            {c.ac[2], 0, 30, 1, 11, 0, 0, 7.5f}});
    const Inputs before = in;
    ASSERT_TRUE(ztmxgrad(in));
    for (int i = 0; i < 3; ++i) {
      real expected = before.phangle[i];
      if (c.hybrid && c.ac[i])
        for (int t = 2; t <= 3600; ++t) expected = expected + 0.1f;
      EXPECT_EQ(in.phangle[i], expected) << c.name << ", group " << i + 1;
    }
    if (c.hybrid && c.ac[1]) {
      EXPECT_EQ(in.phangle[1], advanced) << c.name;
    }
  }
}

// The largest gradient over the cycle, against the double-precision cycle.
TEST(SurfaceGradients, HybridLineKeepsTheLargestGradientOfTheCycle) {
  Inputs in = line_of(4, {{true, -15, 18, 3, 30, 45, 300, 0},
                          {true, -5, 18, 3, 30, 45, 300, 120},
                          {false, 5, 18, 2, 40, 45, 400, 0},
                          {false, 15, 18, 2, 40, 45, -400, 0},
                          {false, 0, 30, 1, 11, 0, 0, 0}});
  const Inputs before = in;
  ASSERT_TRUE(ztmxgrad(in));
  const std::vector<double> expected = lines::gradients(before, 5, true);
  const std::vector<double> first_step = lines::gradients(before, 5, false);
  for (int i = 0; i < 5; ++i) {
    EXPECT_LT(relative(in.calcgrad[i], expected[i]), 1e-4) << "group " << i + 1;
    EXPECT_GE(std::fabs(in.calcgrad[i]), std::fabs(first_step[i]) * (1 - 1e-5)) << "group " << i + 1;
  }
  EXPECT_GT(std::fabs(expected[3]), std::fabs(first_step[3]) * 1.001);  // the cycle matters here
}

// Just enough of the data file reader to take the conductor groups from the
// example file: values split at commas, names in quotes.
Inputs read_example_groups(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> records;
  for (std::string record; std::getline(file, record);) records.push_back(record);
  auto values = [](const std::string& record) {
    std::vector<std::string> items;
    std::stringstream stream(record);
    for (std::string item; std::getline(stream, item, ',');) {
      const auto first = item.find_first_not_of(" '\r");
      const auto last = item.find_last_not_of(" '\r");
      items.push_back(first == std::string::npos ? "" : item.substr(first, last - first + 1));
    }
    return items;
  };
  Inputs in;
  const std::vector<std::string> general = values(records.at(2));
  const int nphases = std::stoi(general.at(2));
  const int ncond = std::stoi(general.at(3));
  in.nphases = static_cast<integer>(nphases);
  in.nearth = static_cast<integer>(ncond - nphases);
  for (int i = 0; i < ncond; ++i) {
    const std::vector<std::string> v = values(records.at(5 + i));
    in.acflag[i] = v.at(1) == "A";
    in.xcond[i] = std::stof(v.at(2));
    in.ycond[i] = std::stof(v.at(3));
    in.nsub[i] = static_cast<integer>(std::stoi(v.at(4)));
    in.subdiam[i] = std::stof(v.at(5));
    in.spacing[i] = std::stof(v.at(6));
    in.volts[i] = std::stof(v.at(7));
    in.phangle[i] = std::stof(v.at(8));
  }
  return in;
}

TEST(SurfaceGradients, ExampleDataFile) {
  Inputs in = read_example_groups(std::string(BRENLOW_EXAMPLES) + "/example.dat");
  ASSERT_EQ(in.nphases + in.nearth, 5);
  ASSERT_FALSE(in.acflag[3]);  // the earth wires are typed DC: a hybrid line
  const Inputs before = in;
  ASSERT_TRUE(ztmxgrad(in));
  const std::vector<double> expected = lines::gradients(before, 5, true);
  for (int i = 0; i < 5; ++i)
    EXPECT_LT(relative(in.calcgrad[i], expected[i]), 1e-4) << "group " << i + 1 << ": " << in.calcgrad[i];
}

// The charge loop of the program (its wide build where this processor has
// one) and its portable build give the row-by-row sums bit for bit: every
// field of the record, after the whole cycle. The group counts take every
// path through the blocks of rows: 16, 8 and 4 at a time, and single rows.
TEST(SurfaceGradients, ChargeLoopsMatchRowByRowBitForBit) {
  for (const int n : {1, 2, 3, 4, 5, 7, 8, 12, 13, 15, 16, 17, 24, 28, 31, 33, 47, 48, 50}) {
    for (const bool hybrid : {false, true}) {
      const Inputs line = lines::tiered_line(n, hybrid);
      Inputs reference = line;
      const bool regular = ztmxgrad_with(reference, lines::row_by_row_charges);
      Inputs program = line;
      Inputs portable = line;
      EXPECT_EQ(ztmxgrad(program), regular);
      EXPECT_EQ(ztmxgrad_with(portable, portable_bundle_charges), regular);
      EXPECT_EQ(std::memcmp(&program, &reference, sizeof(Inputs)), 0) << n << " groups, hybrid " << hybrid;
      EXPECT_EQ(std::memcmp(&portable, &reference, sizeof(Inputs)), 0) << n << " groups, hybrid " << hybrid;
    }
  }
}

// The phasors each step hands to the charge loop, recorded step by step.
std::vector<std::pair<GroupReals, GroupReals>> recorded_phasors;
void recording_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim, GroupReals& qreal,
                       GroupReals& qimag) {
  recorded_phasors.emplace_back(vre, vim);
  lines::row_by_row_charges(c, n, vre, vim, qreal, qimag);
}

bool same_bits(real a, real b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Groups sharing a starting angle share its cosine and sine through the
// cycle; every step's phasors must still be those of each group's own
// angle, advanced 0.1 degree a step from its own start, bit for bit:
// angles alike and not, +0 and -0 (whose sines differ in sign), a
// not-a-number, AC groups at a DC pole's angle, and zero voltages.
TEST(SurfaceGradients, EveryStepsPhasorsAreEachGroupsOwn) {
  struct Case {
    const char* name;
    std::vector<Group> groups;
  };
  const real nan = std::numeric_limits<real>::quiet_NaN();
  const std::vector<Case> cases = {
      {"three angles, two circuits",
       {{true, -12, 15, 3, 30, 45, 303, 0}, {true, 0, 15, 3, 30, 45, 303, 120}, {true, 12, 15, 3, 30, 45, 303, 240},
        {true, -12, 30, 3, 30, 45, 303, 0}, {true, 0, 30, 3, 30, 45, 303, 120}, {true, 12, 30, 3, 30, 45, 303, 240},
        {false, 30, 20, 2, 30, 45, 400, 0}, {false, -9, 45, 1, 11, 0, 0, 0}}},
      {"plus and minus zero",
       {{true, -12, 15, 3, 30, 45, 303, 0.0f}, {true, 0, 15, 3, 30, 45, 303, -0.0f}, {true, 12, 15, 3, 30, 45, 303, 0.0f},
        {false, 30, 20, 2, 30, 45, -400, -0.0f}}},
      {"not a number",
       {{true, -12, 15, 3, 30, 45, 303, nan}, {true, 0, 15, 3, 30, 45, 303, nan}, {true, 12, 15, 3, 30, 45, 303, 7.3f},
        {false, 30, 20, 2, 30, 45, 400, 0}}},
      {"DC pole at the AC angle first",
       {{false, 30, 20, 2, 30, 45, 400, 120}, {true, 0, 15, 3, 30, 45, 303, 120}, {true, 12, 15, 3, 30, 45, 0, 120},
        {true, -12, 15, 3, 30, 45, 303, 359.95f}}},
  };
  for (const Case& c : cases) {
    const Inputs line = line_of(static_cast<integer>(c.groups.size()), c.groups);
    Inputs in = line;
    recorded_phasors.clear();
    ztmxgrad_with(in, recording_charges);
    ASSERT_EQ(recorded_phasors.size(), 3600u) << c.name;
    const int n = static_cast<int>(c.groups.size());
    GroupReals angle = line.phangle;
    for (std::size_t step = 0; step < recorded_phasors.size(); ++step) {
      for (int j = 0; j < n; ++j) {
        if (step > 0 && line.acflag[j]) angle[j] = angle[j] + 0.1f;
        const real radians = angle[j] * 0.017453292f;
        const real vre = std::cos(radians) * line.volts[j] * 1000.0f;
        const real vim = std::sin(radians) * line.volts[j] * 1000.0f;
        ASSERT_TRUE(same_bits(recorded_phasors[step].first[j], vre)) << c.name << ", step " << step << ", group " << j;
        ASSERT_TRUE(same_bits(recorded_phasors[step].second[j], vim)) << c.name << ", step " << step << ", group " << j;
      }
    }
    for (int j = 0; j < n; ++j) EXPECT_TRUE(same_bits(in.phangle[j], angle[j])) << c.name << ", group " << j;
  }
}

TEST(SurfaceGradients, GroupCountsOutsideTheRecordsTouchNothing) {
  struct Case {
    integer nphases, nearth;
    bool result;
  };
  for (const Case c : {Case{0, 0, true}, Case{3, -5, true}, Case{-2, 1, true}, Case{40, 11, false},
                       Case{51, 0, false}, Case{32767, 32767, false}}) {
    Inputs in = lines::tiered_line(50, true);
    in.nphases = c.nphases;
    in.nearth = c.nearth;
    const Inputs before = in;
    EXPECT_EQ(ztmxgrad(in), c.result) << c.nphases << " + " << c.nearth;
    EXPECT_EQ(std::memcmp(&in, &before, sizeof(Inputs)), 0) << c.nphases << " + " << c.nearth;
  }
}

// Two groups at one place make the coefficients singular: reported, and
// the routine still finishes.
TEST(SurfaceGradients, CoincidentGroupsAreReported) {
  Inputs in = flat_line(true);
  in.xcond[2] = in.xcond[1];
  EXPECT_FALSE(ztmxgrad(in));
}

// Degenerate groups give infinities or not-a-numbers, never undefined
// behaviour (the sanitizer build checks that), and leave other records alone.
TEST(SurfaceGradients, DegenerateGroupsFinish) {
  struct Case {
    const char* name;
    void (*spoil)(Inputs&);
  };
  const std::vector<Case> cases = {
      {"height 0", [](Inputs& in) { in.ycond[0] = 0.0f; }},
      {"negative height", [](Inputs& in) { in.ycond[1] = -3.0f; }},
      {"no subconductors", [](Inputs& in) { in.nsub[0] = 0; }},
      {"negative subconductors", [](Inputs& in) { in.nsub[0] = -32768; }},
      {"diameter 0", [](Inputs& in) { in.subdiam[2] = 0.0f; }},
      {"spacing 0", [](Inputs& in) { in.spacing[1] = 0.0f; }},
      {"all zero", [](Inputs& in) { in = Inputs{}; in.nphases = 3; }},
  };
  for (const Case& c : cases) {
    Inputs in = flat_line(false);
    c.spoil(in);
    const Inputs before = in;
    ztmxgrad(in);
    EXPECT_EQ(std::memcmp(&in.calcgrad[5], &before.calcgrad[5], sizeof(real) * 45), 0) << c.name;
  }
}

}  // namespace
