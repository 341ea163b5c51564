// The whole output of three runs, held by its hashes: the 50-group hybrid
// line with every report and 100 points (tests/data/e2e/hybrid_line.dat),
// and both bundled examples. Work
// that makes a run faster must leave every byte of the print file, the DIF
// file and the console as it was.
//
// How the expected values were made: the outputs of tesk31 built from the
// code before the faster radio, TV and charge loops (commit 680f7b2, a
// Release build with GCC 12 and glibc 2.36 on x86-64), hashed by this
// test's own fnv1a(); the print file with its date and time record
// blanked. The float routines of the C library decide the last digit of
// some levels, so a different C library may fail this test without any
// fault in our code. When a change means to alter the output, run the old
// and the new program on the three data files and compare the files
// themselves; the test keeps its files when it fails.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "support/files.hpp"
#include "support/hybrid_line.hpp"
#include "support/program.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;

// 64-bit FNV-1a.
std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

std::string hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// The print file with the record after the list heading's blank records,
// the date and time of the run, replaced by a fixed text.
std::string without_date(const std::string& print) {
  const std::size_t heading = print.find("INPUT DATA LIST\r\n");
  if (heading == std::string::npos) return print;
  std::size_t start = print.find("\r\n", heading) + 2;
  while (print.compare(start, 2, "\r\n") == 0) start += 2;
  const std::size_t end = print.find("\r\n", start);
  if (end == std::string::npos) return print;
  return print.substr(0, start) + "DATE AND TIME" + print.substr(end);
}

std::string example(const std::string& name) { return support::read_file(fs::path(BRENLOW_EXAMPLES) / name); }
std::string hybrid_line_file() { return support::read_file(fs::path(BRENLOW_TEST_DATA) / "e2e" / "hybrid_line.dat"); }

struct Expected {
  std::size_t bytes;
  const char* hash;
};

struct Case {
  const char* name;
  std::string (*data)();
  Expected print, dif, console;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case runs[] = {
    {"HybridLineAll", hybrid_line_file,
     {114426, "010903c1e39c9781"}, {28179, "0a45c1bc0f66890c"}, {707, "5a776e42ad60e5e5"}},
    {"Example", [] { return example("example.dat"); },
     {24605, "394bee53c02498d1"}, {5980, "88b01b546ee44101"}, {707, "c88864a38f031fcf"}},
    {"FlatLine500kV", [] { return example("500kv_flat.dat"); },
     {27649, "dd4e172fb6c9afc6"}, {7104, "64d5df0a4bb68eb7"}, {707, "5a776e42ad60e5e5"}},
};

class UnchangedOutput : public ::testing::TestWithParam<Case> {};

TEST_P(UnchangedOutput, EveryByteOfPrintDifAndConsole) {
  const Case& run = GetParam();
  const fs::path dir =
      support::fresh_directory(std::string("brenlow-unchanged-") + run.name + "-" + std::to_string(::getpid()));
  support::write_file(dir / "line.dat", run.data());
  const support::Finished f = support::run_program(dir, TESK31_PATH, "line.dat line.prt line.dif");
  ASSERT_EQ(f.status, 0) << f.err;

  const struct {
    const char* what;
    std::string bytes;
    Expected expected;
  } outputs[] = {{"print file (date blanked)", without_date(support::read_file(dir / "line.prt")), run.print},
                 {"DIF file", support::read_file(dir / "line.dif"), run.dif},
                 {"console", f.out, run.console}};
  bool same = true;
  for (const auto& o : outputs) {
    EXPECT_EQ(o.bytes.size(), o.expected.bytes) << o.what;
    EXPECT_EQ(hex(fnv1a(o.bytes)), o.expected.hash) << o.what;
    same = same && o.bytes.size() == o.expected.bytes && hex(fnv1a(o.bytes)) == o.expected.hash;
  }
  if (same) {
    fs::remove_all(dir);
  } else {
    ADD_FAILURE() << "the output of this run is kept in " << dir;
  }
}

// The data file of the hybrid line, kept for counting the instructions of
// a whole run (see docs/development.md), is the line the benchmarks run.
TEST(HybridLineDataFile, IsTheBenchmarkLine) {
  EXPECT_EQ(hybrid_line_file(), support::hybrid_line_data("ALL"));
}

INSTANTIATE_TEST_SUITE_P(Runs, UnchangedOutput, ::testing::ValuesIn(runs),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
