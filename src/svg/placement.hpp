#pragma once
// Where a label may stand: its box estimated from its text, clear of every
// line drawn and of the labels already placed, inside its panel.

#include <string_view>
#include <vector>

#include "svg/chart.hpp"
#include "svg/lines.hpp"

namespace svg {

// The width of a text at a font size, from the advance of each character
// in the pictures' font (an entity such as &#181; counts as one character,
// as does a UTF-8 character), a tenth more in bold.
double text_width(std::string_view markup, double font_size, bool bold = false);

// True when the segment from a to b meets the box (touches or crosses it).
bool meets(const Rect& box, const Point& a, const Point& b);
// True when any segment of the polyline meets the box.
bool meets(const Rect& box, const Run& line);
// True when the two boxes overlap.
bool overlap(const Rect& a, const Rect& b);

// The boxes and lines a new label must keep clear of.
struct Obstacles {
  std::vector<Run> lines;  // drawn lines, in picture units
  std::vector<Rect> boxes; // labels and markers already there

  // True when `box` lies inside `within` and meets none of the lines and boxes.
  bool clear(const Rect& box, const Rect& within) const;
};

}  // namespace svg
