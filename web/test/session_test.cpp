// The explorer's session natively (and under the sanitizers in make test):
// every refused edit leaves the section as it was, and no text typed into
// any field, nor any edge range, crashes it or leaves a section that its
// data file cannot hold.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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
      {0, "y", "0", "group 1 (PHASE A) height: 0 m is not above the ground"},
      {4, "y", "-2.5", "group 5 (EARTH 2) height: -2.5 m is not above the ground"},
      {0, "diameter", "1e-45", "group 1 (PHASE A): the maximum surface gradient cannot be computed"},
      {0, "name", "\xce\xa9mega", "group 1 (PHASE A) name: \"\xce\xa9\" is not a character a data file can hold"},
      {0, "name", "caf\xe9", "group 1 (PHASE A) name: the text is not UTF-8"},
      {0, "name", "\xe0\x81\xa9", "group 1 (PHASE A) name: \"\xe0\x81\xa9\" is not a character"},
      {0, "name", "ab\xc3", "group 1 (PHASE A) name: the text is not UTF-8"},
      {-1, "title1", "50 \xe2\x82\xac a metre", "title1: \"\xe2\x82\xac\" is not a character a data file can hold"},
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

// example.dat with its text changed: each `from` replaced by `to`.
std::string example_with(std::initializer_list<std::pair<std::string, std::string>> changes) {
  std::string text = read_file(std::string(BRENLOW_EXAMPLES) + "/example.dat");
  for (const auto& [from, to] : changes) {
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from + " in example.dat");
    text.replace(at, from.size(), to);
  }
  return text;
}

// A line of `count` groups all at one place.
std::string stacked_groups(int count) {
  std::string text = " STACKED\n \n 0,0," + std::to_string(count) + "," + std::to_string(count) +
                     ",0.0,   0.00,   1.00, 300.00\n ALL\n   1.5, 2.0, 10.0, 1.0, 1.0, 75.0, 1.0, 10.0, 1.0\n";
  for (int i = 0; i < count; ++i) {
    text += " 'P" + std::to_string(i) + "','A', 0.00, 15.00, 3, 30.0, 45.0, 303.0, " + std::to_string(i % 3 * 120) +
            ".0, 1.0, 0.0\n";
  }
  return text + "  21,  -50.0,    5.0\n   0,    0.0,    0.0\n";
}

TEST(ExplorerSession, AFileThePageCannotShowIsRefusedWhole) {
  const struct {
    const char* name;
    std::string text;
    const char* message;  // a pattern
  } cases[] = {
      {"below.dat", example_with({{"  -12.00,   15.00,", "  -12.00,   -1.00,"}}), "group 1 \\(?PHASE A\\)?.*ground"},
      {"ground.dat", example_with({{"    9.00,   25.00,", "    9.00,    0.00,"}}), "group 5 \\(?EARTH 2\\)?.*ground"},
      {"tiny.dat", example_with({{"  30.000,  45.000, 303.000,   0.000", "  1e-45,  45.000, 303.000,   0.000"}}),
       "^tiny\\.dat: group 1 \\(PHASE A\\): the maximum surface gradient cannot be computed"},
      {"fifty.dat", stacked_groups(50),
       "^fifty\\.dat: group 1 \\(P0\\): the maximum surface gradient cannot be computed \\(it stands at the same place as group 2"},
      {"english-below.dat", example_with({{" 0,0,", " 1,0,"}, {"  -12.00,   15.00,", "  -12.00,   -3.50,"}}),
       "group 1 \\(?PHASE A\\)?.*-3\\.5 ft.*ground"},
  };
  explorer::Session session = example();
  const std::string before = session.section_json();
  const std::string profiles = session.profiles_json(-50, 50, 11);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      session.load(c.text, c.name);
      ADD_FAILURE() << "accepted";
    } catch (const brenlow::Error& e) {
      EXPECT_TRUE(std::regex_search(e.what(), std::regex(c.message))) << e.what();
    }
    EXPECT_EQ(session.section_json(), before);
    EXPECT_EQ(session.profiles_json(-50, 50, 11), profiles);
  }
  // Two bundles at one place stay shown, as tesk31 prints them (the page
  // says the coefficients are singular): finite gradients, finite fields.
  session.load(example_with({{"    0.00,   15.00,", "  -12.00,   15.00,"}}), "two.dat");
  EXPECT_NE(session.profiles_json(-50, 50, 11).find("\"singular\":true"), std::string::npos);
}

