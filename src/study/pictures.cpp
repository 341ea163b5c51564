#include "study/pictures.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "svg/bars.hpp"
#include "svg/chart.hpp"
#include "svg/colour_map.hpp"
#include "svg/contour.hpp"
#include "svg/element.hpp"
#include "svg/lines.hpp"
#include "svg/number.hpp"
#include "svg/placement.hpp"

namespace study {

namespace {

using svg::Tag;

constexpr double width = 960;

// A value drawn: finite and not one of the levels' "nothing computed"
// markers (-999.9, -9999.0 and below).
bool shown(double v) { return std::isfinite(v) && v > -999.0; }

// A unit as a picture shows it: micro as the Greek letter.
std::string unit_text(Quantity q, BUnit b) {
  std::string u(unit_label(q, b));
  if (u == "uT") return "\u00b5T";
  if (u == "dB(uV/m)") return "dB(\u00b5V/m)";
  return u;
}

std::string axis_label(Quantity q, BUnit b) { return std::string(name(q)) + ", " + unit_text(q, b); }

void heading(svg::Document& doc, const std::string& title) { doc.out() << svg::heading(title) << '\n'; }

// A line legend: a sample of each line and its name, from (x, y).
void line_legend(std::ostream& out, double x, double y, const std::vector<std::string>& names) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    svg::LineStyle style{svg::line_colour(k), "2", k % 2 == 1, svg::Marker::none};
    out << svg::legend_sample(x, x + 28, y - 4, style)
        << Tag("text").set("x", x + 34).set("y", y).set("font-size", "12").set("fill", "#222").text(svg::xml_escape(names[k]))
        << '\n';
    x += 34 + 6.5 * static_cast<double>(names[k].size()) + 22;
  }
}

// Each limit of a panel in red: a dashed line over the span it applies
// to, or a bar at a single point, its label above the line's right end
// (or the bar) inside the panel.
void draw_limits(std::ostream& out, const svg::Chart& chart, const std::vector<ProfilesPicture::Limit>& limits) {
  const svg::Rect& area = chart.area();
  for (const ProfilesPicture::Limit& l : limits) {
    if (!std::isfinite(l.value)) continue;
    const double y = chart.py(l.value);
    double x1 = 0, x2 = 0;
    if (l.from == l.to) {
      if (l.from < chart.x().lo || l.from > chart.x().hi) continue;
      x1 = chart.px(l.from) - 9;
      x2 = chart.px(l.from) + 9;
    } else {
      x1 = chart.px(std::max<double>(l.from, chart.x().lo));
      x2 = chart.px(std::min<double>(l.to, chart.x().hi));
      if (!(x1 < x2)) continue;
    }
    out << Tag("line")
               .set("class", "limit")
               .set("x1", x1)
               .set("y1", y)
               .set("x2", x2)
               .set("y2", y)
               .set("stroke", svg::red)
               .set("stroke-width", l.from == l.to ? "3" : "1.5")
               .set("stroke-dasharray", l.from == l.to ? "none" : "7 4")
        << '\n';
    if (l.label.empty()) continue;
    const double width = svg::text_width(svg::xml_escape(l.label), 10);
    // A line's label ends at its right end; a mark's stands outside it (the
    // right edge's to its right), where a profile falls away from the line.
    const double right = std::min(x2, area.right() - 3);
    double left = std::max(area.x + 3, right - width);
    if (l.from == l.to) left = x2 + 3 + width <= area.right() - 3 ? x2 + 3 : std::max(area.x + 3, x1 - 3 - width);
    const double text_y = y - 4 < area.y + 10 ? y + 12 : y - 4;
    out << Tag("text")
               .set("x", left)
               .set("y", text_y)
               .set("font-size", "10")
               .set("fill", svg::red)
               .set("stroke", "#fff")
               .set("stroke-width", "3")
               .set("paint-order", "stroke")
               .text(svg::xml_escape(l.label))
        << '\n';
  }
}

}  // namespace

