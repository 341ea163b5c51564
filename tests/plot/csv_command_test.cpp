#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "plot/csv_table.hpp"
#include "plot/plot_command.hpp"
#include "plot_test_support.hpp"

using namespace plot;
using plot_test::data_path;
using plot_test::scratch_dir;
using support::read_file;
namespace fs = std::filesystem;

namespace {

// Reads the CSV back as a spreadsheet would: header, then rows of floats.
std::vector<Row> read_csv(const std::string& text, std::string* header) {
  std::vector<Row> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  *header = line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Row row{};
    std::istringstream cells(line);
    std::string cell;
    for (std::size_t c = 0; c < column_count; ++c) {
      std::getline(cells, cell, ',');
      if (cell == "NaN") row[c] = NAN;
      else if (cell == "Infinity") row[c] = INFINITY;
      else if (cell == "-Infinity") row[c] = -INFINITY;
      else EXPECT_EQ(std::from_chars(cell.data(), cell.data() + cell.size(), row[c]).ec, std::errc()) << cell;
    }
    rows.push_back(row);
  }
  return rows;
}

bool same_bits(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Csv, RoundTripsEveryValueOfBothTables) {
  for (const char* name : {"profile_ac.dif", "profile_dc.dif"}) {
    Profile p = read_dif_file(data_path(name));
    std::string header;
    std::vector<Row> back = read_csv(write_csv(p, false), &header);
    EXPECT_EQ(header,
              "distance (m),AN rain (dBA),AN fair (dBA),RI rain (dBuV/m),RI fair (dBuV/m),TV (dBuV/m),OZ (ppb),"
              "EF (kV/m),MF (G)\r");
    ASSERT_EQ(back.size(), p.rows.size()) << name;
    for (std::size_t i = 0; i < back.size(); ++i)
      for (std::size_t c = 0; c < column_count; ++c)
        EXPECT_TRUE(same_bits(back[i][c], p.rows[i][c])) << name << " row " << i << " column " << c;
  }
  EXPECT_EQ(write_csv(Profile{}, true).substr(0, 14), "distance (ft),");
}

TEST(Command, DefaultOutputReplacesTheDifExtension) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : std::vector<Case>{{"RUN.dif", "RUN.svg"}, {"a/b.DIF", "a/b.svg"}, {"run.txt", "run.txt.svg"},
                                         {"run", "run.svg"}, {"run.svg", "run.svg.svg"}})
    EXPECT_EQ(default_output(c.in), c.out);
}

struct Result {
  int status;
  std::string out, err;
};

Result run(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = run_command(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(Command, BadUsagePrintsUsageAndExits2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"-o"}, {"a.dif", "-o"}, {"a.dif", "b.dif"}, {"--bogus", "a.dif"}, {"a.dif", "--edge"},
           {"a.dif", "--edge", "12m"}, {"a.dif", "--edge=inf"}, {"a.dif", "--feet=1"}, {"a.dif", "-o", ""},
           {"a.dif", "-o", "x.out", "--csv", "x.out"}}) {
    Result r = run(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: tesk31-plot RUN.dif"), std::string::npos) << ::testing::PrintToString(args);
  }
  Result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST(Command, WritesThePictureAndTheTable) {
  fs::path dir = scratch_dir("write");
  fs::copy_file(data_path("profile_ac.dif"), dir / "run.dif");
  std::string input = (dir / "run.dif").string();

  Result r = run({input, "--edge", "-25", "--edge=25", "--title", "Example"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(read_file((dir / "run.svg").string()).find("<title>Example</title>"), std::string::npos);

  r = run({input, "--csv", (dir / "run.csv").string(), "--feet"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file((dir / "run.csv").string()).substr(0, 14), "distance (ft),");

  r = run({"-o", (dir / "other.svg").string(), "--csv", (dir / "other.csv").string(), "--", input});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir / "other.svg") && fs::exists(dir / "other.csv"));

  r = run({input, "-o", (dir / "no_such_dir" / "x.svg").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("x.svg: cannot write"), std::string::npos) << r.err;
  fs::remove_all(dir);
}

TEST(Command, NeverOverwritesTheInput) {
  fs::path dir = scratch_dir("input");
  fs::copy_file(data_path("profile_ac.dif"), dir / "run.dif");
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "run.dif", dir / "link.svg");
  const std::string input = (dir / "run.dif").string();
  const std::string before = read_file(input);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {input, "-o", input},
           {input, "--csv", input},
           {input, "-o", (dir / "sub" / ".." / "run.dif").string()},
           {input, "-o", (dir / "link.svg").string()}}) {
    Result r = run(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("will not overwrite the input file"), std::string::npos) << r.err;
  }
  EXPECT_EQ(read_file(input), before);
  fs::remove_all(dir);
}

// The built program itself: exit statuses as a shell sees them.
TEST(Command, ProgramExitStatus) {
  fs::path dir = scratch_dir("program");
  std::string program = TESK31_PLOT_PATH;
  auto quoted = [](const std::string& path) { return std::string("'").append(path).append("'"); };
  auto status = [&](const std::string& args) {
    std::string command = program;
    command.append(" ").append(args).append(" >").append(quoted((dir / "log").string())).append(" 2>&1");
    int s = std::system(command.c_str());
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  };
  EXPECT_EQ(status(quoted(data_path("profile_dc.dif")).append(" -o ").append(quoted((dir / "dc.svg").string()))), 0);
  EXPECT_TRUE(fs::exists(dir / "dc.svg"));
  EXPECT_EQ(status("--nonsense"), 2);
  EXPECT_EQ(status(quoted(data_path("truncated.dif")).append(" -o ").append(quoted((dir / "t.svg").string()))), 2);
  EXPECT_NE(read_file((dir / "log").string()).find("truncated.dif: truncated"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "t.svg"));
  fs::remove_all(dir);
}

}  // namespace
