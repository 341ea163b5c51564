// tesk31 run as a program in a fresh directory: command line, console,
// print file and DIF file bytes, exit status.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/program.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;
using support::read_file;
using support::records;
using Outcome = support::Finished;

std::string blanks(std::size_t n) { return std::string(n, ' '); }
std::string padded(const std::string& text, std::size_t width) { return text + blanks(width - text.size()); }

// The example line with another option record.
std::string example_with(const std::string& options, const std::string& file = "example.dat") {
  std::istringstream in(read_file(fs::path(BRENLOW_EXAMPLES) / file));
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 4 && !options.empty() ? options : line) + "\n";
  return out;
}

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::fresh_directory("brenlow-e2e-driver-" + support::test_name());
  }
  void TearDown() override { fs::remove_all(dir_); }

  void write(const std::string& name, const std::string& text) const { support::write_file(dir_ / name, text); }
  std::string read(const std::string& name) const { return support::read_file(dir_ / name); }
  bool exists(const std::string& name) const { return fs::exists(dir_ / name); }

  // Runs tesk31 in the test directory; `env` is put before the command.
  Outcome run(const std::string& args, const std::string& answers = "", const std::string& env = "") const {
    return support::run_program(dir_, TESK31_PATH, args, answers, env);
  }
  // Files in the directory other than the harness's own.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name[0] != '.') names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

const std::vector<std::string> banner = {
    "     \xDB" + std::string(45, '\xDF') + "\xDB",
    "     \xDB" + blanks(16) + "B R E N L O W" + blanks(16) + "\xDB",
    "     \xDB P R O G R A M   V E R. 3.1" + blanks(18) + "\xDB",
    "     \xDB   Source: Tarnwick" + blanks(26) + "\xDB",
    "     \xDB" + std::string(45, '\xDC') + "\xDB",
};

// The input data list of the example line, from the listing layouts.
const std::vector<std::string> example_listing = {
    " " + padded(" 500 KV EXAMPLE LINE", 72),
    " " + padded(" FLAT CONFIGURATION, TWO EARTH WIRES", 72),
    " 0,0, 3, 5,0.0,   0.00,   1.00, 300.00",
    "",
    " (METRIC UNITS OPTION)",
    "",
    " (GRADIENTS ARE COMPUTED BY PROGRAM)",
    "",
    " PHYSICAL SYSTEM CONSISTS OF  5 CONDUCTORS, OF WHICH  3 ARE ENERGIZED PHASES",
    "",
    " OPTIONS: " + padded(" NONE", 45),
    "   1.500,  2.000, 10.000,  1.000,  1.000, 75.000,  1.000, 10.000,  1.000",
    " 'PHASE A ','A',  -12.00,   15.00, 3,  30.000,  45.000, 303.000,   0.000,   1.000,   0.000",
    " 'PHASE B ','A',    0.00,   15.00, 3,  30.000,  45.000, 303.000, 120.000,   1.000,   0.000",
    " 'PHASE C ','A',   12.00,   15.00, 3,  30.000,  45.000, 303.000, 240.000,   1.000,   0.000",
    " 'EARTH 1 ','D',   -9.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,   0.000,   0.000",
    " 'EARTH 2 ','D',    9.00,   25.00, 1,  11.000,   0.000,   0.000,   0.000,   0.000,   0.000",
    "  21  -50.0    5.0",
    "   0    0.0    0.0",
};

// The print file up to the date line: banner and heading.
void expect_stamp(const std::vector<std::string>& print) {
  ASSERT_GE(print.size(), 11u);
  EXPECT_EQ(std::vector<std::string>(print.begin(), print.begin() + 5), banner);
  EXPECT_EQ(std::vector<std::string>(print.begin() + 5, print.begin() + 10),
            (std::vector<std::string>{"", "", blanks(32) + "INPUT DATA LIST", "", ""}));
  EXPECT_TRUE(std::regex_match(print[10], std::regex(" {17}[ 1][0-9]/[ 123][0-9]/[0-9]{4} {10}[0-2][0-9]:[0-5][0-9]:[0-6][0-9]")))
      << print[10];
}

