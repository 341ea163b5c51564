// The explorer's limit set choice: a refused name or file keeps the set
// chosen before, and the compliance is the check's own, with the page's
// edges read in the file's units.
#include <gtest/gtest.h>

#include <string>

#include "limits/comply.hpp"
#include "limits_panel.hpp"

namespace {

brenlow::CrossSection example(const char* name) {
  return brenlow::read_data_file(std::string(BRENLOW_EXAMPLES "/") + name);
}

const char* const own_set = R"(title = "Mine"
[[limit]]
quantity = "E"
value = 3
unit = "kV/m"
where = "edge"
frequency = "any"
)";

TEST(LimitsChoice, RefusedChoicesKeepTheSetChosenBefore) {
  struct Case {
    const char* what;
    void (*act)(explorer::LimitsChoice&);
    const char* message;  // a part of the refusal's message
  };
  const Case cases[] = {
      {"unknown name", [](explorer::LimitsChoice& c) { c.choose("ontario"); }, "ontario"},
      {"a file's name is not a shipped set", [](explorer::LimitsChoice& c) { c.choose("mine.toml"); }, "minnesota"},
      {"bad unit", [](explorer::LimitsChoice& c) { c.read("[[limit]]\nquantity = \"E\"\nvalue = 3\nunit = \"kV\"\nwhere = \"edge\"\nfrequency = 60\n", "mine.toml"); }, "\"kV\""},
      {"not TOML", [](explorer::LimitsChoice& c) { c.read("[[limit\n", "broken.toml"); }, "broken.toml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    explorer::LimitsChoice choice;
    choice.choose("new-york");
    try {
      c.act(choice);
      ADD_FAILURE() << "taken";
    } catch (const limits::LimitError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_NE(choice.json().find("\"name\":\"new-york\""), std::string::npos) << choice.json();
  }
}

TEST(LimitsChoice, ComplianceIsTheChecksWithEdgesInTheFilesUnits) {
  struct Case {
    const char* file;
    double left, right;  // file units
    float metres_left, metres_right;
  };
  const Case cases[] = {
      {"example.dat", -30, 30, -30, 30},
      {"500kv_english.dat", -100, 125.5, -100 * 0.3048f, 125.5f * 0.3048f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const brenlow::CrossSection section = example(c.file);
    explorer::LimitsChoice choice;
    choice.read(own_set, "mine.toml");
    limits::ComplyOptions options;
    options.frequency = 50;
    options.b = cli::BUnit::milligauss;
    const std::string want = limits::compliance_json(
        limits::comply(section, limits::parse_limit_set(own_set, "mine.toml"), {c.metres_left, c.metres_right}, options),
        limits::LengthUnit{section.english});
    EXPECT_EQ(choice.compliance_json(section, c.left, c.right, 50, "mG"), want);
    EXPECT_EQ(choice.compliance_json(brenlow::Evaluation(section), c.left, c.right, 50, "mG"), want);
  }
}

TEST(LimitsChoice, NoSetNoRowsAndRefusedArguments) {
  const brenlow::CrossSection section = example("example.dat");
  explorer::LimitsChoice choice;
  EXPECT_EQ(choice.json(), "{\"name\":null}");
  EXPECT_EQ(choice.compliance_json(section, -30, 30, 60, "uT"), "{\"set\":null,\"rows\":[]}");
  choice.choose("florida");
  struct Case {
    double left, right;
    int frequency;
    const char* b;
  };
  for (const Case& c : {Case{30, -30, 60, "uT"}, Case{-30, 30, 55, "uT"}, Case{-30, 30, 60, "T"},
                        Case{-30, 1e300, 60, "uT"}, Case{0.0 / 0.0, 30, 60, "uT"}}) {
    SCOPED_TRACE(std::to_string(c.left) + " " + std::to_string(c.right) + " " + std::to_string(c.frequency) + c.b);
    EXPECT_THROW(choice.compliance_json(section, c.left, c.right, c.frequency, c.b), limits::LimitError);
  }
  choice.choose("");
  EXPECT_EQ(choice.json(), "{\"name\":null}");
}

TEST(LimitsChoice, SaysWhetherItsCheckSolvesTheIonFlow) {
  explorer::LimitsChoice choice;
  choice.choose("florida");
  EXPECT_NE(choice.json().find("\"ion_flow\":false"), std::string::npos) << choice.json();
  choice.read(std::string(own_set) + "[[limit]]\nquantity = \"J\"\nvalue = 50\nunit = \"nA/m2\"\nwhere = \"row\"\nfrequency = \"dc\"\n",
              "ion.toml");
  EXPECT_NE(choice.json().find("\"ion_flow\":true"), std::string::npos) << choice.json();
}

TEST(LimitsChoice, ShippedSetsListedByName) {
  const std::string json = explorer::limit_sets_json();
  for (const std::string& name : limits::shipped_set_names())
    EXPECT_NE(json.find("{\"name\":\"" + name + "\",\"title\":\""), std::string::npos) << name;
}

}  // namespace
