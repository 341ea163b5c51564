// The ion flow panel's profile: x in the file's units, each value the
// engine's at that place in metres; nothing for a line without DC poles.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ion_flow_panel.hpp"

namespace {

// The numbers of the JSON array that follows "key":.
std::vector<double> numbers_after(const std::string& json, const std::string& key) {
  const std::size_t open = json.find("\"" + key + "\":[");
  EXPECT_NE(open, std::string::npos) << key;
  if (open == std::string::npos) return {};
  const std::size_t from = open + key.size() + 4;
  std::istringstream items(json.substr(from, json.find(']', from) - from));
  std::vector<double> out;
  for (std::string item; std::getline(items, item, ',');) out.push_back(std::stod(item));
  return out;
}

TEST(IonFlowPanel, ProfileInFileUnitsValuesInMetres) {
  for (const bool feet : {false, true}) {
    SCOPED_TRACE(feet);
    brenlow::CrossSection section = brenlow::read_data_file(BRENLOW_EXAMPLES "/500kv_dc_bipole.dat");
    section.english = feet;  // the values stay metric; only the page's unit changes
    const std::string json = explorer::ion_flow_json(section, 0.5, -60, 60, 13);
    const std::vector<double> xs = numbers_after(json, "x"), total = numbers_after(json, "e_total"),
                              j = numbers_after(json, "j");
    ASSERT_EQ(xs.size(), 13u);
    ASSERT_EQ(j.size(), 13u);
    brenlow::IonFlowConditions c;
    c.roughness = 0.5;
    const brenlow::IonFlowEvaluation flow(section, c);
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const brenlow::IonFlowPoint p = flow.at(xs[i] * (feet ? 0.3048 : 1.0));
      EXPECT_NEAR(total[i], p.e_total, 1e-5 * p.e_total + 1e-9) << xs[i];
      EXPECT_NEAR(j[i], p.j, 1e-5 * std::abs(p.j) + 1e-9) << xs[i];
    }
    EXPECT_NE(json.find("\"name\":\"POLE +\""), std::string::npos) << json;
    EXPECT_NE(json.find("pole to pole"), std::string::npos);
  }
}

TEST(IonFlowPanel, NothingForAnAcLineAndRefusals) {
  EXPECT_EQ(explorer::ion_flow_json(brenlow::read_data_file(BRENLOW_EXAMPLES "/500kv_flat.dat"), 0.45, -50, 50, 10),
            "{\"dc\":false}");
  const brenlow::CrossSection bipole = brenlow::read_data_file(BRENLOW_EXAMPLES "/500kv_dc_bipole.dat");
  EXPECT_THROW(explorer::ion_flow_json(bipole, 0, -50, 50, 10), brenlow::Error);
  EXPECT_THROW(explorer::ion_flow_json(bipole, 0.45, -50, 50, 1), brenlow::Error);
}

}  // namespace
