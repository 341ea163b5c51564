// The chart pieces of the study pictures: logarithmic ticks, panels in a
// grid, the colour scale, bar axes, and contour lines (straight, closed,
// split at a missing value, a saddle) with labels that keep clear.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "svg/bars.hpp"
#include "svg/chart.hpp"
#include "svg/colour_map.hpp"
#include "svg/contour.hpp"

namespace {

struct LogCase {
  const char* name;
  double lo, hi;
  std::vector<double> ticks;
};

class LogTicks : public ::testing::TestWithParam<LogCase> {};

TEST_P(LogTicks, OneTwoFive) {
  const std::vector<double> t = svg::log_ticks(GetParam().lo, GetParam().hi);
  ASSERT_EQ(t.size(), GetParam().ticks.size());
  for (std::size_t i = 0; i < t.size(); ++i) EXPECT_NEAR(t[i], GetParam().ticks[i], 1e-12 * GetParam().ticks[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Chart, LogTicks,
    ::testing::Values(LogCase{"TwoDecades", 1, 100, {1, 2, 5, 10, 20, 50, 100}},
                      LogCase{"InsideOneDecade", 0.03, 0.4, {0.05, 0.1, 0.2}},
                      LogCase{"ManyDecadesOnlyPowers", 1e-3, 1e3, {1e-3, 1e-2, 1e-1, 1, 10, 100, 1000}},
                      LogCase{"NotAboveZero", 0, 10, {}},
                      LogCase{"Backwards", 10, 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Chart, PanelGridRowByRow) {
  const auto r = svg::panel_grid(3, 2, 10, 20, 100, 50, 5, 7);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].x, 115);
  EXPECT_EQ(r[1].y, 20);
  EXPECT_EQ(r[2].x, 10);
  EXPECT_EQ(r[2].y, 77);
}

TEST(Chart, LogarithmicAxisMapsDecadesEvenly) {
  svg::Axis y;
  y.lo = 1;
  y.hi = 100;
  const svg::Chart chart({0, 0, 100, 200}, svg::nice_axis(0, 1), y, true);
  EXPECT_NEAR(chart.py(1), 200, 1e-9);
  EXPECT_NEAR(chart.py(10), 100, 1e-9);
  EXPECT_NEAR(chart.py(100), 0, 1e-9);
}

TEST(ColourScale, FractionsClampedAndLogarithmic) {
  const svg::ColourScale linear{0, 10, false};
  EXPECT_EQ(linear.fraction(5), 0.5);
  EXPECT_EQ(linear.fraction(-1), 0);
  EXPECT_EQ(linear.fraction(20), 1);
  EXPECT_EQ(linear.fraction(NAN), 0);
  const svg::ColourScale log{1, 100, true};
  EXPECT_NEAR(log.fraction(10), 0.5, 1e-12);
  EXPECT_EQ(log.fraction(0), 0);
  EXPECT_EQ(svg::ramp_colour(0), "#440154");
  EXPECT_EQ(svg::ramp_colour(1), "#fde724");
  EXPECT_EQ(svg::ramp_colour(7), "#fde724");
}

TEST(Bars, AxisFromZeroOrTheLowestValue) {
  svg::BarGroups bars;
  bars.values = {{3, 7}, {NAN, 9}};
  EXPECT_EQ(svg::bar_axis(bars).lo, 0);
  EXPECT_GE(svg::bar_axis(bars).hi, 9);
  bars.values = {{-4, 2}};
  EXPECT_LE(svg::bar_axis(bars).lo, -4);
  bars.values = {{NAN}};
  EXPECT_FALSE(svg::bar_axis(bars).has_data);
}

svg::Grid grid_of(int n, double (*f)(double, double)) {
  svg::Grid g;
  for (int i = 0; i <= n; ++i) {
    g.xs.push_back(i);
    g.ys.push_back(i);
  }
  for (double y : g.ys) {
    std::vector<double> row;
    for (double x : g.xs) row.push_back(f(x, y));
    g.values.push_back(row);
  }
  return g;
}

TEST(Contour, StraightLineAcrossTheGrid) {
  const svg::Grid g = grid_of(4, [](double x, double) { return x; });
  const auto lines = svg::contour_lines(g, 1.5);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 5u);
  for (const auto& p : lines[0]) EXPECT_DOUBLE_EQ(p.first, 1.5);
}

TEST(Contour, CircleIsOneClosedLine) {
  const svg::Grid g = grid_of(20, [](double x, double y) { return std::hypot(x - 10, y - 10); });
  const auto lines = svg::contour_lines(g, 6);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].front(), lines[0].back());
  for (const auto& p : lines[0]) EXPECT_NEAR(std::hypot(p.first - 10, p.second - 10), 6, 0.1);
}

TEST(Contour, MissingValueSplitsTheLine) {
  svg::Grid g = grid_of(4, [](double x, double) { return x; });
  g.values[2][1] = NAN;
  EXPECT_EQ(svg::contour_lines(g, 1.5).size(), 2u);
  EXPECT_TRUE(svg::contour_lines(g, 9).empty());
}

TEST(Contour, SaddleGivesTwoLines) {
  svg::Grid g;
  g.xs = {0, 1};
  g.ys = {0, 1};
  g.values = {{1, 0}, {0, 1}};
  EXPECT_EQ(svg::contour_lines(g, 0.4).size(), 2u);
  EXPECT_EQ(svg::contour_lines(g, 0.6).size(), 2u);
}

TEST(Contour, LabelsKeepClearOfEachOther) {
  const svg::Grid g = grid_of(20, [](double x, double) { return x; });
  const svg::Chart chart({0, 0, 400, 400}, svg::nice_axis(0, 20), svg::nice_axis(0, 20));
  std::vector<svg::Rect> taken;
  std::ostringstream out;
  svg::draw_contour(out, chart, svg::contour_lines(g, 10), "10", taken);
  svg::draw_contour(out, chart, svg::contour_lines(g, 10.1), "10.1", taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_FALSE(taken[0].y < taken[1].bottom() && taken[1].y < taken[0].bottom() && taken[0].x < taken[1].right() &&
               taken[1].x < taken[0].right());
  // A short line carries no label.
  std::vector<svg::Rect> none;
  svg::draw_contour(out, chart, {{{0, 0}, {0.1, 0.1}}}, "5", none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