// The note of panel q, if any, along the top of its area: on two lines,
// broken after a comma, when one line would be wider than the panel
// (about 6 units a character at this size).
void panel_note(std::ostream& out, const std::vector<std::string>& notes, std::size_t q, const svg::Rect& area) {
  if (q >= notes.size() || notes[q].empty()) return;
  const std::string& note = notes[q];
  std::vector<std::string> lines = {note};
  const std::size_t comma = note.rfind(", ", note.size() / 2 + 10);
  if (6.0 * static_cast<double>(note.size()) > area.width - 10 && comma != std::string::npos)
    lines = {note.substr(0, comma + 1), note.substr(comma + 2)};
  for (std::size_t k = 0; k < lines.size(); ++k)
    out << Tag("text")
               .set("class", "note")
               .set("x", area.x + area.width / 2)
               .set("y", area.y + 16 + 14 * static_cast<double>(k))
               .set("text-anchor", "middle")
               .set("font-size", "11")
               .set("fill", "#6a3d9a")
               .set("stroke", "#fff")
               .set("stroke-width", "3")
               .set("paint-order", "stroke")
               .text(svg::xml_escape(lines[k]))
        << '\n';
}

std::string edges_svg(const EdgesPicture& p) {
  const std::size_t columns = p.quantities.size() > 1 ? 2 : 1;
  const double panel_width = columns == 2 ? 370 : 800;
  const double panel_height = 150;
  const std::size_t rows = (p.quantities.size() + columns - 1) / columns;
  const double top = 110;
  const double height = top + static_cast<double>(rows) * (panel_height + 70) + 10;
  svg::Document doc(width, height, p.title);
  heading(doc, p.title);
  svg::bar_legend(doc.out(), 24, 58, p.files);
  const std::vector<svg::Rect> areas = svg::panel_grid(p.quantities.size(), columns, 90, top, panel_width, panel_height,
                                                       110, 70);
  for (std::size_t q = 0; q < p.quantities.size(); ++q) {
    svg::BarGroups bars;
    bars.categories = p.points;
    bars.series = p.files;
    for (const auto& at_point : p.values[q]) {
      std::vector<double> row;
      std::vector<std::string> labels;
      for (float v : at_point) {
        row.push_back(shown(v) ? v : NAN);
        labels.push_back(shown(v) ? fixed(v, decimals(p.quantities[q], p.b)) : "");
      }
      bars.values.push_back(row);
      bars.labels.push_back(labels);
    }
    const svg::Chart chart(areas[q], svg::nice_axis(0, 1), svg::bar_axis(bars));
    chart.grid(doc.out(), false);
    svg::draw_bars(doc.out(), chart, bars);
    chart.frame(doc.out(), "", unit_text(p.quantities[q], p.b), false);
    chart.title(doc.out(), std::string(name(p.quantities[q])));
    panel_note(doc.out(), p.notes, q, areas[q]);
  }
  return doc.finish();
}