std::vector<std::string> console_start(const std::vector<std::string>& echoes) {
  std::vector<std::string> lines = {" Brenlow Program v3.1: Tarnwick"};
  lines.insert(lines.end(), echoes.begin(), echoes.end());
  lines.insert(lines.end(), banner.begin(), banner.end());
  return lines;
}

TEST_F(Program, ExampleWithoutReportsGivesTheInputDataList) {
  write("line.dat", example_with(" NONE"));
  const Outcome r = run("line.dat line.prt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  auto console = console_start({"      Using input file: line.dat", "      Using prt file: line.prt"});
  console.insert(console.end(), {" OPTIONS: " + padded(" NONE", 45), " INPUT DATA PRINTED", " MATRIX MATH FINISHED"});
  EXPECT_EQ(records(r.out), console);
  const auto print = records(read("line.prt"));
  expect_stamp(print);
  auto rest = example_listing;
  rest.push_back("1");
  EXPECT_EQ(std::vector<std::string>(print.begin() + 11, print.end()), rest);
  EXPECT_EQ(files(), (std::vector<std::string>{"line.dat", "line.prt"}));
}

TEST_F(Program, WrongArgumentCountShowsTheUsageAndCreatesNothing) {
  write("line.dat", example_with(""));
  for (const std::string args : {"line.dat", "line.dat a.prt a.dif extra"}) {
    SCOPED_TRACE(args);
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(records(r.out), (std::vector<std::string>{
                                  " Brenlow Program v3.1: Tarnwick", " Proper syntax, with optional arguments, is:",
                                  "     TESK31.EXE <<input filename> <output filename>> <dif filename>"}));
    EXPECT_EQ(files(), std::vector<std::string>{"line.dat"});
  }
}

// A file refused by its checks closes the run like a finished one (the
// listing so far and the final record) and fails: status 2, and the error
// stream says which group and which check, or how many points were given.
TEST_F(Program, OrderlyExitsCloseTheRunWithTheListingSoFar) {
  struct Case {
    const char* name;
    std::string from, to;  // a change to the example file
    std::string message;
    std::size_t listed;  // records of the example listing before the exit
    std::string error;   // the error stream
  };
  const std::vector<Case> cases = {
      {"earth wire without subconductors", "  -9.00,   25.00, 1,", "  -9.00,   25.00, 0,",
       " ERROR-INVALID DATA IN INPUT FILE", 15,
       "file line.dat: group 4 EARTH 1: number of subconductors must be at least 1\n"},
      {"too many points", "  21,  -50.0,    5.0\n   0,", "  90,  -50.0,    1.0\n  11,", " ERROR-TOO MANY DISTANCE POINTS",
       17, "file line.dat: 101 lateral points given (90, then 11 in the next group): at most 100 are allowed\n"},
      {"phase on the ground", "    0.00,   15.00, 3,", "    0.00,    0.00, 3,", " ERROR-INVALID DATA IN INPUT FILE", 13,
       "file line.dat: group 2 PHASE B: height 0 m is at or below the ground: a bundle's height must be above 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string deck = example_with(" NONE");
    deck.replace(deck.find(c.from), c.from.size(), c.to);
    write("line.dat", deck);
    const Outcome r = run("line.dat line.prt line.dif");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, c.error);
    const auto console = records(r.out);
    ASSERT_FALSE(console.empty());
    EXPECT_EQ(console.back(), c.message);
    EXPECT_EQ(r.out.find("INPUT DATA PRINTED"), std::string::npos);
    const auto print = records(read("line.prt"));
    expect_stamp(print);
    std::vector<std::string> expected(example_listing.begin(), example_listing.begin() + static_cast<long>(c.listed));
    if (c.listed == 17) expected.push_back("  90  -50.0    1.0");
    expected.push_back("1");
    EXPECT_EQ(std::vector<std::string>(print.begin() + 11, print.end()), expected);
  }
}

// What the error stream says about a file whose group count is wrong (the
// record expected before the read message) and about what is legal but
// probably not meant: a negative current, a phase counted as an earth wire,
// a unit option neither metric nor English, a diameter typed in cm and the
// gradient it gives (the run goes on as entered; the console and the files
// say nothing).
TEST_F(Program, ErrorStreamSaysWhatLooksWrong) {
  struct Case {
    const char* name;
    std::string from, to;  // a change to the example file
    int status;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"one group more declared than given", " 0,0, 3, 5,0.0", " 0,0, 3, 6,0.0", 2,
       "reading conductor group 6 of 6\nfile line.dat, record 12\nBad integer for item 5 in list input\n"},
      {"negative current on a phase", "303.000,   0.000,   1.000", "303.000,   0.000,  -1.000", 0,
       "warning: group 1 PHASE A: current -1 kA entered negative: the sign turns the current phasor by 180 degrees "
       "from the phase angle given\n"},
      {"two phases given, three energized", " 0,0, 3, 5,0.0", " 0,0, 2, 5,0.0", 0,
       "warning: group 3 PHASE C: counted as an earth wire (the general data give 2 phases or poles), yet at 303 kV: "
       "the voltage acts on the gradients and the electric field, while the group is left out of the corona "
       "quantities and its current 1 kA out of the magnetic field; should the general data give 3 phases or poles?\n"},
      {"unit option 2", " 0,0, 3, 5,0.0", " 2,0, 3, 5,0.0", 0,
       "warning: unit option 2 is neither 0 (metric) nor 1 (English units): the values were used as metric (m, mm, "
       "cm, m/s, mm/hr) as entered, unconverted; the listing says ENGLISH UNITS OPTION all the same, and the reports "
       "print distances in feet, converted from those metres\n"},
      {"diameter in cm", "3,  30.000,  45.000, 303.000,   0.000", "3,   3.040,  45.000, 303.000,   0.000", 0,
       "warning: group 1 PHASE A: subconductor diameter 3.04 mm is below 5 mm, thinner than any phase conductor: was "
       "it entered in cm? (a data file takes mm, inches in English units)\n"
       "warning: group 1 PHASE A: surface gradient 128.2 kV/cm (computed) is above 30 kV/cm, where air breaks down: "
       "the corona quantities lie far outside what their formulas hold for; check the subconductor diameter (3.04 mm) "
       "and the voltage (303 kV)\n"},
      {"thin earth wire", "1,  11.000", "1,   3.000", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string deck = example_with(" COMB");
    deck.replace(deck.find(c.from), c.from.size(), c.to);
    write("line.dat", deck);
    const Outcome r = run("line.dat line.prt line.dif");
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.error);
    for (const std::string& output : {r.out, read("line.prt")}) {
      EXPECT_EQ(output.find("warning"), std::string::npos);
      EXPECT_EQ(output.find("reading conductor"), std::string::npos);
    }
  }
}

