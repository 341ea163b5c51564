#include "svg/chart.hpp"

#include <cmath>

#include "svg/element.hpp"
#include "svg/number.hpp"

namespace svg {

std::vector<Rect> panel_grid(std::size_t count, std::size_t columns, double left, double top, double width,
                             double height, double gap_x, double gap_y) {
  std::vector<Rect> out;
  if (columns == 0) columns = 1;
  for (std::size_t k = 0; k < count; ++k) {
    const double col = static_cast<double>(k % columns), row = static_cast<double>(k / columns);
    out.push_back({left + col * (width + gap_x), top + row * (height + gap_y), width, height});
  }
  return out;
}

std::vector<double> log_ticks(double lo, double hi, std::size_t most) {
  std::vector<double> out;
  if (!(lo > 0) || !(hi >= lo) || !std::isfinite(hi)) return out;
  const int first = static_cast<int>(std::floor(std::log10(lo) + 1e-9));
  const int last = static_cast<int>(std::ceil(std::log10(hi) - 1e-9));
  const bool thin = static_cast<std::size_t>(last - first + 1) * 3 > most;
  for (int e = first; e <= last; ++e)
    for (double m : {1.0, 2.0, 5.0}) {
      if (thin && m != 1.0) continue;
      const double v = m * std::pow(10.0, e);
      if (v >= lo * (1 - 1e-9) && v <= hi * (1 + 1e-9)) out.push_back(v);
    }
  return out;
}

Chart::Chart(Rect area, Axis x, Axis y, bool log_y) : area_(area), x_(x), y_(y), log_y_(log_y) {}

double Chart::px(double value) const { return area_.x + (value - x_.lo) / (x_.hi - x_.lo) * area_.width; }

double Chart::py(double value) const {
  if (log_y_) {
    const double t = (std::log10(value) - std::log10(y_.lo)) / (std::log10(y_.hi) - std::log10(y_.lo));
    return area_.bottom() - t * area_.height;
  }
  return area_.bottom() - (value - y_.lo) / (y_.hi - y_.lo) * area_.height;
}

namespace {

// The ticks of an axis that fall within its range (an axis cut to the
// data's own ends need not end on a tick).
std::vector<double> within(const Axis& axis) {
  std::vector<double> out;
  const double slack = (axis.hi - axis.lo) * 1e-9;
  for (double t : axis.ticks())
    if (t >= axis.lo - slack && t <= axis.hi + slack) out.push_back(t);
  return out;
}

}  // namespace

std::vector<double> Chart::x_ticks() const { return within(x_); }

std::vector<double> Chart::y_ticks() const { return log_y_ ? log_ticks(y_.lo, y_.hi) : within(y_); }

namespace {

Tag line(double x1, double y1, double x2, double y2) {
  Tag tag("line");
  tag.set("x1", x1).set("y1", y1).set("x2", x2).set("y2", y2);
  return tag;
}

// A tick value on a logarithmic axis: as many decimals as it needs.
std::string log_label(double v) {
  const int decimals = v >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(v) - 1e-9));
  return fixed(v, decimals);
}

}  // namespace

void Chart::grid(std::ostream& out, bool vertical) const {
  out << Tag("g").set("stroke", "#d8d8d8").set("stroke-width", "1").open();
  if (vertical)
    for (double t : x_ticks()) out << line(px(t), area_.y, px(t), area_.bottom());
  for (double t : y_ticks()) out << line(area_.x, py(t), area_.right(), py(t));
  out << "</g>\n";
}

void Chart::frame(std::ostream& out, std::string_view x_label, std::string_view y_label, bool x_tick_labels) const {
  out << Tag("rect")
             .set("x", area_.x)
             .set("y", area_.y)
             .set("width", area_.width)
             .set("height", area_.height)
             .set("fill", "none")
             .set("stroke", "#444")
             .set("stroke-width", "1")
      << '\n';
  out << Tag("g").set("font-size", "11").set("fill", "#333").open();
  if (x_tick_labels)
    for (double t : x_ticks())
      out << Tag("text").set("x", px(t)).set("y", area_.bottom() + 14).set("text-anchor", "middle").text(x_.label(t));
  for (double t : y_ticks())
    out << Tag("text")
               .set("x", area_.x - 5)
               .set("y", py(t) + 4)
               .set("text-anchor", "end")
               .text(log_y_ ? log_label(t) : y_.label(t));
  out << "</g>\n";
  if (!x_label.empty())
    out << Tag("text")
               .set("x", area_.x + area_.width / 2)
               .set("y", area_.bottom() + 30)
               .set("text-anchor", "middle")
               .set("font-size", "12")
               .set("fill", "#222")
               .text(xml_escape(x_label))
        << '\n';
  if (!y_label.empty())
    out << Tag("text")
               .set("transform", turned_at(area_.x - 48, area_.y + area_.height / 2, -90))
               .set("text-anchor", "middle")
               .set("font-size", "12")
               .set("fill", "#222")
               .text(xml_escape(y_label))
        << '\n';
}

void Chart::ground(std::ostream& out) const {
  if (!(y_.lo <= 0 && y_.hi >= 0)) return;
  out << line(area_.x, py(0), area_.right(), py(0)).set("stroke", "#6b4f1d").set("stroke-width", "4") << '\n';
}

void Chart::title(std::ostream& out, std::string_view text) const {
  out << Tag("text")
             .set("x", area_.x)
             .set("y", area_.y - 8)
             .set("font-size", "13")
             .set("font-weight", "bold")
             .set("fill", "#222")
             .text(xml_escape(text))
      << '\n';
}

}  // namespace svg
