#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "plot/plot_command.hpp"
#include "plot_test_support.hpp"

using namespace plot;
using plot_test::scratch_dir;
using support::read_file;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> example_decks() {
  std::vector<fs::path> decks;
  for (const auto& entry : fs::directory_iterator(BRENLOW_EXAMPLES))
    if (entry.path().extension() == ".dat") decks.push_back(entry.path());
  std::sort(decks.begin(), decks.end());
  return decks;
}

// The combined report's point lines: the records after its unit heading.
std::vector<std::string> combined_lines(const std::string& print, std::size_t points) {
  std::vector<std::string> lines;
  std::istringstream in(print);
  std::string line;
  bool found = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (found && lines.size() < points) lines.push_back(line);
    if (line.find("DBUV/M        DBUV/M") != std::string::npos && line.find("GAUSS") != std::string::npos) found = true;
  }
  return lines;
}

// Columns (first, last, decimals) of each value on a point line.
struct Field {
  std::size_t first, last;
  int decimals;
};
const Field fields[column_count] = {{1, 10, 1},  {15, 24, 1}, {25, 33, 1}, {34, 43, 1}, {44, 52, 1},
                                    {60, 68, 1}, {78, 87, 6}, {97, 106, 3}, {111, 118, 5}};

// tesk31 writes its table; the plotter reads back every column as the print
// file shows it, and draws it.
TEST(Tesk31Table, ReadsWhatTesk31Writes) {
  std::size_t tables = 0;
  for (const fs::path& deck : example_decks()) {
    SCOPED_TRACE(deck.filename().string());
    fs::path dir = scratch_dir("tesk31-" + deck.stem().string());
    std::string command = std::string("cd '").append(dir.string()).append("' && '").append(TESK31_PATH);
    command.append("' '").append(deck.string()).append("' run.prt run.dif </dev/null >console.txt 2>&1");
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read_file((dir / "console.txt").string());
    if (!fs::exists(dir / "run.dif") || fs::file_size(dir / "run.dif") == 0) {  // no combined report
      fs::remove_all(dir);
      continue;
    }

    Profile p = read_dif_file((dir / "run.dif").string());
    ++tables;
    std::vector<std::string> lines = combined_lines(read_file((dir / "run.prt").string()), p.rows.size());
    ASSERT_EQ(lines.size(), p.rows.size());
    for (std::size_t i = 0; i < p.rows.size(); ++i) {
      ASSERT_GE(lines[i].size(), 118u) << lines[i];
      for (std::size_t c = 0; c < column_count; ++c) {
        std::string text = lines[i].substr(fields[c].first - 1, fields[c].last - fields[c].first + 1);
        text.erase(0, text.find_first_not_of(' '));
        float v = p.rows[i][c];
        if (text.find('*') != std::string::npos) continue;  // too wide for its field
        if (!std::isfinite(v)) {
          EXPECT_TRUE(text.find("NaN") != std::string::npos || text.find("Inf") != std::string::npos) << text;
          continue;
        }
        double printed = 0;
        ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), printed).ec, std::errc()) << text;
        EXPECT_NEAR(printed, v, 0.5 * std::pow(10.0, -fields[c].decimals) + 1e-9 * std::fabs(v))
            << "point " << i + 1 << " column " << columns[c].name;
      }
    }

    std::ostringstream out, err;
    EXPECT_EQ(run_command({(dir / "run.dif").string(), "--edge", "30"}, out, err), 0) << err.str();
    EXPECT_NE(read_file((dir / "run.svg").string()).find("</svg>"), std::string::npos);
    fs::remove_all(dir);
  }
  EXPECT_GT(tables, 0u);
}

}  // namespace
