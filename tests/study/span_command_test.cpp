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
        Bad{"LengthZero", "--length 0 --sag 0 --at 0", "must be above 0"},
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
  // The largest value on the centre line stands at mid-span for this line.
  EXPECT_NE(f.out.find(" at 150.0 m along; B "), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("along 150.0 m (mid-span)"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("along 0.0 m (at a tower)"), std::string::npos) << f.out;
  const std::string plan = support::read_file(s.dir / "plan.svg");
  EXPECT_NE(plan.find("Magnetic field at 1.00 m"), std::string::npos);
  EXPECT_NE(plan.find(">tower<"), std::string::npos);
  EXPECT_NE(plan.find("B, G"), std::string::npos);
  EXPECT_NE(support::read_file(s.dir / "along.svg").find("Along the line, m"), std::string::npos);
  EXPECT_NE(support::read_file(s.dir / "profiles.svg").find("along 75.0 m"), std::string::npos);
}

}  // namespace
