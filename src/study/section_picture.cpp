// The cross section drawn to scale for the study report.

#include <algorithm>
#include <cmath>

#include "study/pictures.hpp"
#include "svg/chart.hpp"
#include "svg/element.hpp"
#include "svg/lines.hpp"
#include "svg/number.hpp"
#include "svg/placement.hpp"

namespace study {

namespace {

using svg::Tag;
using Kind = SectionPicture::Kind;

constexpr double width = 960;
constexpr double font = 11;

struct Look {
  std::string_view fill, stroke, text;
  double radius;
};

Look look(Kind kind) {
  switch (kind) {
    case Kind::phase: return {"#111111", "#ffffff", "phase", 5.5};
    case Kind::positive_pole: return {svg::red, "#ffffff", "pole +", 5.5};
    case Kind::negative_pole: return {svg::blue, "#ffffff", "pole \u2212", 5.5};
    case Kind::earth_wire: return {"#ffffff", "#111111", "earth wire", 3.5};
  }
  return {"#111111", "#ffffff", "", 5};
}

}  // namespace

std::string section_svg(const SectionPicture& p) {
  double x_lo = INFINITY, x_hi = -INFINITY, y_hi = 0;
  for (const auto& c : p.conductors) {
    x_lo = std::min<double>(x_lo, c.x);
    x_hi = std::max<double>(x_hi, c.x);
    y_hi = std::max<double>(y_hi, c.y);
  }
  for (float e : p.edges) {
    x_lo = std::min<double>(x_lo, e);
    x_hi = std::max<double>(x_hi, e);
  }
  if (!(x_lo <= x_hi)) x_lo = -1, x_hi = 1;
  const double pad = std::max(0.08 * (x_hi - x_lo), 1.0);
  svg::Axis xa = svg::nice_axis(x_lo - pad, x_hi + pad, 8);
  svg::Axis ya = svg::nice_axis(0, std::max(y_hi * 1.12, 1.0), 5);
  xa.lo = std::min(xa.lo, x_lo - pad), xa.hi = std::max(xa.hi, x_hi + pad);
  ya.lo = 0;
  // To scale where that leaves a readable height, else as tall as allowed.
  const double plot_width = 800;
  const double plot_height = std::clamp(plot_width * (ya.hi - ya.lo) / (xa.hi - xa.lo), 200.0, 420.0);
  const svg::Rect area{90, 76, plot_width, plot_height};
  svg::Document doc(width, area.bottom() + 56, p.title);
  doc.out() << svg::heading(p.title) << '\n';
  const svg::Chart chart(area, xa, ya);
  chart.grid(doc.out());
  chart.ground(doc.out());
  svg::Obstacles taken;
  for (float e : p.edges) {
    const double x = chart.px(e);
    doc.out() << Tag("line")
                     .set("class", "edge")
                     .set("x1", x)
                     .set("y1", area.y)
                     .set("x2", x)
                     .set("y2", area.bottom())
                     .set("stroke", "#2a8a3e")
                     .set("stroke-width", "1.5")
                     .set("stroke-dasharray", "6 4")
              << '\n';
    const std::string label = "edge " + svg::fixed(e, 1) + " " + p.distance_unit;
    const double w = svg::text_width(label, font);
    const double lx = x + 4 + w < area.right() ? x + 4 : x - 4 - w;
    doc.out() << Tag("text")
                     .set("x", lx)
                     .set("y", area.y + 14)
                     .set("font-size", font)
                     .set("fill", "#2a8a3e")
                     .text(svg::xml_escape(label))
              << '\n';
    taken.boxes.push_back({lx, area.y + 2, w, 15});
    taken.lines.push_back({{x, area.y}, {x, area.bottom()}});
  }
  for (const auto& c : p.conductors)
    taken.boxes.push_back({chart.px(c.x) - 6, chart.py(c.y) - 6, 12, 12});
  for (const auto& c : p.conductors) {
    const Look l = look(c.kind);
    const double cx = chart.px(c.x), cy = chart.py(c.y);
    doc.out() << Tag("circle")
                     .set("cx", cx)
                     .set("cy", cy)
                     .set("r", l.radius)
                     .set("fill", l.fill)
                     .set("stroke", l.stroke)
                     .set("stroke-width", "1.5")
              << '\n';
    // The name beside the conductor, where it meets no other name, marker
    // or edge: right, left, above, below, else right all the same.
    const std::string text = svg::xml_escape(c.name);
    const double w = svg::text_width(text, font), h = 12;
    const svg::Rect tries[] = {{cx + 8, cy - h / 2, w, h},
                               {cx - 8 - w, cy - h / 2, w, h},
                               {cx - w / 2, cy - 9 - h, w, h},
                               {cx - w / 2, cy + 9, w, h}};
    svg::Rect box = tries[0];
    for (const svg::Rect& t : tries)
      if (taken.clear(t, area)) {
        box = t;
        break;
      }
    taken.boxes.push_back(box);
    doc.out() << Tag("text")
                     .set("x", box.x)
                     .set("y", box.y + h - 2)
                     .set("font-size", font)
                     .set("fill", "#222")
                     .set("stroke", "#fff")
                     .set("stroke-width", "3")
                     .set("paint-order", "stroke")
                     .text(text)
              << '\n';
  }
  chart.frame(doc.out(), "Lateral distance, " + p.distance_unit, "Height above ground, " + p.distance_unit);
  // The legend: the kinds the line has, then the edge.
  double lx = 24;
  for (Kind kind : {Kind::phase, Kind::positive_pole, Kind::negative_pole, Kind::earth_wire}) {
    if (std::none_of(p.conductors.begin(), p.conductors.end(), [&](const auto& c) { return c.kind == kind; }))
      continue;
    const Look l = look(kind);
    doc.out() << Tag("circle")
                     .set("cx", lx + 6)
                     .set("cy", 52)
                     .set("r", l.radius)
                     .set("fill", l.fill)
                     .set("stroke", kind == Kind::earth_wire ? "#111111" : l.fill)
                     .set("stroke-width", "1.5")
              << Tag("text").set("x", lx + 16).set("y", 56).set("font-size", "12").set("fill", "#222").text(l.text)
              << '\n';
    lx += 16 + svg::text_width(l.text, 12) + 22;
  }
  if (!p.edges.empty())
    doc.out() << Tag("line")
                     .set("x1", lx)
                     .set("y1", 52)
                     .set("x2", lx + 24)
                     .set("y2", 52)
                     .set("stroke", "#2a8a3e")
                     .set("stroke-width", "1.5")
                     .set("stroke-dasharray", "6 4")
              << Tag("text")
                     .set("x", lx + 30)
                     .set("y", 56)
                     .set("font-size", "12")
                     .set("fill", "#222")
                     .text("edge of the right-of-way")
              << '\n';
  return doc.finish();
}

}  // namespace study