std::string profiles_svg(const ProfilesPicture& p) {
  const std::size_t columns = p.quantities.size() > 2 ? 2 : 1;
  const double panel_width = columns == 2 ? 360 : 800;
  const double panel_height = 170;
  const std::size_t rows = (p.quantities.size() + columns - 1) / columns;
  const double top = 110;
  const double height = top + static_cast<double>(rows) * (panel_height + 80);
  svg::Document doc(width, height, p.title);
  heading(doc, p.title);
  line_legend(doc.out(), 24, 60, p.sections);
  const std::vector<svg::Rect> areas =
      svg::panel_grid(p.quantities.size(), columns, 100, top, panel_width, panel_height, 120, 80);
  double x_lo = INFINITY, x_hi = -INFINITY;
  for (float x : p.xs) {
    x_lo = std::min<double>(x_lo, x);
    x_hi = std::max<double>(x_hi, x);
  }
  const svg::Axis x_axis = x_lo <= x_hi ? svg::nice_axis(x_lo, x_hi, 6) : svg::empty_axis();
  for (std::size_t q = 0; q < p.quantities.size(); ++q) {
    double lo = INFINITY, hi = -INFINITY;
    for (const auto& line : p.values[q])
      for (float v : line)
        if (shown(v)) {
          lo = std::min<double>(lo, v);
          hi = std::max<double>(hi, v);
        }
    const std::vector<ProfilesPicture::Limit> no_limits;
    const std::vector<ProfilesPicture::Limit>& limits = q < p.limits.size() ? p.limits[q] : no_limits;
    for (const ProfilesPicture::Limit& l : limits)
      if (std::isfinite(l.value)) {  // with room above for its label
        lo = std::min<double>(lo, l.value);
        hi = std::max<double>(hi, l.value + 0.08 * std::fabs(l.value));
      }
    const svg::Axis y_axis = lo <= hi ? svg::nice_axis(lo, hi) : svg::empty_axis();
    const svg::Chart chart(areas[q], x_axis, y_axis);
    chart.grid(doc.out());
    for (float m : p.marks)
      if (m >= x_axis.lo && m <= x_axis.hi) {
        doc.out() << Tag("line")
                         .set("x1", chart.px(m))
                         .set("y1", areas[q].y)
                         .set("x2", chart.px(m))
                         .set("y2", areas[q].bottom())
                         .set("stroke", "#888")
                         .set("stroke-dasharray", "3 3")
                  << '\n';
        if (!p.marks_label.empty())
          doc.out() << Tag("text")
                           .set("x", chart.px(m) + 3)
                           .set("y", areas[q].bottom() - 4)
                           .set("font-size", "10")
                           .set("fill", "#666")
                           .text(svg::xml_escape(p.marks_label))
                    << '\n';
      }
    draw_limits(doc.out(), chart, limits);
    for (std::size_t s = 0; s < p.values[q].size(); ++s) {
      std::vector<svg::Point> points;
      for (std::size_t i = 0; i < p.xs.size() && i < p.values[q][s].size(); ++i) {
        const float v = p.values[q][s][i];
        points.push_back({chart.px(p.xs[i]), shown(v) ? chart.py(v) : NAN});
      }
      const svg::LineStyle style{svg::line_colour(s), "2", s % 2 == 1, svg::Marker::none};
      for (const svg::Run& run : svg::split_at_gaps(points)) svg::write_run(doc.out(), run, style);
    }
    chart.frame(doc.out(), p.x_label + ", " + p.distance_unit,
                q < p.axis_labels.size() ? p.axis_labels[q] : axis_label(p.quantities[q], p.b));
    chart.title(doc.out(), q < p.panel_titles.size() ? p.panel_titles[q] : std::string(name(p.quantities[q])));
    panel_note(doc.out(), p.notes, q, areas[q]);
  }
  return doc.finish();
}

