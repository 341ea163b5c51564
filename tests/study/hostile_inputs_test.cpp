// tesk31-study given what a careless or hostile user may give: requests it
// must refuse before any work and without writing a file, a standard output
// that loses the table, and labels that must say what the numbers are.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "study/study_run.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using study_test::scratch;
using study_test::study;

// line.dat (feet) and double.dat (metres), and the links a case asks for:
// "name>target" each, targets not made.
fs::path folder(const std::vector<std::string>& links = {}) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/345kv_double_circuit.dat", dir / "double.dat");
  for (const std::string& link : links) {
    const std::size_t gt = link.find('>');
    fs::create_symlink(link.substr(gt + 1), dir / link.substr(0, gt));
  }
  return dir;
}

// The names in the folder, links included, but for the harness's own.
std::set<std::string> names(const fs::path& dir) {
  std::set<std::string> out;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name[0] != '.') out.insert(name);
  }
  return out;
}

// Words of the output that are not numbers printed as numbers.
std::vector<std::string> not_numbers(const std::string& out) {
  std::vector<std::string> found;
  std::istringstream words(out);
  for (std::string w; words >> w;)
    if (w == "nan" || w == "-nan" || w == "inf" || w == "-inf") found.push_back(w);
  return found;
}

struct Refused {
  const char* name;
  std::vector<std::string> links;
  const char* args;
  const char* message;
};

class RefusedBeforeAnyWork : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedBeforeAnyWork, StatusTwoAMessageAndNothingWritten) {
  const Refused& c = GetParam();
  const fs::path dir = folder(c.links);
  const std::set<std::string> before = names(dir);
  const std::string data = support::read_file(dir / "line.dat");
  const support::Finished f = study(dir, c.args);
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
  EXPECT_EQ(f.out, "");
  EXPECT_EQ(names(dir), before);
  EXPECT_EQ(support::read_file(dir / "line.dat"), data);
}

