// The explorer's session natively (and under the sanitizers in make test):
// every refused edit leaves the section as it was, and no text typed into
// any field, nor any edge range, crashes it or leaves a section that its
// data file cannot hold.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "explorer.hpp"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

explorer::Session example() {
  explorer::Session session;
  session.load(read_file(std::string(BRENLOW_EXAMPLES) + "/example.dat"), "example.dat");
  return session;
}

struct Refusal {
  int group;  // -1: a condition
  const char* field;
  const char* text;
  const char* message;
};

TEST(ExplorerSession, RefusedEditsSayWhatAndKeepTheSection) {
  const Refusal cases[] = {
      {0, "x", "abc", "group 1 (PHASE A) x: \"abc\" is not a number"},
      {0, "x", "  ", "group 1 (PHASE A) x: a number is needed"},
      {0, "x", "1 2", "group 1 (PHASE A) x: \"1 2\" is not a number"},
      {0, "x", "3*4", "group 1 (PHASE A) x: \"3*4\" is not a number"},
      {0, "x", "1e39", "group 1 (PHASE A) x: \"1e39\" is not a number"},
      {0, "y", "0", "group 1 (PHASE A) y: the height must be above the ground"},
      {1, "diameter", "0", "diameter"},
      {2, "subconductors", "1.5", "group 3 (PHASE C) subconductors: \"1.5\" is not a number"},
      {2, "subconductors", "0", "subconductor"},
      {3, "type", "AC", "group 4 (EARTH 1) type: A (AC) or D (DC)"},
      {7, "x", "1", "there is no group 8"},
      {0, "colour", "1", "no group value is called colour"},
      {-1, "rain", "", "rain: a number is needed"},
      {-1, "given_gradients", "3", "given_gradients: 0 (computed) or 1 (given)"},
      {-1, "humidity", "3", "no condition is called humidity"},
      {-1, "ri_height", "1000", "does not fit its field of the data file"},
      {0, "subconductors", "100", "does not fit its field of the data file"},
  };
  explorer::Session session = example();
  const std::string before = session.section_json();
  for (const Refusal& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = " + c.text);
    try {
      if (c.group >= 0) {
        session.set_group(c.group, c.field, c.text);
      } else {
        session.set_condition(c.field, c.text);
      }
      ADD_FAILURE() << "accepted";
    } catch (const brenlow::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(session.section_json(), before);
  }
}

TEST(ExplorerSession, AnyTypedTextLeavesAReadableSection) {
  const char* group_fields[] = {"name", "type", "x", "y", "subconductors", "diameter", "spacing", "kv",
                                "phase", "ka", "gradient"};
  const char* conditions[] = {"wind", "rain", "altitude", "conductivity", "an_height", "ri_height", "ef_height",
                              "mf_height", "ri_frequency", "given_gradients", "title1"};
  const std::string alphabet = "0123456789+-.eEdD ,/*'\"AD\t";
  std::mt19937 random(5);
  explorer::Session session = example();
  int accepted = 0;
  for (int i = 0; i < 400; ++i) {
    std::string text;
    for (int k = static_cast<int>(random() % 8); k > 0; --k) text += alphabet[random() % alphabet.size()];
    try {
      if (random() % 3 == 0) {
        session.set_condition(conditions[random() % std::size(conditions)], text);
      } else {
        session.set_group(static_cast<int>(random() % 6) - 1, group_fields[random() % std::size(group_fields)], text);
      }
      ++accepted;
    } catch (const brenlow::Error&) {
    }
    const std::string profiles = session.profiles_json(-60, 60, 7);
    ASSERT_FALSE(profiles.empty());
    // Every accepted edit can be downloaded, and the download reads back.
    ASSERT_NO_THROW(session.load(session.data_file(), "again.dat"));
  }
  EXPECT_GT(accepted, 20);
}

TEST(ExplorerSession, EdgeRangesOutsideTheFloatsAreRefused) {
  explorer::Session session = example();
  for (const auto& [left, right] : {std::pair{10.0, -10.0}, {1e300, 2e300}, {-1e6, 1e6}, {0.0, 0.0}}) {
    EXPECT_THROW(session.profiles_json(left, right, 200), brenlow::Error) << left << " " << right;
  }
  EXPECT_THROW(session.profiles_json(-10, 10, 1), brenlow::Error);
  EXPECT_NO_THROW(session.profiles_json(-1e5, 1e5, 2));
}

}  // namespace
