// The study report's pieces: text made safe for the page (the user's UTF-8
// and the data file's Latin-1), tables as HTML, the line's table against
// the data file's own text, the gradients against tesk31's print file, the
// profiles' points, and finding the browser that prints.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "format/file_system.hpp"
#include "limits/comply.hpp"
#include "limits/limit_set.hpp"
#include "study/html.hpp"
#include "study/pdf.hpp"
#include "study/report.hpp"
#include "study/study_run.hpp"
#include "support/files.hpp"
#include "support/program.hpp"

namespace {

namespace fs = std::filesystem;

struct TextCase {
  const char* in;
  const char* out;
};

TEST(ReportHtml, UserTextEscaped) {
  const TextCase cases[] = {
      {"a<b>&\"'", "a&lt;b&gt;&amp;&quot;&apos;"},
      {"caf\xc3\xa9 \xd0\x96", "caf\xc3\xa9 \xd0\x96"},  // well-formed UTF-8 kept
      {"\xe9t\xe9", "?t?"},                                 // Latin-1 bytes are not UTF-8
      {"a\x01" "b", "a\xef\xbf\xbd" "b"},                    // a control character the page cannot carry
      {"<script>", "&lt;script&gt;"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(study::html::escape(c.in), c.out) << c.in;
}

TEST(ReportHtml, DataFileTextAsUtf8) {
  const TextCase cases[] = {
      {"PHASE A", "PHASE A"},
      {"\xe9t\xe9", "\xc3\xa9t\xc3\xa9"},  // e acute
      {"\xff\xa0", "\xc3\xbf\xc2\xa0"},    // y diaeresis, no-break space
      {"x\x85y", "x\xef\xbf\xbdy"},        // C1 control: nothing printable
      {"\x80\x9f", "\xef\xbf\xbd\xef\xbf\xbd"},
  };
  for (const TextCase& c : cases) {
    const std::string utf8 = study::html::utf8_of_latin1(c.in);
    EXPECT_EQ(utf8, c.out) << c.in;
    EXPECT_TRUE(record::utf16_of_utf8(utf8)) << c.in;  // always well-formed
  }
}

TEST(ReportHtml, TableHeadsUnitsAndEscapedCells) {
  study::Table t({{"name", "", true}, {"x", "m"}, {"B", "uT"}});
  t.add_row({study::Table::text("A&B <1>"), study::Table::number(-12.0f, 1), study::Table::number(3.25f, 3)});
  t.add_row({study::Table::text("C"), study::Table::number(0.0f, 1), {"n/a", ""}});
  const std::string html = study::html::table(t, "edges");
  EXPECT_EQ(html.rfind("<table class=\"edges\">", 0), 0u) << html;
  EXPECT_NE(html.find("<th class=\"text\">name</th>"), std::string::npos) << html;
  EXPECT_NE(html.find("<th>x<br><span class=\"unit\">m</span></th>"), std::string::npos) << html;
  EXPECT_NE(html.find("<td class=\"text\">A&amp;B &lt;1&gt;</td><td>-12.0</td><td>3.250</td>"), std::string::npos)
      << html;
  EXPECT_NE(html.find("<td>n/a</td>"), std::string::npos) << html;
  std::size_t rows = 0;
  for (std::size_t at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1)) ++rows;
  EXPECT_EQ(rows, 3u);
  EXPECT_EQ(html.find("<1>"), std::string::npos);
}

TEST(ReportHtml, SvgInlineWithoutItsDeclaration) {
  EXPECT_EQ(study::html::inline_svg("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg a=\"1\"></svg>\n"),
            "<svg a=\"1\"></svg>\n");
  EXPECT_EQ(study::html::inline_svg("<svg/>"), "<svg/>");
}

TEST(ReportPdf, FileUrlEncodesWhatAUrlCannotHold) {
  EXPECT_EQ(study::file_url("/tmp/a b/r\xc3\xa9#1%.html"), "file:///tmp/a%20b/r%C3%A9%231%25.html");
  EXPECT_EQ(study::file_url("/x/Report_1-2~.html"), "file:///x/Report_1-2~.html");
}

TEST(ReportPdf, ChromiumFoundOnlyWhereItCanRun) {
  const fs::path dir = study_test::scratch();
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  fs::create_directories(dir / "c" / "chromium");  // a folder of that name
  support::write_file(dir / "a" / "chromium", "not a program");
  support::write_file(dir / "b" / "chromium-browser", "#!/bin/sh\n");
  fs::permissions(dir / "b" / "chromium-browser", fs::perms::owner_exec, fs::perm_options::add);
  const std::string a = (dir / "a").string(), b = (dir / "b").string(), c = (dir / "c").string();
  EXPECT_EQ(study::find_chromium(a + ":" + c + "::" + b), (dir / "b" / "chromium-browser").string());
  EXPECT_FALSE(study::find_chromium(a + ":" + c));
  EXPECT_FALSE(study::find_chromium(""));
  EXPECT_FALSE(study::find_chromium(":"));
}

// The profiles reach beyond both edges and every conductor, by half the
// right-of-way's width and at least 10 m (30 ft), in at most 200 equal
// round steps...
TEST(ReportProfiles, PointsCoverTheRightOfWayAndTheLine) {
  struct Case {
    const char* file;
    float left, right;  // the file's unit
  };
  const Case cases[] = {{"example.dat", -30, 30},       {"example.dat", -2, 3}, {"example.dat", -1e6f, 1e6f},
                        {"500kv_english.dat", -100, 100}, {"hybrid_corridor.dat", -60, 40},
                        {"500kv_flat.dat", -1000, 5},     {"345kv_double_circuit.dat", 10, 12}};
  for (const Case& c : cases) {
    const brenlow::CrossSection s = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/" + c.file);
    const study::LengthUnit unit{s.english};
    const std::vector<float> xs = study::default_profile_points(s, unit.to_metres(c.left), unit.to_metres(c.right));
    ASSERT_GE(xs.size(), 2u) << c.file;
    EXPECT_LE(xs.size(), 201u) << c.file;
    float lo = unit.to_metres(c.left), hi = unit.to_metres(c.right);
    for (const brenlow::Group& g : s.groups) lo = std::min(lo, g.x), hi = std::max(hi, g.x);
    const float beyond = std::max(0.5f * (unit.to_metres(c.right) - unit.to_metres(c.left)),
                                  unit.to_metres(s.english ? 30.0f : 10.0f));
    // ... but never beyond a study's reach.
    const float reach = brenlow::farthest_distance;
    EXPECT_LE(xs.front(), std::max(lo - beyond * 0.999f, -reach)) << c.file << " " << c.left;
    EXPECT_GE(xs.back(), std::min(hi + beyond * 0.999f, reach)) << c.file << " " << c.left;
    EXPECT_GE(xs.front(), -reach * 1.000001f) << c.file;
    EXPECT_LE(xs.back(), reach * 1.000001f) << c.file;
    const double step = unit.from_metres(xs[1]) - unit.from_metres(xs[0]);
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-3 || std::fabs(mantissa - 2) < 1e-3 || std::fabs(mantissa - 5) < 1e-3)
        << c.file << " step " << step;
  }
}

// The numbers of a data file's group records, as its text holds them.
std::vector<std::vector<double>> group_records(const std::string& text) {
  std::vector<std::vector<double>> out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t close = line.find("','");
    if (line.find(" '") != 0 || close == std::string::npos) continue;
    std::string rest = line.substr(close + 5);  // after "','A',"
    for (char& ch : rest)
      if (ch == ',') ch = ' ';
    std::istringstream numbers(rest);
    std::vector<double> v;
    for (double d; numbers >> d;) v.push_back(d);
    out.push_back(v);
  }
  return out;
}

