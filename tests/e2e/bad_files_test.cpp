// tesk31 given files it cannot use: missing, unreadable, empty, binary or
// huge data files, output files that cannot be created or written. Each run
// ends with status 2 and a message naming the file and the reason, and no
// file the run had no business writing loses its content.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The example line with another option record.
std::string example_with(const std::string& options) {
  std::istringstream in(slurp(fs::path(BRENLOW_EXAMPLES) / "example.dat"));
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 4 ? options : line) + "\n";
  return out;
}

// What an earlier run left in a file that this run must not touch.
const std::string earlier = " EARLIER RUN\r\n1\r\n";

// The messages of a failed read.
bool holds_read_message(const std::string& errors) {
  for (const char* m : {"End of file", "Bad value during integer read", "Bad value during floating point read",
                        "in list input", "of list input", "Integer overflow while reading item"}) {
    if (errors.find(m) != std::string::npos) return true;
  }
  return false;
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

class BadFiles : public ::testing::Test {

 public:  // the case table prepares files through the fixture
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("brenlow-e2e-bad-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(dir_, ec)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(dir_, ec);
  }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const { return slurp(dir_ / name); }

  // Every regular file in the directory and its bytes.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_regular_file()) files[fs::relative(entry.path(), dir_).string()] = slurp(entry.path());
    }
    return files;
  }

  // Runs tesk31 in the test directory with no console answers, its memory
  // capped (except under the address sanitizer, which reserves far more).
  // `console` redirects standard output.
  Outcome run(const std::string& args, const std::string& console = "> .out") const {
#if defined(__SANITIZE_ADDRESS__)
    const std::string cap;
#else
    const std::string cap = "ulimit -v 4000000 && ";
#endif
    const std::string command =
        "cd '" + dir_.string() + "' && " + cap + "'" + TESK31_PATH + "' " + args + " < /dev/null " + console + " 2> .err";
    Outcome r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read(".out");
    r.err = read(".err");
    return r;
  }

  fs::path dir_;
};