TEST_F(Program, ReadFailureEndsTheRunWithStatusTwo) {
  std::string deck = example_with(" NONE");
  deck.replace(deck.find("  2.000, 10.000"), 7, "  2.O00");
  write("line.dat", deck);
  const Outcome r = run("line.dat line.prt");
  EXPECT_EQ(r.status, 2);
  const auto at = r.err.find('\n');
  ASSERT_NE(at, std::string::npos) << r.err;
  EXPECT_NE(r.err.substr(0, at).find("line.dat"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.substr(at + 1), "Bad real number in item 2 of list input\n");
  // The print file keeps the listing written so far and has no final record.
  const auto print = records(read("line.prt"));
  ASSERT_FALSE(print.empty());
  EXPECT_EQ(print.back(), " OPTIONS: " + padded(" NONE", 45));
}

TEST_F(Program, FilesThatCannotBeUsedEndTheRunWithStatusTwo) {
  write("line.dat", example_with(" ALL"));
  struct Case {
    const char* name;
    std::string args;
    std::vector<std::string> named;  // texts the error stream must hold
    std::vector<std::string> files;  // what the directory holds afterwards
  };
  const std::vector<Case> cases = {
      {"missing input file", "missing.dat line.prt", {"missing.dat", "No such file or directory"}, {"line.dat", "line.prt"}},
      {"print file in a missing folder", "line.dat nowhere/line.prt", {"nowhere/line.prt"}, {"line.dat"}},
      {"DIF file in a missing folder", "line.dat line.prt nowhere/line.dif", {"nowhere/line.dif"}, {"line.dat", "line.prt"}},
      {"print file is the input", "line.dat ./line.dat", {"\"./line.dat\"", "\"line.dat\""}, {"line.dat"}},
      {"DIF file is the input", "line.dat line.prt line.dat", {"DIF file"}, {"line.dat"}},
      {"print file full", "line.dat /dev/full", {"/dev/full"}, {"line.dat"}},
  };
  const std::string data = read("line.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "line.prt");
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2);
    for (const auto& text : c.named) EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
    EXPECT_EQ(files(), c.files);
    EXPECT_EQ(read("line.dat"), data);
  }
}

