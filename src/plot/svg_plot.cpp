#include "plot/svg_plot.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "engine/engine.hpp"
#include "svg/axis.hpp"
#include "svg/element.hpp"
#include "svg/number.hpp"
#include "svg/placement.hpp"

namespace plot {

namespace {

using svg::Axis;
using svg::Marker;
using svg::num;
using svg::Tag;

// Points in order of distance (ties keep their table order), without the
// points whose distance is not a finite number.
std::vector<std::size_t> distance_order(const Profile& profile) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < profile.rows.size(); ++i)
    if (std::isfinite(profile.rows[i][distance])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return profile.rows[a][distance] < profile.rows[b][distance];
  });
  return order;
}

struct SeriesSpec {
  Column column;
  const char* legend;
  std::string unit;  // as shown next to a value
  double scale;      // from the column's unit to the shown unit
  int side;          // 0 left axis, 1 right axis
  svg::LineStyle style;
  bool nonnegative = false;  // a quantity that cannot fall below 0: its axis starts at 0 or above
};

struct PanelSpec {
  const char* title;
  std::string left_label;
  std::string right_label;      // empty: one axis
  std::string right_secondary;  // a second line under the right label
  std::vector<SeriesSpec> series;
};

// Rain and the left axis solid, fair weather and the right axis dashed.
svg::LineStyle solid(std::string_view colour, Marker marker) { return {colour, "1.8", false, marker}; }
svg::LineStyle dashed(std::string_view colour, Marker marker) { return {colour, "1.8", true, marker}; }

// The unit of B as the picture writes it.
std::string b_unit_text(cli::BUnit b) {
  return b == cli::BUnit::microtesla ? "&#181;T" : std::string(cli::b_unit_label(b));
}

std::vector<PanelSpec> panels(cli::BUnit b) {
  using namespace svg;
  const std::string b_unit = b_unit_text(b);
  const std::string b_note = b == cli::BUnit::gauss ? "" : "(1 G = " + svg::fixed(cli::per_gauss(b), 0) + " " + b_unit + ")";
  return {
      {"Audible noise",
       "dB(A)",
       "",
       "",
       {{an_rain, "Rain, L50", "dB(A)", 1, 0, solid(blue, Marker::circle)},
        {an_fair, "Fair, L50", "dB(A)", 1, 0, dashed(orange, Marker::square)}}},
      {"Radio interference",
       "dB(&#181;V/m)",
       "",
       "",
       {{ri_rain, "Rain, L50", "dB(&#181;V/m)", 1, 0, solid(blue, Marker::circle)},
        {ri_fair, "Fair, L50", "dB(&#181;V/m)", 1, 0, dashed(orange, Marker::square)}}},
      {"TV interference and ozone",
       "TV, dB(&#181;V/m)",
       "Ozone, ppb",
       "",
       {{tv, "TV interference (left axis)", "dB(&#181;V/m)", 1, 0, solid(green, Marker::circle)},
        {ozone, "Ozone (right axis)", "ppb", 1, 1, dashed(purple, Marker::diamond), true}}},
      {"Electric and magnetic field",
       "Electric field, kV/m",
       "Magnetic field, " + b_unit,
       b_note,
       {{electric_field, "Electric field (left axis)", "kV/m", 1, 0, solid(blue, Marker::circle), true},
        {magnetic_field, "Magnetic field (right axis)", b_unit, cli::per_gauss(b), 1, dashed(red, Marker::square),
         true}}},
  };
}

// The picture's geometry, in SVG user units.
constexpr double width = 960;
constexpr double left = 96;
constexpr double right = 96;
constexpr double plot_width = width - left - right;
constexpr double first_panel = 78;
constexpr double header = 30;
constexpr double panel_height = 160;
constexpr double panel_gap = 20;
constexpr double panel_step = header + panel_height + panel_gap;

