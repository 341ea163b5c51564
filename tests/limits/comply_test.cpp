// The compliance check: constructed lines just under and just over a limit,
// the maximum within the right-of-way against a brute-force dense scan,
// voltage classes, limits that do not apply.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "limits/comply.hpp"

namespace {

brenlow::Group group(float x, float y, float kv, float angle, bool ac = true) {
  brenlow::Group g;
  g.name = "G";
  g.ac = ac;
  g.x = x;
  g.y = y;
  g.subconductors = 2;
  g.diameter = 30.0f;
  g.spacing = 45.0f;
  g.kv = kv;
  g.phase = angle;
  g.ka = ac ? 1.5f : 2.0f;
  return g;
}

brenlow::CrossSection section(std::vector<brenlow::Group> groups) {
  brenlow::CrossSection s;
  s.groups = std::move(groups);
  s.energized = static_cast<int>(s.groups.size());
  s.conditions.rain = 1;
  s.conditions.ground_conductivity = 10;
  s.conditions.an_height = 1.5f;
  s.conditions.ri_height = 2;
  s.conditions.ri_frequency = 1;
  s.conditions.ef_height = 1;
  s.conditions.mf_height = 1;
  return s;
}

// A flat 3-phase line at `kv` line to line, its phases off any round position.
brenlow::CrossSection flat_line(float kv_ll = 345.0f) {
  const float kv = kv_ll / std::sqrt(3.0f);
  return section({group(-8.37f, 13.1f, kv, 0), group(0.41f, 13.1f, kv, 240), group(9.13f, 13.1f, kv, 120)});
}

brenlow::CrossSection dc_bipole() {
  return section({group(-6.0f, 15.0f, 500.0f, 0, false), group(6.0f, 15.0f, -500.0f, 0, false)});
}

limits::LimitSet one_limit(const std::string& quantity, double value, const std::string& unit, const std::string& where,
                           const std::string& frequency, const std::string& extra = "") {
  return limits::parse_limit_set("[[limit]]\nquantity = \"" + quantity + "\"\nvalue = " + std::to_string(value) +
                                     "\nunit = \"" + unit + "\"\nwhere = \"" + where + "\"\nfrequency = " + frequency +
                                     "\n" + extra,
                                 "test set");
}

limits::Compliance check(const brenlow::CrossSection& s, const limits::LimitSet& set, float edge = 25.0f,
                         int frequency = 60, int grid = 201) {
  limits::ComplyOptions o;
  o.frequency = frequency;
  o.grid_points = grid;
  return limits::comply(s, set, {-edge, edge}, o);
}

// The largest E between the edges by a dense scan, independent of the refinement.
double dense_maximum(const brenlow::CrossSection& s, float from, float to, int points) {
  const brenlow::Evaluation run(s);
  double best = -1;
  for (int i = 0; i < points; ++i) {
    const float x = from + (to - from) * static_cast<float>(i) / static_cast<float>(points - 1);
    best = std::max(best, static_cast<double>(run.electric_field(x, 1.0f).max));
  }
  return best;
}

TEST(Comply, EdgeLimitJustOverAndJustUnder) {
  const brenlow::CrossSection line = flat_line();
  const brenlow::Evaluation run(line);
  const double worst = std::max(run.electric_field(-25.0f, 1.0f).max, run.electric_field(25.0f, 1.0f).max);
  const bool right = run.electric_field(25.0f, 1.0f).max > run.electric_field(-25.0f, 1.0f).max;
  struct Case {
    double factor;
    limits::Verdict verdict;
  };
  for (const Case c : {Case{1.002, limits::Verdict::pass}, Case{0.998, limits::Verdict::fail}}) {
    const limits::Compliance r = check(line, one_limit("E", worst * c.factor, "kV/m", "edge", "60"));
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].verdict, c.verdict) << c.factor;
    EXPECT_NEAR(r.rows[0].value, worst, 1e-6 * worst);
    EXPECT_EQ(r.rows[0].at, right ? "right edge" : "left edge");
    EXPECT_NEAR(r.rows[0].margin, 1 / c.factor, 1e-5);
  }
}