TEST(ExplorerSession, NamesAndTitlesAreLatin1) {
  const struct {
    int group;  // -1: the first title
    const char* typed;
    const char* kept;  // bytes of the data file
    const char* json;  // as the page reads it
  } cases[] = {
      {0, "caf\xc3\xa9", "caf\xe9", "\"caf\\u00e9\""},
      {0, "\xc3\x98ST \xc2\xb5", "\xd8ST \xb5", "\"\\u00d8ST \\u00b5\""},
      {0, "ABCDEFG\xc3\xa9XYZ", "ABCDEFG\xe9", "\"ABCDEFG\\u00e9\""},  // 8 characters, not 8 bytes
      {0, "ABCDEFGH\xc3\xa9", "ABCDEFGH", "\"ABCDEFGH\""},
      {-1, "LIGNE \xc3\xa0 500 kV", "LIGNE \xe0 500 kV", "\"LIGNE \\u00e0 500 kV\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    explorer::Session session = example();
    if (c.group >= 0) {
      session.set_group(c.group, "name", c.typed);
      EXPECT_EQ(session.section().groups[0].name, c.kept);
    } else {
      session.set_condition("title1", c.typed);
      EXPECT_EQ(session.section().titles[0], c.kept);
    }
    EXPECT_NE(session.section_json().find(c.json), std::string::npos) << session.section_json();
    // The data file holds the Latin-1 bytes and reads back to them.
    const std::string file = session.data_file();
    EXPECT_NE(file.find(c.kept), std::string::npos);
    explorer::Session again;
    again.load(file, "again.dat");
    EXPECT_EQ(again.section_json(), session.section_json());
  }
}

TEST(ExplorerSession, MessagesReachThePageAsUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain text", "plain text"},
      {"group 1 CAF\xc9: diameter", "group 1 CAF\xc3\x89: diameter"},  // a Latin-1 name
      {"\"\xe2\x82\xac\" is not", "\"\xe2\x82\xac\" is not"},      // typed UTF-8 kept
      {"\xe2\x82 cut", "\xc3\xa2\xc2\x82 cut"},                       // a cut sequence: Latin-1
      {"end \xc3", "end \xc3\x83"},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(explorer::utf8_message(message), shown) << message;
}

TEST(ExplorerSession, ValuesNotComputedAreNullWithTheReason) {
  explorer::Session session;
  // Radio at 0 MHz: the routine's marker level (-9999 dB, -10006 in rain),
  // never a level.
  session.load(example_with({{"  1.000, 75.000,", "  0.000, 75.000,"}}), "f0.dat");
  std::string profiles = session.profiles_json(-50, 50, 3);
  EXPECT_NE(profiles.find("\"ri_rain\":[null,null,null],\"ri_fair\":[null,null,null]"), std::string::npos) << profiles;
  EXPECT_NE(profiles.find("radio interference is not computed at 0 MHz"), std::string::npos) << profiles;
  // No wind: no ozone value anywhere, and the reason.
  EXPECT_NE(profiles.find("\"ozone\":[null,null,null]"), std::string::npos) << profiles;
  EXPECT_NE(profiles.find(std::string("\"ozone\":\"") + brenlow::no_wind_note + "\""), std::string::npos) << profiles;
  // With wind (blowing towards +x): nothing upwind of every bundle, a
  // positive concentration downwind, and no note.
  session.set_condition("wind", "2");
  session.set_condition("ri_frequency", "1");
  profiles = session.profiles_json(-50, 50, 3);
  EXPECT_NE(profiles.find("\"ozone\":[0,"), std::string::npos) << profiles;
  const std::size_t last = profiles.find(',', profiles.find("\"ozone\":[0,") + 11);
  EXPECT_GT(std::stod(profiles.substr(last + 1)), 0.0) << profiles;
  EXPECT_NE(profiles.find("\"notes\":{}"), std::string::npos) << profiles;
}

TEST(ExplorerSession, WarningsNameTheirGroupAndField) {
  explorer::Session session = example();
  EXPECT_NE(session.section_json().find("\"warnings\":[]"), std::string::npos);
  session.set_group(2, "ka", "-1.5");
  const std::string json = session.section_json();
  EXPECT_NE(json.find("\"warnings\":[{\"group\":2,\"field\":\"ka\",\"text\":\"group 3 PHASE C: current -1.5 kA"),
            std::string::npos)
      << json;
  // A diameter typed in cm: the diameter, then the gradient it gives, both
  // beside the diameter of group 1.
  session.set_group(2, "ka", "1");
  session.set_group(0, "diameter", "3.04");
  const std::string thin = session.section_json();
  EXPECT_NE(thin.find("\"warnings\":[{\"group\":0,\"field\":\"diameter\",\"text\":\"group 1 PHASE A: subconductor "
                      "diameter 3.04 mm is below 5 mm"),
            std::string::npos)
      << thin;
  EXPECT_NE(thin.find("{\"group\":0,\"field\":\"diameter\",\"text\":\"group 1 PHASE A: surface gradient 128.2 kV/cm"),
            std::string::npos)
      << thin;
}

TEST(ExplorerSession, AUnitOptionNeitherMetricNorEnglishIsRefused) {
  explorer::Session session = example();
  std::string text = session.data_file();
  text.replace(text.find(" 0,0, 3, 5"), 10, " 2,0, 3, 5");
  try {
    session.load(text, "units.dat");
    ADD_FAILURE() << "not refused";
  } catch (const brenlow::Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "file units.dat: the general data (record 3) give unit option 2: 0 (metric) or 1 (English units) only");
  }
  EXPECT_NE(session.section_json().find("\"warnings\":[]"), std::string::npos);  // the line shown stays
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

namespace {

// The numbers of one series of a profiles text ("key":[...]).
std::vector<double> series(const std::string& json, const std::string& key) {
  const std::string start = "\"" + key + "\":[";
  std::size_t at = json.find(start);
  if (at == std::string::npos) throw std::runtime_error("no series " + key);
  at += start.size();
  std::vector<double> values;
  while (json[at] != ']') {
    std::size_t used = 0;
    values.push_back(std::stod(json.substr(at, 40), &used));
    at += used;
    if (json[at] == ',') ++at;
  }
  return values;
}

}  // namespace

// The resultant against the ellipse it comes from: never below the largest
// magnitude over a cycle nor above 1.41 times it, and equal to it for a DC
// line, whose field does not turn, and well above it somewhere for an AC
// line, whose field does.
TEST(ExplorerSession, ResultantsLieBetweenTheEllipseMaximumAndRootTwoTimesIt) {
  const struct {
    const char* file;
    bool dc;
  } lines[] = {{"example.dat", false}, {"345kv_double_circuit.dat", false}, {"500kv_english.dat", false},
               {"hybrid_corridor.dat", false}, {"500kv_dc_bipole.dat", true}};
  for (const auto& line : lines) {
    explorer::Session session;
    session.load(read_file(std::string(BRENLOW_EXAMPLES) + "/" + line.file), line.file);
    const std::string profiles = session.profiles_json(-80, 80, 33);
    for (const char* field : {"e", "b"}) {
      const std::vector<double> max = series(profiles, field);
      const std::vector<double> res = series(profiles, std::string(field) + "_res");
      ASSERT_EQ(max.size(), 33u);
      ASSERT_EQ(res.size(), max.size());
      bool turns = false;  // an AC field turns: somewhere its resultant is well above the maximum
      for (std::size_t i = 0; i < max.size(); ++i) {
        EXPECT_GE(res[i], max[i] * (1 - 1e-5)) << line.file << " " << field << " point " << i;
        EXPECT_LE(res[i], max[i] * std::sqrt(2.0) * (1 + 1e-5)) << line.file << " " << field << " point " << i;
        if (line.dc) {
          EXPECT_NEAR(res[i], max[i], max[i] * 1e-5) << line.file << " " << field << " point " << i;
        }
        turns = turns || res[i] > max[i] * 1.01;
      }
      EXPECT_EQ(turns, !line.dc) << line.file << " " << field;
    }
  }
}

// The print file is the one tesk31 writes, stamped as it stamps it: the
// banner, the input data list heading and the run's date before the listing.
TEST(ExplorerSession, PrintFileIsStampedAsTesk31StampsIt) {
  const explorer::Session session = example();
  RunDate date;
  date.year = 2031;
  date.month = 2;
  date.day = 3;
  date.hour = 4;
  date.minute = 5;
  date.second = 6;
  const std::string print = session.print_file(date);
  const std::size_t banner = print.find("B R E N L O W");
  const std::size_t heading = print.find("INPUT DATA LIST");
  const std::size_t stamp = print.find(" 2/ 3/2031          04:05:06\r\n");
  const std::size_t title = print.find("500 KV EXAMPLE LINE");
  EXPECT_LT(banner, heading);
  EXPECT_LT(heading, stamp);
  EXPECT_LT(stamp, title);
  EXPECT_NE(title, std::string::npos);
  EXPECT_EQ(print.find("INPUT DATA LIST", heading + 1), std::string::npos);
}
