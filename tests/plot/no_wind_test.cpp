// An ozone column as a run without wind leaves it (NaN downwind, 0 upwind)
// is said, in the picture and on the error stream, instead of drawn as an
// empty axis around 0.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "plot/plot_command.hpp"
#include "plot/svg_plot.hpp"
#include "plot_test_support.hpp"

using namespace plot;
namespace fs = std::filesystem;

namespace {

TEST(NoWind, OzoneColumnIsSaidInsteadOfDrawn) {
  const std::string note = "Ozone: no wind: ozone is carried nowhere, so it is not computed downwind";
  struct Case {
    const char* name;
    std::vector<float> ozone;  // at -10, 0, 10, 20 m
    bool without_wind;
    std::string legend;
  };
  const std::vector<Case> cases = {
      {"upwind 0, downwind NaN", {0, 0, NAN, NAN}, true, "Ozone (not computed: no wind)"},
      {"every point downwind", {NAN, NAN, NAN, NAN}, true, "Ozone (not computed: no wind)"},
      {"every point upwind, with wind", {0, 0, 0, 0}, false, "Ozone (right axis)"},
      {"one value not computed among others", {0, 1.5f, NAN, 0.5f}, false, "Ozone (right axis) (1 not computed)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Profile p;
    for (std::size_t k = 0; k < c.ozone.size(); ++k) {
      Row row{};
      row[distance] = -10.0f + 10.0f * static_cast<float>(k);
      row[tv] = 20;
      row[ozone] = c.ozone[k];
      p.rows.push_back(row);
    }
    EXPECT_EQ(ozone_without_wind(p), c.without_wind);
    const std::string svg = render_svg(p, PlotOptions{"t", "m", cli::BUnit::microtesla, {}});
    EXPECT_NE(svg.find(">" + c.legend + "<"), std::string::npos) << c.legend;
    EXPECT_EQ(svg.find(note) != std::string::npos, c.without_wind);
    EXPECT_EQ(svg.find("data-column=\"OZ\"") != std::string::npos, !c.without_wind);
  }
}

// tesk31 on the example line (no wind) writes a DIF file; the plotter says
// why its ozone is missing and draws the rest.
TEST(NoWind, PlotOfARunWithoutWindSaysWhy) {
  const fs::path dir = plot_test::scratch_dir("no-wind");
  const std::string command = "cd '" + dir.string() + "' && '" + TESK31_PATH + "' '" + BRENLOW_EXAMPLES +
                              "/example.dat' run.prt run.dif </dev/null >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ostringstream out, err;
  EXPECT_EQ(run_command({(dir / "run.dif").string(), "-o", (dir / "run.svg").string()}, out, err), 0);
  EXPECT_EQ(err.str(), "tesk31-plot: " + (dir / "run.dif").string() +
                           ": ozone is not a number downwind and 0 elsewhere, as a run without wind leaves it (no "
                           "wind: ozone is carried nowhere, so it is not computed downwind)\n");
  const std::string svg = support::read_file(dir / "run.svg");
  EXPECT_NE(svg.find("Ozone (not computed: no wind)"), std::string::npos);
  EXPECT_NE(svg.find("data-column=\"TV\""), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
