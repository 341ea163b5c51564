// tesk31-study report run as a shell runs it, on every bundled example: the
// page is one self-contained file (nothing fetched, no script), headless
// Chromium renders it, and its numbers are those edges and comply print for
// the same line. Then what is refused, and a page written whole or not at all.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "format/file_system.hpp"
#include "study/pdf.hpp"
#include "study/quantity.hpp"
#include "study/study_run.hpp"
#include "support/files.hpp"
#include "support/program.hpp"
#include "support/svg_layout.hpp"
#include "svg/placement.hpp"

namespace {

namespace fs = std::filesystem;
using study_test::scratch;
using study_test::study;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The cells of the page's table of class `cls`, row by row (the header row
// left out), entities as they stand.
std::vector<std::vector<std::string>> html_rows(const std::string& html, const std::string& cls) {
  std::vector<std::vector<std::string>> rows;
  const std::size_t start = html.find("<table class=\"" + cls + "\">");
  if (start == std::string::npos) return rows;
  const std::size_t end = html.find("</table>", start);
  for (std::size_t tr = html.find("<tr>", html.find("<tbody>", start)); tr < end; tr = html.find("<tr>", tr + 1)) {
    std::vector<std::string> row;
    const std::size_t close = html.find("</tr>", tr);
    for (std::size_t td = html.find("<td", tr); td < close; td = html.find("<td", td + 1)) {
      const std::size_t from = html.find('>', td) + 1;
      row.push_back(html.substr(from, html.find("</td>", from) - from));
    }
    rows.push_back(row);
  }
  return rows;
}

// The aligned table a subcommand prints: the words of each line ("no wind"
// one word), from the line of column names on.
std::vector<std::vector<std::string>> words(std::string text) {
  for (std::size_t at = text.find("no wind"); at != std::string::npos; at = text.find("no wind", at)) text[at + 2] = '_';
  std::vector<std::vector<std::string>> out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word == "no_wind" ? "no wind" : word);
    if (!w.empty()) out.push_back(w);
  }
  return out;
}