TEST(Comply, MaximumBetweenGridPointsAgainstDenseScan) {
  const brenlow::CrossSection line = flat_line();
  const double brute = dense_maximum(line, -25.0f, 25.0f, 50001);  // 1 mm apart
  // A coarse first scan (5 m apart) misses the peaks by over 0.1 %:
  // only the refinement finds the maximum.
  const brenlow::Evaluation run(line);
  double coarse = 0;
  for (int i = 0; i <= 10; ++i) coarse = std::max(coarse, (double)run.electric_field(-25.0f + 5.0f * i, 1.0f).max);
  for (const brenlow::Group& g : line.groups) coarse = std::max(coarse, (double)run.electric_field(g.x, 1.0f).max);
  ASSERT_LT(coarse, brute * 0.999);
  for (int grid : {11, 201}) {
    const limits::Compliance r = check(line, one_limit("E", 100, "kV/m", "row", "60"), 25.0f, 60, grid);
    EXPECT_NEAR(r.rows[0].value, brute, 1e-3 * brute) << grid;
    EXPECT_GE(r.rows[0].value, brute * (1 - 1e-6)) << grid;  // never below a point the scan saw
    EXPECT_EQ(r.rows[0].at, "within");
    // Just under and just over the found maximum.
    for (const auto& [factor, verdict] :
         {std::pair{1.002, limits::Verdict::pass}, std::pair{0.998, limits::Verdict::fail}}) {
      const limits::Compliance j = check(line, one_limit("E", brute * factor, "kV/m", "row", "60"), 25.0f, 60, grid);
      EXPECT_EQ(j.rows[0].verdict, verdict) << grid << " " << factor;
    }
  }
}

TEST(Comply, AnywhereReachesBeyondANarrowRightOfWay) {
  // Edges at +-2 m lie between the phases: the largest E stands beyond them.
  const brenlow::CrossSection line = flat_line();
  const double brute = dense_maximum(line, -60.0f, 60.0f, 120001);
  const limits::Compliance r = check(line, one_limit("E", 100, "kV/m", "anywhere", "\"any\""), 2.0f);
  EXPECT_NEAR(r.rows[0].value, brute, 1e-3 * brute);
  EXPECT_NE(r.rows[0].at.find("beyond"), std::string::npos) << r.rows[0].at;
}

TEST(Largest, AgainstDenseScanOfFunctionsWithPeaksOffTheGrid) {
  struct Case {
    const char* what;
    std::function<double(float)> f;
    float from, to;
  };
  const Case cases[] = {
      {"one narrow peak", [](float x) { return std::exp(-(x - 0.1234) * (x - 0.1234) / 0.02); }, -5, 5},
      {"two peaks, the higher narrower",
       [](float x) { return 1.0 * std::exp(-(x + 2) * (x + 2)) + 1.05 * std::exp(-(x - 2.71) * (x - 2.71) / 0.05); },
       -5, 5},
      {"rising to the end", [](float x) { return static_cast<double>(x) * x; }, -1, 3},
      {"flat", [](float) { return 7.0; }, 0, 1},
  };
  for (const Case& c : cases) {
    double brute = -1e300;
    for (int i = 0; i <= 200000; ++i) brute = std::max(brute, c.f(c.from + (c.to - c.from) * i / 200000.0f));
    const limits::Maximum m = limits::largest(c.f, c.from, c.to, 21);
    EXPECT_NEAR(m.value, brute, 1e-3 * std::fabs(brute)) << c.what;
    EXPECT_NEAR(c.f(m.x), m.value, 0) << c.what;
  }
  // A value not computed anywhere scanned decides nothing.
  EXPECT_TRUE(std::isnan(limits::largest([](float x) { return x > 0.5f ? NAN : 1.0; }, 0, 1, 11).value));
}

TEST(Comply, VoltageClassPicksTheRow) {
  // Florida: 8 kV/m within the right-of-way up to 242 kV, 10 kV/m above 242 kV up to 550 kV.
  const limits::LimitSet florida = *limits::shipped_set("florida");
  struct Case {
    float kv;        // line to line
    double row_limit;  // the E row limit that applies; 0: none
  };
  for (const Case c : {Case{138, 8}, Case{230, 8}, Case{242, 8}, Case{345, 10}, Case{525, 10}, Case{765, 0}}) {
    const limits::Compliance r = check(flat_line(c.kv), florida);
    int applied = 0;
    for (const limits::Row& row : r.rows) {
      if (row.limit.quantity != limits::Quantity::e || row.limit.where != limits::Where::row) continue;
      if (row.verdict == limits::Verdict::not_applicable) {
        EXPECT_NE(row.reason.find("voltage class"), std::string::npos) << row.reason;
        continue;
      }
      ++applied;
      EXPECT_EQ(row.limit_value, c.row_limit) << c.kv;
      EXPECT_FALSE(row.voltage_class.empty());
    }
    EXPECT_EQ(applied, c.row_limit > 0 ? 1 : 0) << c.kv;
    EXPECT_NEAR(r.line_kv, c.kv, 1e-3 * c.kv);
  }
}

