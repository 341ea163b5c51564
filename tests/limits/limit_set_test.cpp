// Limit sets: the shipped ones and the messages for a file that cannot be used.
#include <gtest/gtest.h>

#include <string>

#include "limits/limit_set.hpp"

namespace {

TEST(ShippedSets, EveryOneReadsAndEveryValueHasItsSource) {
  const std::vector<std::string> names = limits::shipped_set_names();
  EXPECT_EQ(names, (std::vector<std::string>{"florida", "icnirp-1998", "icnirp-2010", "ieee-c95.6-2002", "minnesota",
                                             "new-york"}));
  for (const std::string& n : names) {
    const std::optional<limits::LimitSet> set = limits::shipped_set(n);
    ASSERT_TRUE(set) << n;
    EXPECT_FALSE(set->title.empty()) << n;
    for (const limits::Limit& l : set->limits) {
      EXPECT_FALSE(l.source.empty()) << n << " line " << l.line;
      EXPECT_NE(l.frequency, limits::Frequency::any) << n;  // each is set for its frequency
    }
  }
  EXPECT_TRUE(limits::shipped_set("ICNIRP-2010"));  // any case
  EXPECT_FALSE(limits::shipped_set("icnirp"));
}

TEST(ShippedSets, ValuesInTheToolsUnits) {
  // (set, quantity, frequency, where, class up to kV or 0) -> value in kV/m or uT
  struct Case {
    const char* set;
    limits::Quantity q;
    limits::Frequency f;
    limits::Where where;
    double up_to;
    double shown;
  };
  using limits::Frequency;
  using limits::Quantity;
  using limits::Where;
  const Case cases[] = {
      {"icnirp-2010", Quantity::e, Frequency::hz60, Where::anywhere, 0, 4.17},
      {"icnirp-2010", Quantity::b, Frequency::hz50, Where::anywhere, 0, 200},
      {"icnirp-1998", Quantity::b, Frequency::hz60, Where::anywhere, 0, 83.3},
      {"icnirp-1998", Quantity::e, Frequency::hz50, Where::anywhere, 0, 5},
      {"ieee-c95.6-2002", Quantity::e, Frequency::hz60, Where::row, 0, 10},
      {"ieee-c95.6-2002", Quantity::b, Frequency::hz60, Where::anywhere, 0, 904},
      {"florida", Quantity::b, Frequency::hz60, Where::edge, 242, 15},    // 150 mG
      {"florida", Quantity::b, Frequency::hz60, Where::edge, 550, 20},    // 200 mG
      {"florida", Quantity::e, Frequency::hz60, Where::row, 242, 8},
      {"new-york", Quantity::b, Frequency::hz60, Where::edge, 0, 20},     // 200 mG
      {"new-york", Quantity::e, Frequency::hz60, Where::edge, 0, 1.6},
      {"minnesota", Quantity::e, Frequency::hz60, Where::row, 0, 8},
  };
  for (const Case& c : cases) {
    int found = 0;
    const limits::LimitSet set = limits::limit_set(c.set);
    for (const limits::Limit& l : set.limits) {
      if (l.quantity != c.q || l.frequency != c.f || l.where != c.where) continue;
      if (c.up_to > 0 && (!l.voltage || l.voltage->up_to != c.up_to)) continue;
      ++found;
      EXPECT_NEAR(limits::shown_limit(l, limits::BUnit::microtesla), c.shown, 1e-9 * c.shown) << c.set;
    }
    EXPECT_EQ(found, 1) << c.set << " " << limits::name(c.q);
  }
}

TEST(LimitSetFile, MessagesNameTheLineAndWhatIsWrong) {
  const std::string good = "quantity = \"E\"\nvalue = 5\nunit = \"kV/m\"\nwhere = \"edge\"\nfrequency = 60\n";
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"[[limit]]\n" + good + "colour = 1\n", "line 7: limit 1: unknown key \"colour\""},
      {"[[limit]]\nquantity = \"Q\"\n", "limit 1: unknown quantity \"Q\""},
      {"[[limit]]\n" + good + "[[limit]]\nquantity = \"B\"\nvalue = 5\nunit = \"kV/m\"\n",
       "limit 2: unit \"kV/m\" is not a unit of B (uT, mT, mG, G)"},
      {"[[limit]]\nquantity = \"E\"\nvalue = -1\n", "line 3: limit 1: value must be a number above 0"},
      {"[[limit]]\nquantity = \"E\"\nvalue = nan\n", "value must be a number above 0"},
      {"[[limit]]\nquantity = \"E\"\nvalue = \"5\"\n", "value must be a number"},
      {"[[limit]]\nquantity = \"E\"\nvalue = 5\nunit = \"kV/m\"\nwhere = \"near\"\n", "where must be \"edge\""},
      {"[[limit]]\nquantity = \"E\"\nvalue = 5\nunit = \"kV/m\"\nwhere = \"edge\"\n", "frequency is missing"},
      {"[[limit]]\nquantity = \"E\"\nvalue = 5\nunit = \"kV/m\"\nwhere = \"edge\"\nfrequency = 55\n",
       "frequency must be 50, 60"},
      {"[[limit]]\n" + good + "voltage-above = 500\nvoltage-up-to = 230\n", "no line is in the class"},
      {"[[limit]]\n" + good + "class = \"big\"\n", "give voltage-above or voltage-up-to"},
      {"title = \"x\"\n", "no limit in the set"},
      {"limit = 5\n", "write each as [[limit]]"},
      {"[[limit]]\n" + good + "value = 6\n", "line 7"},  // a key given twice: the TOML reader's message
      {"[[limit\n", "line 1"},
  };
  for (const Case& c : cases) {
    try {
      limits::parse_limit_set(c.text, "mine.toml");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const limits::LimitError& e) {
      const std::string m = e.what();
      EXPECT_EQ(m.rfind("mine.toml", 0), 0u) << m;
      EXPECT_NE(m.find(c.message), std::string::npos) << m;
    }
  }
}

TEST(LimitSetFile, AUsersSetWithAVoltageClass) {
  const limits::LimitSet set = limits::parse_limit_set(
      "title = \"Mine\"\nsource = \"our rule\"\n[[limit]]\nquantity = \"b-res\"\nvalue = 0.3\nunit = \"G\"\n"
      "where = \"ROW\"\nfrequency = \"any\"\nvoltage-above = 100\n",
      "mine.toml");
  ASSERT_EQ(set.limits.size(), 1u);
  const limits::Limit& l = set.limits[0];
  EXPECT_EQ(l.quantity, limits::Quantity::b_res);
  EXPECT_EQ(l.where, limits::Where::row);
  EXPECT_EQ(l.source, "our rule");  // the set's, where the limit names none
  EXPECT_EQ(l.voltage->name, "above 100 kV");
  EXPECT_NEAR(limits::shown_limit(l, limits::BUnit::milligauss), 300, 1e-9);
  EXPECT_EQ(limits::given_text(l), "0.3 G");
  EXPECT_EQ(l.line, 3);
}

TEST(LimitSetFile, NameOrFile) {
  EXPECT_EQ(limits::limit_set("Minnesota").limits.size(), 1u);
  try {
    limits::limit_set("no-such-set");
    ADD_FAILURE();
  } catch (const limits::LimitError& e) {
    EXPECT_NE(std::string(e.what()).find("florida, icnirp-1998"), std::string::npos) << e.what();
  }
  EXPECT_THROW(limits::read_limit_set(std::string("a\0b", 3)), limits::LimitError);
}

}  // namespace
