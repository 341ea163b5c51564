#pragma once
// The lateral profile as one self-contained SVG picture: four panels over
// one distance axis (audible noise; radio interference; TV interference
// and ozone; electric and magnetic field).

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/units.hpp"
#include "plot/profile.hpp"
#include "svg/lines.hpp"

namespace plot {

struct PlotOptions {
  std::string title;
  std::string distance_unit = "m";  // of the distance column: "m", "ft", or empty when not known
  cli::BUnit b_unit = cli::BUnit::microtesla;
  std::vector<double> edges;        // right-of-way edges, in the distance column's unit
};

std::string render_svg(const Profile& profile, const PlotOptions& options);

// The distances the picture's axis must cover: every point's and every
// edge's (lo > hi when there are none).
std::pair<double, double> distance_extent(const Profile& profile, const PlotOptions& options);

// False when there are distances to show but no axis can hold them (edges
// so far out that the span overflows): such a picture cannot be drawn.
bool distance_axis_fits(const Profile& profile, const PlotOptions& options);

// The points of one column in order of distance, split into runs at the
// values that were not computed; a point without a usable distance is left
// out. Each pair is (distance, value).
using LineRun = svg::Run;
std::vector<LineRun> line_runs(const Profile& profile, Column column);

// The column's value at distance x, linear between the neighbouring points;
// none outside the points or where a neighbour is a gap.
std::optional<double> value_at(const Profile& profile, Column column, double x);

}  // namespace plot