// A link whose target is not made yet names that target: writing one output
// through it would write over the other. Refused before either is made.
TEST_F(Program, OutputThroughALinkToAFileNotMadeYetIsThatFile) {
  write("line.dat", example_with(" ALL"));
  struct Case {
    const char* name;
    std::string link, target, args, message;
  };
  const std::vector<Case> cases = {
      {"DIF file through a link to the print file", "dang.dif", "line.prt", "line.dat line.prt dang.dif",
       "DIF file \"dang.dif\" is the same file as the print file \"line.prt\""},
      {"print file through a link to the DIF file", "dang.prt", "line.dif", "line.dat dang.prt line.dif",
       "DIF file \"line.dif\" is the same file as the print file \"dang.prt\""},
      {"print file through a link to a link to the DIF file", "chain.prt", "dang.dif",
       "line.dat chain.prt line.dif", "the print file \"chain.prt\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::create_symlink(c.target, dir_ / c.link);
    if (c.target == "dang.dif") fs::create_symlink("line.dif", dir_ / "dang.dif");
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(exists("line.prt") || exists("line.dif"));
    for (const auto& entry : fs::directory_iterator(dir_))
      if (fs::is_symlink(entry.symlink_status())) fs::remove(entry.path());
  }
}

// Regular files under `dir` but for the harness's own, sorted by path.
std::vector<std::string> files_under(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Run from a working folder deeper than 150 characters with names of more
// than 200: every name is used whole, on the command line and at the
// prompts, the output is that of a run with short names, nothing is written
// under a cut name, and an output that is the data file is still refused.
TEST_F(Program, LongNamesFromADeepFolderAreUsedWhole) {
  const fs::path work = dir_ / std::string(60, 'w') / std::string(60, 'x') / std::string(40, 'y');
  const fs::path sub = work / std::string(110, 's');
  fs::create_directories(sub);
  ASSERT_GT(work.string().size(), 150u);
  const std::string stem(120, 'n');
  const std::string data = (work / (stem + ".dat")).string(), print = (work / (stem + ".prt")).string(),
                    dif = (work / (stem + ".dif")).string();
  for (const std::string& name : {data, print, dif}) ASSERT_GT(name.size(), 200u);
  support::write_file(data, example_with(" ALL"));
  write("line.dat", example_with(" ALL"));
  const Outcome short_names = run("line.dat line.prt line.dif");
  ASSERT_EQ(short_names.status, 0) << short_names.err;
  const auto same_output = [&](const std::string& print_name, const std::string& dif_name) {
    auto long_print = records(read_file(print_name)), short_print = records(read("line.prt"));
    ASSERT_EQ(long_print.size(), short_print.size());
    ASSERT_GT(long_print.size(), 10u);
    long_print[10] = short_print[10];  // date line
    EXPECT_EQ(long_print, short_print);
    EXPECT_EQ(read_file(dif_name), read("line.dif"));
  };

  const Outcome named = support::run_program(work, TESK31_PATH, data + " " + print + " " + dif);
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.err, "");
  const auto console = records(named.out);
  ASSERT_GE(console.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(console.begin() + 1, console.begin() + 4),
            (std::vector<std::string>{"      Using input file: " + data, "      Using prt file: " + print,
                                      "      Using dif file: " + dif}));
  same_output(print, dif);

  // Typed at the prompts, relative to the working folder.
  const std::string typed_print = sub.filename().string() + "/" + stem + ".prt",
                    typed_dif = sub.filename().string() + "/" + stem + ".dif";
  ASSERT_GT(typed_print.size(), 200u);
  const Outcome typed = support::run_program(work, TESK31_PATH, "", typed_print + "\n1\n" + data + "\nN\n" + typed_dif + "\n");
  ASSERT_EQ(typed.status, 0) << typed.err;
  EXPECT_NE(typed.out.find(" INFILE is: \r\n " + data + "\r\n"), std::string::npos) << typed.out;
  same_output((sub / (stem + ".prt")).string(), (sub / (stem + ".dif")).string());

  std::vector<std::string> written = {dir_ / "line.dat", dir_ / "line.dif", dir_ / "line.prt", dif, data, print,
                                      sub / (stem + ".dif"), sub / (stem + ".prt")};
  std::sort(written.begin(), written.end());
  EXPECT_EQ(files_under(dir_), written);

  // An output that is the data file, named relative, through a link, or with
  // a detour, is refused however long its name.
  const std::string link(150, 'l');
  fs::create_directory_symlink(work, work / link);
  struct Case {
    const char* name;
    std::string args;
  };
  const std::vector<Case> cases = {
      {"print file through a link", data + " " + link + "/" + stem + ".dat"},
      {"print file relative", data + " ./" + stem + ".dat"},
      {"DIF file with a detour", data + " run.prt ../" + work.filename().string() + "/" + stem + ".dat"},
  };
  const std::string deck = read_file(data);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome r = support::run_program(work, TESK31_PATH, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("is the same file as the input data file \"" + data + "\": refused"), std::string::npos) << r.err;
    EXPECT_EQ(read_file(data), deck);
    EXPECT_EQ(files_under(dir_), written);
  }
}