TEST_F(BadFiles, EachEndsWithStatusTwoAndAMessageNamingTheFile) {
  const std::string ten_megabytes(10 * 1024 * 1024, 'x');
  struct Case {
    const char* name;
    std::function<void(BadFiles&)> prepare;  // files besides keep.prt and keep.dif
    std::string args;
    std::vector<std::string> named;  // texts the error stream must hold
    bool read_failure;               // a failed read: its message after the locating line
  };
  const std::vector<Case> cases = {
      {"missing data file", [](BadFiles&) {}, "missing.dat keep.prt keep.dif",
       {"missing.dat", "No such file or directory"}, false},
      {"data file is a directory", [](BadFiles& t) { fs::create_directory(t.dir_ / "folder.dat"); },
       "folder.dat keep.prt keep.dif", {"folder.dat", "Is a directory"}, false},
      {"endless data file", [](BadFiles&) {}, "/dev/zero keep.prt keep.dif", {"/dev/zero", "too large"}, false},
      {"empty data file", [](BadFiles& t) { t.write("empty.dat", ""); }, "empty.dat new.prt keep.dif",
       {"empty.dat", "record 1", "End of file"}, true},
      {"carriage returns only: one record", [](BadFiles& t) {
         std::string text = example_with(" ALL");
         std::replace(text.begin(), text.end(), '\n', '\r');
         t.write("cr.dat", text);
       },
       "cr.dat new.prt keep.dif", {"cr.dat", "record 2", "End of file"}, true},
      {"binary bytes", [](BadFiles& t) {
         // Every byte value in the titles, then a general data record of them.
         std::string all_bytes;
         for (int b = 128; b < 384; ++b) {
           if ((b & 0xFF) != '\n') all_bytes += static_cast<char>(b & 0xFF);
         }
         t.write("binary.dat", all_bytes + "\n" + all_bytes + "\n" + all_bytes + "\n");
       },
       "binary.dat new.prt keep.dif", {"binary.dat", "record 3", "Bad integer for item 1 in list input"}, true},
      {"NUL bytes among the numbers", [](BadFiles& t) {
         std::string text = example_with(" ALL");
         text[text.find("0.00,   1.00")] = '\0';
         t.write("nul.dat", text);
       },
       "nul.dat new.prt keep.dif", {"nul.dat", "record 3", "Bad real number in item 6 of list input"}, true},
      {"one line of 10 MB", [&](BadFiles& t) { t.write("long.dat", ten_megabytes); }, "long.dat new.prt keep.dif",
       {"long.dat", "record 2", "End of file"}, true},
      {"a count of 10 MB digits", [&](BadFiles& t) {
         std::string text = example_with(" ALL");
         text.replace(text.find(" 0,0, 3, 5"), 2, " " + std::string(10 * 1024 * 1024, '7'));
         t.write("digits.dat", text);
       },
       "digits.dat new.prt keep.dif", {"digits.dat", "record 3", "Integer overflow while reading item 1"}, true},
      {"print file in a missing folder", [](BadFiles& t) { t.write("line.dat", example_with(" ALL")); },
       "line.dat nowhere/line.prt keep.dif", {"nowhere/line.prt", "No such file or directory"}, false},
      {"print file is a directory", [](BadFiles& t) {
         t.write("line.dat", example_with(" ALL"));
         fs::create_directory(t.dir_ / "folder.prt");
       },
       "line.dat folder.prt keep.dif", {"folder.prt", "Is a directory"}, false},
      {"DIF file in a missing folder", [](BadFiles& t) { t.write("line.dat", example_with(" COMB")); },
       "line.dat new.prt nowhere/line.dif", {"nowhere/line.dif", "No such file or directory"}, false},
      {"DIF file is a directory", [](BadFiles& t) {
         t.write("line.dat", example_with(" COMB"));
         fs::create_directory(t.dir_ / "folder.dif");
       },
       "line.dat new.prt folder.dif", {"folder.dif", "Is a directory"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    write("keep.prt", earlier);
    write("keep.dif", earlier);
    c.prepare(*this);
    auto before = snapshot();
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2);
    for (const auto& text : c.named) EXPECT_NE(r.err.find(text), std::string::npos) << text << " in:\n" << r.err;
    EXPECT_EQ(holds_read_message(r.err), c.read_failure) << r.err;
    // No file the run had no business writing has changed. A print file
    // opened before a read failed holds the listing so far, without the
    // final record of a finished run.
    auto after = snapshot();
    after.erase(".out");
    after.erase(".err");
    if (after.count("new.prt") != 0) {
      EXPECT_TRUE(c.read_failure || std::string(c.name).rfind("DIF", 0) == 0);
      const std::string print = after["new.prt"];
      // The closing record is a record of its own: "1" after a line end (a
      // date line may end in the digit 1).
      EXPECT_FALSE(print.ends_with("\r\n1\r\n")) << "print file ends as if complete";
      after.erase("new.prt");
    }
    EXPECT_EQ(after, before);
  }
}

TEST_F(BadFiles, UnreadableDataFileEndsWithStatusTwo) {
  write("locked.dat", example_with(" ALL"));
  write("keep.prt", earlier);
  fs::permissions(dir_ / "locked.dat", fs::perms::none);
  if (std::ifstream(dir_ / "locked.dat").good()) GTEST_SKIP() << "file permissions do not stop this user reading";
  const Outcome r = run("locked.dat keep.prt");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("locked.dat"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
  EXPECT_EQ(read("keep.prt"), earlier);
}

// Bytes of a title pass through to the print file unchanged, NUL included.
TEST_F(BadFiles, BinaryBytesInATitleArePrintedAsTheyAre) {
  std::string title = " TITLE";
  for (int b : {0, 1, 9, 13, 27, 127, 128, 200, 255}) title += static_cast<char>(b);
  std::string text = example_with(" NONE");
  text.replace(0, text.find('\n'), title);
  write("line.dat", text);
  const Outcome r = run("line.dat line.prt");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string print = read("line.prt");
  EXPECT_NE(print.find(" " + title + std::string(72 - title.size(), ' ') + "\r\n"), std::string::npos);
  EXPECT_TRUE(print.ends_with("\r\n1\r\n"));
}

// Records far longer than their items: the rest of a record is skipped, and
// the run gives what the short records give.
TEST_F(BadFiles, TenMegabyteRecordsReadAsTheirFirstValues) {
  const std::string tail(10 * 1024 * 1024, ' ');
  std::string text = example_with(" ALL");
  write("short.dat", text);
  for (const char* record : {" 0,0, 3, 5,0.0,   0.00,   1.00, 300.00", "  21,  -50.0,    5.0"}) {
    const std::size_t at = text.find(record) + std::string(record).size();
    text.insert(at, tail + "junk after the values");
  }
  write("long.dat", text);
  const Outcome short_run = run("short.dat short.prt short.dif");
  const Outcome long_run = run("long.dat long.prt long.dif");
  ASSERT_EQ(short_run.status, 0) << short_run.err;
  ASSERT_EQ(long_run.status, 0) << long_run.err;
  EXPECT_EQ(read("long.dif"), read("short.dif"));
  // The print files agree after the date line: nothing of the long tails.
  const auto after_stamp = [](const std::string& print) {
    std::size_t at = 0;
    for (int n = 0; n < 11 && at != std::string::npos; ++n) at = print.find("\r\n", at + 2);
    return at == std::string::npos ? std::string() : print.substr(at);
  };
  const std::string listing = after_stamp(read("short.prt"));
  EXPECT_GT(listing.size(), 1000u);
  EXPECT_EQ(after_stamp(read("long.prt")), listing);
}

// A full disk is a failed run, whether the writes fail while the run goes
// on (every report) or only when the file is closed (a short listing).
TEST_F(BadFiles, FullDeviceIsAFailureNotASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  struct Case {
    const char* name;
    std::string options, args;
  };
  const std::vector<Case> cases = {
      {"print file, every report", " ALL", "line.dat /dev/full"},
      {"print file, listing only", " NONE", "line.dat /dev/full"},
      {"DIF file", " COMB", "line.dat line.prt /dev/full"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("line.dat", example_with(c.options));
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("/dev/full"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  }
  // Without the combined report the DIF file is never opened.
  write("line.dat", example_with(" AN"));
  const Outcome r = run("line.dat line.prt /dev/full");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

// The console is one of the run's outputs: lines that cannot be written
// there (a full device) end the run with status 2, even when the run itself
// ended in order and the console held its only report of an error. A
// closed standard output is refused before any file is opened, so no file
// takes its place and receives the console lines.
TEST_F(BadFiles, ConsoleThatCannotBeWrittenIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  std::string invalid = example_with(" NONE");
  invalid.replace(invalid.find("  -9.00,   25.00, 1,"), 20, "  -9.00,   25.00, 0,");
  struct Case {
    const char* name;
    std::string data, console, message;
  };
  const std::vector<Case> cases = {
      {"invalid data, full device", invalid, "> /dev/full", "standard output: No space left on device"},
      {"every report, full device", example_with(" ALL"), "> /dev/full", "standard output: No space left on device"},
      {"invalid data, closed", invalid, ">&-", "standard output: Bad file descriptor"},
      {"every report, closed", example_with(" ALL"), ">&-", "standard output: Bad file descriptor"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("line.dat", c.data);
    write("line.prt", earlier);
    fs::remove(dir_ / "line.dif");
    const Outcome r = run("line.dat line.prt line.dif", c.console);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (c.console == ">&-") {
      EXPECT_EQ(read("line.prt"), earlier);  // refused before the print file was opened
      EXPECT_FALSE(fs::exists(dir_ / "line.dif"));
    }
  }
  // The same runs with a console that takes the lines: the invalid data
  // alone fail the run.
  write("line.dat", invalid);
  const Outcome r = run("line.dat line.prt line.dif");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "file line.dat: group 4 EARTH 1: number of subconductors must be at least 1\n");
}

}  // namespace