INSTANTIATE_TEST_SUITE_P(
    Study, RefusedBeforeAnyWork,
    ::testing::Values(
        // A group raised as often as it is named.
        Refused{"HeightGroupRepeated", {}, "height line.dat --groups 3,3,3 --limit B=30 --at 0 --csv out.csv",
                "group 3 (345L-3) is listed twice"},
        Refused{"HeightGroupRangesOverlap", {}, "height line.dat --groups 1-3,2-4 --limit B=30 --at 0 -o up.dat",
                "group 2 (345L-2) is listed twice"},
        // Points whose arithmetic leaves the float range, and their edge in each unit.
        Refused{"EdgesPointFar", {}, "edges line.dat --at 3e38 --csv out.csv",
                "--at 3e38: 3e+38 ft is farther than the 3280840 ft (1000 km)"},
        Refused{"EdgesPointJustBeyondInFeet", {}, "edges line.dat --at -3280841 --csv out.csv", "--at -3280841"},
        Refused{"EdgesPointJustBeyondInMetres", {}, "edges double.dat --at 1000001 --svg out.svg",
                "--at 1000001: 1000001 m is farther than the 1000000 m"},
        Refused{"PhasingPointFar", {}, "phasing line.dat --circuit 1-3 --minimize B --at 0 --at 1e30 -o best.dat",
                "--at 1e30"},
        Refused{"HeightPointFar", {}, "height line.dat --limit B=30 --at -1e7 -o up.dat", "--at -1e7"},
        Refused{"CompareRangeFar", {}, "compare line.dat --from -3e38 --to 3e38 --step 1 --csv out.csv",
                "--from: -3e+38 ft is farther"},
        Refused{"CompareStepBelowThePrecision", {}, "compare line.dat --from 3000000 --to 3000010 --step 0.01 --csv out.csv",
                "a step of 0.01 ft is too fine for single precision"},
        Refused{"MapAcrossFar", {}, "map line.dat --quantity E --x=-3e38:3e38 --svg m.svg --csv m.csv",
                "--x: -3e+38 ft is farther"},
        Refused{"MapUpFar", {}, "map double.dat --quantity B --y=0:1e20 --svg m.svg", "--y: 1e+20 m is farther"},
        Refused{"MapOneGridLineUp", {}, "map line.dat --quantity B --x=-892:100 --y=5:120 --step 510 --svg m.svg",
                "--step 510.00 ft is too coarse: a map needs two grid lines across and two up"},
        Refused{"MapStepBelowThePrecision", {}, "map line.dat --quantity E --x=3000000:3000010 --y=0:5 --step 0.01 --csv m.csv",
                "too fine for single precision"},
        // An output through a link to a file not made yet is that file.
        Refused{"OutputLinkedToTheCsv", {"dang.dat>new.dat"},
                "height line.dat --limit B=30 --at 0 -o dang.dat --csv new.dat", "--csv and -o both name new.dat"},
        Refused{"PictureLinkedThroughTwoLinksToTheCsv", {"chain.svg>dang.svg", "dang.svg>new.csv"},
                "edges line.dat --at 0 --svg chain.svg --csv new.csv", "--csv and --svg both name new.csv"},
        Refused{"CsvLinkedToThePicture", {"dang.csv>./m.svg"},
                "map line.dat --quantity E --svg m.svg --csv dang.csv", "--csv and --svg both name dang.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

// The farthest points a study reaches are evaluated, as numbers; a map's
// grid point on a conductor's centre (line.dat's 345R-3 at 22 ft, 40 ft),
// where the field is no number, is shown as such.
TEST(Study, ValuesPrintedAreNumbers) {
  const fs::path dir = folder();
  // line.dat has no wind: its ozone downwind is no number at any point.
  for (const char* args : {"compare line.dat --from -3280839 --to 3280839 --step 6561678 --quantity E,B,AN,RI,TV",
                           "edges double.dat --at 1000000 --at -1000000",
                           "compare double.dat --from 999000 --to 1000000 --step 250 --quantity E,B,AN,RI,TV",
                           "map double.dat --quantity B --x=999900:1000000 --y=0:100 --step 10 --csv m.csv",
                           "map line.dat --quantity E --x=-98:100 --y=0:120 --step 10 --csv m.csv"}) {
    const support::Finished f = study(dir, args);
    EXPECT_EQ(f.status, 0) << args << '\n' << f.err;
    EXPECT_EQ(not_numbers(f.out), std::vector<std::string>()) << args << '\n' << f.out;
  }
}

// Every subcommand, its standard output full or closed: the table is lost,
// so the run fails. A closed one is refused before any work, so no file
// takes the descriptor the table would have gone to.
TEST(Study, StandardOutputLostIsAFailure) {
  const std::vector<std::string> commands = {
      "--help",
      "edges line.dat --at 0 --csv out.csv",
      "compare line.dat line.dat --quantity E --csv out.csv",
      "compare line.dat --from -500 --to 500 --step 2 --csv out.csv",  // a table past the stdio buffer
      "phasing line.dat --circuit 1-3 --minimize B --at 0 --csv out.csv",
      "height line.dat --limit B=30 --at 0 --csv out.csv",
      "map line.dat --quantity E --step 5 --csv out.csv",
  };
  struct Redirection {
    const char* shell;
    const char* message;
    bool outputs_written;
  };
  const Redirection redirections[] = {{"> /dev/full", "tesk31-study: standard output: No space left on device\n", true},
                                      {">&-", "tesk31-study: standard output: Bad file descriptor\n", false}};
  for (const Redirection& r : redirections)
    for (const std::string& args : commands) {
      SCOPED_TRACE(args + " " + r.shell);
      const fs::path dir = folder();
      const std::string command = "cd '" + dir.string() + "' && { '" + TESK31_STUDY_PATH + "' " + args + " " + r.shell +
                                  " 2> .err; echo $? > .status; }";
      ASSERT_EQ(std::system(command.c_str()), 0);
      EXPECT_EQ(support::read_file(dir / ".status"), "2\n");
      // The last line says it; notes on the line (no wind, say) may come before.
      const std::string err = support::read_file(dir / ".err");
      EXPECT_TRUE(err.ends_with(r.message)) << err;
      EXPECT_EQ(err.find("standard output"), err.rfind("standard output")) << err;
      if (args != "--help") {
        EXPECT_EQ(fs::exists(dir / "out.csv"), r.outputs_written);
      }
      fs::remove_all(dir);
    }
}

// A limit is shown as given, never rounded to another limit.
TEST(Study, HeightShowsEachLimitAsGiven) {
  struct Case {
    const char* options;
    const char* label;
  };
  const Case cases[] = {
      {"--limit E=0.0005", "E <= 0.0005 kV/m"},
      {"--limit E=5", "E <= 5.000 kV/m"},
      {"--limit B=32.97 --b-unit mG", "B <= 32.97 mG"},
      {"--limit AN=40.25", "AN <= 40.25 dB(A)"},
      {"--limit E=1e-12", "E <= 1e-12 kV/m"},
  };
  const fs::path dir = folder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const support::Finished f = study(dir, std::string("height line.dat --at 0 --csv limits.csv ") + c.options);
    EXPECT_LE(f.status, 1) << f.err;
    const std::string label = c.label;
    EXPECT_NE(f.out.find('\n' + label + ' '), std::string::npos) << f.out;
    const std::string csv = support::read_file(dir / "limits.csv");
    EXPECT_NE(csv.find('\n' + label + ','), std::string::npos) << csv;
  }
}

// Files in metres and in feet side by side: --at X is X m for one and X ft
// for the other, and the picture says so for each file's bars.
TEST(Study, EdgesPictureLabelsEachFilesPointsInItsUnit) {
  struct Case {
    const char* files;
    std::vector<std::string> shown, not_shown;
  };
  const Case cases[] = {
      {"double.dat line.dat",
       {">double.dat, x in m<", ">line.dat, x in ft<", ">-30.0<", ">30.0<", "(x in each file"},
       {">-30.0 m<", ">-30.0 ft<"}},
      {"double.dat double.dat", {">double.dat<", ">-30.0 m<", ">30.0 m<"}, {"x in m", "(x in each file"}},
  };
  const fs::path dir = folder();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files);
    const support::Finished f = study(dir, std::string("edges ") + c.files + " --at -30 --at 30 --svg out.svg");
    ASSERT_EQ(f.status, 0) << f.err;
    const std::string svg = support::read_file(dir / "out.svg");
    for (const std::string& text : c.shown) EXPECT_NE(svg.find(text), std::string::npos) << text;
    for (const std::string& text : c.not_shown) EXPECT_EQ(svg.find(text), std::string::npos) << text;
  }
}

}  // namespace
