// The span panel's map: the grid in the file's units, each value the
// engine's at that place in metres, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <cmath>
#include <limits>

#include "json.hpp"
#include "line_text.hpp"
#include "span_panel.hpp"

namespace {

// The numbers of the JSON array that follows "key":.
std::vector<double> array_of(const std::string& json, const std::string& key) {
  std::size_t at = json.find("\"" + key + "\":[");
  EXPECT_NE(at, std::string::npos) << key;
  std::vector<double> out;
  if (at == std::string::npos) return out;
  const char* p = json.c_str() + at + key.size() + 4;
  while (*p != ']') {
    char* end = nullptr;
    out.push_back(std::strtod(p, &end));
    p = *end == ',' ? end + 1 : end;
  }
  return out;
}

TEST(SpanPanel, GridInFileUnitsValuesInMetres) {
  struct Case {
    const char* file;
    double length, sag, feet;
  };
  for (const Case c : {Case{BRENLOW_EXAMPLES "/500kv_flat.dat", 350, 10, 1},
                       {BRENLOW_EXAMPLES "/500kv_english.dat", 1200, 35, 0.3048}}) {
    SCOPED_TRACE(c.file);
    const brenlow::CrossSection section = brenlow::read_data_file(c.file);
    brenlow::Spans spans;
    spans.length = static_cast<float>(c.length * c.feet);
    spans.sag = static_cast<float>(c.sag * c.feet);
    const brenlow::SpanEvaluation run(section, spans);
    for (const bool magnetic : {false, true}) {
      const std::string json = explorer::span_json(section, c.length, c.sag, magnetic, 7, 5);
      const std::vector<double> along = array_of(json, "along"), x = array_of(json, "x"), v = array_of(json, "values");
      ASSERT_EQ(along.size(), 7u);
      ASSERT_EQ(x.size(), 5u);
      ASSERT_EQ(v.size(), 35u);
      EXPECT_NEAR(along.front(), -0.1 * c.length, 1e-3 * c.length);
      EXPECT_NEAR(along.back(), 1.1 * c.length, 1e-3 * c.length);
      for (std::size_t j = 0; j < x.size(); ++j)
        for (std::size_t i = 0; i < along.size(); ++i) {
          const float xm = static_cast<float>(x[j] * c.feet), am = static_cast<float>(along[i] * c.feet);
          const double want = magnetic ? run.magnetic_field(xm, am, 1).max * 100 : run.electric_field(xm, am, 1).max;
          EXPECT_NEAR(v[j * along.size() + i], want, 1e-4 * want + 1e-6) << i << " " << j;
        }
    }
  }
}

TEST(SpanPanel, Refusals) {
  const brenlow::CrossSection section = brenlow::read_data_file(BRENLOW_EXAMPLES "/500kv_flat.dat");
  EXPECT_THROW(explorer::span_json(section, 300, 10, false, 1, 5), brenlow::Error);
  EXPECT_THROW(explorer::span_json(section, 300, 10, false, 5, 401), brenlow::Error);
  EXPECT_THROW(explorer::span_json(section, 300, 300, false, 5, 5), brenlow::Error);
  EXPECT_THROW(explorer::span_json(section, -1, 1, true, 5, 5), brenlow::Error);
}

// The line handed to the worker's engine reads back to the same section,
// every float to the bit, names with blanks, double quotes and Latin-1 bytes too.
TEST(SpanPanel, LineTextReadsBackExactly) {
  for (const char* file : {"/example.dat", "/500kv_english.dat", "/500kv_dc_bipole.dat", "/hybrid_corridor.dat"}) {
    SCOPED_TRACE(file);
    brenlow::CrossSection section = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + file);
    section.groups[0].x = 12.345678f;  // more digits than a data file holds
    section.groups[0].name = "A \"b\xe9";
    section.titles[1] = "";
    const std::string text = explorer::line_text(section);
    const brenlow::CrossSection back = explorer::parse_line_text(text);
    EXPECT_EQ(explorer::line_text(back), text);
    EXPECT_EQ(back.groups[0].x, 12.345678f);
    EXPECT_EQ(back.groups[0].name, section.groups[0].name);
    EXPECT_EQ(back.titles, section.titles);
    EXPECT_EQ(back.english, section.english);
    EXPECT_EQ(back.points.size(), section.points.size());
    EXPECT_EQ(brenlow::data_file_text(back), brenlow::data_file_text(section));
  }
  const std::string good = explorer::line_text(brenlow::read_data_file(BRENLOW_EXAMPLES "/example.dat"));
  for (const std::string& bad : std::vector<std::string>{"", "brenlow-line 1", good.substr(0, good.rfind(" ")),
                                 good + " 1", "brenlow-line 1 51 0", "brenlow-line 1 5 0 zz", "data file"}) {
    EXPECT_THROW(explorer::parse_line_text(bad), brenlow::Error) << bad;
  }
}

