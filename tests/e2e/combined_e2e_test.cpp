// The whole program on the example line with every report selected.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "format/record.hpp"
#include "reports/report_text.hpp"
#include "support/program.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;
using support::read_file;
using support::records;

// The example data file with its option record replaced by ALL.
std::string example_with_all() {
  std::istringstream in(read_file(fs::path(BRENLOW_EXAMPLES) / "example.dat"));
  std::string out, line;
  int n = 0;
  while (std::getline(in, line)) {
    out += (++n == 4 ? std::string(" ALL") : line) + "\n";
  }
  return out;
}

struct Finished {
  int status = -1;
  std::string console, errors, print, dif;
};

Finished run_all(const fs::path& dir) {
  support::write_file(dir / "line.dat", example_with_all());
  const support::Finished r = support::run_program(dir, TESK31_PATH, "line.dat line.prt line.dif");
  return {r.status, r.out, r.err, read_file(dir / "line.prt"), read_file(dir / "line.dif")};
}

// Position of the first record equal to `text` at or after `from`.
std::size_t find_record(const std::vector<std::string>& recs, const std::string& text, std::size_t from) {
  for (std::size_t i = from; i < recs.size(); ++i)
    if (recs[i] == text) return i;
  return std::string::npos;
}

TEST(CombinedEndToEnd, AllReportsOnTheExampleLine) {
  const fs::path dir = support::fresh_directory("brenlow_comb_e2e_" + std::to_string(::getpid()));
  const Finished f = run_all(dir);
  ASSERT_EQ(f.status, 0) << f.errors;

  // Console: the run's progress messages in order, the combined report last.
  const std::vector<std::string> messages = {
      " INPUT DATA PRINTED",          " MATRIX MATH FINISHED",  " AUDIBLE NOISE REPORT",
      " RADIO INTERFERENCE REPORT",   " TV INTERFERENCE REPORT", " OZONE REPORT",
      " CORONA LOSS REPORT UNAVAILABLE - SEE OZONE", " ELECTRIC FIELD REPORT",
      " MAGNETIC FIELD REPORT",       " COMBINATION REPORT"};
  const auto console = records(f.console);
  std::size_t at = 0;
  for (const auto& m : messages) {
    const std::size_t found = find_record(console, m, at);
    ASSERT_NE(found, std::string::npos) << "console lacks, or has out of order: " << m;
    at = found + 1;
  }
  EXPECT_EQ(console.back(), " COMBINATION REPORT");

  // Print file: every section's page title in order, then the final record.
  const std::vector<std::string> titles = {
      "1AUDIBLE NOISE CALCULATION - RAIN",
      "1AUDIBLE NOISE CALCULATION - FAIR",
      "1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - RAIN",
      "1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - FAIR",
      "1TVI CALCULATIONS, QP DETECTOR, STODDART NM30A METER",
      "1OZONE CONCENTRATION CALCULATIONS",
      "1ELECTRIC FIELD CALCULATIONS",
      "1MAGNETIC FIELD CALCULATIONS",
      "1COMBINED OUTPUT OF AUDIBLE NOISE, RADIO NOISE, TVI, OZONE CONCENTRATION, GROUND GRADIENT AND "
      "MAGNETIC FIELD"};
  const auto print = records(f.print);
  at = 0;
  for (const auto& t : titles) {
    const std::size_t found = find_record(print, t, at);
    ASSERT_NE(found, std::string::npos) << "print file lacks, or has out of order: " << t;
    at = found + 1;
  }
  const std::size_t combined = at - 1;
  ASSERT_FALSE(print.empty());
  EXPECT_EQ(print.back(), "1");

  // The combined page: 5 groups, 21 points, then the final record.
  const std::size_t first_point = combined + 6 + 4 + 5 + 4 + 4;
  ASSERT_EQ(print.size(), first_point + 21 + 1);
  EXPECT_EQ(print[combined + 10].substr(0, 9), " PHASE A ");
  EXPECT_EQ(print[combined + 13].substr(101), "   0.000");  // earth wire: no corona loss
  EXPECT_EQ(print[first_point].substr(0, 10), "     -50.0");

  // DIF: the same 21 rows, each column as the print line shows it.
  const auto table = report_test::read_dif(f.dif);
  EXPECT_EQ(records(f.dif).size(), 12u + 20u * 21u + 2u);
  ASSERT_EQ(table.tuples, 21);
  ASSERT_EQ(table.rows.size(), 21u);
  struct Column {
    std::size_t first, width;
    const char* spec;
  };
  const Column columns[] = {{1, 10, "(F10.1)"}, {15, 10, "(F10.1)"}, {25, 9, "(F9.1)"},
                            {34, 10, "(F10.1)"}, {44, 9, "(F9.1)"},  {60, 9, "(F9.1)"},
                            {78, 10, "(F10.6)"}, {97, 10, "(F10.3)"}, {111, 8, "(F8.5)"}};
  for (std::size_t j = 0; j < 21; ++j) {
    const std::string& line = print[first_point + j];
    ASSERT_EQ(line.size(), 118u);
    ASSERT_EQ(table.rows[j].size(), 9u);
    for (std::size_t k = 0; k < 9; ++k) {
      const auto& c = columns[k];
      EXPECT_EQ(line.substr(c.first - 1, c.width),
                record::render(c.spec, {static_cast<float>(table.rows[j][k])})[0])
          << "point " << j << " column " << k;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