struct Frame {
  Axis x;
  double top;
  double px(double value) const { return left + (value - x.lo) / (x.hi - x.lo) * plot_width; }
  double py(const Axis& y, double value) const { return top + (y.hi - value) / (y.hi - y.lo) * panel_height; }
};

std::string edge_text(const SeriesSpec& s, const Axis& axis, double value) {
  std::string text = axis.label(value * s.scale, 1) + " " + s.unit;
  if (s.column == magnetic_field && s.scale != 1)
    text += " (" + svg::fixed(value, axis.decimals + 1 + static_cast<int>(std::lround(std::log10(s.scale)))) + " G)";
  return text;
}

Tag line(double x1, double y1, double x2, double y2) {
  Tag tag("line");
  tag.set("x1", x1).set("y1", y1).set("x2", x2).set("y2", y2);
  return tag;
}

Tag text_at(double x, double y) {
  Tag tag("text");
  tag.set("x", x).set("y", y);
  return tag;
}

void draw_panel(std::ostream& svg, const Profile& profile, const PanelSpec& panel, const Frame& frame,
                const PlotOptions& options, bool last) {
  const double top = frame.top;
  const double bottom = top + panel_height;
  const double right_end = left + plot_width;

  // One axis per side from the values shown on it. Ozone of a run without
  // wind has no axis and no line: the panel says why instead.
  const bool without_wind = ozone_without_wind(profile);
  Axis axes[2];
  for (int side = 0; side < 2; ++side) {
    double lo = INFINITY, hi = -INFINITY;
    bool nonnegative = true;
    for (const SeriesSpec& s : panel.series) {
      if (s.side != side) continue;
      if (s.column == ozone && without_wind) continue;
      nonnegative = nonnegative && s.nonnegative;
      for (const Row& row : profile.rows) {
        if (!std::isfinite(row[distance]) || is_gap(row[s.column])) continue;
        double v = static_cast<double>(row[s.column]) * s.scale;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
    }
    axes[side] = lo <= hi ? svg::nice_axis(lo, hi) : svg::empty_axis();
    // A field or a concentration is never negative: its axis does not go
    // below 0 (a line of zeros gets 0 to 1).
    if (nonnegative && axes[side].has_data && axes[side].lo < 0 && lo >= 0)
      axes[side] = svg::nice_axis(0, hi > 0 ? hi : 1);
  }
  const bool two_axes = !panel.right_label.empty();

  // Title and legend above the frame.
  double header_base = top - 10;
  svg << text_at(left, header_base).set("font-size", "14").set("font-weight", "bold").set("fill", "#222").text(panel.title)
      << '\n';
  // The legend ends at the frame's right edge (widths estimated from the
  // text length: about 6 units a character at this size).
  std::vector<std::string> texts;
  double legend_width = 0;
  for (const SeriesSpec& s : panel.series) {
    std::size_t gaps = 0;
    for (const Row& row : profile.rows) gaps += is_gap(row[s.column]) ? 1 : 0;
    std::string text = s.legend;
    if (s.column == ozone && without_wind)
      text = "Ozone (not computed: no wind)";
    else if (!profile.rows.empty() && gaps == profile.rows.size())
      text += " (not computed)";
    else if (gaps > 0)
      text += " (" + std::to_string(gaps) + " not computed)";
    legend_width += 34 + 6.0 * static_cast<double>(text.size()) + 20;
    texts.push_back(std::move(text));
  }
  double lx = std::max(left + 8.0 * static_cast<double>(std::string_view(panel.title).size()) + 20,
                       right_end - legend_width + 20);
  for (std::size_t k = 0; k < panel.series.size(); ++k) {
    svg::LineStyle sample = panel.series[k].style;
    sample.width = "2";
    svg << svg::legend_sample(lx, lx + 28, header_base - 4, sample)
        << text_at(lx + 34, header_base).set("font-size", "12").set("fill", "#222").text(texts[k]) << '\n';
    lx += 34 + 6.0 * static_cast<double>(texts[k].size()) + 20;
  }

  // Grid and frame.
  svg << Tag("g").set("stroke", "#d8d8d8").set("stroke-width", "1").open();
  for (double t : frame.x.ticks()) svg << line(frame.px(t), top, frame.px(t), bottom);
  const Axis& grid_axis = axes[0].has_data || !axes[1].has_data ? axes[0] : axes[1];
  for (double t : grid_axis.ticks())
    svg << line(left, frame.py(grid_axis, t), right_end, frame.py(grid_axis, t));
  svg << "</g>\n";
  svg << Tag("rect")
             .set("x", left)
             .set("y", top)
             .set("width", plot_width)
             .set("height", panel_height)
             .set("fill", "none")
             .set("stroke", "#444")
             .set("stroke-width", "1")
      << '\n';

  // Tick labels and axis titles of each side.
  for (int side = 0; side < (two_axes ? 2 : 1); ++side) {
    const Axis& axis = axes[side];
    std::string_view colour = "#222";
    if (two_axes)
      for (const SeriesSpec& s : panel.series)
        if (s.side == side) colour = s.style.colour;
    double x = side == 0 ? left : right_end;
    if (axis.has_data) {
      svg << Tag("g").set("font-size", "11").set("fill", colour).set("text-anchor", side == 0 ? "end" : "start").open();
      for (double t : axis.ticks()) {
        double y = frame.py(axis, t);
        svg << line(x, y, side == 0 ? x - 4 : x + 4, y).set("stroke", "#444")
            << text_at(side == 0 ? x - 6 : x + 6, y + 4).text(axis.label(t));
      }
      svg << "</g>\n";
    }
    double tx = side == 0 ? 22 : width - 22;
    double ty = top + panel_height / 2;
    svg << Tag("text")
               .set("transform", svg::turned_at(tx, ty, side == 0 ? -90 : 90))
               .set("text-anchor", "middle")
               .set("font-size", "12")
               .set("fill", colour)
               .text(side == 0 ? panel.left_label : panel.right_label)
        << '\n';
    if (side == 1 && !panel.right_secondary.empty())
      svg << Tag("text")
                 .set("transform", svg::turned_at(tx - 15, ty, 90))
                 .set("text-anchor", "middle")
                 .set("font-size", "10")
                 .set("fill", colour)
                 .text(panel.right_secondary)
          << '\n';
  }
  for (const SeriesSpec& s : panel.series)
    if (s.column == ozone && without_wind)
      svg << text_at(left + plot_width / 2, top + 18)
                 .set("text-anchor", "middle")
                 .set("font-size", "12")
                 .set("fill", s.style.colour)
                 .set("stroke", "#fff")
                 .set("stroke-width", "3")
                 .set("paint-order", "stroke")
                 .text(std::string("Ozone: ") + brenlow::no_wind_note)
          << '\n';
  if (!axes[0].has_data && !axes[1].has_data)
    svg << text_at(left + plot_width / 2, top + panel_height / 2)
               .set("text-anchor", "middle")
               .set("font-size", "13")
               .set("fill", "#888")
               .text("no computed values")
        << '\n';

  // The lines, broken at gaps, and a marker at every point. The edge values
  // keep clear of every line drawn (as drawn, in picture units).
  svg::Obstacles drawn;
  for (const SeriesSpec& s : panel.series) {
    const Axis& axis = axes[s.side];
    if (!axis.has_data) continue;
    svg << Tag("g").set("class", "series").set("data-column", columns[s.column].name).open();
    for (LineRun run : line_runs(profile, s.column)) {
      for (auto& [x, v] : run) {
        x = frame.px(x);
        v = frame.py(axis, v * s.scale);
      }
      svg::write_run(svg, run, s.style);
      drawn.lines.push_back(std::move(run));
    }
    svg << "</g>\n";
  }

  // Right-of-way edges: a vertical line, and each quantity's value there,
  // beside the edge (on the side with more room), as near its point as a
  // place clear of every line and of the values already placed allows.
  const svg::Rect inside{left + 1, top + 1, plot_width - 2, panel_height - 2};
  for (double edge : options.edges) {
    double x = frame.px(edge);
    svg << line(x, top, x, bottom).set("stroke", "#555").set("stroke-width", "1.4").set("stroke-dasharray", "2 3")
        << '\n';
    const bool to_left = x > left + plot_width * 0.75;
    struct Placed {
      double baseline;
      bool leftwards;
      std::string text;
      std::string_view colour;
    };
    std::vector<Placed> values;
    for (const SeriesSpec& s : panel.series) {
      const Axis& axis = axes[s.side];
      std::optional<double> v = value_at(profile, s.column, edge);
      if (!v || !axis.has_data) continue;
      const double y = frame.py(axis, *v * s.scale);
      svg << Tag("circle")
                 .set("cx", x)
                 .set("cy", y)
                 .set("r", "4.5")
                 .set("fill", "none")
                 .set("stroke", s.style.colour)
                 .set("stroke-width", "1.5");
      drawn.boxes.push_back({x - 5.5, y - 5.5, 11, 11});
      const std::string text = edge_text(s, axis, *v);
      const double width = svg::text_width(text, 11, true);
      // The text's box: from its baseline 10 up and 3 down, 2 more all round.
      const auto box = [&](bool leftwards, double baseline) {
        return svg::Rect{leftwards ? x - 9 - width : x + 5, baseline - 12, width + 4, 17};
      };
      bool leftwards = to_left;
      double baseline = y - 6;
      bool placed = false;
      for (double offset = 0; offset < panel_height && !placed; offset += 13) {
        for (const bool side : {to_left, !to_left}) {
          for (const double at : {y - 6 - offset, y + 15 + offset}) {
            if (placed || !drawn.clear(box(side, at), inside)) continue;
            leftwards = side;
            baseline = at;
            placed = true;
          }
        }
      }
      // Nowhere clear of every line: clear of the other values at least.
      if (!placed) {
        svg::Obstacles values;
        values.boxes = drawn.boxes;
        for (double offset = 0; offset < panel_height && !placed; offset += 13)
          for (const double at : {y - 6 - offset, y + 15 + offset})
            if (!placed && values.clear(box(to_left, at), inside)) {
              baseline = at;
              placed = true;
            }
      }
      drawn.boxes.push_back(box(leftwards, baseline));
      values.push_back({baseline, leftwards, text, s.style.colour});
    }
    // Written top to bottom, as they are read.
    std::stable_sort(values.begin(), values.end(), [](const Placed& a, const Placed& b) { return a.baseline < b.baseline; });
    for (const Placed& v : values)
      svg << Tag("text")
                 .set("class", "edge-value")
                 .set("x", v.leftwards ? x - 7 : x + 7)
                 .set("y", v.baseline)
                 .set("text-anchor", v.leftwards ? "end" : "start")
                 .set("font-size", "11")
                 .set("font-weight", "bold")
                 .set("fill", v.colour)
                 .set("stroke", "#fff")
                 .set("stroke-width", "3")
                 .set("paint-order", "stroke")
                 .text(v.text);
    svg << '\n';
  }

  // The shared distance axis is labelled under the last panel.
  if (last) {
    svg << Tag("g").set("font-size", "11").set("fill", "#222").set("text-anchor", "middle").open();
    for (double t : frame.x.ticks())
      svg << line(frame.px(t), bottom, frame.px(t), bottom + 4).set("stroke", "#444")
          << text_at(frame.px(t), bottom + 16).text(frame.x.label(t));
    svg << "</g>\n";
    const std::string& unit = options.distance_unit;
    for (double edge : options.edges)
      svg << text_at(frame.px(edge), bottom + 32)
                 .set("text-anchor", "middle")
                 .set("font-size", "11")
                 .set("fill", "#555")
                 .text("edge " + frame.x.label(edge, 1) + (unit.empty() ? "" : " " + unit));
    svg << '\n'
        << text_at(left + plot_width / 2, bottom + 52)
               .set("text-anchor", "middle")
               .set("font-size", "13")
               .set("fill", "#222")
               .text("Lateral distance from the reference (" + (unit.empty() ? "units of the data file" : unit) + ")")
        << '\n';
  }
}

}  // namespace

