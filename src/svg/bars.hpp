#pragma once
// Grouped bar charts: one group of bars per category along the x axis, one
// bar per series in each group, in the palette's colours.

#include <ostream>
#include <string>
#include <vector>

#include "svg/chart.hpp"

namespace svg {

struct BarGroups {
  std::vector<std::string> categories;       // one group each, left to right
  std::vector<std::string> series;           // one bar each within a group
  std::vector<std::vector<double>> values;   // [category][series]; a value not finite draws no bar
  std::vector<std::vector<std::string>> labels;  // [category][series]: the value as text on its bar; may be empty
};

// The y axis for the bars: from 0 (or the lowest value below 0) to the highest.
Axis bar_axis(const BarGroups& bars, int target = 5);

// Bars from the axis' zero (or its bottom) to each value, with the category
// names under the groups and each bar's label at its end (upright over the
// bar where it fits, else turned to run along it). The chart's x axis is ignored: the groups share
// its width evenly.
void draw_bars(std::ostream& out, const Chart& chart, const BarGroups& bars);

// A legend row: a swatch and the name of each series, from (x, y).
void bar_legend(std::ostream& out, double x, double y, const std::vector<std::string>& series);

}  // namespace svg