TEST(VoltageClass, EndsTakenHalfAPercentWide) {
  const limits::VoltageClass up_to_230{std::nullopt, 230.0, ""}, above_230{230.0, 500.0, ""};
  struct Case {
    double kv;
    bool low, high;
  };
  for (const Case c : {Case{0, true, false}, Case{230.01, true, false}, Case{231.1, true, false},
                       Case{231.2, false, true}, Case{500, false, true}, Case{502.4, false, true},
                       Case{502.6, false, false}}) {
    EXPECT_EQ(up_to_230.contains(c.kv), c.low) << c.kv;
    EXPECT_EQ(above_230.contains(c.kv), c.high) << c.kv;
  }
}

TEST(Comply, LimitsThatDoNotApplyAreNeverAPass) {
  brenlow::CrossSection no_radio = flat_line();
  no_radio.conditions.ri_frequency = 0;
  brenlow::CrossSection hybrid = flat_line();
  hybrid.groups.push_back(group(-30, 18, 400, 0, false));
  hybrid.groups.push_back(group(-18, 18, -400, 0, false));
  hybrid.energized = 5;
  struct Case {
    const char* what;
    brenlow::CrossSection line;
    limits::LimitSet set;
    int frequency;
    const char* reason;  // empty: applies
    const char* judged;
  };
  const Case cases[] = {
      {"RI at 0 MHz", no_radio, one_limit("RI", 50, "dB(uV/m)", "edge", "\"any\""), 60, "radio frequency", ""},
      {"50 Hz limit, 60 Hz line", flat_line(), one_limit("E", 5, "kV/m", "anywhere", "50"), 60, "runs at 60 Hz", ""},
      {"60 Hz limit, 60 Hz line", flat_line(), one_limit("E", 5, "kV/m", "anywhere", "60"), 60, "", "E"},
      {"AC limit, DC line", dc_bipole(), one_limit("B", 100, "uT", "row", "60"), 60, "no AC phases", ""},
      {"DC limit, AC line", flat_line(), one_limit("E", 20, "kV/m", "row", "\"dc\""), 60, "no DC poles", ""},
      {"J of an AC line", flat_line(), one_limit("J", 100, "nA/m2", "row", "\"any\""), 60, "no DC poles", ""},
      {"E-TOTAL at 60 Hz", dc_bipole(), one_limit("E-TOTAL", 25, "kV/m", "row", "60"), 60, "DC ion flow", ""},
      {"DC line, any", dc_bipole(), one_limit("E", 30, "kV/m", "row", "\"any\""), 60, "", "E"},
      {"hybrid, 60 Hz", hybrid, one_limit("E", 10, "kV/m", "row", "60"), 60, "", "E-AC"},
      {"hybrid, DC", hybrid, one_limit("B", 100, "uT", "row", "\"dc\""), 60, "", "B-DC"},
      {"hybrid, DC resultant", hybrid, one_limit("E-RES", 100, "kV/m", "row", "\"dc\""), 60, "", "E-DC"},
      {"class the line is not in", flat_line(345), one_limit("E", 5, "kV/m", "edge", "60", "voltage-up-to = 230\n"),
       60, "voltage class", ""},
  };
  for (const Case& c : cases) {
    const limits::Compliance r = check(c.line, c.set, 25.0f, c.frequency);
    ASSERT_EQ(r.rows.size(), 1u) << c.what;
    const limits::Row& row = r.rows[0];
    if (*c.reason) {
      EXPECT_EQ(row.verdict, limits::Verdict::not_applicable) << c.what;
      EXPECT_NE(row.reason.find(c.reason), std::string::npos) << c.what << ": " << row.reason;
      EXPECT_TRUE(std::isnan(row.value)) << c.what;
      EXPECT_FALSE(r.any_applies()) << c.what;
    } else {
      EXPECT_NE(row.verdict, limits::Verdict::not_applicable) << c.what << ": " << row.reason;
      EXPECT_EQ(limits::name(row.evaluated), c.judged) << c.what;
    }
  }
}