std::vector<LineRun> line_runs(const Profile& profile, Column column) {
  std::vector<svg::Point> points;
  for (std::size_t i : distance_order(profile)) {
    float v = profile.rows[i][column];
    points.emplace_back(profile.rows[i][distance], is_gap(v) ? NAN : static_cast<double>(v));
  }
  return svg::split_at_gaps(points);
}

std::optional<double> value_at(const Profile& profile, Column column, double x) {
  std::vector<std::size_t> order = distance_order(profile);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Row& a = profile.rows[order[k]];
    double xa = a[distance];
    if (xa == x) return is_gap(a[column]) ? std::nullopt : std::optional<double>(a[column]);
    if (k + 1 == order.size()) break;
    const Row& b = profile.rows[order[k + 1]];
    double xb = b[distance];
    if (xa < x && x < xb) {
      if (is_gap(a[column]) || is_gap(b[column])) return std::nullopt;
      double va = a[column], vb = b[column];
      return va + (vb - va) * (x - xa) / (xb - xa);
    }
  }
  return std::nullopt;
}

std::pair<double, double> distance_extent(const Profile& profile, const PlotOptions& options) {
  double lo = INFINITY, hi = -INFINITY;
  for (const Row& row : profile.rows)
    if (std::isfinite(row[distance])) {
      lo = std::min<double>(lo, row[distance]);
      hi = std::max<double>(hi, row[distance]);
    }
  for (double edge : options.edges) {
    lo = std::min(lo, edge);
    hi = std::max(hi, edge);
  }
  return {lo, hi};
}

