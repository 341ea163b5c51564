#include <gtest/gtest.h>
#include <sys/wait.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "plot/csv_table.hpp"
#include "plot/plot_command.hpp"
#include "plot/svg_plot.hpp"
#include "plot_test_support.hpp"
#include "support/xml_check.hpp"

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
      if (cell.empty()) row[c] = NAN;  // a value not computed
      else if (cell == "NaN") row[c] = NAN;
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
    std::vector<Row> back = read_csv(write_csv(p, "m", cli::BUnit::gauss), &header);
    EXPECT_EQ(header,
              "distance (m),AN rain (dBA),AN fair (dBA),RI rain (dBuV/m),RI fair (dBuV/m),TV (dBuV/m),OZ (ppb),"
              "EF (kV/m),MF (G)\r");
    ASSERT_EQ(back.size(), p.rows.size()) << name;
    // A value not computed (the -999.9 marker, NaN) is an empty cell.
    for (std::size_t i = 0; i < back.size(); ++i)
      for (std::size_t c = 0; c < column_count; ++c)
        EXPECT_TRUE(is_gap(p.rows[i][c]) ? std::isnan(back[i][c]) : same_bits(back[i][c], p.rows[i][c]))
            << name << " row " << i << " column " << c;
    const std::string text = write_csv(p, "m", cli::BUnit::gauss);
    EXPECT_EQ(text.find("-999.9"), std::string::npos) << name;
    // In another unit B is the gauss value times the unit's factor, to the float.
    for (auto [unit, factor, label] : {std::tuple{cli::BUnit::microtesla, 100.0f, "MF (uT)\r"},
                                       {cli::BUnit::milligauss, 1000.0f, "MF (mG)\r"}}) {
      back = read_csv(write_csv(p, "m", unit), &header);
      EXPECT_EQ(header.substr(header.rfind(',') + 1), label);
      for (std::size_t i = 0; i < back.size(); ++i)
        EXPECT_TRUE(same_bits(back[i][magnetic_field], p.rows[i][magnetic_field] * factor)) << name << " row " << i;
    }
  }
  EXPECT_EQ(write_csv(Profile{}, "ft", cli::BUnit::milligauss).substr(0, 14), "distance (ft),");
  EXPECT_EQ(write_csv(Profile{}, "", cli::BUnit::microtesla).substr(0, 33), "distance (units of the data file)");
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

