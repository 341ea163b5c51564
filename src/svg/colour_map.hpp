#pragma once
// Values over a plane as colours: a colour ramp, a scale from values to
// the ramp (linear or logarithmic, clipped at its ends), a grid of values
// painted as cells, and the colour bar that reads the colours back.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "svg/chart.hpp"

namespace svg {

// The ramp from dark blue through teal and green to yellow, t from 0 to 1
// (clamped), as "#rrggbb".
std::string ramp_colour(double t);

struct ColourScale {
  double lo = 0, hi = 1;  // values at the ends of the ramp; above 0 when logarithmic
  bool log = false;
  // Where a value falls on the ramp, clamped to [0, 1]; not-a-number gives 0.
  double fraction(double value) const;
  std::string colour(double value) const { return ramp_colour(fraction(value)); }
};

// A grid of values: values[j][i] at (xs[i], ys[j]), xs and ys ascending.
struct Grid {
  std::vector<double> xs, ys;
  std::vector<std::vector<double>> values;
};

// Paints each grid point as the cell around it (half way to its
// neighbours), in the chart's coordinates; neighbouring cells of one
// colour in a row become one rectangle. Values not finite are left blank.
void draw_cells(std::ostream& out, const Chart& chart, const Grid& grid, const ColourScale& scale);

// A vertical colour bar in `area` with the scale's colours, labelled at
// `ticks` with `decimals` digits, and `label` beside it.
void draw_colour_bar(std::ostream& out, const Rect& area, const ColourScale& scale, const std::vector<double>& ticks,
                     int decimals, std::string_view label);

}  // namespace svg
