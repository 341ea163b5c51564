// tesk31 run on a line in metric and in English units: every report page
// checked against its layout (titles, heading records, the conductor tables,
// one line per lateral point with its fields' widths), console messages in
// order, the final record.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "model/problem_data.hpp"
#include "format/record.hpp"
#include "support/program.hpp"
#include "support/records.hpp"

namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::string>;

std::string b(std::size_t n) { return std::string(n, ' '); }

// One field rendered by the record layer, e.g. f("F9.2", 1.2f).
std::string f(const std::string& descriptor, float value) {
  return record::render("(" + descriptor + ")", {value})[0];
}
std::string repeated(const std::string& descriptor, const auto& values) {
  std::string text;
  for (float v : values) text += f(descriptor, v);
  return text;
}

// A record's layout as a list of descriptors, repeats written out:
// "1X F8.1 2F9.1 A8 I10 E14.3".
struct Field {
  char kind;
  int width, decimals;
};
std::vector<Field> layout(const std::string& descriptors) {
  static const std::regex token("(\\d*)([XFEIA])(\\d*)(?:\\.(\\d+))?");
  std::vector<Field> fields;
  std::istringstream in(descriptors);
  for (std::string t; in >> t;) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(t, m, token)) << t;
    const int count = m[1].length() ? std::stoi(m[1]) : 1;
    if (m[2] == "X") {
      fields.push_back({'X', count, 0});
      continue;
    }
    for (int i = 0; i < count; ++i)
      fields.push_back({m[2].str()[0], std::stoi(m[3]), m[4].length() ? std::stoi(m[4]) : 0});
  }
  return fields;
}

// Splits `line` by `fields`: its length must be their total width, skips
// blank, every number field a right-justified number of its descriptor, NaN,
// (-)Inf(inity) or asterisks. Returns the data fields in order.
Records split(const std::string& line, const std::vector<Field>& fields) {
  Records data;
  std::size_t at = 0;
  for (const Field& fd : fields) {
    const std::string text = line.substr(std::min(at, line.size()), fd.width);
    at += fd.width;
    if (fd.kind == 'X') {
      EXPECT_EQ(text, b(fd.width)) << line;
      continue;
    }
    data.push_back(text);
    if (fd.kind == 'A' || text == std::string(fd.width, '*')) continue;
    const std::string d = "{" + std::to_string(fd.decimals) + "}";
    const std::string number = fd.kind == 'I'   ? "-?\\d+"
                               : fd.kind == 'F' ? "-?(\\d+\\.\\d" + d + "|\\.\\d" + d + ")"
                                                : "-?0?\\.\\d" + d + "E[-+]\\d\\d";
    const std::string t = text.substr(std::min(text.find_first_not_of(' '), text.size()));
    EXPECT_TRUE(text.size() == static_cast<std::size_t>(fd.width) &&
                std::regex_match(t, std::regex(number + (fd.kind == 'I' ? "" : "|NaN|-?Inf(inity)?"))))
        << "field '" << text << "' of " << fd.kind << fd.width << "." << fd.decimals << " in: " << line;
  }
  EXPECT_EQ(line.size(), at) << line;
  return data;
}

// The line of each example, as its data file gives it (feet and inches in
// English units).
struct Line {
  std::string file, title1, title2;
  int units;
  std::vector<std::string> names;
  std::vector<float> x, y, diam;
  std::vector<int> nsub;
  float first, step;  // lateral points: 21 from `first`
  float rain, wind, altitude, efheight, mfheight;
  std::string dist() const { return units ? "FEET" : "MTRS"; }
  std::string diamunit() const { return units ? "(IN)" : "(MM)"; }
  float ft(float metres) const { return units ? metres / 0.3048f : metres; }  // a fixed table length as printed
};
const std::vector<std::string> names = {"PHASE A ", "PHASE B ", "PHASE C ", "EARTH 1 ", "EARTH 2 "};
const Line metric = {std::string(BRENLOW_EXAMPLES) + "/example.dat", " 500 KV EXAMPLE LINE",
                     " FLAT CONFIGURATION, TWO EARTH WIRES", 0, names, {-12, 0, 12, -9, 9}, {15, 15, 15, 25, 25},
                     {30, 30, 30, 11, 11}, {3, 3, 3, 1, 1}, -50, 5, 1, 0, 300, 1, 1};
