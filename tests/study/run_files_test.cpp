// tesk31-study run: every bundled example and test data file gives the
// print and DIF files tesk31 writes for it, byte for byte but for the date
// line; failed files are summarised one line each, with tesk31's status,
// and the others still written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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
                       " written (1 with warnings), 0 failed."),
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

// A file that only warns is written and counted so, its warnings shown; a
// DIF file of an earlier run that this run does not write goes, and so do
// the unfinished outputs of a failed file; a folder stands for its data
// files, sorted.
TEST(RunFiles, WarningsOwnedOutputsAndFolders) {
  const Scratch s;
  const std::string good = support::read_file(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat");
  const std::size_t current = good.find("   2.000,   0.000\n");
  ASSERT_NE(current, std::string::npos);
  fs::create_directories(s.dir / "lines" / "sub.dat");
  support::write_file(s.dir / "lines" / "neg.DAT", good.substr(0, current) + "  -2.000" + good.substr(current + 8));
  support::write_file(s.dir / "lines" / "b.dat", good);
  support::write_file(s.dir / "lines" / "cut.dat", good.substr(0, good.find(" 'PHASE B")));
  support::write_file(s.dir / "lines" / "notes.txt", "not a data file");
  support::write_file(s.dir / "out" / "cut.dif", "old");
  support::write_file(s.dir / "out" / "neg.dif", "old");
  const support::Finished f = support::run_program(s.dir, TESK31_STUDY_PATH, "run lines --out out --jobs 2");
  EXPECT_EQ(f.status, 2) << f.err;
  EXPECT_NE(f.out.find("3 data files run into out: 2 written (1 with warnings), 1 failed."), std::string::npos) << f.out;
  EXPECT_NE(f.err.find("lines/neg.DAT: warning: group 1 PHASE A: current -2 kA entered negative"), std::string::npos) << f.err;
  EXPECT_NE(f.err.find("lines/cut.dat: status 2: "), std::string::npos) << f.err;
  EXPECT_NE(support::read_file(s.dir / "out" / "neg.dif"), "old");
  EXPECT_FALSE(fs::exists(s.dir / "out" / "cut.dif"));  // failed: no DIF file, neither old nor unfinished
  EXPECT_FALSE(support::read_file(s.dir / "out" / "cut.prt").empty());  // its listing up to the failure

  // The combined report no longer selected: the earlier DIF file goes, and the run says so.
  std::string fields_only = good;
  fields_only.replace(fields_only.find("\n ALL\n"), 6, "\n EF\n ");
  support::write_file(s.dir / "lines" / "b.dat", fields_only);
  const support::Finished again = support::run_program(s.dir, TESK31_STUDY_PATH, "run lines/b.dat --out out");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_FALSE(fs::exists(s.dir / "out" / "b.dif"));
  EXPECT_NE(again.err.find("lines/b.dat: note: out/b.dif of an earlier run removed"), std::string::npos) << again.err;

  // A missing file leaves no empty print file.
  const support::Finished missing = support::run_program(s.dir, TESK31_STUDY_PATH, "run missing.dat --out out");
  EXPECT_EQ(missing.status, 2);
  EXPECT_FALSE(fs::exists(s.dir / "out" / "missing.prt"));
}

// An output that is an input under another name (a hard or symbolic link)
// is refused before any work, the input untouched.
TEST(RunFiles, OutputsThatAreInputsRefused) {
  const Scratch s;
  const std::string good = support::read_file(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat");
  fs::create_directories(s.dir / "in");
  fs::create_directories(s.dir / "out");
  support::write_file(s.dir / "in" / "z.dat", good);
  support::write_file(s.dir / "in" / "a.dat", good);
  support::write_file(s.dir / "list.txt", "in/a.dat\n");
  struct Case {
    std::function<void()> make;
    const char* args;
    const char* message;
  };
  const std::vector<Case> cases = {
      {[&] { fs::create_hard_link(s.dir / "in" / "z.dat", s.dir / "out" / "a.prt"); }, "run in/z.dat in/a.dat --out out",
       "out/a.prt is the input in/z.dat under another name"},
      {[&] { fs::create_symlink("../in/z.dat", s.dir / "out" / "a.dif"); }, "run in/z.dat in/a.dat --out out",
       "out/a.dif is the input in/z.dat under another name"},
      {[&] { fs::create_symlink("../list.txt", s.dir / "out" / "a.prt"); }, "run --list list.txt --out out",
       "out/a.prt is the input list.txt under another name"},
      {[&] { fs::create_symlink("a.prt", s.dir / "out" / "z.prt"); }, "run in/z.dat in/a.dat --out out",
       "are one file: one would be written over the other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    fs::remove_all(s.dir / "out");
    fs::create_directories(s.dir / "out");
    c.make();
    const support::Finished f = support::run_program(s.dir, TESK31_STUDY_PATH, c.args);
    EXPECT_EQ(f.status, 2);
    EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
    EXPECT_EQ(f.out, "");
    EXPECT_EQ(support::read_file(s.dir / "in" / "z.dat"), good);
    EXPECT_EQ(support::read_file(s.dir / "list.txt"), "in/a.dat\n");
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
  fs::create_directories(s.dir / "e");
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
                      Refused{"NoJobs", "run a.dat --out out --jobs 0", "--jobs"},
                      Refused{"EmptyFolder", "run e --out out", "e: the folder holds no data file (*.dat)"},
                      Refused{"SameNameFromAFolder", "run a.dat b --out out", "\"a.dat\" and \"b/a.dat\" would both write"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