std::string map_svg(const MapPicture& p) {
  svg::Grid grid;
  for (float x : p.xs) grid.xs.push_back(x);
  for (float y : p.ys) grid.ys.push_back(y);
  std::vector<double> all;
  for (const auto& row : p.grid) {
    std::vector<double> r;
    for (float v : row) {
      r.push_back(v);
      if (std::isfinite(v) && v > 0) all.push_back(v);
    }
    grid.values.push_back(std::move(r));
  }
  const bool log = p.logarithmic || !electric(p.quantity);
  // The colours span the field away from the conductors: up to the value
  // that 97 % of the cross section stays under, rounded up.
  svg::ColourScale scale;
  std::vector<double> levels;
  int decimals = 0;
  if (!all.empty()) {
    std::sort(all.begin(), all.end());
    const double top = all[static_cast<std::size_t>(0.97 * static_cast<double>(all.size() - 1))];
    if (log) {
      const std::vector<double> steps = svg::log_ticks(all.front(), top * 10, 100);
      scale.hi = top;
      for (double s : steps)
        if (s >= top) {
          scale.hi = s;
          break;
        }
      scale.lo = std::max(all.front(), scale.hi / 1000);
      scale.log = true;
      levels = svg::log_ticks(scale.lo, scale.hi);
      if (levels.size() > 12) levels = svg::log_ticks(scale.lo, scale.hi, 6);
      decimals = levels.empty() || levels.front() >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(levels.front()) - 1e-9));
    } else {
      const svg::Axis axis = svg::nice_axis(0, top, 8);
      scale.lo = 0;
      scale.hi = axis.hi;
      for (double t : axis.ticks())
        if (t > 0) levels.push_back(t);
      decimals = axis.decimals;
    }
  }

  const double x_span = grid.xs.empty() ? 1 : grid.xs.back() - grid.xs.front();
  const double y_span = grid.ys.empty() ? 1 : grid.ys.back() - grid.ys.front();
  const double plot_width = 720;
  const double plot_height = std::clamp(plot_width * y_span / std::max(x_span, 1e-9), 220.0, 560.0);
  const svg::Rect area{90, 70, plot_width, plot_height};
  const double height = area.bottom() + 60;
  svg::Document doc(width, height, p.title);
  heading(doc, p.title);
  svg::Axis xa = svg::nice_axis(grid.xs.empty() ? 0 : grid.xs.front(), grid.xs.empty() ? 1 : grid.xs.back(), 8);
  svg::Axis ya = svg::nice_axis(grid.ys.empty() ? 0 : grid.ys.front(), grid.ys.empty() ? 1 : grid.ys.back(), 5);
  xa.lo = grid.xs.empty() ? xa.lo : grid.xs.front();
  xa.hi = grid.xs.empty() ? xa.hi : grid.xs.back();
  ya.lo = grid.ys.empty() ? ya.lo : grid.ys.front();
  ya.hi = grid.ys.empty() ? ya.hi : grid.ys.back();
  const svg::Chart chart(area, xa, ya);
  svg::draw_cells(doc.out(), chart, grid, scale);
  // Labels of the higher levels first: near the conductors, where the
  // lines crowd, the highest ones keep their labels.
  std::vector<svg::Rect> taken;
  for (const MapPicture::Conductor& c : p.conductors)
    taken.push_back({chart.px(c.x) - 6, chart.py(c.y) - 6, 12, 12});
  // A plan view's wires (a band a few units high) and towers.
  for (const MapPicture::Wire& w : p.wires) {
    const double x1 = chart.px(std::clamp<double>(std::min(w.x1, w.x2), xa.lo, xa.hi));
    const double x2 = chart.px(std::clamp<double>(std::max(w.x1, w.x2), xa.lo, xa.hi));
    const double y1 = chart.py(std::max(w.y1, w.y2)), y2 = chart.py(std::min(w.y1, w.y2));
    taken.push_back({x1, y1 - 2, x2 - x1, y2 - y1 + 4});
  }
  if (!p.wires.empty()) {
    double top_wire = -INFINITY, bottom_wire = INFINITY;
    for (const MapPicture::Wire& w : p.wires) {
      top_wire = std::max<double>({top_wire, w.y1, w.y2});
      bottom_wire = std::min<double>({bottom_wire, w.y1, w.y2});
    }
    for (float tower : p.towers)
      taken.push_back({chart.px(tower) - 5, chart.py(top_wire) - 8, 10, chart.py(bottom_wire) - chart.py(top_wire) + 16});
  }
  // Each label keeps clear of the other levels' lines.
  std::vector<std::vector<svg::Run>> lines;
  for (double level : levels) lines.push_back(svg::contour_lines(grid, level));
  std::vector<std::vector<svg::Run>> drawn;
  for (const auto& level_lines : lines) drawn.push_back(svg::in_picture(chart, level_lines));
  for (std::size_t k = levels.size(); k-- > 0;) {
    std::vector<svg::Run> others;
    for (std::size_t j = 0; j < drawn.size(); ++j)
      if (j != k) others.insert(others.end(), drawn[j].begin(), drawn[j].end());
    svg::draw_contour(doc.out(), chart, lines[k], svg::fixed(levels[k], decimals), taken, "#ffffff", others);
  }
  // The ground and the conductors (a plan view has neither).
  if (p.wires.empty()) chart.ground(doc.out());
  for (const MapPicture::Conductor& c : p.conductors) {
    if (c.x < xa.lo || c.x > xa.hi || c.y < ya.lo || c.y > ya.hi) continue;
    doc.out() << Tag("circle")
                     .set("cx", chart.px(c.x))
                     .set("cy", chart.py(c.y))
                     .set("r", c.earth ? 3.5 : 5)
                     .set("fill", c.earth ? "#ffffff" : "#111111")
                     .set("stroke", c.earth ? "#111111" : "#ffffff")
                     .set("stroke-width", "1.5")
              << '\n';
  }
  // A plan view's conductors and towers.
  double wire_lo = INFINITY, wire_hi = -INFINITY;
  for (const MapPicture::Wire& w : p.wires) {
    wire_lo = std::min<double>({wire_lo, w.y1, w.y2});
    wire_hi = std::max<double>({wire_hi, w.y1, w.y2});
    doc.out() << Tag("line")
                     .set("x1", chart.px(std::clamp<double>(w.x1, xa.lo, xa.hi)))
                     .set("y1", chart.py(w.y1))
                     .set("x2", chart.px(std::clamp<double>(w.x2, xa.lo, xa.hi)))
                     .set("y2", chart.py(w.y2))
                     .set("stroke", w.earth ? "#ffffff" : "#111111")
                     .set("stroke-width", w.earth ? "1" : "1.5")
                     .set("stroke-dasharray", w.earth ? "4 3" : "none")
              << '\n';
  }
  for (float t : p.towers) {
    if (t < xa.lo || t > xa.hi || !(wire_lo <= wire_hi)) continue;
    const double pad = (ya.hi - ya.lo) * 0.03;
    doc.out() << Tag("rect")
                     .set("x", chart.px(t) - 3)
                     .set("y", chart.py(std::min(wire_hi + pad, ya.hi)))
                     .set("width", 6)
                     .set("height", chart.py(std::max(wire_lo - pad, ya.lo)) - chart.py(std::min(wire_hi + pad, ya.hi)))
                     .set("fill", "#444444")
                     .set("stroke", "#ffffff")
                     .set("stroke-width", "1")
              << '\n';
  }
  chart.frame(doc.out(), p.x_label + ", " + p.distance_unit, p.y_label + ", " + p.distance_unit);
  svg::draw_colour_bar(doc.out(), {area.right() + 40, area.y + 20, 18, area.height - 20}, scale, levels, decimals,
                       p.value_label.empty() ? axis_label(p.quantity, p.b) : p.value_label);
  // What the markers are: one row ending at the picture's right margin,
  // each entry a sample and its text.
  struct Entry {
    Tag sample;
    double sample_width;
    std::string text;
  };
  std::vector<Entry> entries;
  if (!p.wires.empty()) {
    entries.push_back({Tag("line").set("x1", 0.0).set("y1", 48).set("x2", 20).set("y2", 48).set("stroke", "#111111")
                           .set("stroke-width", "1.5"), 20, "phase or pole"});
    entries.push_back({Tag("line").set("x1", 0.0).set("y1", 48).set("x2", 20).set("y2", 48).set("stroke", "#111111")
                           .set("stroke-width", "1").set("stroke-dasharray", "4 3"), 20, "earth wire"});
    entries.push_back({Tag("rect").set("x", 0.0).set("y", 41).set("width", 6).set("height", 14).set("fill", "#444444"),
                       6, "tower"});
  } else {
    entries.push_back({Tag("circle").set("cx", 5).set("cy", 48).set("r", 5).set("fill", "#111111"), 10, "phase or pole"});
    entries.push_back({Tag("circle").set("cx", 5).set("cy", 48).set("r", 3.5).set("fill", "#ffffff")
                           .set("stroke", "#111111"), 10, "earth wire"});
  }
  entries.push_back({Tag("g"), 0, log ? "contours: 1-2-5 steps" : "contours: round steps"});
  double row = 0;
  for (const Entry& e : entries) row += e.sample_width + (e.sample_width > 0 ? 6 : 0) + svg::text_width(e.text, 12) + 18;
  double lx = width - 20 - (row - 18);
  for (const Entry& e : entries) {
    if (e.sample_width > 0) {
      doc.out() << Tag("g").set("transform", "translate(" + svg::num(lx) + " 0)").text(e.sample.empty()) << '\n';
      lx += e.sample_width + 6;
    }
    doc.out() << Tag("text").set("x", lx).set("y", 52).set("font-size", "12").set("fill", "#222").text(e.text) << '\n';
    lx += svg::text_width(e.text, 12) + 18;
  }
  return doc.finish();
}

}  // namespace study