// The line's table gives each group as the data file gives it, in its units
// (feet and inches for an English file).
TEST(ReportTables, LineTableIsTheDataFile) {
  for (const char* file : {"example.dat", "500kv_english.dat", "hybrid_corridor.dat", "500kv_dc_bipole.dat",
                           "345kv_double_circuit.dat", "500kv_flat.dat"}) {
    const std::string path = std::string(BRENLOW_EXAMPLES) + "/" + file;
    const std::vector<std::vector<double>> records = group_records(support::read_file(path));
    const study::Table t = study::line_table(brenlow::read_data_file(path));
    ASSERT_EQ(t.rows().size(), records.size()) << file;
    for (std::size_t g = 0; g < records.size(); ++g) {
      ASSERT_EQ(records[g].size(), 9u) << file << " group " << g + 1;
      // x, y, subconductors, diameter, spacing, kV, phase, kA (the given gradient left out).
      for (std::size_t k = 0; k < 8; ++k)
        EXPECT_NEAR(std::stod(t.rows()[g][3 + k].shown), records[g][k], 5e-4 * std::max(1.0, std::fabs(records[g][k])))
            << file << " group " << g + 1 << " column " << t.columns()[3 + k].name;
    }
  }
}

// The gradient table against the gradients tesk31 prints on its electric
// field page (all groups, earth wires too).
TEST(ReportTables, GradientsAreThosePrinted) {
  for (const char* file : {"example.dat", "500kv_english.dat", "345kv_double_circuit.dat", "500kv_flat.dat",
                           "500kv_dc_bipole.dat"}) {
    const fs::path dir = study_test::scratch();
    fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/" + file, dir / "in.dat");
    const support::Finished run = support::run_program(dir, TESK31_PATH, "in.dat out.prt");
    ASSERT_EQ(run.status, 0) << file << run.err;
    const std::string print = support::read_file(dir / "out.prt");
    const brenlow::CrossSection s = brenlow::read_data_file((dir / "in.dat").string());
    const study::Table t = study::gradient_table(brenlow::Evaluation(s));
    const std::size_t page = print.find("SENSOR HT.");
    ASSERT_NE(page, std::string::npos) << file;
    const std::size_t table = print.rfind("GRADIENT", page);
    for (std::size_t g = 0; g < s.groups.size(); ++g) {
      std::string name = s.groups[g].name;
      while (!name.empty() && name.back() == ' ') name.pop_back();
      const std::size_t at = print.find("\n " + name + " ", table);
      ASSERT_LT(at, page) << file << " " << name;
      std::istringstream numbers(print.substr(at + 2 + name.size(), print.find('\n', at + 1) - at - 2 - name.size()));
      double reference = 0, height = 0, gradient = 0;
      numbers >> reference >> height >> gradient;
      EXPECT_EQ(t.rows()[g][3].shown, study::fixed(gradient, 2)) << file << " " << name;
    }
  }
}

}  // namespace