const Line english = {std::string(BRENLOW_TEST_DATA) + "/e2e/example_english.dat",
                      " 500 KV EXAMPLE LINE, ENGLISH UNITS", " FLAT CONFIGURATION, TWO EARTH WIRES", 1, names,
                      {-40, 0, 40, -30, 30}, {50, 50, 50, 80, 80}, {1.2f, 1.2f, 1.2f, 0.45f, 0.45f}, {3, 3, 3, 1, 1},
                      -150, 15, 0.1f, 5, 1000, 6, 3};
constexpr std::size_t points = 21, phases = 3, groups = 5;

// Walks the print file page by page from the first title.
struct Pages {
  const Records& print;
  std::size_t at;
  void lines(const Records& expected) {
    for (const auto& e : expected) EXPECT_EQ(at < print.size() ? print[at++] : "<end>", e);
  }
  // `n` records of `descriptors`, each checked by `check` with its data fields.
  void rows(std::size_t n, const std::string& descriptors, const std::function<void(std::size_t, const Records&)>& check,
            bool blank_after = false) {
    const auto fields = layout(descriptors);
    for (std::size_t j = 0; j < n && at < print.size(); ++j) {
      check(j, split(print[at++], fields));
      if (blank_after) lines({""});
    }
  }
  // One line per lateral point, the distance field first.
  void point_rows(const Line& l, const std::string& descriptors, const std::string& distance) {
    rows(points, descriptors, [&](std::size_t j, const Records& d) {
      EXPECT_EQ(d[0], f(distance, l.first + l.step * static_cast<float>(j))) << "point " << j;
    });
  }
};

const std::string stars = "* * * * * L50 * * * * *", freqs = "* * * * * FREQUENCY, MHZ * * * * *";

void audible_noise(Pages& p, const Line& l, const std::string& weather) {
  p.lines({"1AUDIBLE NOISE CALCULATION - " + weather, "", "", " DIST FROM    TOTALS",
           " REFERENCE    L5       L50    " + l.names[0] + " " + l.names[1] + " " + l.names[2],
           "  (" + l.dist() + ")     (DBA)    (DBA)", "", ""});
  p.point_rows(l, "6F9.1", "F9.1");
}

void radio(Pages& p, const Line& l, const std::string& weather) {
  std::string db;
  for (int k = 0; k < 13; ++k) db += b(5) + "(DB)";
  p.lines({"1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - " + weather, "", "", b(48) + stars,
           "  DIST FROM" + b(37) + freqs, "  REFERENCE", b(9) + repeated("F9.3", freqtab), "   (" + l.dist() + ")" + db,
           ""});
  p.point_rows(l, "14F9.1", "F9.1");
}

void television(Pages& p, const Line& l) {
  p.lines({"1TVI CALCULATIONS, QP DETECTOR, STODDART NM30A METER", "", " NOTE: A -999.9 APPEARS FOR DC BUNDLES.",
           b(48) + stars, "  DIST FROM" + b(37) + freqs, "  REFERENCE", b(9) + repeated("F9.3", tvfreqtab),
           "   (" + l.dist() + ")DBUV/M", ""});
  p.point_rows(l, "9F9.1", "F9.1");
}

std::string padded(const std::string& title) { return " " + title + b(72 - title.size()); }

// Name, position, height and diameter of a conductor table row as the data give them.
void expect_group(const Line& l, std::size_t i, const Records& d, std::size_t diam_at) {
  EXPECT_EQ(d[0], l.names[i]);
  EXPECT_EQ(d[1], f("F9.2", l.x[i]));
  EXPECT_EQ(d[2], f("F6.2", l.y[i]));
  EXPECT_EQ(d[diam_at], f("F9.2", l.diam[i]));
}

