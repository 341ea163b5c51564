#include "svg/colour_map.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "svg/element.hpp"
#include "svg/number.hpp"

namespace svg {

std::string ramp_colour(double t) {
  // Stops of a perceptually even blue-green-yellow ramp.
  static constexpr std::array<std::array<double, 3>, 6> stops = {{{68, 1, 84},
                                                                  {64, 67, 135},
                                                                  {41, 120, 142},
                                                                  {34, 167, 132},
                                                                  {121, 209, 81},
                                                                  {253, 231, 36}}};
  if (!(t >= 0)) t = 0;
  if (t > 1) t = 1;
  const double p = t * static_cast<double>(stops.size() - 1);
  const std::size_t k = std::min(static_cast<std::size_t>(p), stops.size() - 2);
  const double f = p - static_cast<double>(k);
  char text[8];
  int c[3];
  for (int i = 0; i < 3; ++i)
    c[i] = static_cast<int>(std::lround(stops[k][static_cast<std::size_t>(i)] * (1 - f) +
                                        stops[k + 1][static_cast<std::size_t>(i)] * f));
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
  return text;
}

double ColourScale::fraction(double value) const {
  double t = 0;
  if (log) {
    t = value > 0 ? (std::log10(value) - std::log10(lo)) / (std::log10(hi) - std::log10(lo)) : 0;
  } else {
    t = (value - lo) / (hi - lo);
  }
  if (!(t >= 0)) return 0;
  return std::min(t, 1.0);
}

namespace {

// The edges of the cells around each grid line, half way to the neighbours.
std::vector<double> cell_edges(const std::vector<double>& v) {
  std::vector<double> out;
  if (v.empty()) return out;
  if (v.size() == 1) return {v[0] - 0.5, v[0] + 0.5};
  out.push_back(v[0] - (v[1] - v[0]) / 2);
  for (std::size_t i = 0; i + 1 < v.size(); ++i) out.push_back((v[i] + v[i + 1]) / 2);
  out.push_back(v.back() + (v.back() - v[v.size() - 2]) / 2);
  return out;
}

}  // namespace

void draw_cells(std::ostream& out, const Chart& chart, const Grid& grid, const ColourScale& scale) {
  const std::vector<double> ex = cell_edges(grid.xs), ey = cell_edges(grid.ys);
  const Rect& a = chart.area();
  auto clip_x = [&](double v) { return std::clamp(chart.px(v), a.x, a.right()); };
  auto clip_y = [&](double v) { return std::clamp(chart.py(v), a.y, a.bottom()); };
  out << Tag("g").set("shape-rendering", "crispEdges").open();
  for (std::size_t j = 0; j < grid.ys.size() && j < grid.values.size(); ++j) {
    const double y0 = clip_y(ey[j + 1]), y1 = clip_y(ey[j]);
    std::size_t i = 0;
    while (i < grid.xs.size()) {
      if (!std::isfinite(grid.values[j][i])) {
        ++i;
        continue;
      }
      // Quantised to the ramp's steps, so that a run of one colour is one rectangle.
      const std::string colour = ramp_colour(std::round(scale.fraction(grid.values[j][i]) * 64) / 64);
      std::size_t k = i + 1;
      while (k < grid.xs.size() && std::isfinite(grid.values[j][k]) &&
             ramp_colour(std::round(scale.fraction(grid.values[j][k]) * 64) / 64) == colour)
        ++k;
      const double x0 = clip_x(ex[i]), x1 = clip_x(ex[k]);
      // A hair wider and taller than the cell, so no seam shows between cells.
      out << Tag("rect")
                 .set("x", x0)
                 .set("y", y0)
                 .set("width", x1 - x0 + 0.6)
                 .set("height", y1 - y0 + 0.6)
                 .set("fill", colour)
          << '\n';
      i = k;
    }
  }
  out << "</g>\n";
}

void draw_colour_bar(std::ostream& out, const Rect& area, const ColourScale& scale, const std::vector<double>& ticks,
                     int decimals, std::string_view label) {
  constexpr int steps = 64;
  for (int s = 0; s < steps; ++s) {
    const double t0 = static_cast<double>(s) / steps;
    out << Tag("rect")
               .set("x", area.x)
               .set("y", area.bottom() - (t0 + 1.0 / steps) * area.height)
               .set("width", area.width)
               .set("height", area.height / steps + 0.6)
               .set("fill", ramp_colour(t0 + 0.5 / steps))
        << '\n';
  }
  out << Tag("rect")
             .set("x", area.x)
             .set("y", area.y)
             .set("width", area.width)
             .set("height", area.height)
             .set("fill", "none")
             .set("stroke", "#444")
      << '\n';
  out << Tag("g").set("font-size", "11").set("fill", "#333").open();
  for (double t : ticks) {
    const double y = area.bottom() - scale.fraction(t) * area.height;
    out << Tag("line").set("x1", area.right()).set("y1", y).set("x2", area.right() + 4).set("y2", y).set("stroke", "#444")
        << Tag("text").set("x", area.right() + 7).set("y", y + 4).text(fixed(t, decimals));
  }
  out << "</g>\n";
  out << Tag("text")
             .set("x", area.x)
             .set("y", area.y - 10)
             .set("font-size", "12")
             .set("fill", "#222")
             .text(xml_escape(label))
      << '\n';
}

}  // namespace svg