TEST(Comply, HybridLineAtAnyFrequencyJudgedOnItsWorsePart) {
  brenlow::CrossSection hybrid = flat_line();
  hybrid.groups.push_back(group(-30, 18, 400, 0, false));
  hybrid.groups.push_back(group(-18, 18, -400, 0, false));
  hybrid.energized = 5;
  const limits::Compliance any = check(hybrid, one_limit("E", 100, "kV/m", "row", "\"any\""), 40.0f);
  const limits::Compliance ac = check(hybrid, one_limit("E", 100, "kV/m", "row", "60"), 40.0f);
  const limits::Compliance dc = check(hybrid, one_limit("E", 100, "kV/m", "row", "\"dc\""), 40.0f);
  EXPECT_EQ(any.rows[0].value, std::max(ac.rows[0].value, dc.rows[0].value));
  EXPECT_NE(ac.rows[0].value, dc.rows[0].value);
}

TEST(Comply, BLimitsInTheChosenUnit) {
  // 150 mG is 15 uT and 0.15 G; the value follows the same unit.
  const limits::LimitSet set = one_limit("B", 150, "mG", "edge", "60");
  double gauss_value = 0;
  for (const auto& [unit, limit, per_gauss] : {std::tuple{limits::BUnit::microtesla, 15.0, 100.0},
                                               std::tuple{limits::BUnit::milligauss, 150.0, 1000.0},
                                               std::tuple{limits::BUnit::gauss, 0.15, 1.0}}) {
    limits::ComplyOptions o;
    o.b = unit;
    const limits::Compliance r = limits::comply(flat_line(), set, {-25, 25}, o);
    EXPECT_NEAR(r.rows[0].limit_value, limit, 1e-9 * limit);
    if (gauss_value == 0) gauss_value = r.rows[0].value / per_gauss;
    EXPECT_NEAR(r.rows[0].value / per_gauss, gauss_value, 1e-6 * gauss_value);
    EXPECT_NEAR(r.rows[0].margin, gauss_value / 0.15, 1e-5);
  }
}

TEST(Comply, MarginOfALevelInDecibelsIsADifference) {
  // A ratio of two decibel values means nothing: AN 3 dB over its limit reads +3.0 dB.
  const brenlow::CrossSection line = flat_line(500);
  const brenlow::Evaluation run(line);
  const double an = std::max(run.audible_noise(-25, 1.5f, brenlow::Weather::rain).l50,
                             run.audible_noise(25, 1.5f, brenlow::Weather::rain).l50);
  ASSERT_TRUE(brenlow::level_computed(static_cast<float>(an)));
  const limits::Row row = check(line, one_limit("AN", an - 3, "dB(A)", "edge", "60")).rows[0];
  EXPECT_TRUE(row.margin_db);
  EXPECT_NEAR(row.margin, 3.0, 1e-4);
  EXPECT_EQ(row.verdict, limits::Verdict::fail);
  EXPECT_FALSE(check(line, one_limit("E", 5, "kV/m", "edge", "60")).rows[0].margin_db);
}

TEST(Comply, MarginOfTheIonFlowIsARatio) {
  // E total and J are a field and a current density, not levels in decibels:
  // their margin is value / limit, whichever side of the limit they fall.
  const brenlow::CrossSection bipole = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat");
  struct Case {
    const char* quantity;
    const char* unit;
    double limit;
  };
  for (const Case& c : {Case{"E-TOTAL", "kV/m", 25}, Case{"E-TOTAL", "kV/m", 10}, Case{"J", "nA/m2", 40},
                        Case{"J", "nA/m2", 5}}) {
    SCOPED_TRACE(std::string(c.quantity) + " " + std::to_string(c.limit));
    const limits::Row row = check(bipole, one_limit(c.quantity, c.limit, c.unit, "row", "\"dc\"")).rows[0];
    ASSERT_EQ(row.verdict == limits::Verdict::fail, row.value > c.limit);
    EXPECT_FALSE(row.margin_db);
    EXPECT_NEAR(row.margin, row.value / c.limit, 1e-9);
    EXPECT_EQ(row.margin > 1, row.verdict == limits::Verdict::fail);
  }
}

TEST(Comply, RefusesEdgesAndFrequencies) {
  const limits::LimitSet set = one_limit("E", 5, "kV/m", "edge", "60");
  limits::ComplyOptions o;
  EXPECT_THROW(limits::comply(flat_line(), set, {10, -10}, o), limits::LimitError);
  EXPECT_THROW(limits::comply(flat_line(), set, {5, 5}, o), limits::LimitError);
  EXPECT_THROW(limits::comply(flat_line(), set, {-NAN, 5}, o), limits::LimitError);
  EXPECT_THROW(limits::comply(flat_line(), set, {-2e6f, 5}, o), limits::LimitError);
  o.frequency = 55;
  EXPECT_THROW(limits::comply(flat_line(), set, {-10, 10}, o), limits::LimitError);
}

}  // namespace
