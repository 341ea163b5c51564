// tesk31-study run as a shell runs it: bad arguments and files refused with
// status 2 and a message that says what; an output never overwrites an
// input; the table, the CSV header and the written data file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "engine/engine.hpp"
#include "study/quantity.hpp"
#include "study/study_run.hpp"
#include "study/test_lines.hpp"
#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;
using study_test::scratch;
using study_test::study;

struct Bad {
  const char* name;
  const char* args;
  const char* message;
};

class BadArguments : public ::testing::TestWithParam<Bad> {};

TEST_P(BadArguments, StatusTwoAndWhatIsWrong) {
  const fs::path dir = scratch();
  const std::string before = support::read_file(dir / "line.dat");
  const support::Finished f = study(dir, GetParam().args);
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
  EXPECT_EQ(support::read_file(dir / "line.dat"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Study, BadArguments,
    ::testing::Values(
        Bad{"NoSubcommand", "", "no subcommand"},
        Bad{"UnknownSubcommand", "frobnicate line.dat", "unknown subcommand \"frobnicate\""},
        Bad{"UnknownOption", "edges line.dat --at 0 --colour red", "unknown option --colour"},
        Bad{"NoPoint", "edges line.dat", "no point given"},
        Bad{"PointNotANumber", "edges line.dat --at 7x", "--at needs a number, not \"7x\""},
        Bad{"OptionWithoutValue", "edges line.dat --at", "--at needs a value"},
        Bad{"MissingFile", "edges nothere.dat --at 0", "nothere.dat"},
        Bad{"BadBUnit", "edges line.dat --at 0 --b-unit T", "--b-unit needs uT, mG or G"},
        Bad{"UnknownQuantity", "phasing line.dat --circuit 1,2,3 --minimize XYZ --at 0", "unknown quantity \"XYZ\""},
        Bad{"BadCircuit", "phasing line.dat --circuit 1,2,x --minimize B --at 0", "--circuit needs a whole number"},
        Bad{"EarthWireInCircuit", "phasing line.dat --circuit 1,2,7 --minimize B --at 0", "group 7 (345-SWL) is an earth wire"},
        Bad{"OutputIsInput", "phasing line.dat --circuit 1,2,3 --circuit 4,5,6 --minimize B --at 0 -o ./line.dat",
            "is the input data file"},
        Bad{"CsvIsInput", "edges line.dat --at 0 --csv line.dat", "will not be overwritten"},
        Bad{"TwoOutputsOneFile", "edges line.dat --at 0 --csv out.txt --svg ./out.txt", "both name"},
        Bad{"LimitWithoutValue", "height line.dat --limit B --at 0", "--limit needs Q=VALUE"},
        Bad{"LimitNotANumber", "height line.dat --limit B=high --at 0", "--limit B needs a number"},
        Bad{"MapOfNoise", "map line.dat --quantity AN --svg m.svg", "a map shows a field (E, E-RES, B, B-RES"},
        Bad{"MapRangeBackwards", "map line.dat --quantity E --x 50:-50 --svg m.svg", "TO must be above FROM"},
        Bad{"CompareMissingFile", "compare line.dat ../../nothing.dat", "nothing.dat"},
        Bad{"CompareMixedUnits", "compare line.dat " BRENLOW_EXAMPLES "/500kv_flat.dat", "profiles are compared in one unit"},
        Bad{"CircuitTooLarge", "phasing line.dat --circuit 1-7 --minimize B --at 0", "circuit 1 has more than 6 groups"},
        Bad{"TopZero", "phasing line.dat --circuit 1,2,3 --minimize B --at 0 --top 0", "--top needs a whole number"},
        Bad{"TopTooMany", "phasing line.dat --circuit 1,2,3 --minimize B --at 0 --top 100001", "--top"},
        Bad{"TimeLimitZero", "phasing line.dat --circuit 1,2,3 --minimize B --at 0 --time-limit 0",
            "--time-limit: a number of seconds above 0"},
        Bad{"TimeLimitNotANumber", "phasing line.dat --circuit 1,2,3 --minimize B --at 0 --time-limit soon",
            "--time-limit"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Study, HelpIsStatusZero) {
  const support::Finished f = study(scratch(), "--help");
  EXPECT_EQ(f.status, 0);
  EXPECT_NE(f.out.find("phasing LINE.dat --circuit"), std::string::npos);
}

// "NUL" is an ordinary file to the study, not tesk31's null device: an
// output of that name is the input of that name.
TEST(Study, OutputNamedNulIsTheInputNamedNul) {
  const fs::path dir = scratch();
  fs::copy_file(dir / "line.dat", dir / "NUL");
  const std::string before = support::read_file(dir / "NUL");
  for (const char* args : {"edges NUL --at 0 --csv NUL", "height NUL --limit B=2 --at 0 -o NUL"}) {
    const support::Finished f = study(dir, args);
    EXPECT_EQ(f.status, 2) << args << '\n' << f.out << f.err;
    EXPECT_NE(f.err.find("it will not be overwritten"), std::string::npos) << args << '\n' << f.err;
    EXPECT_EQ(support::read_file(dir / "NUL"), before) << args;
  }
}

TEST(Study, UnreachableLimitIsStatusOne) {
  const fs::path dir = scratch();
  const support::Finished f = study(dir, "height line.dat --limit B=0 --at 0 -o raised.dat");
  EXPECT_EQ(f.status, 1) << f.err;
  EXPECT_NE(f.out.find("no raise of every group up to 1000 m (3280.84 ft) meets every limit"), std::string::npos)
      << f.out;
  EXPECT_FALSE(fs::exists(dir / "raised.dat"));
}

TEST(Study, PhasingWritesTheBestAndListsItsValues) {
  const fs::path dir = scratch();
  const support::Finished f =
      study(dir, "phasing line.dat --circuit 1,2,3 --circuit 4,5,6 --minimize B --at -75 --b-unit mG --top 2 "
                 "-o best.dat --csv best.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("36 arrangements (6^2)"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("counted once: 6 distinct"), std::string::npos) << f.out;
  // The value printed for rank 1 is the engine's for the file written.
  const brenlow::Evaluation best(brenlow::read_data_file((dir / "best.dat").string()));
  const std::string value =
      study::fixed(study::value(best.point(-75 * 0.3048f), study::Quantity::b, study::BUnit::milligauss), 2);
  EXPECT_EQ(value, "33.54");
  EXPECT_NE(f.out.find("\n1 "), std::string::npos);
  EXPECT_NE(f.out.find(value), std::string::npos);
  const std::string csv = support::read_file(dir / "best.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')),
            "rank,1 345L-1 (deg),2 345L-2 (deg),3 345L-3 (deg),4 345R-1 (deg),5 345R-2 (deg),6 345R-3 (deg),"
            "B at -75.0 (mG)");
}

// The words of the combined report line of tesk31's print file for lateral
// distance `x` (the line's first field): the last page's line of nine
// numbers (the TV page's lines have nine too), or none.
std::vector<std::string> combined_line(const std::string& print, const std::string& x) {
  std::vector<std::string> found;
  std::size_t at = 0;
  while ((at = print.find('\n', at)) != std::string::npos) {
    ++at;
    std::istringstream line(print.substr(at, print.find('\n', at) - at));
    std::vector<std::string> words;
    for (std::string w; line >> w;) words.push_back(w);
    if (words.size() == 9 && words[0] == x) found = words;
  }
  return found;
}

TEST(Study, PhasingPrintsWhatTesk31PrintsForTheFileWritten) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/345kv_double_circuit.dat", dir / "double.dat");
  const support::Finished f =
      study(dir, "phasing double.dat --circuit 1-3 --circuit 4-6 --minimize B --at -30 --at 30 --top 1 "
                 "--b-unit G -o best.dat --csv best.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  const support::Finished run = support::run_program(dir, TESK31_PATH, "best.dat best.prt best.dif");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string print = support::read_file(dir / "best.prt");
  // The rank-1 row of the table: its B at each point, in gauss to tesk31's decimals.
  const std::string table = f.out.substr(f.out.find("\n1 "));
  std::istringstream row(table);
  std::vector<std::string> words;
  for (std::string w; row >> w && words.size() < 10;) words.push_back(w);
  ASSERT_EQ(words.size(), 10u);
  EXPECT_EQ(combined_line(print, "-30.0").at(8), words[7]);
  EXPECT_EQ(combined_line(print, "30.0").at(8), words[8]);
}

TEST(Study, EdgesTableAndCsv) {
  const fs::path dir = scratch();
  const support::Finished f = study(dir, "edges line.dat --at -75 --at 75 --b-unit mG --csv edges.csv");
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("65.93"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("61.52"), std::string::npos) << f.out;
  const std::string csv = support::read_file(dir / "edges.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')),
            "file,x (ft),E (kV/m),E-RES (kV/m),B (mG),B-RES (mG),AN (dB(A)),AN-FAIR (dB(A)),RI (dB(uV/m)),RI-FAIR (dB(uV/m)),"
            "TV (dB(uV/m)),OZ (ppb),max gradient (kV/cm)");
}

TEST(Study, HeightWritesTheRaisedFile) {
  const fs::path dir = scratch();
  const support::Finished f = study(dir, "height line.dat --limit B=32.97 --at -75 --b-unit mG -o raised.dat");
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_NE(f.out.find("raise every group by 47.35 ft"), std::string::npos) << f.out;
  const brenlow::CrossSection raised = brenlow::read_data_file((dir / "raised.dat").string());
  const brenlow::CrossSection given = brenlow::read_data_file((dir / "line.dat").string());
  EXPECT_NEAR(raised.groups[0].y / 0.3048f, given.groups[0].y / 0.3048f + 47.35f, 1e-3f);
  const brenlow::Evaluation run(raised);
  EXPECT_LE(study::value(run.point(-75 * 0.3048f), study::Quantity::b, study::BUnit::milligauss), 32.97f);
}

struct Picture {
  const char* name;
  const char* args;
  const char* holds;  // something the picture must show
};

class Pictures : public ::testing::TestWithParam<Picture> {};

TEST_P(Pictures, WholeSvgWritten) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/345kv_double_circuit.dat", dir / "double.dat");
  const support::Finished f = study(dir, GetParam().args);
  ASSERT_EQ(f.status, 0) << f.err;
  const std::string svg = support::read_file(dir / "out.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  EXPECT_NE(svg.find(GetParam().holds), std::string::npos);
  EXPECT_NE(f.out.find("wrote out.svg"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Study, Pictures,
    ::testing::Values(
        Picture{"Edges", "edges double.dat line.dat --at -30 --at 30 --svg out.svg", ">RI-FAIR</text>"},
        // Each bar carries its value (B at -30 m, as the table prints it).
        Picture{"EdgeBarsCarryTheirValues", "edges double.dat --at=-30 --svg out.svg", ">4.502</text>"},
        Picture{"Compare", "compare double.dat double.dat --quantity E,B --svg out.svg", "<polyline"},
        Picture{"Phasing", "phasing double.dat --circuit 1-3 --circuit 4-6 --minimize B --at 30 --svg out.svg",
                "best (rank 1): 1 "},
        Picture{"MapE", "map double.dat --quantity E --svg out.svg", "contours: round steps"},
        Picture{"MapB", "map double.dat --quantity B --b-unit mG --x -30:30 --y 0:40 --step 1 --svg out.svg",
                "contours: 1-2-5 steps"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Study, CtrlCStopsTheSearchWithTheBestSoFar) {
  // Eight circuits ranked by the engine itself: minutes of work, stopped after
  // a second (under no time limit that a slow build could pass first).
  const fs::path dir = scratch();
  brenlow::write_data_file(study_test::tower_line(4), (dir / "eight.dat").string());
  std::string args = "phasing eight.dat --minimize B --at 0 --engine-ranking --threads 1 --top 2 --time-limit 1e9";
  for (int c = 0; c < 8; ++c) args += " --circuit " + std::to_string(3 * c + 1) + "-" + std::to_string(3 * c + 3);
  const std::string command = "cd '" + dir.string() + "' && ('" + TESK31_STUDY_PATH + "' " + args +
                              " > .out 2> .err & p=$!; sleep 1; kill -INT $p; wait $p; echo $? > .status)";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(support::read_file(dir / ".status"), "130\n");
  const std::string out = support::read_file(dir / ".out");
  EXPECT_NE(out.find("Stopped by Ctrl-C after"), std::string::npos) << out << support::read_file(dir / ".err");
  EXPECT_NE(out.find("\n1 "), std::string::npos) << out;
}

}  // namespace

namespace {

// One vocabulary: quantity names in any case, rain the default weather of
// AN and RI, B in uT for a metric file and mG for an English one unless
// --b-unit says otherwise, the resultants by name, levels not computed as
// n/a. Each row: the command, then texts its table must hold.
struct Spoken {
  const char* name;
  std::string args;
  std::vector<std::string> shown;
};

class Vocabulary : public ::testing::TestWithParam<Spoken> {};

TEST_P(Vocabulary, TheTableSaysIt) {
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat", dir / "flat.dat");
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat", dir / "bipole.dat");
  const support::Finished f = study(dir, GetParam().args);
  ASSERT_EQ(f.status, 0) << f.err;
  for (const std::string& text : GetParam().shown) EXPECT_NE(f.out.find(text), std::string::npos) << text << "\n" << f.out;
}

// The values below are the engine's own (a line of tesk31's combined report
// at -30 m, or the resultant the engine gives there), in the units named.
INSTANTIATE_TEST_SUITE_P(
    Study, Vocabulary,
    ::testing::Values(
        Spoken{"EnglishFileInMilligauss", "edges line.dat --at -75", {"(mG)", "65.93"}},
        Spoken{"MetricFileInMicrotesla", "edges flat.dat --at -30", {"(uT)", "7.169"}},
        Spoken{"ChosenUnitWins", "edges line.dat --at -75 --b-unit ut", {"(uT)", "6.593"}},
        Spoken{"RainIsTheDefaultWeather", "compare flat.dat --quantity ri,Ri-Fair --from -30 --to -30 --step 1",
               {"RI", "RI-FAIR", "59.3", "42.3"}},
        Spoken{"TheRainNameStillTaken", "compare flat.dat --quantity RI-RAIN --from -30 --to -30 --step 1", {"59.3"}},
        Spoken{"ResultantsByName", "compare flat.dat --quantity e-res,B-RES,E --from -30 --to -30 --step 1",
               {"E-RES", "B-RES", "1.892"}},
        Spoken{"ResultantLimit", "height flat.dat --limit b-res=5 --at -30", {"B-RES <= 5"}},
        Spoken{"ResultantMap", "map flat.dat --quantity E-RES --csv m.csv --step 10", {"E-RES"}},
        Spoken{"TvOfADcLineNotComputed", "edges bipole.dat --at -30", {"n/a"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// A symmetric line gets a grid symmetric about its centre, whatever the step.
TEST(Study, MapGridCentredOnTheLine) {
  namespace fs = std::filesystem;
  const fs::path dir = study_test::scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/345kv_double_circuit.dat", dir / "double.dat");
  for (const char* step : {"3", "0.7", "5"}) {
    SCOPED_TRACE(step);
    const support::Finished f = study_test::study(dir, std::string("map double.dat --quantity B --csv m.csv --step ") + step);
    ASSERT_EQ(f.status, 0) << f.err;
    std::istringstream csv(support::read_file(dir / "m.csv"));
    std::string line;
    std::getline(csv, line);  // header
    double first = 0, last = 0;
    bool any = false;
    while (std::getline(csv, line) && line.find(",0,") != std::string::npos) {  // the row at the ground
      const double x = std::stod(line.substr(0, line.find(',')));
      if (!any) first = x;
      last = x;
      any = true;
    }
    ASSERT_TRUE(any);
    EXPECT_NEAR(first, -last, 1e-4) << first << " " << last;
  }
}
