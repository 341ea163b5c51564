// tesk31-study span as a shell runs it: what it refuses, the units of an
// English file carried through, and the files it writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "engine/engine.hpp"
#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;

// A directory of its own holding the line as line.dat, removed afterwards.
struct Scratch {
  fs::path dir;
  explicit Scratch(const std::string& line) {
    std::string name = support::test_name();  // "Test/Case" for a case of a table
    for (char& c : name)
      if (c == '/') c = '-';
    dir = support::fresh_directory("brenlow-span-" + std::to_string(::getpid()) + "-" + name);
    fs::copy_file(line, dir / "line.dat");
    fs::permissions(dir / "line.dat", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  support::Finished study(const std::string& args) const { return support::run_program(dir, TESK31_STUDY_PATH, args); }
};

const std::string flat = std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat";

struct Bad {
  const char* name;
  const char* args;
  const char* message;
};

class SpanRefuses : public ::testing::TestWithParam<Bad> {};

TEST_P(SpanRefuses, StatusTwoAndWhatIsWrong) {
  const Scratch s(flat);
  const support::Finished f = s.study(std::string("span line.dat ") + GetParam().args);
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
  EXPECT_TRUE(f.out.empty()) << f.out;
}

INSTANTIATE_TEST_SUITE_P(
    Study, SpanRefuses,
    ::testing::Values(
        Bad{"NoLength", "--sag 10 --at 0", "--length L is needed"},
        Bad{"NoSag", "--length 300 --at 0", "--sag S is needed"},
        Bad{"NoPoints", "--length 300 --sag 10", "no point given"},
        Bad{"PointsTwice", "--length 300 --sag 10 --at 0 --from 0 --to 10 --step 1", "not both"},
        Bad{"RangeIncomplete", "--length 300 --sag 10 --from 0 --to 10", "go together"},
        Bad{"SagPerGroupCount", "--length 300 --sag 10,11 --at 0", "one for each of the 5 groups, not 2"},
        Bad{"EarthSagWithGroupSags", "--length 300 --sag 1,2,3,4,5 --earth-sag 3 --at 0", "--earth-sag with a sag for each group"},
        Bad{"SagAboveLength", "--length 300 --sag 300 --at 0", "sag 300 m must be 0 or above and below the span length"},
        Bad{"EvenSpans", "--length 300 --sag 10 --spans 4 --at 0", "the count must be odd"},
        Bad{"TooManySpans", "--length 300 --sag 10 --spans 21 --at 0", "--spans"},
        Bad{"LengthZero", "--length 0 --sag 0 --at 0", "--length 0 m: spans from 20 to 1000000 m (1000 km) are solved"},
        Bad{"LengthShort", "--length 19.9 --sag 0 --at 0", "--length 19.9 m: spans from 20 to"},
        Bad{"LengthBeyondTheSolve", "--length 1e18 --sag 10 --at 0", "--length 1e18 m: spans from 20 to 1000000 m"},
        Bad{"LengthBeyondTheFloats", "--length 3e38 --sag 10 --at 0", "--length 3e38 m: spans from"},
        Bad{"RangeFar", "--length 300 --sag 10 --from 1e30 --to 1e30 --step 1", "--from: 1e+30 m is farther than"},
        Bad{"StepBelowThePrecision", "--length 300 --sag 10 --from 999000 --to 999010 --step 0.01",
            "a step of 0.01 m is too fine for single precision"},
        Bad{"AlongFar", "--length 300 --sag 10 --at 0 --along 3e38", "--along 3e38: 3e+38 m is farther than"},
        Bad{"HeightFar", "--length 300 --sag 10 --at 0 --height 1e7", "--height 1e7: 1e+07 m is farther than"},
        Bad{"SideAtFar", "--length 300 --sag 10 --at 0 --side-at -2e6", "--side-at -2e6"},
        Bad{"PointOnAConductorsAxis", "--length 300 --sag 0 --at 0 --height 15 --along 200",
            "the point x = 0.00 m, 200.00 m along, 15.00 m up is inside group 2 PHASE B"},
        Bad{"PointInASaggingConductor", "--length 300 --sag 9 --at 10.6 --height 24 --along 0", "is inside group 3 PHASE C"},
        Bad{"TableTooLong", "--length 300 --sag 10 --from -5000 --to 5000 --step 1 --along 1 --along 2 --along 3 --along 4",
            "10001 points at 4 positions along make 40004 rows: the table holds at most 30000"},
        Bad{"NegativeHeight", "--length 300 --sag 10 --at 0 --height -1", "heights start at the ground"},
        Bad{"MapViewUnnamed", "--length 300 --sag 10 --at 0 --map view.svg", "say the view, plan=FILE or side=FILE"},
        Bad{"MapIsInput", "--length 300 --sag 10 --at 0 --map plan=line.dat", "will not be overwritten"},
        Bad{"PlanOfNoise", "--length 300 --sag 10 --at 0 --quantity AN", "a plan map shows E or B"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Span, EnglishFileInFeetAndMilligauss) {
  // Lengths in feet, B in mG by default: the table holds the engine's
  // values at the same place in metres.
  const std::string english = std::string(BRENLOW_TEST_DATA) + "/e2e/example_english.dat";
  const Scratch s(english);
  const support::Finished f =
      s.study("span line.dat --length 1000 --sag 30 --earth-sag 20 --at -60 --at 0 --along 500 --along 40 --height 3 --csv s.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const std::string csv = support::read_file(s.dir / "s.csv");
  std::istringstream lines(csv);
  std::string header;
  std::getline(lines, header);
  EXPECT_EQ(header, "x (ft),along (ft),height (ft),E (kV/m),B (mG)\r");

  const brenlow::CrossSection section = brenlow::read_data_file(english);
  brenlow::Spans spans;
  spans.length = 1000 * 0.3048f;
  spans.sag = 30 * 0.3048f;
  spans.earth_sag = 20 * 0.3048f;
  const brenlow::SpanEvaluation run(section, spans);
  int rows = 0;
  for (std::string row; std::getline(lines, row);) {
    float x, along, height, e, b;
    ASSERT_EQ(std::sscanf(row.c_str(), "%f,%f,%f,%f,%f", &x, &along, &height, &e, &b), 5) << row;
    EXPECT_FLOAT_EQ(height, 3);
    const float xm = x * 0.3048f, am = along * 0.3048f, hm = height * 0.3048f;
    EXPECT_NEAR(e, run.electric_field(xm, am, hm).max, 1e-3f) << row;
    EXPECT_NEAR(b, run.magnetic_field(xm, am, hm).max * 1000, 1e-2f) << row;
    ++rows;
  }
  EXPECT_EQ(rows, 4);
}

TEST(Span, WritesTheMapsAndTheProfiles) {
  const Scratch s(flat);
  const support::Finished f = s.study(
      "span line.dat --length 300 --sag 9 --from -30 --to 30 --step 15 --map plan.svg --map side=along.svg "
      "--svg profiles.svg --quantity B --b-unit G");
  ASSERT_EQ(f.status, 0) << f.err;
  // The largest values stand at mid-span for this line: E under the
  // outer phases, B under the middle one.
  EXPECT_NE(f.out.find("Largest on the profiles: E 4.967 kV/m at x = -15.0 m, 150.0 m along; B 0.23603 G at x = 0.0 m, "
                       "150.0 m along\n"),
            std::string::npos)
      << f.out;
  EXPECT_NE(f.out.find("Largest along x = 0.0 m in the middle span (side view): E "), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("Largest on the plan map: B 0.23603 G at x = 0.0 m, 150.0 m along"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("along 150.0 m (mid-span)"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("along 0.0 m (at a tower)"), std::string::npos) << f.out;
  const std::string plan = support::read_file(s.dir / "plan.svg");
  EXPECT_NE(plan.find("Magnetic field at 1.00 m"), std::string::npos);
  EXPECT_NE(plan.find(">tower<"), std::string::npos);
  EXPECT_NE(plan.find("B, G"), std::string::npos);
  EXPECT_NE(support::read_file(s.dir / "along.svg").find("Along the line, m"), std::string::npos);
  EXPECT_NE(support::read_file(s.dir / "profiles.svg").find("along 75.0 m"), std::string::npos);
}

// A bipole's largest E stands under a pole, not on the centre line between
// them, where E is smallest; --side-at puts the side view under the pole.
// A point inside a conductor of the cross section only has no 2-D value,
// and a line at 0 kV no ratio of E: n/a, never a marker or NaN.
TEST(Span, LargestValuesAndValuesNotThere) {
  const Scratch s(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat");
  const brenlow::CrossSection section = brenlow::read_data_file(s.dir / "line.dat");
  const float pole = section.groups[0].x;
  const support::Finished f = s.study("span line.dat --length 400 --sag 12 --from -40 --to 40 --step 0.5 --along 200 "
                                      "--side-at " + std::to_string(pole) + " --csv s.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  brenlow::Spans spans;
  spans.length = 400;
  spans.sag = 12;
  const brenlow::SpanEvaluation run(section, spans);
  float top = 0, top_x = 0;
  for (int i = -80; i <= 80; ++i) {
    const float e = run.electric_field(i * 0.5f, 200, section.conditions.ef_height).max;
    if (e > top) top = e, top_x = i * 0.5f;
  }
  ASSERT_GT(std::fabs(top_x), 3.0f);
  ASSERT_GT(top, 2 * run.electric_field(0, 200, section.conditions.ef_height).max);
  char expected[120];
  std::snprintf(expected, sizeof expected, "Largest on the profiles: E %.3f kV/m at x = %.1f m, 200.0 m along", top, top_x);
  EXPECT_NE(f.out.find(expected), std::string::npos) << expected << '\n' << f.out;
  std::snprintf(expected, sizeof expected, "Largest along x = %.1f m in the middle span (side view): E ", pole);
  EXPECT_NE(f.out.find(expected), std::string::npos) << expected << '\n' << f.out;

  // At the height of a pole, under its mid-span position: 2-D n/a (the
  // point is inside the cross section's pole), the 3-D value at a tower.
  std::string zero = support::read_file(s.dir / "line.dat");
  const support::Finished inside = s.study("span line.dat --length 400 --sag 12 --at " + std::to_string(pole) +
                                           " --along 0 --height " + std::to_string(section.groups[0].y));
  ASSERT_EQ(inside.status, 0) << inside.err;
  EXPECT_NE(inside.out.find("n/a: the point is inside a conductor of the cross section"), std::string::npos) << inside.out;

  const Scratch dead(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat");
  std::string text = support::read_file(dead.dir / "line.dat");
  for (std::size_t at; (at = text.find("303.100")) != std::string::npos;) text.replace(at, 7, "  0.000");
  support::write_file(dead.dir / "line.dat", text);
  const support::Finished off = dead.study("span line.dat --length 300 --sag 9 --at 0 --at 20 --side-at 0 --map side=s.svg");
  ASSERT_EQ(off.status, 0) << off.err;
  for (const std::string& output : {off.out, support::read_file(dead.dir / "s.svg")}) {
    EXPECT_EQ(output.find("nan"), std::string::npos) << output;
    EXPECT_EQ(output.find("-1.000"), std::string::npos) << output;
  }
  EXPECT_NE(off.out.find("  n/a"), std::string::npos) << off.out;
}

// A solve the memory cannot hold ends with a message and status 2, not an
// abort. (The address sanitizer reserves far more than the cap.)
TEST(Span, OutOfMemoryIsAFailure) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "memory capped only without the address sanitizer";
#endif
  const Scratch s(std::string(BRENLOW_EXAMPLES) + "/345kv_double_circuit.dat");
  const support::Finished f =
      support::run_program(s.dir, TESK31_STUDY_PATH, "span line.dat --length 400 --sag 14 --spans 15 --at 0", "",
                           "ulimit -v 60000 &&");
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find("tesk31-study span: out of memory"), std::string::npos) << f.err;
}

}  // namespace
