// Start-up: greeting, argument count, print file, banner and date line,
// the data input menu and its boxes, failures of console answers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/deck.hpp"
#include "driver/program.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using deck_test::blanks;
using support::records;

struct Console {
  int status = -1;
  std::string out;
  std::string errors;
};

Console run(const std::vector<std::string>& args, const std::string& answers = "") {
  Console c;
  std::istringstream in(answers);
  std::ostringstream errors;
  {
    record::Writer out = record::Writer::to_string(&c.out);
    c.status = driver::run_program(args, in, out, errors);
  }
  c.errors = errors.str();
  return c;
}

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::fresh_directory("brenlow-startup-" + support::test_name());
    std::ofstream(dir_ / "line.dat", std::ios::binary) << deck_test::Deck{}.text();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(Startup, BannerAndDateLine) {
  std::string text;
  {
    record::Writer out = record::Writer::to_string(&text);
    driver::write_banner(out);
    driver::write_list_heading(RunDate{2026, 12, 6, 9, 5, 3, 42}, out);
  }
  const std::string block = "\xDB";
  const std::string top = block + std::string(45, '\xDF') + block;
  const std::string bottom = block + std::string(45, '\xDC') + block;
  EXPECT_EQ(records(text),
            (std::vector<std::string>{"     " + top, "     \xDB" + blanks(16) + "B R E N L O W" + blanks(16) + "\xDB",
                                      "     \xDB P R O G R A M   V E R. 3.1" + blanks(18) + "\xDB",
                                      "     \xDB   Source: Tarnwick" + blanks(26) + "\xDB", "     " + bottom, "", "",
                                      blanks(32) + "INPUT DATA LIST", "", "",
                                      blanks(17) + "12/ 6/2026" + blanks(10) + "09:05:03"}));
}

TEST_F(Startup, MenuAndInputFileBoxRepeatUntilAnswered) {
  // Print file NUL; menu answers empty, 0, 3, 9, then 1; a blank file name,
  // then the file; keep the file's options.
  const Console c = run({}, "\n\n0\n3\n9\n1\n\n" + at("line.dat") + "\nN\n");
  EXPECT_EQ(c.status, 0) << c.errors;
  EXPECT_EQ(c.out.find(" Brenlow Program v3.1: Tarnwick\r\n  \r\n Enter PRN, NUL or a print file name: "), 0u);
  const std::string menu = "    \xDA" + std::string(33, '\xC4') + "\xBF\r\n    \xB3        DATA INPUT OPTION        \xB3\r\n"
                           "    \xB3 1. Read data from external file \xB3\r\n    \xB3 2. Read data from keyboard      \xB3\r\n"
                           "    \xC0" + std::string(33, '\xC4') + "\xD9\r\n             Enter Selection: ";
  EXPECT_EQ(count(c.out, menu), 5u);
  const std::string box = "    \xDA" + std::string(33, '\xC4') + "\xBF\r\n    \xB3" + blanks(33) +
                          "\xB3\r\n    \xB3 1. Read data from external file \xB3\r\n    \xB3" + blanks(33) + "\xB3\r\n    \xC0" +
                          std::string(33, '\xC4') + "\xD9\r\n             Enter input file name: ";
  EXPECT_EQ(count(c.out, box), 2u);
  EXPECT_EQ(count(c.out, " INFILE is: \r\n"), 2u);
  EXPECT_EQ(count(c.out, "\r\n " + FileName(at("line.dat")).padded(72) + "\r\n"), 1u);
  EXPECT_NE(c.out.find(" Do you wish to override[Y/N]? "), std::string::npos);
  EXPECT_NE(c.out.find(" MATRIX MATH FINISHED\r\n"), std::string::npos);
}