namespace {

// The limits a profile panel draws: where each holds (a mark at each edge,
// a line between the edges, or across the whole panel) at the value comply
// judged, in the file's unit; none on a panel of a quantity not limited.
TEST(ReportProfiles, LimitsDrawnWhereTheyHold) {
  struct Drawn {
    const char* set;
    const char* file;
    float edge;  // file's unit
    study::Quantity q;
    std::vector<std::array<float, 3>> limits;  // value, from, to
  };
  const float inf = INFINITY;
  const Drawn cases[] = {
      {"florida", "example.dat", 30, study::Quantity::e, {{2, -30, -30}, {2, 30, 30}, {10, -30, 30}}},
      {"florida", "example.dat", 30, study::Quantity::b, {{20, -30, -30}, {20, 30, 30}}},  // 200 mG, 500 kV class
      {"florida", "example.dat", 30, study::Quantity::an, {}},
      {"icnirp-2010", "example.dat", 30, study::Quantity::b, {{200, -inf, inf}}},
      {"minnesota", "500kv_english.dat", 100, study::Quantity::e, {{8, -100, 100}}},
      {"new-york", "500kv_english.dat", 100, study::Quantity::b, {{200, -100, -100}, {200, 100, 100}}},  // mG
  };
  for (const Drawn& c : cases) {
    const brenlow::CrossSection s = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/" + c.file);
    const study::LengthUnit unit{s.english};
    limits::ComplyOptions options;
    options.b = cli::default_b_unit(s.english);
    const limits::Compliance judged =
        limits::comply(s, limits::limit_set(c.set), {unit.to_metres(-c.edge), unit.to_metres(c.edge)}, options);
    const auto drawn = study::profile_limits(judged, c.q, unit);
    ASSERT_EQ(drawn.size(), c.limits.size()) << c.set << " " << study::name(c.q);
    for (std::size_t k = 0; k < drawn.size(); ++k) {
      EXPECT_NEAR(drawn[k].value, c.limits[k][0], 1e-4) << c.set << " " << study::name(c.q);
      for (const auto& [got, want] : {std::pair{drawn[k].from, c.limits[k][1]}, std::pair{drawn[k].to, c.limits[k][2]}})
        if (std::isinf(want))
          EXPECT_EQ(got, want) << c.set << " " << study::name(c.q);
        else
          EXPECT_NEAR(got, want, 1e-3) << c.set << " " << study::name(c.q);
    }
  }
}

}  // namespace
