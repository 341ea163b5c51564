#pragma once
// Lines of data: points in drawing order broken into runs where a value is
// missing, each run drawn as a polyline with a marker at every point, and
// the palette of line colours the pictures share.

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace svg {

// The line colours, in the order a picture hands them to its quantities.
inline constexpr std::string_view blue = "#1f5fa8";
inline constexpr std::string_view orange = "#d9730d";
inline constexpr std::string_view green = "#2a8a3e";
inline constexpr std::string_view purple = "#8a3ea8";
inline constexpr std::string_view red = "#c0392b";
inline constexpr std::array<std::string_view, 5> palette = {blue, orange, green, purple, red};

// The colour of the k-th line of a picture, from the palette over again.
inline std::string_view line_colour(std::size_t k) { return palette[k % palette.size()]; }

using Point = std::pair<double, double>;
using Run = std::vector<Point>;

// The points in drawing order split into runs: a point whose value (second)
// is not finite is missing and ends the run before it.
std::vector<Run> split_at_gaps(const std::vector<Point>& points);

enum class Marker { none, circle, square, diamond };

struct LineStyle {
  std::string_view colour;
  std::string_view width = "1.8";  // stroke width as written
  bool dashed = false;
  Marker marker = Marker::none;
};

// One marker centred on (x, y), filled with the colour.
std::string marker(Marker shape, double x, double y, std::string_view colour);

// A short piece of line from (x1, y) to (x2, y) in the style, with its
// marker in the middle: the sample of a legend entry.
std::string legend_sample(double x1, double x2, double y, const LineStyle& style);

// One run in user units: a polyline through its points (from two points
// on), then the style's marker at each point.
void write_run(std::ostream& out, const Run& points, const LineStyle& style);

}  // namespace svg