// A name past the system's limits (a part longer than a file name may be, a
// path longer than a path may be) ends the run with status 2 and a message
// naming the file, before any file is touched. A DIF file is named at the
// prompt only after the listing has gone to the print file.
TEST_F(Program, NamesPastTheSystemsLimitsEndTheRunWithStatusTwo) {
  write("line.dat", example_with(" ALL"));
  write("old.prt", "kept\n");
  const long name_max = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  const long path_max = ::pathconf(dir_.c_str(), _PC_PATH_MAX);
  const std::string long_part((name_max > 0 ? static_cast<std::size_t>(name_max) : 255) + 1, 'p');
  std::string long_path = (dir_ / "").string();
  while (long_path.size() <= static_cast<std::size_t>(path_max > 0 ? path_max : 4096)) long_path += "d/";
  struct Case {
    const char* name;
    std::string args, answers, refused;
    bool print_kept = true;
  };
  const std::vector<Case> cases = {
      {"data file path", long_path + "line.dat old.prt", "", long_path + "line.dat"},
      {"print file name", "line.dat " + long_part + ".prt", "", long_part + ".prt"},
      {"print file path", "line.dat " + long_path + "line.prt", "", long_path + "line.prt"},
      {"DIF file path", "line.dat old.prt " + long_path + "line.dif", "", long_path + "line.dif"},
      {"print file typed", "", long_path + "line.prt\n", long_path + "line.prt"},
      {"data file typed", "", "old.prt\n1\n" + long_part + ".dat\n", long_part + ".dat"},
      {"DIF file typed", "", "old.prt\n1\nline.dat\nN\n" + long_path + "line.dif\n", long_path + "line.dif", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("old.prt", "kept\n");
    const Outcome r = run(c.args, c.answers);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.refused + ": File name too long\n"), std::string::npos) << r.err.substr(0, 200);
    EXPECT_EQ(files(), (std::vector<std::string>{"line.dat", "old.prt"}));
    if (c.print_kept) {
      EXPECT_EQ(read("old.prt"), "kept\n");
    }
  }
}

