// What a person sees in the profile pictures of the bundled examples: every
// value written at a right-of-way edge clear of every curve of its panel,
// and every text inside the picture.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plot/svg_plot.hpp"
#include "support/files.hpp"
#include "support/program.hpp"
#include "support/svg_layout.hpp"

namespace {

namespace fs = std::filesystem;

TEST(Pictures, EdgeValuesClearOfEveryCurveAndNothingClipped) {
  const fs::path dir = support::fresh_directory("brenlow-plot-layout-" + std::to_string(::getpid()));
  const std::vector<std::vector<double>> edge_sets = {{-30, 30}, {-50, 50}, {-20, 40}};
  int files = 0;
  for (const auto& entry : fs::directory_iterator(BRENLOW_EXAMPLES)) {
    const std::string stem = entry.path().stem().string();
    std::string args = "'";
    args += entry.path().string();
    args += "' ";
    args += stem;
    args += ".prt ";
    args += stem;
    args += ".dif";
    const support::Finished run = support::run_program(dir, TESK31_PATH, args);
    ASSERT_EQ(run.status, 0) << stem << run.err;
    if (!fs::exists(dir / (stem + ".dif"))) continue;  // no combined report selected
    ++files;
    const plot::Profile profile = plot::read_dif_file((dir / (stem + ".dif")).string());
    for (const std::vector<double>& edges : edge_sets) {
      SCOPED_TRACE(stem + " with edges at " + std::to_string(edges[0]) + ", " + std::to_string(edges[1]));
      const std::string svg = plot::render_svg(profile, {stem, "m", cli::BUnit::microtesla, edges});
      const svg::Rect frame = support::svg_frame(svg);
      const std::vector<svg::Run> curves = support::svg_lines(svg);
      int values = 0;
      for (const support::SvgText& t : support::svg_texts(svg)) {
        EXPECT_TRUE(support::svg_inside(t.box, frame)) << t.text;
        if (support::svg_attribute(t.attributes, "class") != "edge-value") continue;
        ++values;
        for (const svg::Run& curve : curves) EXPECT_FALSE(svg::meets(t.box, curve)) << t.text << " is crossed by a curve";
      }
      EXPECT_GE(values, 10);
    }
  }
  EXPECT_GE(files, 4);
  fs::remove_all(dir);
}

}  // namespace