// CSV records, quoted fields unquoted.
std::vector<std::vector<std::string>> csv_records(const std::string& text) {
  std::vector<std::vector<std::string>> out(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.back().push_back(field), field.clear();
    } else if (c == '\n') {
      out.back().push_back(field), field.clear();
      out.emplace_back();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (out.back().empty()) out.pop_back();
  return out;
}

std::optional<std::string> chromium() {
  const char* path = std::getenv("PATH");
  return study::find_chromium(path ? path : "");
}

// The environment Chromium runs in: its home and temporary files in a
// folder of the test's own, removed when the test ends, with a short name
// (its socket's path must stay within the system's 107 bytes).
class BrowserHome {
 public:
  BrowserHome() : dir_("brenlow-chr-" + std::to_string(::getpid())) {}
  std::string env() const { return "HOME='" + dir_.path().string() + "' TMPDIR='" + dir_.path().string() + "'"; }
  const fs::path& path() const { return dir_.path(); }

 private:
  support::ScratchDirectory dir_;
};

// Chromium run on the page in the test's folder.
support::Finished browse(const fs::path& dir, const BrowserHome& home, const std::string& browser,
                         const std::string& args) {
  return support::run_program(dir, browser,
                              "--headless --no-sandbox --disable-gpu --no-first-run --hide-scrollbars "
                              "--user-data-dir=" + (home.path() / "profile").string() + " " + args,
                              "", home.env());
}

struct Example {
  const char* file;
  const char* edge;
  const char* limits;
  const char* frequency;
};

class ReportOfExample : public ::testing::TestWithParam<Example> {};

TEST_P(ReportOfExample, SelfContainedRenderedAndTheOtherSubcommandsNumbers) {
  const Example& e = GetParam();
  const fs::path dir = scratch();
  fs::copy_file(std::string(BRENLOW_EXAMPLES) + "/" + e.file, dir / e.file);
  const std::string line = std::string(e.file) + " --edge " + e.edge + " --frequency " + e.frequency;
  const support::Finished made = study(dir, "report " + line + " --limits " + e.limits + " -o r.html");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "wrote r.html\n");
  const std::string html = support::read_file(dir / "r.html");

  // One file that fetches nothing and runs nothing, in well-formed UTF-8.
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_EQ(html.substr(html.size() - 8), "</html>\n");
  EXPECT_TRUE(record::utf16_of_utf8(html));
  for (const char* never : {"<script", "<link", "<img", "<iframe", "src=", "url(", "@import"})
    EXPECT_EQ(html.find(never), std::string::npos) << never;
  EXPECT_EQ(count(html, "http"), count(html, "xmlns=\"http://www.w3.org/2000/svg\""));
  for (const char* id : {"line", "gradients", "profiles", "edges", "compliance", "assumptions"})
    EXPECT_EQ(count(html, std::string("<section id=\"") + id + "\">"), 1u) << id;
  EXPECT_EQ(count(html, "<svg "), 2u);
  EXPECT_EQ(count(html, "</svg>"), 2u);

  const brenlow::CrossSection s = brenlow::read_data_file((dir / e.file).string());
  // What a person sees in the pictures: every text inside its picture, and
  // no two labels of the cross section (names, edges, the legend: the texts
  // with a colour of their own, not the axes' ticks) over one another.
  for (std::size_t at = html.find("<svg "); at != std::string::npos; at = html.find("<svg ", at + 1)) {
    const std::string svg = html.substr(at, html.find("</svg>", at) + 6 - at);
    const svg::Rect frame = support::svg_frame(svg);
    std::vector<support::SvgText> texts = support::svg_texts(svg);
    for (const support::SvgText& t : texts) EXPECT_TRUE(support::svg_inside(t.box, frame)) << "clipped: " << t.text;
    if (svg.find("<title>Cross section</title>") == std::string::npos) continue;
    std::erase_if(texts, [](const support::SvgText& t) { return support::svg_attribute(t.attributes, "fill").empty(); });
    EXPECT_GE(texts.size(), s.groups.size() + 2);
    for (std::size_t i = 0; i < texts.size(); ++i)
      for (std::size_t j = i + 1; j < texts.size(); ++j)
        EXPECT_FALSE(svg::overlap(texts[i].box, texts[j].box)) << texts[i].text << " over " << texts[j].text;
  }

  // The values at the edges: those of edges at the same two points.
  std::string at = e.edge;
  if (at.find(',') == std::string::npos) at = "-" + at + "," + at;
  const std::string left = at.substr(0, at.find(',')), right = at.substr(at.find(',') + 1);
  const support::Finished edges = study(dir, std::string("edges ") + e.file + " --at " + left + " --at " + right);
  ASSERT_EQ(edges.status, 0) << edges.err;
  const auto printed = words(edges.out);
  ASSERT_EQ(printed.size(), 4u) << edges.out;  // names, units, two points
  const auto shown = html_rows(html, "edges");
  ASSERT_FALSE(shown.empty());
  for (const auto& row : shown) {
    ASSERT_EQ(row.size(), 4u);
    std::size_t column = 0;
    while (column < printed[0].size() && printed[0][column] != row[0]) ++column;
    ASSERT_LT(column, printed[0].size()) << row[0];
    EXPECT_EQ(row[2], printed[2][column]) << row[0] << " at the left edge";
    EXPECT_EQ(row[3], printed[3][column]) << row[0] << " at the right edge";
  }
  // The largest gradient of the phases and poles: the one edges prints.
  double largest = 0;
  const auto gradients = html_rows(html, "gradients");
  ASSERT_EQ(gradients.size(), s.groups.size());
  for (int g = 0; g < s.energized; ++g) largest = std::max(largest, std::fabs(std::stod(gradients[g][3])));
  EXPECT_EQ(study::fixed(largest, 2), printed[2].back());

  // The compliance table: comply's verdicts, values and margins.
  const support::Finished comply =
      study(dir, "comply " + line + " --limits " + e.limits + " --csv c.csv");
  ASSERT_TRUE(comply.status == 0 || comply.status == 1 || comply.status == 2) << comply.err;
  const auto records = csv_records(support::read_file(dir / "c.csv"));
  const auto judged = html_rows(html, "compliance");
  ASSERT_EQ(judged.size() + 1, records.size());
  std::map<std::string, std::size_t> index;
  for (std::size_t k = 0; k < records[0].size(); ++k) index[records[0][k].substr(0, records[0][k].find(" ("))] = k;
  for (std::size_t r = 0; r < judged.size(); ++r) {
    const auto& csv = records[r + 1];
    EXPECT_EQ(judged[r][0], csv[index.at("quantity")]);
    EXPECT_EQ(judged[r][10], csv[index.at("result")]) << judged[r][0] << " row " << r + 1;
    if (csv[index.at("result")] != "N/A") {
      EXPECT_NEAR(std::stod(judged[r][9]), std::stod(csv[index.at("margin")]), 5e-4) << judged[r][0];
      EXPECT_EQ(judged[r][5], study::fixed(std::stod(csv[index.at("value")]),
                                           static_cast<int>(judged[r][4].size() - judged[r][4].find('.') - 1)));
    }
  }
  // The profiles draw the limits judged on the quantities they show, and no others.
  bool drawn = false;
  for (const auto& row : judged)
    for (const char* q : {"E", "B", "AN", "RI", "E-AC", "E-DC", "B-AC", "B-DC", "E-TOTAL"})
      drawn = drawn || (row[10] != "N/A" && row[1] == q);
  EXPECT_EQ(count(html, "class=\"limit\"") > 0, drawn);

  // Chromium renders it: the tables and pictures are in its document, and a
  // screenshot is made.
  const std::optional<std::string> browser = chromium();
  if (!browser) GTEST_SKIP() << "no chromium on the PATH";
  const BrowserHome home;
  const support::Finished dom = browse(dir, home, *browser, "--dump-dom " + study::file_url((dir / "r.html").string()));
  ASSERT_EQ(dom.status, 0) << dom.err;
  for (const char* table : {"groups", "gradients", "edges", "compliance"})
    EXPECT_EQ(count(dom.out, std::string("<table class=\"") + table + "\">"), 1u) << table;
  EXPECT_EQ(count(dom.out, "<svg "), 2u);
  const support::Finished shot =
      browse(dir, home, *browser, "--window-size=800,2400 --screenshot=" + (dir / "r.png").string() + " " +
                                study::file_url((dir / "r.html").string()));
  ASSERT_EQ(shot.status, 0) << shot.err;
  const std::string png = support::read_file(dir / "r.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(static_cast<unsigned char>(png[18]) * 256 + static_cast<unsigned char>(png[19]), 800);  // IHDR width
}

INSTANTIATE_TEST_SUITE_P(Study, ReportOfExample,
                         ::testing::Values(Example{"example.dat", "30", "florida", "60"},
                                           Example{"345kv_double_circuit.dat", "30", "new-york", "60"},
                                           Example{"500kv_dc_bipole.dat", "30", "icnirp-2010", "60"},
                                           Example{"500kv_english.dat", "100", "florida", "60"},
                                           Example{"500kv_flat.dat", "-25,35", "ieee-c95.6-2002", "60"},
                                           Example{"hybrid_corridor.dat", "60", "icnirp-1998", "50"}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(Report, PdfPrintedByChromium) {
  const std::optional<std::string> browser = chromium();
  if (!browser) GTEST_SKIP() << "no chromium on the PATH";
  const fs::path dir = scratch();
  const BrowserHome home;
  const support::Finished f =
      support::run_program(dir, TESK31_STUDY_PATH, "report line.dat --edge 75 -o r.html --pdf r.pdf", "", home.env());
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "wrote r.html\nwrote r.pdf\n");
  const std::string pdf = support::read_file(dir / "r.pdf");
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_GE(count(pdf, "/Type /Page\n") + count(pdf, "/Type /Page\r") + count(pdf, "/Type /Page/") +
                count(pdf, "/Type /Page "),
            2u);  // a line of many groups takes more than one page
  // Nothing of the printing left beside it.
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find(".part-"), std::string::npos) << name;
  }
}

