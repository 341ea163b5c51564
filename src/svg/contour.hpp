#pragma once
// Contour lines of a grid of values (marching squares), joined into
// polylines, and drawn with a label of their value along them.

#include <ostream>
#include <string>
#include <vector>

#include "svg/chart.hpp"
#include "svg/colour_map.hpp"
#include "svg/lines.hpp"

namespace svg {

// The lines where the grid's values cross `level`, in the grid's
// coordinates, each a polyline (closed when its ends meet). A cell with a
// value that is not finite has no line through it; a saddle cell is split
// by the mean of its corners.
std::vector<Run> contour_lines(const Grid& grid, double level);

// Draws the lines in the chart, with `label` written along each line long
// enough to carry it (on a white halo), at the middle of the line or, when
// that place is taken by a label in `taken`, a quarter of the way from
// either end, or meets a line of `keep_clear` (the other levels' lines, in
// picture units); a label that finds no free place is left out. The places
// used are added to `taken`.
void draw_contour(std::ostream& out, const Chart& chart, const std::vector<Run>& lines, const std::string& label,
                  std::vector<Rect>& taken, std::string_view colour = "#ffffff",
                  const std::vector<Run>& keep_clear = {});

// The lines in picture units, as draw_contour draws them.
std::vector<Run> in_picture(const Chart& chart, const std::vector<Run>& lines);

}  // namespace svg