TEST_F(Program, DifFileOnlyWithTheCombinedReport) {
  struct Case {
    std::string options, args;
    std::vector<std::string> files;
  };
  const std::vector<Case> cases = {
      {" AN", "line.dat line.prt line.dif", {"line.dat", "line.prt"}},
      {" COMB", "line.dat line.prt", {"line.dat", "line.prt"}},
      {" COMB", "line.dat line.prt line.dif", {"line.dat", "line.dif", "line.prt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options + " / " + c.args);
    for (const auto& name : files()) fs::remove(dir_ / name);
    write("line.dat", example_with(c.options));
    EXPECT_EQ(run(c.args).status, 0);
    EXPECT_EQ(files(), c.files);
  }
}

TEST_F(Program, PrnGoesToThePrintSpooler) {
  write("line.dat", example_with(" NONE"));
  fs::create_directories(dir_ / "bin");
  // A stand-in spooler that keeps a copy of the file it is given.
  write("bin/lp", "#!/bin/sh\nfor f; do :; done\nexec /bin/cp \"$f\" '" + (dir_ / "spooled.txt").string() + "'\n");
  fs::permissions(dir_ / "bin/lp", fs::perms::owner_all);
  const Outcome r = run("line.dat PRN", "", "PATH='" + (dir_ / "bin").string() + "':/usr/bin:/bin");
  EXPECT_EQ(r.status, 0) << r.err;
  const auto print = records(read("spooled.txt"));
  expect_stamp(print);
  EXPECT_EQ(print.back(), "1");
  EXPECT_EQ(files(), (std::vector<std::string>{"bin", "line.dat", "spooled.txt"}));

  // Without a spooler PRN fails like a file that cannot be created.
  const Outcome none = run("line.dat PRN", "", "PATH='" + (dir_ / "empty").string() + "'");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("PRN"), std::string::npos) << none.err;
}

TEST_F(Program, EveryReportOnTheExamples) {
  const std::vector<std::string> sections = {
      " INPUT DATA PRINTED",    " MATRIX MATH FINISHED",       " AUDIBLE NOISE REPORT",
      " RADIO INTERFERENCE REPORT", " TV INTERFERENCE REPORT", " OZONE REPORT",
      " CORONA LOSS REPORT UNAVAILABLE - SEE OZONE", " ELECTRIC FIELD REPORT", " MAGNETIC FIELD REPORT",
      " COMBINATION REPORT"};
  for (const std::string example : {"example.dat", "500kv_flat.dat"}) {
    SCOPED_TRACE(example);
    write("line.dat", example_with(" ALL", example));
    const Outcome r = run("line.dat line.prt line.dif");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const auto console = records(r.out);
    ASSERT_GE(console.size(), sections.size());
    EXPECT_EQ(std::vector<std::string>(console.end() - static_cast<long>(sections.size()), console.end()), sections);
    const auto print = records(read("line.prt"));
    expect_stamp(print);
    EXPECT_EQ(print.back(), "1");
    EXPECT_FALSE(read("line.dif").empty());
  }
}

}  // namespace
