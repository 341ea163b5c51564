#include "svg/contour.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "svg/element.hpp"
#include "svg/number.hpp"
#include "svg/placement.hpp"

namespace svg {

namespace {

// A crossing point lies on a grid edge; an edge is named by its lower-left
// grid point and its direction (0 along x, 1 along y).
using EdgeId = std::array<std::size_t, 3>;

struct Segment {
  EdgeId a, b;
  Point pa, pb;
};

}  // namespace

std::vector<Run> contour_lines(const Grid& grid, double level) {
  const std::size_t nx = grid.xs.size(), ny = grid.ys.size();
  std::vector<Segment> segments;
  if (nx < 2 || ny < 2 || grid.values.size() < ny) return {};
  auto v = [&](std::size_t i, std::size_t j) { return grid.values[j][i]; };
  auto cross = [&](std::size_t i0, std::size_t j0, std::size_t i1, std::size_t j1) {
    const double a = v(i0, j0), b = v(i1, j1);
    const double t = (level - a) / (b - a);
    return Point{grid.xs[i0] + t * (grid.xs[i1] - grid.xs[i0]), grid.ys[j0] + t * (grid.ys[j1] - grid.ys[j0])};
  };
  for (std::size_t j = 0; j + 1 < ny; ++j) {
    if (grid.values[j].size() < nx || grid.values[j + 1].size() < nx) continue;
    for (std::size_t i = 0; i + 1 < nx; ++i) {
      const double c[4] = {v(i, j), v(i + 1, j), v(i + 1, j + 1), v(i, j + 1)};
      bool finite = true;
      for (double x : c) finite = finite && std::isfinite(x);
      if (!finite) continue;
      int index = 0;
      for (int k = 0; k < 4; ++k)
        if (c[k] >= level) index |= 1 << k;
      if (index == 0 || index == 15) continue;
      // The cell's edges: bottom, right, top, left.
      const EdgeId edge[4] = {{i, j, 0}, {i + 1, j, 1}, {i, j + 1, 0}, {i, j, 1}};
      const Point at[4] = {cross(i, j, i + 1, j), cross(i + 1, j, i + 1, j + 1), cross(i, j + 1, i + 1, j + 1),
                           cross(i, j, i, j + 1)};
      auto add = [&](int e1, int e2) { segments.push_back({edge[e1], edge[e2], at[e1], at[e2]}); };
      // Edges crossed: bottom between corners 0,1; right 1,2; top 2,3; left 3,0.
      std::vector<int> crossed;
      for (int e = 0; e < 4; ++e) {
        const bool p = (index >> e) & 1, q = (index >> ((e + 1) % 4)) & 1;
        if (p != q) crossed.push_back(e);
      }
      if (crossed.size() == 2) {
        add(crossed[0], crossed[1]);
      } else if (crossed.size() == 4) {
        // A saddle: the mean of the corners says which corners are joined.
        const bool centre = (c[0] + c[1] + c[2] + c[3]) / 4 >= level;
        const bool corner0 = index & 1;
        if (centre == corner0) {
          add(0, 1);
          add(2, 3);
        } else {
          add(0, 3);
          add(1, 2);
        }
      }
    }
  }

  // Join the segments at the edges they share (each edge has at most two).
  std::map<EdgeId, std::vector<std::size_t>> at_edge;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    at_edge[segments[s].a].push_back(s);
    at_edge[segments[s].b].push_back(s);
  }
  std::vector<bool> used(segments.size(), false);
  std::vector<Run> lines;
  auto extend = [&](Run& run, EdgeId end, std::size_t from) {
    // Walks on from segment `from` through the edge `end`.
    while (true) {
      std::size_t next = segments.size();
      for (std::size_t s : at_edge[end])
        if (s != from && !used[s]) next = s;
      if (next == segments.size()) return;
      used[next] = true;
      const Segment& seg = segments[next];
      if (seg.a == end) {
        run.push_back(seg.pb);
        end = seg.b;
      } else {
        run.push_back(seg.pa);
        end = seg.a;
      }
      from = next;
    }
  };
  for (std::size_t s = 0; s < segments.size(); ++s) {
    if (used[s]) continue;
    used[s] = true;
    Run forward = {segments[s].pa, segments[s].pb};
    extend(forward, segments[s].b, s);
    Run backward = {segments[s].pa};
    extend(backward, segments[s].a, s);
    Run line(backward.rbegin(), backward.rend());
    line.insert(line.end(), forward.begin() + 1, forward.end());
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<Run> in_picture(const Chart& chart, const std::vector<Run>& lines) {
  std::vector<Run> drawn;
  for (const Run& line : lines) {
    Run run;
    for (const Point& p : line) run.push_back({chart.px(p.first), chart.py(p.second)});
    drawn.push_back(std::move(run));
  }
  return drawn;
}

void draw_contour(std::ostream& out, const Chart& chart, const std::vector<Run>& lines, const std::string& label,
                  std::vector<Rect>& taken, std::string_view colour, const std::vector<Run>& keep_clear) {
  const Rect& a = chart.area();
  const double label_width = 6.5 * static_cast<double>(label.size()) + 8;
  for (const Run& line : lines) {
    if (line.size() < 2) continue;
    std::string points;
    std::vector<Point> drawn;
    double length = 0;
    for (const Point& p : line) {
      const Point q{chart.px(p.first), chart.py(p.second)};
      if (!drawn.empty()) length += std::hypot(q.first - drawn.back().first, q.second - drawn.back().second);
      drawn.push_back(q);
      if (!points.empty()) points += ' ';
      points += num(q.first);
      points += ',';
      points += num(q.second);
    }
    out << Tag("polyline")
               .set("points", points)
               .set("fill", "none")
               .set("stroke", colour)
               .set("stroke-width", "1.2")
               .set("stroke-opacity", "0.9")
        << '\n';
    if (length < 2.5 * label_width) continue;
    for (double at : {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875, 0.0625, 0.1875, 0.3125, 0.4375, 0.5625, 0.6875, 0.8125, 0.9375}) {
      // The point `at` of the way along the line.
      double walked = 0;
      Point place = drawn.back();
      for (std::size_t k = 1; k < drawn.size(); ++k) {
        const double step = std::hypot(drawn[k].first - drawn[k - 1].first, drawn[k].second - drawn[k - 1].second);
        if (walked + step >= length * at) {
          const double t = step > 0 ? (length * at - walked) / step : 0;
          place = {drawn[k - 1].first + t * (drawn[k].first - drawn[k - 1].first),
                   drawn[k - 1].second + t * (drawn[k].second - drawn[k - 1].second)};
          break;
        }
        walked += step;
      }
      const double x = std::clamp(place.first, a.x + label_width / 2, a.right() - label_width / 2);
      const double y = std::clamp(place.second, a.y + 10, a.bottom() - 4);
      const Rect box{x - label_width / 2, y - 4.5, label_width, 11.5};  // the digits, baseline at y + 4
      const bool free =
          std::none_of(taken.begin(), taken.end(), [&](const Rect& r) { return overlap(box, r); }) &&
          std::none_of(keep_clear.begin(), keep_clear.end(), [&](const Run& other) { return meets(box, other); });
      if (!free) continue;
      taken.push_back(box);
      out << Tag("text")
                 .set("x", x)
                 .set("y", y + 4)
                 .set("text-anchor", "middle")
                 .set("font-size", "11")
                 .set("fill", "#111")
                 .set("stroke", "#ffffff")
                 .set("stroke-width", "3")
                 .set("paint-order", "stroke")
                 .text(xml_escape(label))
          << '\n';
      break;
    }
  }
}

}  // namespace svg