namespace {

// The shared distance axis covers every point and every edge.
Axis distance_axis(const Profile& profile, const PlotOptions& options) {
  auto [lo, hi] = distance_extent(profile, options);
  return lo <= hi ? svg::nice_axis(lo, hi, 10) : svg::empty_axis();
}

}  // namespace

bool distance_axis_fits(const Profile& profile, const PlotOptions& options) {
  auto [lo, hi] = distance_extent(profile, options);
  return !(lo <= hi) || distance_axis(profile, options).has_data;
}

std::string render_svg(const Profile& profile, const PlotOptions& options) {
  Axis x = distance_axis(profile, options);

  const std::vector<PanelSpec> list = panels(options.b_unit);
  double height = first_panel + header + panel_step * static_cast<double>(list.size()) + 50;

  svg::Document picture(width, height, options.title);
  std::ostream& out = picture.out();
  out << Tag("text")
             .set("x", width / 2)
             .set("y", "30")
             .set("text-anchor", "middle")
             .set("font-size", "18")
             .set("font-weight", "bold")
             .set("fill", "#111")
             .text(svg::xml_escape(options.title))
      << '\n'
      << Tag("text")
             .set("x", width / 2)
             .set("y", "50")
             .set("text-anchor", "middle")
             .set("font-size", "12")
             .set("fill", "#555")
             .text(std::to_string(profile.rows.size()) +
                   (profile.rows.size() == 1 ? " lateral point" : " lateral points") +
                   "; lines break where a value was not computed")
      << '\n';
  for (std::size_t p = 0; p < list.size(); ++p) {
    Frame frame{x, first_panel + header + panel_step * static_cast<double>(p)};
    draw_panel(out, profile, list[p], frame, options, p + 1 == list.size());
  }
  return picture.finish();
}

}  // namespace plot
