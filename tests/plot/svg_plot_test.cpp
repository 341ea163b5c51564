#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "plot/svg_plot.hpp"
#include "plot_test_support.hpp"

using namespace plot;
using plot_test::data_path;

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The text of every value label drawn at a right-of-way edge.
std::vector<std::string> edge_labels(const std::string& svg) {
  std::vector<std::string> out;
  std::regex label("<text class=\"edge-value\"[^>]*>([^<]*)</text>");
  for (std::sregex_iterator i(svg.begin(), svg.end(), label), end; i != end; ++i) out.push_back((*i)[1]);
  return out;
}

TEST(Profile, LinesBreakAtGapsInsteadOfPlunging) {
  Profile p = read_dif_file(data_path("profile_dc.dif"));
  struct Case {
    Column column;
    std::vector<std::size_t> run_sizes;
  };
  for (const Case& c : std::vector<Case>{{an_rain, {3}},               // -999.9 at both ends
                                         {an_fair, {}},                // all -999.9
                                         {ri_rain, {2, 2}},            // -9999 in the middle
                                         {electric_field, {2, 1}},     // NaN, then +Infinity at the end
                                         {magnetic_field, {5}}}) {
    std::vector<LineRun> runs = line_runs(p, c.column);
    std::vector<std::size_t> sizes;
    for (const LineRun& r : runs) {
      sizes.push_back(r.size());
      for (auto [x, v] : r) EXPECT_TRUE(std::isfinite(v) && v > -999) << c.column << " at " << x;
    }
    EXPECT_EQ(sizes, c.run_sizes) << "column " << c.column;
  }
}

TEST(Profile, PointsAreDrawnInOrderOfDistance) {
  Profile p;
  p.rows = {Row{10, 3}, Row{-10, 1}, Row{NAN, 7}, Row{0, 2}};
  std::vector<LineRun> runs = line_runs(p, an_rain);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], (LineRun{{-10, 1}, {0, 2}, {10, 3}}));
}

TEST(Profile, ValueAtAnEdgeInterpolatesBetweenNeighbours) {
  Profile ac = read_dif_file(data_path("profile_ac.dif"));
  Profile dc = read_dif_file(data_path("profile_dc.dif"));
  struct Case {
    const Profile* p;
    Column column;
    double x;
    std::optional<double> expected;
  };
  for (const Case& c : std::vector<Case>{
           {&ac, an_rain, 0, 55.3f},
           {&ac, an_rain, 5, (static_cast<double>(55.3f) + 54.9f) / 2},
           {&ac, magnetic_field, -25, (static_cast<double>(0.0712f) + 0.1088f) / 2},
           {&ac, an_rain, -30, 49.8f},
           {&ac, an_rain, -30.5, std::nullopt},  // beyond the points
           {&ac, an_rain, 31, std::nullopt},
           {&dc, an_rain, -30, std::nullopt},    // next to a -999.9
           {&dc, ri_rain, 10, std::nullopt},     // next to a -9999
           {&dc, ri_rain, 0, std::nullopt},      // on it
           {&dc, electric_field, -10, std::nullopt},
           {&dc, ri_fair, 10, (static_cast<double>(40.1f) + 37.6f) / 2},
       }) {
    std::optional<double> v = value_at(*c.p, c.column, c.x);
    ASSERT_EQ(v.has_value(), c.expected.has_value()) << "column " << c.column << " at " << c.x;
    if (v) {
      EXPECT_NEAR(*v, *c.expected, 1e-9) << "column " << c.column << " at " << c.x;
    }
  }
}

TEST(Svg, EdgesLabelEveryQuantityThatHasAValueThere) {
  Profile dc = read_dif_file(data_path("profile_dc.dif"));
  struct Case {
    double edge;
    std::vector<std::string> labels;  // in panel order, top to bottom within a panel
  };
  for (const Case& c : std::vector<Case>{
           // 38.8: the floats 40.1 and 37.6 lie just below their decimals.
           {10, {"42.95 dB(A)", "38.8 dB(&#181;V/m)", "0.00 ppb", "0.0245 &#181;T (0.000245 G)"}},
           // The magnetic field sits higher on its axis than the electric field on its own. The
           // fair radio value clears both rising curves only above the rain value.
           {-40, {"33.0 dB(&#181;V/m)", "38.5 dB(&#181;V/m)", "0.00 ppb", "0.0210 &#181;T (0.000210 G)", "12.5 kV/m"}},
           {100, {}},
       }) {
    PlotOptions options{"t", "m", cli::BUnit::microtesla, {c.edge}};
    std::string svg = render_svg(dc, options);
    EXPECT_EQ(edge_labels(svg), c.labels) << "edge at " << c.edge;
  }
}

TEST(Svg, DrawsFourPanelsWithMarkersAndNoMarkerValues) {
  Profile dc = read_dif_file(data_path("profile_dc.dif"));
  std::string svg = render_svg(dc, PlotOptions{"DC & <AC>", "ft", cli::BUnit::microtesla, {}});
  EXPECT_NE(svg.find("<title>DC &amp; &lt;AC&gt;</title>"), std::string::npos);
  EXPECT_EQ(count(svg, "font-weight=\"bold\" fill=\"#222\">"), 4u);  // panel titles
  EXPECT_EQ(svg.find("-1000"), std::string::npos);                    // no axis down to the markers
  EXPECT_EQ(svg.find(">-999"), std::string::npos);
  EXPECT_NE(svg.find("Fair, L50 (not computed)"), std::string::npos);
  EXPECT_NE(svg.find("(1 G = 100 &#181;T)"), std::string::npos);
  EXPECT_NE(svg.find("Lateral distance from the reference (ft)"), std::string::npos);
  // One marker per valid point: AN rain 3 circles; TV has none and its panel still draws ozone.
  std::size_t an = svg.find("data-column=\"AN rain\"");
  ASSERT_NE(an, std::string::npos);
  std::string an_group = svg.substr(an, svg.find("</g>", an) - an);
  EXPECT_EQ(count(an_group, "<circle"), 3u);
  EXPECT_EQ(count(an_group, "<polyline"), 1u);
  EXPECT_EQ(svg.find("data-column=\"TV\""), std::string::npos);
  EXPECT_NE(svg.find("data-column=\"OZ\""), std::string::npos);
}

TEST(Svg, EmptyTableStillDraws) {
  std::string svg = render_svg(Profile{}, PlotOptions{"none", "m", cli::BUnit::microtesla, {25.0}});
  EXPECT_EQ(count(svg, "no computed values"), 4u);
  EXPECT_NE(svg.find("edge 25.0"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

}  // namespace
