// tesk31-study comply as a shell runs it: the exit statuses, the CSV and
// JSON of the table, what it refuses.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  fs::path dir;
  Scratch() {
    dir = support::fresh_directory("brenlow-comply-" + std::to_string(::getpid()) + "-" + support::test_name());
    for (const char* name : {"example.dat", "500kv_dc_bipole.dat", "500kv_english.dat"}) {
      fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/" + name, dir / name);
      fs::permissions(dir / name, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }
    // The example's E at its right edge (30 m) is 2.195 kV/m, within the right-of-way 5.365 kV/m.
    support::write_file(dir / "edge_2_1.toml", "[[limit]]\nquantity = \"E\"\nvalue = 2.1\nunit = \"kV/m\"\n"
                                               "where = \"edge\"\nfrequency = 60\nsource = \"test\"\n");
    support::write_file(dir / "edge_2_3.toml", "[[limit]]\nquantity = \"E\"\nvalue = 2.3\nunit = \"kV/m\"\n"
                                               "where = \"edge\"\nfrequency = 60\n");
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
  support::Finished study(const std::string& args) const { return support::run_program(dir, TESK31_STUDY_PATH, args); }
};

TEST(ComplyCommand, ExitStatuses) {
  const Scratch s;
  struct Case {
    const char* args;
    int status;
    const char* says;  // in the output (status 0, 1) or the error stream (2)
  };
  const Case cases[] = {
      {"example.dat --limits edge_2_3.toml --edge 30", 0, "PASS"},
      {"example.dat --limits edge_2_1.toml --edge 30", 1, "FAIL"},
      {"example.dat --limits minnesota --edge 30", 0, "PASS"},
      {"example.dat --limits florida --edge 30", 1, "FAIL"},  // 2 kV/m at the edge
      {"example.dat --limits icnirp-2010 --edge 30 --frequency 50", 1, "N/A"},  // 5.365 kV/m; 60 Hz limits N/A
      {"500kv_dc_bipole.dat --limits icnirp-2010 --edge 30", 2, "no limit of icnirp-2010 applies"},
      {"example.dat 500kv_dc_bipole.dat --limits edge_2_1.toml --edge 30", 1, "FAIL"},
      {"example.dat --limits nothing --edge 30", 2, "neither a limit set shipped"},
      {"example.dat --limits florida", 2, "no right-of-way given"},
      {"example.dat --edge 30", 2, "no limit set given"},
      {"example.dat --limits florida --edge 0", 2, "must be above 0"},
      {"example.dat --limits florida --edge 30,-30", 2, "right edge must lie right"},
      {"example.dat --limits florida --edge 1,2,3", 2, "X or LEFT,RIGHT"},
      {"example.dat --limits florida --edge 30 --frequency 55", 2, "50 or 60"},
      {"example.dat --limits florida --edge 1e9", 2, "--edge"},
      {"example.dat --limits florida --edge 30 --csv example.dat", 2, "example.dat"},
      {"example.dat --limits edge_2_1.toml --edge 30 --json edge_2_1.toml", 2, "edge_2_1.toml"},
  };
  for (const Case& c : cases) {
    const support::Finished f = s.study(std::string("comply ") + c.args);
    EXPECT_EQ(f.status, c.status) << c.args << "\n" << f.out << f.err;
    EXPECT_NE((c.status == 2 ? f.err : f.out).find(c.says), std::string::npos) << c.args << "\n" << f.out << f.err;
  }
}

TEST(ComplyCommand, CsvAndJsonOfTheSameTable) {
  const Scratch s;
  const support::Finished f =
      s.study("comply 500kv_english.dat --limits florida --edge 100 --csv c.csv --json j.json --b-unit uT");
  ASSERT_EQ(f.status, 1) << f.err;
  const std::string csv = support::read_file(s.dir / "c.csv");
  const std::string json = support::read_file(s.dir / "j.json");
  // The English file's edges in feet; B in the unit asked for: 200 mG is 20 uT.
  EXPECT_NE(csv.find("x (ft)"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",20,"), std::string::npos) << csv;
  EXPECT_NE(json.find("\"edges\": [-100, 100]"), std::string::npos) << json;
  EXPECT_NE(json.find("\"frequency_hz\": 60"), std::string::npos) << json;
  EXPECT_NE(json.find("\"limit_as_given\": \"200 mG\""), std::string::npos) << json;
  // One CSV line and one JSON row per limit of the set, every verdict in both.
  std::size_t lines = 0, rows = 0;
  for (char c : csv) lines += c == '\n';
  for (std::size_t at = json.find("\"result\""); at != std::string::npos; at = json.find("\"result\"", at + 1)) ++rows;
  EXPECT_EQ(lines, 6u);
  EXPECT_EQ(rows, 5u);
  for (const char* verdict : {"PASS", "FAIL", "N/A"}) {
    EXPECT_NE(csv.find(verdict), std::string::npos) << verdict;
    EXPECT_NE(json.find(verdict), std::string::npos) << verdict;
  }
}

}  // namespace

namespace {

TEST(HeightWithASet, RaisesAsTheSetsLimitsTypedByHand) {
  const Scratch s;
  // Florida on a 525 kV line: 2 kV/m (edge), 10 kV/m (row) and 200 mG = 20 uT (edge, the 500 kV class).
  const support::Finished set = s.study("height example.dat --limit florida --at=-30 --at 30");
  const support::Finished typed = s.study("height example.dat --limit E=2 --limit E=10 --limit B=20 --at=-30 --at 30");
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out.substr(0, set.out.find('\n')), typed.out.substr(0, typed.out.find('\n')));
  EXPECT_NE(set.err.find("E <= 8 kV/m (row, 60 Hz) does not apply"), std::string::npos) << set.err;
  const support::Finished none = s.study("height 500kv_dc_bipole.dat --limit florida --at 30");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("no limit of the set applies"), std::string::npos) << none.err;
  EXPECT_EQ(s.study("height example.dat --limit nothing --at 30").status, 2);
}

}  // namespace
