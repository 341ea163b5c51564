#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "svg/axis.hpp"

using namespace svg;

namespace {

struct AxisCase {
  const char* what;
  double min, max;
  double lo, hi, step;
  std::vector<std::string> labels;
};

TEST(Axis, RoundStepsForTheRangesOfAProfile) {
  for (const AxisCase& c : std::vector<AxisCase>{
           {"audible noise", 49.8, 55.3, 49, 56, 1, {"49", "50", "51", "52", "53", "54", "55", "56"}},
           {"negative dB", -23.4, -3.2, -25, 0, 5, {"-25", "-20", "-15", "-10", "-5", "0"}},
           {"straddling zero", -0.7, 1.2, -1, 1.5, 0.5, {"-1.0", "-0.5", "0.0", "0.5", "1.0", "1.5"}},
           {"tiny gauss range in uT", 0.021, 0.025, 0.021, 0.025, 0.001, {"0.021", "0.022", "0.023", "0.024", "0.025"}},
           {"tiny gauss range in G", 0.00021, 0.00025, 0.00021, 0.00025, 0.00001,
            {"0.00021", "0.00022", "0.00023", "0.00024", "0.00025"}},
           {"single point", 55.3, 55.3, 48, 62, 2, {"48", "50", "52", "54", "56", "58", "60", "62"}},
           {"single zero", 0, 0, -1, 1, 0.5, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
           {"equal to float precision", 0.1f, std::nextafter(0.1f, 1.0f), 0.09, 0.115, 0.005, {}},
           {"distances", -50, 50, -50, 50, 10, {"-50", "-40", "-30", "-20", "-10", "0", "10", "20", "30", "40", "50"}},
       }) {
    Axis a = nice_axis(c.min, c.max, c.what == std::string("distances") ? 10 : 5);
    EXPECT_TRUE(a.has_data) << c.what;
    EXPECT_NEAR(a.lo, c.lo, c.step * 1e-6) << c.what;
    EXPECT_NEAR(a.hi, c.hi, c.step * 1e-6) << c.what;
    EXPECT_NEAR(a.step, c.step, c.step * 1e-9) << c.what;
    EXPECT_LE(a.lo, c.min) << c.what;
    EXPECT_GE(a.hi, c.max) << c.what;
    std::vector<std::string> labels;
    for (double t : a.ticks()) labels.push_back(a.label(t));
    if (!c.labels.empty()) {
      EXPECT_EQ(labels, c.labels) << c.what;
    } else {
      EXPECT_GE(labels.size(), 3u) << c.what;
      for (std::size_t i = 1; i < labels.size(); ++i) EXPECT_NE(labels[i], labels[i - 1]) << c.what;
    }
  }
}

// An axis cut to its data's own ends (a map's grid from -76 m) keeps its
// ticks at whole multiples of the step inside the range, never the ends
// plus steps.
TEST(Axis, CutToItsEndsTheTicksStayRound) {
  struct Case {
    const char* what;
    double lo, hi, min, max;  // the range cut to, and the data the step came from
    std::vector<std::string> labels;
  };
  for (const Case& c : std::vector<Case>{
           {"map across", -76, 76, -76, 76, {"-60", "-40", "-20", "0", "20", "40", "60"}},
           {"map up", 0, 37.5, 0, 37.5, {"0", "10", "20", "30"}},
           {"plan along", 12.5, 387.5, 12.5, 387.5, {"50", "100", "150", "200", "250", "300", "350"}},
           {"small cut", -0.33, 0.47, -0.33, 0.47, {"-0.3", "-0.2", "-0.1", "0.0", "0.1", "0.2", "0.3", "0.4"}},
       }) {
    Axis a = nice_axis(c.min, c.max, c.what == std::string("map up") ? 4 : 8);
    a.lo = c.lo;
    a.hi = c.hi;
    std::vector<std::string> labels;
    for (double t : a.ticks()) {
      labels.push_back(a.label(t));
      EXPECT_NEAR(std::remainder(t, a.step), 0, a.step * 1e-9) << c.what << " " << t;
    }
    EXPECT_EQ(labels, c.labels) << c.what;
  }
}

TEST(Axis, NoValuesGiveAPlaceholder) {
  for (auto [lo, hi] : std::vector<std::pair<double, double>>{{INFINITY, -INFINITY}, {NAN, NAN}, {2, 1}}) {
    Axis a = nice_axis(lo, hi);
    EXPECT_FALSE(a.has_data);
    EXPECT_EQ(a.lo, 0);
    EXPECT_EQ(a.hi, 1);
  }
}

// Ranges at the ends of the double range: a span that overflows gets the
// placeholder (the caller refuses it), anything else a finite axis with a
// bounded label precision and tick count.
TEST(Axis, ExtremeDoubleRanges) {
  struct Case {
    double min, max;
    bool has_data;
  };
  for (const Case& c : std::vector<Case>{{-1e308, 1e308, false},
                                         {-9e307, 9e307, false},
                                         {1.7976931348623157e308, 1.7976931348623157e308, false},  // its band overflows
                                         {1e308, 1e308, true},
                                         {-30, 1.7976931348623157e308, true},
                                         {0, 4.9e-324, true},
                                         {1e-300, 2e-300, true},
                                         {-1e-199, 1e-199, true}}) {
    Axis a = nice_axis(c.min, c.max, 10);
    EXPECT_EQ(a.has_data, c.has_data) << c.min << " " << c.max;
    EXPECT_TRUE(std::isfinite(a.lo) && std::isfinite(a.hi) && std::isfinite(a.hi - a.lo) && a.hi > a.lo);
    EXPECT_TRUE(a.step > 0 && std::isfinite(a.step));
    EXPECT_LE(a.decimals, 400);
    EXPECT_LE(a.ticks().size(), 61u);
    for (double t : a.ticks()) EXPECT_EQ(a.label(t).find_first_of("nN"), std::string::npos) << a.label(t);
  }
}

TEST(Axis, ExtremeFloatValuesStayBounded) {
  Axis a = nice_axis(-3.4e38, 3.4e38);
  EXPECT_TRUE(std::isfinite(a.lo) && std::isfinite(a.hi));
  EXPECT_LE(a.ticks().size(), 61u);
  EXPECT_LE(nice_axis(1.0, 1e30).ticks().size(), 61u);
}

}  // namespace