// The estimate the page decides by is the solve's own count: half of each
// conductor's nodes over three spans of the elements chosen.
TEST(SpanPanel, UnknownsAsTheSolveTakesThem) {
  struct Case {
    const char* file;
    double length, sag;
    float lowered;  // phase height, m; 0 keeps the file's
  };
  for (const Case c : {Case{"/example.dat", 400, 12, 0}, {"/example.dat", 400, 12, 2}, {"/500kv_english.dat", 1300, 40, 0},
                       {"/hybrid_corridor.dat", 300, 0, 0}}) {
    SCOPED_TRACE(c.file);
    brenlow::CrossSection section = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + c.file);
    for (int i = 0; i < section.energized && c.lowered > 0; ++i) section.groups[static_cast<std::size_t>(i)].y = c.lowered;
    const float feet = section.english ? 0.3048f : 1.0f;
    brenlow::Spans spans;
    spans.length = static_cast<float>(c.length) * feet;
    spans.sag = static_cast<float>(c.sag) * feet;
    const std::size_t unknowns = explorer::span_unknowns(section, c.length, c.sag);
    const brenlow::SpanEvaluation run(section, spans);
    EXPECT_EQ(unknowns, section.groups.size() * static_cast<std::size_t>((3 * run.elements() + 2) / 2));
  }
  const brenlow::CrossSection section = brenlow::read_data_file(BRENLOW_EXAMPLES "/example.dat");
  EXPECT_THROW(explorer::span_unknowns(section, 300, 300), brenlow::Error);
  EXPECT_THROW(explorer::span_unknowns(section, 0, 0), brenlow::Error);
}

// A map of the other quantity of the same line and spans, from the solve
// kept, is the map a fresh solve gives; a refused solve keeps nothing.
TEST(SpanPanel, KeptSolveGivesTheSameMap) {
  brenlow::CrossSection section = brenlow::read_data_file(BRENLOW_EXAMPLES "/500kv_dc_bipole.dat");
  explorer::SpanMaps maps;
  for (const bool magnetic : {false, true, false}) {
    EXPECT_EQ(maps.json(section, 400, 12, magnetic, 9, 5), explorer::span_json(section, 400, 12, magnetic, 9, 5));
  }
  EXPECT_THROW(maps.json(section, 400, 500, false, 9, 5), brenlow::Error);
  section.groups[0].y += 1;
  EXPECT_EQ(maps.json(section, 400, 12, true, 9, 5), explorer::span_json(section, 400, 12, true, 9, 5));
}

// No NaN or infinity reaches the page's JSON: null, and counted.
TEST(SpanPanel, JsonWritesNullForWhatIsNotFinite) {
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  std::string out = "{";
  EXPECT_EQ(explorer::json::put_series(out, "v", std::vector<double>{1.5, nan, -inf, inf, -2, -nan}, 6), 4u);
  EXPECT_EQ(out, "{\"v\":[1.5,null,null,null,-2,null]");
}

}  // namespace
