#include "svg/lines.hpp"

#include <cmath>

#include "svg/element.hpp"
#include "svg/number.hpp"

namespace svg {

std::vector<Run> split_at_gaps(const std::vector<Point>& points) {
  std::vector<Run> runs;
  Run current;
  for (const Point& p : points) {
    if (!std::isfinite(p.second)) {
      if (!current.empty()) runs.push_back(std::move(current));
      current.clear();
      continue;
    }
    current.push_back(p);
  }
  if (!current.empty()) runs.push_back(std::move(current));
  return runs;
}

std::string marker(Marker shape, double x, double y, std::string_view colour) {
  switch (shape) {
    case Marker::none:
      break;
    case Marker::circle:
      return Tag("circle").set("cx", x).set("cy", y).set("r", "3.2").set("fill", colour).empty();
    case Marker::square:
      return Tag("rect").set("x", x - 3).set("y", y - 3).set("width", "6").set("height", "6").set("fill", colour).empty();
    case Marker::diamond: {
      std::string path = "M";  // appended, not summed: a false overlap warning when optimised
      path.append(num(x)).append(" ").append(num(y - 4)).append("l4 4l-4 4l-4 -4z");
      return Tag("path").set("d", path).set("fill", colour).empty();
    }
  }
  return {};
}

namespace {

Tag& stroke(Tag& tag, const LineStyle& style) {
  tag.set("stroke", style.colour).set("stroke-width", style.width);
  if (style.dashed) tag.set("stroke-dasharray", "6 3");
  return tag;
}

}  // namespace

std::string legend_sample(double x1, double x2, double y, const LineStyle& style) {
  Tag line("line");
  line.set("x1", x1).set("y1", y).set("x2", x2).set("y2", y);
  return stroke(line, style).empty() + marker(style.marker, (x1 + x2) / 2, y, style.colour);
}

void write_run(std::ostream& out, const Run& points, const LineStyle& style) {
  if (points.size() > 1) {
    std::string list;
    for (std::size_t i = 0; i < points.size(); ++i)
      list.append(i ? " " : "").append(num(points[i].first)).append(",").append(num(points[i].second));
    Tag line("polyline");
    line.set("fill", "none");
    out << stroke(line, style).set("points", list);
  }
  for (const auto& [x, y] : points) out << marker(style.marker, x, y, style.colour);
}

}  // namespace svg
