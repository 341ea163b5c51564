// tesk31-study run: every bundled example and test data file gives the
// print and DIF files tesk31 writes for it, byte for byte but for the date
// line; failed files are summarised one line each, with tesk31's status,
// and the others still written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;

// A fresh directory, removed with everything in it at the end of the test.
struct Scratch {
  static std::string plain_name() {
    std::string name = support::test_name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
  }
  fs::path dir = support::fresh_directory("brenlow-run-" + std::to_string(::getpid()) + "-" + plain_name());
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

// Every data file the repository bundles.
std::vector<fs::path> bundled_data_files() {
  std::vector<fs::path> files;
  for (const fs::path& root : {fs::path(BRENLOW_EXAMPLES), fs::path(BRENLOW_TEST_DATA)})
    for (const auto& entry : fs::recursive_directory_iterator(root))
      if (entry.path().extension() == ".dat") files.push_back(entry.path());
  return files;
}

// The text without its date line (the only line holding hh:mm:ss).
std::string without_date(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  int dated = 0;
  while (std::getline(in, line)) {
    const bool date = line.size() > 8 && line.find(':') != std::string::npos &&
                      line.find_first_not_of(" 0123456789/:\r") == std::string::npos;
    if (date) {
      ++dated;
      continue;
    }
    out += line + '\n';
  }
  EXPECT_LE(dated, 1) << "more than one date line";
  return out;
}

std::string quoted(const fs::path& path) {
  std::string text(1, '\'');
  text += path.string();
  text += '\'';
  return text;
}

TEST(RunFiles, EveryBundledFileAsTesk31WritesIt) {
  const Scratch s;
  const std::vector<fs::path> files = bundled_data_files();
  ASSERT_GE(files.size(), 8u);
  std::string names;
  std::set<std::string> stems;
  for (const fs::path& file : files) {
    if (!stems.insert(file.stem().string()).second) continue;  // one of each name
    const std::string stem = file.stem().string();
    const support::Finished alone = support::run_program(
        s.dir, TESK31_PATH, quoted(file) + " alone-" + stem + ".prt alone-" + stem + ".dif");
    ASSERT_EQ(alone.status, 0) << file << alone.err;
    // The list file takes every other name, the command line the rest.
    if (stems.size() % 2 == 0) {
      names += ' ';
      names += quoted(file);
    } else {
      support::write_file(s.dir / "list.txt", support::read_file(s.dir / "list.txt") + file.string() + "\n");
    }
  }
  const support::Finished f =
      support::run_program(s.dir, TESK31_STUDY_PATH, "run" + names + " --list list.txt --out out --jobs 3");
  ASSERT_EQ(f.status, 0) << f.err;
  // Nothing but the warnings of the 50-group line, whose DC poles pass 30 kV/cm.
  std::istringstream said(f.err);
  for (std::string line; std::getline(said, line);)
    EXPECT_NE(line.find("hybrid_line.dat: warning: group "), std::string::npos) << line;
  EXPECT_NE(f.out.find(std::to_string(stems.size()) + " data files run into out: " + std::to_string(stems.size()) +
                       " written, 0 failed."),
            std::string::npos)
      << f.out;
  for (const std::string& stem : stems) {
    const std::string print = support::read_file(s.dir / ("alone-" + stem + ".prt"));
    ASSERT_FALSE(print.empty()) << stem;
    EXPECT_EQ(without_date(support::read_file(s.dir / "out" / (stem + ".prt"))), without_date(print)) << stem;
    // A DIF file exactly when tesk31 writes one (the combined report selected).
    EXPECT_EQ(fs::exists(s.dir / "out" / (stem + ".dif")), fs::exists(s.dir / ("alone-" + stem + ".dif"))) << stem;
    EXPECT_EQ(support::read_file(s.dir / "out" / (stem + ".dif")),
              support::read_file(s.dir / ("alone-" + stem + ".dif")))
        << stem;
  }
}

// Files that fail, among good ones: each one line naming the file, the
// status tesk31 would have ended with and why; the good files written;
// status 2. A data file its checks refuse ends tesk31 with status 2, its
// ERROR line and the reason.
TEST(RunFiles, FailuresSummarisedOneLineEach) {
  const Scratch s;
  const std::string good = support::read_file(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat");
  ASSERT_FALSE(good.empty());
  // Minus three phases: refused by the data checks.
  const std::size_t counts = good.find(" 0,0, 3, 5");
  ASSERT_NE(counts, std::string::npos);
  const std::string refused = good.substr(0, counts) + " 0,0,-3, 5" + good.substr(counts + 10);
  support::write_file(s.dir / "good.dat", good);
  support::write_file(s.dir / "cut.dat", good.substr(0, good.find(" 'PHASE B")));
  support::write_file(s.dir / "refused.dat", refused);
  const std::vector<std::string> lines = {
      "cut.dat: status 2: reading conductor group 2 of 5: file cut.dat, record 7: End of file\n",
      "refused.dat: status 2: file refused.dat: -3 energized of 5 groups: 0 <= energized <= groups <= 50 must "
      "hold; ERROR-INVALID DATA IN INPUT FILE\n",
      "missing.dat: status 2: missing.dat: No such file or directory\n",
  };
  for (const char* jobs : {"1", "4"}) {
    const support::Finished f = support::run_program(
        s.dir, TESK31_STUDY_PATH, std::string("run cut.dat --list - refused.dat --out out --jobs ") + jobs,
        "good.dat\n\nmissing.dat\r\n");
    EXPECT_EQ(f.status, 2) << f.err;
    for (const std::string& line : lines) EXPECT_NE(f.err.find(line), std::string::npos) << f.err;
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 3) << f.err;
    EXPECT_NE(f.out.find("4 data files run into out: 1 written, 3 failed."), std::string::npos) << f.out;
    EXPECT_FALSE(support::read_file(s.dir / "out" / "good.prt").empty());
  }
}

struct Refused {
  const char* name;
  const char* args;
  const char* message;
};

class RunFilesRefused : public ::testing::TestWithParam<Refused> {};

// Command lines refused before any file is run: nothing is written.
TEST_P(RunFilesRefused, StatusTwoAndNothingWritten) {
  const Scratch s;
  support::write_file(s.dir / "a.dat", "x");
  fs::create_directories(s.dir / "b");
  support::write_file(s.dir / "b" / "a.dat", "x");
  const support::Finished f = support::run_program(s.dir, TESK31_STUDY_PATH, GetParam().args);
  EXPECT_EQ(f.status, 2);
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
  EXPECT_FALSE(fs::exists(s.dir / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Study, RunFilesRefused,
    ::testing::Values(Refused{"NoOutputDirectory", "run a.dat", "no output directory (--out DIR)"},
                      Refused{"NoDataFile", "run --out out", "no data file named"},
                      Refused{"SameName", "run a.dat b/a.dat --out out", "\"a.dat\" and \"b/a.dat\" would both write out/a.prt"},
                      Refused{"NoList", "run --list nolist.txt --out out", "nolist.txt: cannot open the list"},
                      Refused{"NoJobs", "run a.dat --out out --jobs 0", "--jobs"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
