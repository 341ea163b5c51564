// The engine's values against the pages tesk31 prints for the same data
// file with every report: each line of the combined report, each tuple of
// the DIF file, each gradient and each line of the field pages, rendered from the
// engine's values in the page's own format, must stand in the output as
// printed.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "format/record.hpp"
#include "reports/dif_file.hpp"
#include "support/files.hpp"
#include "support/program.hpp"
#include "support/records.hpp"

namespace {

struct Case {
  const char* name;
  std::string path;
};

std::vector<Case> cases() {
  return {{"Example", std::string(BRENLOW_EXAMPLES) + "/example.dat"},
          {"FlatLine", std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat"},
          {"EnglishUnits", std::string(BRENLOW_TEST_DATA) + "/e2e/example_english.dat"},
          {"HybridLine", std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat"},
          {"Bipole", std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat"}};
}

// The data file with every report selected (record 4 is the option record).
std::string with_all_reports(const std::string& text) {
  std::size_t start = 0;
  for (int record = 0; record < 3; ++record) start = text.find('\n', start) + 1;
  return text.substr(0, start) + " ALL" + text.substr(text.find('\n', start));
}

float in_file_units(float metres, bool english) { return english ? metres / 0.3048f : metres; }

// The records of `expected` one after another somewhere in `records`.
void expect_run(const std::vector<std::string>& records, const std::vector<std::string>& expected,
                const char* what) {
  ASSERT_FALSE(expected.empty());
  const auto first = std::find(records.begin(), records.end(), expected.front());
  ASSERT_NE(first, records.end()) << what << ": no record " << expected.front();
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_LT(static_cast<std::size_t>(first - records.begin()) + k, records.size()) << what;
    EXPECT_EQ(*(first + static_cast<std::ptrdiff_t>(k)), expected[k]) << what << ", line " << k;
  }
}

class SameNumbers : public ::testing::TestWithParam<Case> {};

TEST_P(SameNumbers, CombinedReportDifFileAndGradientsAsPrinted) {
  const support::ScratchDirectory scratch("brenlow_engine_" + std::string(GetParam().name));
  const std::filesystem::path& dir = scratch.path();
  support::write_file(dir / "line.dat", with_all_reports(support::read_file(GetParam().path)));
  const support::Finished run = support::run_program(dir, TESK31_PATH, "line.dat run.prt run.dif");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> print = support::records(support::read_file(dir / "run.prt"));
  const std::string dif = support::read_file(dir / "run.dif");

  const brenlow::CrossSection section = brenlow::read_data_file((dir / "line.dat").string());
  const brenlow::Evaluation evaluation(section);
  const bool english = section.english;

  // A hybrid line's fields are apart in the engine (tesk31's pages add its
  // DC poles as phasors): there the corona columns and the gradients.
  const bool hybrid = evaluation.hybrid();
  const std::size_t corona_columns = 87;
  std::vector<std::string> lines;
  std::string tuples;
  record::Writer dif_out = record::Writer::to_string(&tuples);
  for (const brenlow::Point& p : evaluation.profile(section.lateral_points())) {
    const float distance = in_file_units(p.x, english);
    for (const std::string& line :
         record::render("(F10.1,4X,2(F10.1,F9.1),7X,F9.1,9X,F10.6,9X,              F10.3,4X,F8.5)",
                        {distance, p.an_rain, p.an_fair, p.ri_rain, p.ri_fair, p.tv, p.ozone, p.e, p.b}))
      lines.push_back(hybrid ? line.substr(0, corona_columns) : line);
    dif::write_tuple_start(dif_out);
    for (const float v : {distance, p.an_rain, p.an_fair, p.ri_rain, p.ri_fair, p.tv, p.ozone, p.e, p.b})
      dif::write_value(dif_out, v);
  }
  dif_out.close();
  if (hybrid) {
    std::vector<std::string> cut;
    for (const std::string& r : print) cut.push_back(r.substr(0, corona_columns));
    expect_run(cut, lines, "combined report, corona columns");
  } else {
    expect_run(print, lines, "combined report");
    EXPECT_NE(dif.find(tuples), std::string::npos) << "DIF tuples differ";
  }
  EXPECT_EQ(lines.size(), section.lateral_points().size());

  std::vector<std::string> gradients;
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const brenlow::Group& g = section.groups[i];
    const std::string name = (g.name + "        ").substr(0, 8);
    const float diameter = english ? g.diameter / 25.4f : g.diameter;
    gradients.push_back(record::render("(1X,A8,4X,F9.2,6X,F6.2,2F9.2,I10,5X,F6.1)",
                                       {std::string_view(name), in_file_units(g.x, english),
                                        in_file_units(g.y, english), evaluation.groups()[i].gradient, diameter,
                                        static_cast<std::int16_t>(g.subconductors), evaluation.groups()[i].phase})
                            .front());
  }
  expect_run(print, gradients, "field page gradients");
  if (hybrid) return;

  // The field pages: every component at the sensor heights.
  std::vector<std::string> electric, magnetic;
  const brenlow::Conditions& c = section.conditions;
  for (const float x : section.lateral_points()) {
    const brenlow::ElectricField e = evaluation.electric_field(x, c.ef_height);
    electric.push_back(record::render("(1X,F8.1,3(6X,F8.3,6X,F9.1),6X,F8.1)",
                                      {in_file_units(x, english), e.max, e.direction, e.vertical, e.vertical_phase,
                                       e.horizontal, e.horizontal_phase, e.potential})
                           .front());
    const brenlow::MagneticField b = evaluation.magnetic_field(x, c.mf_height);
    magnetic.push_back(record::render("(1X,F8.1,1X,F12.8,F10.1,2(F13.8,F9.1))",
                                      {in_file_units(x, english), b.max, b.direction, b.vertical, b.vertical_phase,
                                       b.horizontal, b.horizontal_phase})
                           .front());
  }
  expect_run(print, electric, "electric field page");
  expect_run(print, magnetic, "magnetic field page");
}

INSTANTIATE_TEST_SUITE_P(Lines, SameNumbers, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