// Option values a hostile user might give: each run either writes a
// picture that is well-formed XML with finite coordinates, or writes
// nothing and ends with status 2 and a message.
TEST(Command, HostileOptionValuesDrawSoundPicturesOrAreRefused) {
  fs::path dir = scratch_dir("hostile");
  const std::string ac = (dir / "run.dif").string();
  fs::copy_file(data_path("profile_ac.dif"), ac);
  const std::string empty = (dir / "empty.dif").string();
  support::write_file(empty, "TABLE\r\n0,1\r\n\"\"\r\nVECTORS\r\n0,9\r\n\"\"\r\nTUPLES\r\n0,  0\r\n\"\"\r\n"
                             "DATA\r\n0,0\r\n\"\"\r\n-1,0\r\nEOD\r\n");
  const std::string odd_name = (dir / "odd \xef\xbf\xbe\xef\xbf\xbf\x01 name.dif").string();
  fs::copy_file(data_path("profile_ac.dif"), odd_name);
  std::vector<std::string> many_edges;
  for (int k = -200; k <= 200; ++k) many_edges.push_back("--edge=" + std::to_string(k * 0.25));

  struct Case {
    const char* what;
    std::string input;
    std::vector<std::string> options;
    int status;
    std::string expect;  // in the picture (status 0) or in the message (status 2)
  };
  const std::string too_wide = "the distance axis from";
  for (const Case& c : std::vector<Case>{
           {"edges at +-1e308", ac, {"--edge=-1e308", "--edge=1e308"}, 2, too_wide},
           {"edges at +-9e307", ac, {"--edge=-9e307", "--edge", "9e307"}, 2, too_wide},
           {"edges at the largest double", ac, {"--edge=-1.7976931348623157e308", "--edge=1.7976931348623157e308"},
            2, "--edge"},
           {"largest double alone, no points", empty, {"--edge=1.7976931348623157e308"}, 2, too_wide},
           {"one edge far out", ac, {"--edge=1.7976931348623157e308"}, 0, "edge 1.798e+308"},
           {"one edge far out below", ac, {"--edge=-1e308"}, 0, "<polyline"},
           {"edge 1e308 alone, no points", empty, {"--edge=1e308"}, 0, "edge 1e+308"},
           {"denormal edges, no points", empty, {"--edge=0", "--edge=4.9e-324", "--metres"}, 0, ">edge 0.00 m<"},
           {"tiny edges", empty, {"--edge=1e-300", "--edge=2e-300"}, 0, "edge"},
           {"tiny edge beside the points", ac, {"--edge=1e-300", "--metres"}, 0, ">edge 0.0 m<"},
           {"negative zero edge", ac, {"--edge=-0"}, 0, ">edge 0.0<"},
           {"edge beyond the double range", ac, {"--edge=1e309"}, 2, "--edge needs a distance"},
           {"edge below the smallest denormal", ac, {"--edge=1e-400"}, 2, "--edge needs a distance"},
           {"hexadecimal edge", ac, {"--edge=0x10"}, 2, "--edge needs a distance"},
           {"not-a-number edge", ac, {"--edge", "nan"}, 2, "--edge needs a distance"},
           {"400 edges", ac, many_edges, 0, ">edge 50.0<"},
           {"title with U+FFFE and U+FFFF", ac, {"--title", "a\xef\xbf\xbe b\xef\xbf\xbf"}, 0,
            "<title>a\xef\xbf\xbd b\xef\xbf\xbd</title>"},
           {"title with control characters", ac, {"--title", std::string("x\x01\x1b\t\x7f" "y")}, 0,
            "<title>x\xef\xbf\xbd\xef\xbf\xbd  y</title>"},
           {"title with markup", ac, {"--title=]]><!--&amp;<![CDATA["}, 0, "]]&gt;&lt;!--&amp;amp;&lt;![CDATA["},
           {"title with broken UTF-8", ac, {"--title", "\xc3\x28 \xed\xa0\x80 \xf4\x90\x80\x80"}, 0, "<title>?( ??? ????"},
           {"a 100000-character title", ac, {"--title", std::string(100000, 'W')}, 0, std::string(100000, 'W')},
           {"file name with U+FFFE as the title", odd_name, {}, 0, "odd \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd name.dif"},
       }) {
    SCOPED_TRACE(c.what);
    const fs::path picture = dir / "out.svg";
    fs::remove(picture);
    std::vector<std::string> args = {c.input, "-o", picture.string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    Result r = run(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.status != 0) {
      EXPECT_NE(r.err.find(c.expect), std::string::npos) << r.err;
      EXPECT_FALSE(fs::exists(picture));
      continue;
    }
    const std::string svg = read_file(picture.string());
    EXPECT_EQ(support::xml_problem(svg), "");
    EXPECT_NE(svg.find(c.expect), std::string::npos);
  }
  fs::remove_all(dir);
}

// The check the pictures are held to catches what a broken picture shows.
TEST(Command, TheXmlCheckFindsBrokenPictures) {
  for (const char* bad : {"<svg><g></svg>", "<svg x=\"1\" x=\"2\"/>", "<svg>&nbsp;</svg>", "<svg/><svg/>",
                          "<svg cx=\"NaN\"/>", "<svg points=\"1.0,-inf\"/>", "<svg>\xef\xbf\xbe</svg>",
                          "<svg>\x01</svg>", "<svg a=\"<\"/>", "<svg>\xc3</svg>", "text<svg/>"})
    EXPECT_NE(support::xml_problem(bad), "") << bad;
  EXPECT_EQ(support::xml_problem("<?xml version=\"1.0\"?>\n<svg a='1e5'><t>&#181; &amp;</t><!-- c --></svg>\n"), "");
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

namespace {

// tesk31 run on `data` with its report options set to ALL, into dir/run.prt
// and dir/run.dif: the two files side by side as a user has them.
void run_tesk31(const fs::path& data, const fs::path& dir) {
  std::string text = read_file(data.string());
  std::size_t line4 = 0;
  for (int k = 0; k < 3; ++k) line4 = text.find('\n', line4) + 1;
  text.replace(line4, text.find('\n', line4) - line4, " ALL");
  std::ofstream((dir / "line.dat").string(), std::ios::binary) << text;
  const std::string command = std::string("cd '") + dir.string() + "' && '" + TESK31_PATH +
                              "' line.dat run.prt run.dif >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace

// The picture takes the line's title and the units of its data file from
// the run's print file; the command line overrides them; without a print
// file it does not guess metres.
TEST(Command, TitleAndUnitsComeFromTheRunsPrintFile) {
  struct Case {
    const char* data;  // an example, or none: no print file beside the table
    std::vector<std::string> options;
    std::vector<std::string> shown;
  };
  const std::string examples = BRENLOW_EXAMPLES;
  for (const Case& c : std::vector<Case>{
           {"500kv_flat.dat", {}, {"<title>500 KV SINGLE CIRCUIT FLAT LINE, 525 KV MAXIMUM OPERATING VOLTAGE</title>",
                                   "reference (m)", "Magnetic field, &#181;T"}},
           {"500kv_english.dat", {}, {"<title>500 KV EXAMPLE LINE, ENGLISH UNITS</title>", "reference (ft)",
                                      "Magnetic field, mG", "(1 G = 1000 mG)"}},
           {"500kv_english.dat", {"--b-unit", "g", "--title", "Mine"}, {"<title>Mine</title>", "Magnetic field, G"}},
           {"500kv_flat.dat", {"--feet"}, {"reference (ft)", "Magnetic field, mG"}},
           {nullptr, {}, {"<title>Lateral profile: run.dif</title>", "reference (units of the data file)",
                          "Magnetic field, &#181;T"}},
       }) {
    fs::path dir = scratch_dir("listing");
    if (c.data) {
      run_tesk31(fs::path(examples) / c.data, dir);
    } else {
      fs::copy_file(data_path("profile_ac.dif"), dir / "run.dif");
    }
    std::vector<std::string> args = {(dir / "run.dif").string(), "-o", (dir / "run.svg").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    Result r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string svg = read_file((dir / "run.svg").string());
    for (const std::string& text : c.shown)
      EXPECT_NE(svg.find(text), std::string::npos) << (c.data ? c.data : "no print file") << ": " << text;
    fs::remove_all(dir);
  }
  EXPECT_EQ(run({"a.dif", "--feet", "--metres"}).status, 2);
  EXPECT_EQ(run({"a.dif", "--b-unit", "gauss"}).status, 2);
}

// --metres on a run in feet, and --feet on one in metres, convert the
// distances, as the print file says the table's unit; without a print file
// the option only names the unit the table holds.
TEST(Command, DistancesAreConvertedToTheUnitAsked) {
  struct Case {
    const char* data;  // none: no print file beside the table
    const char* option;
    const char* header;
    float first;  // the first distance in the CSV
  };
  const std::string examples = BRENLOW_EXAMPLES;
  for (const Case& c : std::vector<Case>{
           {"500kv_english.dat", "--metres", "distance (m),", -150.0f * 0.3048f},
           {"500kv_english.dat", "--feet", "distance (ft),", -150.0f},
           {"500kv_flat.dat", "--feet", "distance (ft),", -60.0f / 0.3048f},
           {"500kv_flat.dat", "--metres", "distance (m),", -60.0f},
           {nullptr, "--feet", "distance (ft),", -30.0f},
       }) {
    fs::path dir = scratch_dir("convert");
    if (c.data) {
      run_tesk31(fs::path(examples) / c.data, dir);
    } else {
      fs::copy_file(data_path("profile_ac.dif"), dir / "run.dif");
    }
    Result r = run({(dir / "run.dif").string(), c.option, "--csv", (dir / "run.csv").string(), "--edge", "10"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string header;
    const std::vector<Row> rows = read_csv(read_file((dir / "run.csv").string()), &header);
    EXPECT_EQ(header.substr(0, std::string(c.header).size()), c.header) << c.option;
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0][distance], c.first) << (c.data ? c.data : "no print file") << " " << c.option;
    fs::remove_all(dir);
  }
}

// A field or a concentration never gets an axis below 0, even when its
// values are all 0 (ozone upwind).
TEST(Svg, NonNegativeQuantitiesKeepTheirAxesAtOrAboveZero) {
  Profile p = read_dif_file(data_path("profile_ac.dif"));
  for (Row& row : p.rows) row[ozone] = 0;
  const std::string svg = plot::render_svg(p, plot::PlotOptions{"t", "m", cli::BUnit::microtesla, {}});
  const std::size_t right_ticks = svg.find("text-anchor=\"start\"");  // the first right axis: ozone
  ASSERT_NE(right_ticks, std::string::npos);
  const std::string ozone_axis = svg.substr(right_ticks, svg.find("</g>", right_ticks) - right_ticks);
  EXPECT_EQ(ozone_axis.find(">-"), std::string::npos) << ozone_axis;
  EXPECT_NE(ozone_axis.find(">0.0<"), std::string::npos) << ozone_axis;
}