TEST_F(Startup, PrintFileNamedAtThePrompt) {
  const Console c = run({}, at("run.prt") + "\n1\n" + at("line.dat") + "\nN\n");
  EXPECT_EQ(c.status, 0) << c.errors;
  std::ifstream in(at("run.prt"), std::ios::binary);
  std::ostringstream print;
  print << in.rdbuf();
  const auto lines = records(print.str());
  ASSERT_GT(lines.size(), 12u);
  EXPECT_EQ(lines[7], blanks(32) + "INPUT DATA LIST");
  EXPECT_EQ(lines.back(), "1");
}

TEST_F(Startup, FailuresEndTheRunWithStatusTwo) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string answers;
    std::string errors;  // the whole error stream, or its start
  };
  const std::vector<Case> cases = {
      {"letter at the menu", {}, "\nY\n", "console\nBad value during integer read\n"},
      {"console ends at the print file prompt", {}, "", "console\nEnd of file\n"},
      {"console ends at the menu", {}, "\n", "console\nEnd of file\n"},
      {"console ends at the save prompt", {}, "\n2\n", "console\nEnd of file\n"},
      {"input file named at the prompt is the print file", {}, at("line.dat") + "\n1\n" + at("line.dat") + "\n",
       "print file \""},
      {"print file name past the system's limit", {at("line.dat"), at(std::string(300, 'p'))}, "",
       at(std::string(300, 'p')) + ": File name too long\n"},
      {"DIF file name past the system's limit", {at("line.dat"), at("run.prt"), at(std::string(300, 'f'))}, "",
       at(std::string(300, 'f')) + ": File name too long\n"},
      {"print file name past the system's limit at the prompt", {}, at(std::string(300, 'p')) + "\n",
       at(std::string(300, 'p')) + ": File name too long\n"},
      {"data file name past the system's limit at the prompt", {}, "\n1\n" + at(std::string(300, 'd')) + "\n",
       at(std::string(300, 'd')) + ": File name too long\n"},
  };
  const std::string data = support::read_file(dir_ / "line.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Console result = run(c.args, c.answers);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.errors.substr(0, c.errors.size()), c.errors) << result.errors;
    // The data file is whole, even when the print file named first is it.
    EXPECT_EQ(support::read_file(dir_ / "line.dat"), data);
    EXPECT_FALSE(fs::exists(dir_ / "run.prt"));
  }
}

// Names typed at the prompts are the whole answer line, never cut; the line
// under "INFILE is:" shows a name in 72 columns, or whole when longer.
TEST_F(Startup, NamesTypedAtThePromptsAreTakenWhole) {
  fs::create_directories(dir_ / std::string(100, 'a') / std::string(100, 'b'));
  const std::string deep = at(std::string(100, 'a') + "/" + std::string(100, 'b') + "/");
  fs::copy_file(at("line.dat"), deep + "line.dat");
  struct Case {
    const char* name;
    std::string answers;
    int status;
    std::vector<std::string> files;  // written under exactly these names
    std::string infile_line;         // the record after " INFILE is: "
  };
  const std::vector<Case> cases = {
      {"print and data file", deep + "run.prt\n1\n" + deep + "line.dat\nN\n", 0, {deep + "run.prt"}, deep + "line.dat"},
      {"short names keep the 72 columns", "NUL\n1\n" + at("line.dat") + "   \nN\n", 0, {},
       FileName(at("line.dat")).padded(72)},
      {"save-data file", "NUL\n2\n" + deep + "line.sav\n", 2, {deep + "line.sav"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Console r = run({}, c.answers);
    EXPECT_EQ(r.status, c.status) << r.errors;
    for (const std::string& file : c.files) EXPECT_TRUE(fs::exists(file)) << file;
    if (!c.infile_line.empty()) {
      EXPECT_EQ(count(r.out, " INFILE is: \r\n " + c.infile_line + "\r\n"), 1u) << r.out;
    }
  }
  // Nothing was written under a cut name.
  std::vector<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
    if (entry.is_regular_file()) written.push_back(entry.path().string());
  }
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{deep + "line.dat", deep + "line.sav", deep + "run.prt", at("line.dat")}));
}

}  // namespace