struct Refused {
  const char* name;
  const char* args;
  const char* message;
};

class ReportRefused : public ::testing::TestWithParam<Refused> {};

// Refused before any work: nothing written, the data file as it was.
TEST_P(ReportRefused, StatusTwoNothingWritten) {
  const fs::path dir = scratch();
  const std::string before = support::read_file(dir / "line.dat");
  const support::Finished f = support::run_program(dir, TESK31_STUDY_PATH, GetParam().args, "", "PATH=/nonexistent");
  EXPECT_EQ(f.status, 2) << f.out << f.err;
  EXPECT_NE(f.err.find(GetParam().message), std::string::npos) << f.err;
  EXPECT_EQ(support::read_file(dir / "line.dat"), before);
  EXPECT_FALSE(fs::exists(dir / "r.html"));
}

INSTANTIATE_TEST_SUITE_P(
    Study, ReportRefused,
    ::testing::Values(
        Refused{"NoOutput", "report line.dat --edge 75", "no report file named (-o REPORT.html)"},
        Refused{"NoEdge", "report line.dat -o r.html", "no right-of-way given"},
        Refused{"EdgeZero", "report line.dat --edge 0 -o r.html", "X must be above 0"},
        Refused{"EdgesBackwards", "report line.dat --edge 50,-50 -o r.html", "right of the left"},
        Refused{"ThreeEdges", "report line.dat --edge 1,2,3 -o r.html", "--edge needs X or LEFT,RIGHT"},
        Refused{"TwoFiles", "report line.dat line.dat --edge 75 -o r.html", "one data file a report"},
        Refused{"OutputIsInput", "report line.dat --edge 75 -o ./line.dat", "will not be overwritten"},
        Refused{"PdfIsOutput", "report line.dat --edge 75 -o r.html --pdf ./r.html", "both name"},
        Refused{"UnknownSet", "report line.dat --edge 75 --limits nowhere -o r.html", "--limits"},
        Refused{"Frequency", "report line.dat --edge 75 --frequency 55 -o r.html", "--frequency needs 50 or 60"},
        Refused{"NoChromium", "report line.dat --edge 75 -o r.html --pdf r.pdf", "no Chromium"},
        Refused{"EdgeBeyondReach", "report line.dat --edge 1e9 -o r.html", "--edge"},
        Refused{"NoStep", "report line.dat --edge 75 --from -100 --to 100 -o r.html", "go together"}),
    [](const auto& info) { return std::string(info.param.name); });

