#pragma once
// What a person sees in a picture the programs write, as boxes and lines:
// the picture's size, the box of every upright text (estimated from its
// characters as the programs estimate them), every polyline and line. For
// the tests that no label is crossed by a curve and nothing is clipped.

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "svg/placement.hpp"

namespace support {

struct SvgText {
  std::string attributes;  // as written, for finding a class or a colour
  std::string text;
  svg::Rect box;
};

inline std::string svg_attribute(const std::string& attributes, const std::string& name) {
  const std::regex pattern("(^|\\s)" + name + "=\"([^\"]*)\"");
  std::smatch m;
  return std::regex_search(attributes, m, pattern) ? m[2].str() : std::string();
}

inline double svg_number(const std::string& attributes, const std::string& name, double otherwise = 0) {
  const std::string value = svg_attribute(attributes, name);
  return value.empty() ? otherwise : std::strtod(value.c_str(), nullptr);
}

// The width and height of the picture.
inline svg::Rect svg_frame(const std::string& svg) {
  const std::size_t open = svg.find("<svg");
  const std::string head = svg.substr(open, svg.find('>', open) - open);
  return {0, 0, svg_number(head, "width"), svg_number(head, "height")};
}

// Every text not turned (a turned one carries a transform): its box from
// the baseline 0.75 em up and 0.25 em down, as wide as svg::text_width says.
inline std::vector<SvgText> svg_texts(const std::string& svg) {
  std::vector<SvgText> out;
  const std::regex text("<text([^>]*)>([^<]*)</text>");
  for (std::sregex_iterator i(svg.begin(), svg.end(), text), end; i != end; ++i) {
    const std::string attributes = (*i)[1];
    if (!svg_attribute(attributes, "transform").empty()) continue;
    const double size = svg_number(attributes, "font-size", 16);
    const double width = svg::text_width((*i)[2].str(), size, svg_attribute(attributes, "font-weight") == "bold");
    const std::string anchor = svg_attribute(attributes, "text-anchor");
    double x = svg_number(attributes, "x");
    if (anchor == "middle") x -= width / 2;
    if (anchor == "end") x -= width;
    out.push_back({attributes, (*i)[2], {x, svg_number(attributes, "y") - 0.75 * size, width, size}});
  }
  return out;
}

// Every polyline, and every line whose attributes hold `line_marker`
// (none when it is empty), in picture units.
inline std::vector<svg::Run> svg_lines(const std::string& svg, const std::string& line_marker = "") {
  std::vector<svg::Run> out;
  const std::regex polyline("<polyline[^>]* points=\"([^\"]*)\"");
  for (std::sregex_iterator i(svg.begin(), svg.end(), polyline), end; i != end; ++i) {
    svg::Run run;
    const std::string points = (*i)[1];
    const char* p = points.c_str();
    for (char* next = nullptr;; p = next) {
      const double x = std::strtod(p, &next);
      if (next == p || *next != ',') break;
      p = next + 1;
      const double y = std::strtod(p, &next);
      run.push_back({x, y});
    }
    out.push_back(std::move(run));
  }
  if (line_marker.empty()) return out;
  const std::regex line("<line([^>]*)/>");
  for (std::sregex_iterator i(svg.begin(), svg.end(), line), end; i != end; ++i) {
    const std::string a = (*i)[1];
    if (a.find(line_marker) == std::string::npos) continue;
    out.push_back({{svg_number(a, "x1"), svg_number(a, "y1")}, {svg_number(a, "x2"), svg_number(a, "y2")}});
  }
  return out;
}

// True when the box lies inside the frame.
inline bool svg_inside(const svg::Rect& box, const svg::Rect& frame) {
  return box.x >= frame.x && box.y >= frame.y && box.right() <= frame.right() && box.bottom() <= frame.bottom();
}

}  // namespace support
