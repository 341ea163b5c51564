// The span panel's map: the grid in the file's units, each value the
// engine's at that place in metres, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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

}  // namespace