void ozone(Pages& p, const Line& l) {
  p.lines({"1OZONE CONCENTRATION CALCULATIONS", "", "", padded(l.title1), padded(l.title2),
           b(14) + "DIST. FROM" + b(15) + "L-N" + b(5) + "MAXIMUM   SUBCON. NO. OF   PRODUCTION" + b(5) + "CORONA",
           " PHASE" + b(9) + "REFERENCE    HEIGHT   VOLTAGE   GRADIENT   DIAM.  SUBCON.    RATE" + b(11) + "LOSSES",
           l.units ? b(15) + " (FEET)      (FEET)     (KV)    (KV/CM)" + b(4) + "(IN)" + b(12) + "(KG/M/SEC)     (KW/MI)"
                   : b(15) + "(METERS)    (METERS)    (KV)    (KV/CM)" + b(4) + "(MM)" + b(12) + "(KG/M/SEC)     (KW/KM)",
           "", ""});
  p.rows(phases, "1X A8 4X F9.2 6X F6.2 F10.2 2F9.2 4X I2 E14.3 F12.3", [&](std::size_t i, const Records& d) {
    expect_group(l, i, d, 5);
    EXPECT_EQ(d[3], "    303.00");
    EXPECT_EQ(d[6], " 3");
  });
  // The weather line around its S(MEAN) field.
  const std::string weather =
      l.units ? " RAIN =" + f("F6.2", l.rain) + " IN/HR, WIND VELOCITY =" + f("F8.3", l.wind) + " MILES/HOUR, S(MEAN) ="
              : " RAIN =" + f("F6.2", l.rain) + " MM/HR, WIND VELOCITY =" + f("F8.3", l.wind) + " METERS/SEC, S(MEAN) =";
  const std::string tail = l.units ? " KG/M/SEC, ALTITUDE=" + f("F6.1", l.altitude) + " FEET"
                                   : " KG/M/SEC, ALTITUDE =" + f("F6.1", l.altitude) + " METERS";
  p.lines({""});
  const std::string line = p.print[p.at++];
  EXPECT_EQ(line.substr(0, weather.size()), weather);
  EXPECT_EQ(line.size(), weather.size() + 10 + tail.size()) << line;
  split(line.substr(weather.size(), 10), layout("E10.3"));
  EXPECT_EQ(line.substr(weather.size() + 10), tail);
  std::string distances;
  for (float d : latdisttab) distances += f("F10.0", l.ft(d));
  p.lines({"", "", b(50) + "OZONE CONCENTRATION IN PPB", "",
           " HEIGHT" + b(38) + "LATERAL DISTANCE FROM REFERENCE (" + l.dist() + ")", "", b(7) + distances});
  p.rows(heighttab.size(), "F6.0 2X 11F10.6", [&](std::size_t h, const Records& d) {
    EXPECT_EQ(d[0], f("F6.0", l.ft(heighttab[h])));
  }, true);
}

std::string sensor(const Line& l, float height) { return " SENSOR HT. =" + f("F5.1", height) + " " + l.dist(); }

void electric_field(Pages& p, const Line& l) {
  p.lines({"1ELECTRIC FIELD CALCULATIONS", "", "", padded(l.title1), padded(l.title2),
           b(14) + "DIST. FROM" + b(12) + "MAXIMUM   SUBCON.   NO. OF     PHASE",
           b(14) + " REFERENCE    HEIGHT  GRADIENT   DIAM.    SUBCON.    ANGLE",
           b(17) + l.dist() + b(8) + l.dist() + b(3) + "(KV/CM)" + b(4) + l.diamunit() + b(15) + "(DEGREES)", ""});
  // Earth wires make the line hybrid: the AC angles stand 3599 steps of 0.1 on.
  std::vector<float> angle = {0, 120, 240, 0, 0};
  for (std::size_t i = 0; i < phases; ++i)
    for (int t = 1; t < 3600; ++t) angle[i] += 0.1f;
  p.rows(groups, "1X A8 4X F9.2 6X F6.2 2F9.2 I10 5X F6.1", [&](std::size_t i, const Records& d) {
    expect_group(l, i, d, 4);
    EXPECT_EQ(d[5], b(9) + std::to_string(l.nsub[i]));
    EXPECT_EQ(d[6], f("F6.1", angle[i]));
  });
  p.lines({"", sensor(l, l.efheight), "", " DIST FROM",
           " REFERENCE" + b(7) + "E-FIELD" + b(9) + "THETA" + b(7) + "EY-FIELD" + b(8) + "THETAY" + b(8) + "EX-FIELD" +
               b(7) + "THETAX" + b(3) + "SPACE POTENTIAL",
           b(5) + l.dist() + b(6) + "(KV/METER)" + b(6) + "(DEGREES)" + b(4) + "(KV/METER)" + b(6) + "(DEGREES)" + b(5) +
               "(KV/METER)" + b(5) + "(DEGREES)" + b(5) + "(VOLTS)",
           ""});
  p.point_rows(l, "1X F8.1 6X F8.3 6X F9.1 6X F8.3 6X F9.1 6X F8.3 6X F9.1 6X F8.1", "F8.1");
}