// A page that cannot take its name leaves no half-written file: here the
// name is a folder's.
TEST(Report, FailedWriteLeavesNothingBehind) {
  const fs::path dir = scratch();
  fs::create_directories(dir / "r.html");
  const support::Finished f = study(dir, "report line.dat --edge 75 -o r.html");
  EXPECT_EQ(f.status, 2) << f.out;
  EXPECT_NE(f.err.find("r.html: cannot write"), std::string::npos) << f.err;
  EXPECT_TRUE(fs::is_directory(dir / "r.html"));
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
}

// The data file's text (Latin-1, markup characters) and the file's name
// reach the page as text, never as markup.
TEST(Report, DataFileTextEscaped) {
  const fs::path dir = scratch();
  brenlow::CrossSection s = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/example.dat");
  s.titles = {"<script>alert(1)</script> & caf\xe9", "\"quoted\" <b>"};
  s.groups[0].name = "A<&>\xb5";
  brenlow::write_data_file(s, (dir / "odd <name>.dat").string());
  const support::Finished f = study(dir, "report 'odd <name>.dat' --edge 30 -o r.html");
  ASSERT_EQ(f.status, 0) << f.err;
  const std::string html = support::read_file(dir / "r.html");
  EXPECT_TRUE(record::utf16_of_utf8(html));
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("<h1>&lt;script&gt;alert(1)&lt;/script&gt; &amp; caf\xc3\xa9</h1>"), std::string::npos);
  EXPECT_NE(html.find("&quot;quoted&quot; &lt;b&gt;"), std::string::npos);
  EXPECT_NE(html.find(">A&lt;&amp;&gt;\xc2\xb5<"), std::string::npos);
  EXPECT_NE(html.find("odd &lt;name&gt;.dat"), std::string::npos);
}

}  // namespace

namespace {

// A browser that fails, or prints nothing, leaves no PDF and no part of
// one; the page itself is written.
TEST(Report, BrowserThatDoesNotPrint) {
  struct Browser {
    const char* script;
    const char* message;
  };
  const Browser browsers[] = {{"#!/bin/sh\nexit 3\n", "did not print the page (exit status 3)"},
                              {"#!/bin/sh\nexit 0\n", "wrote no PDF"},
                              {"#!/bin/sh\nkill -9 $$\n", "ended by signal 9"}};
  for (const Browser& b : browsers) {
    const fs::path dir = scratch();
    fs::create_directories(dir / "bin");
    support::write_file(dir / "bin" / "chromium", b.script);
    fs::permissions(dir / "bin" / "chromium", fs::perms::owner_all);
    const support::Finished f = support::run_program(dir, TESK31_STUDY_PATH,
                                                     "report line.dat --edge 75 -o r.html --pdf r.pdf", "",
                                                     "PATH='" + (dir / "bin").string() + "'");
    EXPECT_EQ(f.status, 2) << b.script;
    EXPECT_NE(f.err.find(b.message), std::string::npos) << f.err;
    EXPECT_TRUE(fs::exists(dir / "r.html"));
    EXPECT_FALSE(fs::exists(dir / "r.pdf"));
    for (const auto& entry : fs::directory_iterator(dir))
      EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
  }
}

}  // namespace
