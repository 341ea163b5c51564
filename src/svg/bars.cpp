#include "svg/bars.hpp"

#include <algorithm>
#include <cmath>

#include "svg/element.hpp"
#include "svg/lines.hpp"

namespace svg {

Axis bar_axis(const BarGroups& bars, int target) {
  double lo = 0, hi = -INFINITY;
  for (const auto& group : bars.values)
    for (double v : group)
      if (std::isfinite(v)) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
  if (!(hi > -INFINITY)) return empty_axis();
  // A tenth of the range more beyond the longest bars: room for their value
  // labels inside the frame.
  hi = std::max(hi, lo);
  const double room = (hi - lo) * 0.1;
  return nice_axis(lo < 0 ? lo - room : lo, hi > 0 ? hi + room : hi, target);
}

void draw_bars(std::ostream& out, const Chart& chart, const BarGroups& bars) {
  const Rect& a = chart.area();
  const std::size_t groups = bars.categories.size();
  const std::size_t series = std::max<std::size_t>(bars.series.size(), 1);
  if (groups == 0) return;
  const double slot = a.width / static_cast<double>(groups);
  const double bar = slot * 0.8 / static_cast<double>(series);
  const double base_value = std::clamp(0.0, chart.y().lo, chart.y().hi);
  const double base = chart.py(base_value);
  for (std::size_t g = 0; g < groups; ++g) {
    const double start = a.x + slot * static_cast<double>(g) + slot * 0.1;
    for (std::size_t s = 0; s < bars.series.size() && g < bars.values.size() && s < bars.values[g].size(); ++s) {
      const double v = bars.values[g][s];
      if (!std::isfinite(v)) continue;
      const double top = chart.py(std::clamp(v, chart.y().lo, chart.y().hi));
      out << Tag("rect")
                 .set("x", start + bar * static_cast<double>(s))
                 .set("y", std::min(top, base))
                 .set("width", bar * 0.92)
                 .set("height", std::fabs(base - top))
                 .set("fill", line_colour(s))
          << '\n';
      if (g < bars.labels.size() && s < bars.labels[g].size() && !bars.labels[g][s].empty()) {
        const std::string& label = bars.labels[g][s];
        const double centre = start + bar * (static_cast<double>(s) + 0.46);
        const double end = v < base_value ? std::max(top, base) + 11 : std::min(top, base) - 3;
        // About 5.5 units a character at this size.
        if (5.5 * static_cast<double>(label.size()) <= bar) {
          out << Tag("text").set("x", centre).set("y", end).set("text-anchor", "middle").set("font-size", "9")
                     .set("fill", "#222").text(xml_escape(label));
        } else {
          const double along = v < base_value ? std::max(top, base) + 3 : std::min(top, base) - 3;
          out << Tag("text")
                     .set("transform", turned_at(centre + 3, along, -90))
                     .set("text-anchor", v < base_value ? "end" : "start")
                     .set("font-size", "9")
                     .set("fill", "#222")
                     .text(xml_escape(label));
        }
        out << '\n';
      }
    }
    out << Tag("text")
               .set("x", a.x + slot * (static_cast<double>(g) + 0.5))
               .set("y", a.bottom() + 14)
               .set("text-anchor", "middle")
               .set("font-size", "11")
               .set("fill", "#333")
               .text(xml_escape(bars.categories[g]))
        << '\n';
  }
}

void bar_legend(std::ostream& out, double x, double y, const std::vector<std::string>& series) {
  for (std::size_t s = 0; s < series.size(); ++s) {
    out << Tag("rect").set("x", x).set("y", y - 9).set("width", 12).set("height", 10).set("fill", line_colour(s))
        << Tag("text").set("x", x + 16).set("y", y).set("font-size", "12").set("fill", "#222").text(xml_escape(series[s]))
        << '\n';
    x += 16 + 6.5 * static_cast<double>(series[s].size()) + 18;
  }
}

}  // namespace svg