void magnetic_field(Pages& p, const Line& l) {
  p.lines({"1MAGNETIC FIELD CALCULATIONS", "", "", "", sensor(l, l.mfheight), "", " DIST FROM",
           " REFERENCE" + b(3) + "B-FIELD" + b(6) + "THETA" + b(4) + "BY-FIELD" + b(5) + "THETAY" + b(4) + "BX-FIELD" +
               b(5) + "THETAX",
           b(5) + l.dist() + b(4) + "(GAUSS)" + b(16) + "(GAUSS)" + b(16) + "(GAUSS)", ""});
  p.point_rows(l, "1X F8.1 1X F12.8 F10.1 F13.8 F9.1 F13.8 F9.1", "F8.1");
}

// The data file with its option record replaced.
std::string with_options(const std::string& file, const std::string& options) {
  std::istringstream in(support::read_file(file));
  std::string out, line;
  for (int n = 1; std::getline(in, line); ++n) out += (n == 4 ? options : line) + "\n";
  return out;
}

TEST(ReportPages, EveryPageFollowsItsLayout) {
  using Page = std::function<void(Pages&, const Line&)>;
  const Page an_rain = [](Pages& p, const Line& l) { audible_noise(p, l, "RAIN"); };
  const Page an_fair = [](Pages& p, const Line& l) { audible_noise(p, l, "FAIR"); };
  const Page ri_rain = [](Pages& p, const Line& l) { radio(p, l, "RAIN"); };
  const Page ri_fair = [](Pages& p, const Line& l) { radio(p, l, "FAIR"); };
  struct Case {
    const char* name;
    const Line& line;
    std::string options;
    Records titles, messages;
    std::vector<Page> pages;
  };
  const Records oz_titles = {"1OZONE CONCENTRATION CALCULATIONS"},
                oz_messages = {" OZONE REPORT", " CORONA LOSS REPORT UNAVAILABLE - SEE OZONE"},
                fields_titles = {"1ELECTRIC FIELD CALCULATIONS", "1MAGNETIC FIELD CALCULATIONS"},
                fields_messages = {" ELECTRIC FIELD REPORT", " MAGNETIC FIELD REPORT"};
  const std::vector<Case> cases = {
      {"corona metric", metric, " AN RI TV",
       {"1AUDIBLE NOISE CALCULATION - RAIN", "1AUDIBLE NOISE CALCULATION - FAIR",
        "1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - RAIN", "1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - FAIR",
        "1TVI CALCULATIONS, QP DETECTOR, STODDART NM30A METER"},
       {" AUDIBLE NOISE REPORT", " RADIO INTERFERENCE REPORT", " TV INTERFERENCE REPORT"},
       {an_rain, an_fair, ri_rain, ri_fair, television}},
      {"ozone metric", metric, " OZ CL", oz_titles, oz_messages, {ozone}},
      {"ozone English", english, " OZ CL", oz_titles, oz_messages, {ozone}},
      {"fields metric", metric, " EF MF", fields_titles, fields_messages, {electric_field, magnetic_field}},
      {"fields English", english, " EF MF", fields_titles, fields_messages, {electric_field, magnetic_field}},
  };
  const fs::path dir = support::fresh_directory("brenlow-e2e-pages-" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    support::write_file(dir / "line.dat", with_options(c.line.file, c.options));
    const support::Finished r = support::run_program(dir, TESK31_PATH, "line.dat line.prt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    Records tail = {" INPUT DATA PRINTED", " MATRIX MATH FINISHED"};
    tail.insert(tail.end(), c.messages.begin(), c.messages.end());
    const Records console = support::records(r.out);
    ASSERT_GE(console.size(), tail.size());
    EXPECT_EQ(Records(console.end() - static_cast<long>(tail.size()), console.end()), tail);

    const Records print = support::records(support::read_file(dir / "line.prt"));
    Records titles, expected_titles = c.titles;
    for (const auto& rec : print)
      if (!rec.empty() && rec[0] == '1') titles.push_back(rec);
    expected_titles.push_back("1");
    ASSERT_EQ(titles, expected_titles);

    // The pages follow each other without a record between them, the final record last.
    Pages pages{print, static_cast<std::size_t>(std::find(print.begin(), print.end(), c.titles[0]) - print.begin())};
    for (const Page& page : c.pages) page(pages, c.line);
    EXPECT_EQ(pages.at + 1, print.size());
    EXPECT_EQ(print.back(), "1");
  }
  fs::remove_all(dir);
}

}  // namespace
