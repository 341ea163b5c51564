#pragma once
// Charts made of panels: a rectangle with an x and a y axis (linear, or
// logarithmic in y), its grid, frame and tick labels; panels laid out in a
// grid of columns.

#include <ostream>
#include <string_view>
#include <vector>

#include "svg/axis.hpp"

namespace svg {

struct Rect {
  double x = 0, y = 0, width = 0, height = 0;
  double right() const { return x + width; }
  double bottom() const { return y + height; }
};

// `count` panels of one size, row by row in `columns` columns, the first at
// (left, top), `gap_x` and `gap_y` apart.
std::vector<Rect> panel_grid(std::size_t count, std::size_t columns, double left, double top, double width,
                             double height, double gap_x, double gap_y);

// Ticks of a logarithmic axis: 1, 2 and 5 times the powers of ten from lo
// to hi (both above 0); only the powers of ten when there are more than
// `most` of those.
std::vector<double> log_ticks(double lo, double hi, std::size_t most = 12);

class Chart {
 public:
  // A logarithmic y axis runs from y.lo to y.hi, both above 0.
  Chart(Rect area, Axis x, Axis y, bool log_y = false);

  const Rect& area() const { return area_; }
  const Axis& x() const { return x_; }
  const Axis& y() const { return y_; }
  double px(double value) const;
  double py(double value) const;
  std::vector<double> x_ticks() const;  // within the axis' range
  std::vector<double> y_ticks() const;

  // Light grid lines at the ticks, under the data.
  void grid(std::ostream& out, bool vertical = true) const;
  // The frame, the tick labels and the axis labels (x below, y turned on
  // the left), over the data. An empty label is left out; `x_ticks` false
  // leaves out the x tick labels (categories labelled by the caller).
  void frame(std::ostream& out, std::string_view x_label, std::string_view y_label, bool x_tick_labels = true) const;
  // The ground: a thick brown line across the panel at height 0, when the
  // y axis holds 0.
  void ground(std::ostream& out) const;
  // The panel's title above its top left corner; text is escaped.
  void title(std::ostream& out, std::string_view text) const;

 private:
  Rect area_;
  Axis x_, y_;
  bool log_y_;
};

}  // namespace svg
