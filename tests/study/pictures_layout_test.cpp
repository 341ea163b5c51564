// What a person sees in the study pictures of the bundled examples: every
// text inside the picture (the plan map's legend included), every contour
// label crossed by no line but its own contour (nor by a wire of a plan),
// and the ticks of the maps at round values.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.hpp"
#include "support/files.hpp"
#include "support/program.hpp"
#include "support/svg_layout.hpp"

namespace {

namespace fs = std::filesystem;

// The parts one after the other.
std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

TEST(StudyPictures, NothingClippedAndLabelsClearOfOtherCurves) {
  const support::ScratchDirectory scratch("brenlow-study-layout-" + std::to_string(::getpid()));
  const fs::path& dir = scratch.path();
  std::vector<std::pair<std::string, std::string>> pictures;  // (picture, the command that drew it)
  for (const auto& entry : fs::directory_iterator(BRENLOW_EXAMPLES)) {
    const std::string file = joined({"'", entry.path().string(), "'"}), stem = entry.path().stem().string();
    // A hybrid line's fields are apart: each part's map.
    const bool hybrid = brenlow::is_hybrid(brenlow::read_data_file(entry.path().string()));
    const std::vector<std::string_view> fields =
        hybrid ? std::vector<std::string_view>{"E-AC", "E-DC", "B-AC", "B-DC"} : std::vector<std::string_view>{"E", "B"};
    for (const std::string_view q : fields) {
      const std::string svg = joined({stem, "_", q, ".svg"});
      pictures.push_back({svg, joined({"map ", file, " --quantity ", q, " --svg ", svg})});
    }
    const std::string edges = joined({stem, "_edges.svg"});
    pictures.push_back({edges, joined({"edges ", file, " --at=-30 --at 30 --svg ", edges})});
  }
  const std::string circuit = joined({"'", BRENLOW_EXAMPLES, "/345kv_double_circuit.dat'"});
  pictures.push_back({"plan.svg", joined({"span ", circuit, " --length 400 --sag 14 --earth-sag 10 --from -30 --to 30 "
                                          "--step 10 --along 200 --along 0 --map plan.svg --map side.svg"})});
  pictures.push_back({"side.svg", ""});
  pictures.push_back({"phasing.svg", joined({"phasing ", circuit, " --circuit 1,2,3 --circuit 4,5,6 --minimize B "
                                             "--at=-30 --at 30 --top 3 --svg phasing.svg"})});
  for (const auto& [picture, command] : pictures) {
    SCOPED_TRACE(picture);
    if (!command.empty()) {
      const support::Finished f = support::run_program(dir, TESK31_STUDY_PATH, command);
      ASSERT_EQ(f.status, 0) << f.err;
    }
    const std::string svg = support::read_file(dir / picture);
    const svg::Rect frame = support::svg_frame(svg);
    const std::vector<svg::Run> contours = support::svg_lines(svg);
    const std::vector<svg::Run> wires = support::svg_lines(svg, "stroke-dasharray");
    for (const support::SvgText& t : support::svg_texts(svg)) {
      EXPECT_TRUE(support::svg_inside(t.box, frame)) << "clipped: " << t.text;
      const bool contour_label = support::svg_attribute(t.attributes, "fill") == "#111" &&
                                 support::svg_attribute(t.attributes, "text-anchor") == "middle";
      if (!contour_label) continue;
      int crossing = 0;
      for (const svg::Run& line : contours) crossing += svg::meets(t.box, line) ? 1 : 0;
      EXPECT_LE(crossing, 1) << "label " << t.text << " is crossed by another contour";
      for (const svg::Run& wire : wires) {
        if (wire.size() == 2 && wire[0].second == wire[1].second) {  // a plan's wire, along the line
          EXPECT_FALSE(svg::meets(t.box, wire)) << "label " << t.text << " is crossed by a wire";
        }
      }
    }
    // The tick labels under a map stand at round values: whole multiples of
    // the step between neighbours.
    if (picture.find("_E") != std::string::npos || picture.find("_B") != std::string::npos || picture == "plan.svg") {
      std::vector<double> ticks;
      for (const support::SvgText& t : support::svg_texts(svg))
        if (support::svg_attribute(t.attributes, "text-anchor") == "middle" && t.box.y > frame.height - 60 &&
            t.text.find_first_not_of("-0123456789.") == std::string::npos)
          ticks.push_back(std::strtod(t.text.c_str(), nullptr));
      ASSERT_GE(ticks.size(), 3u);
      const double step = ticks[1] - ticks[0];
      for (double v : ticks) EXPECT_NEAR(std::remainder(v, step), 0, 1e-9) << v << " in steps of " << step;
    }
  }
}

}  // namespace
