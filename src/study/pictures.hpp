#pragma once
// The pictures of the studies, drawn with the SVG toolkit: the layout
// belongs here, the drawing pieces to the toolkit.

#include <string>
#include <vector>

#include "study/quantity.hpp"

namespace study {

// Edges: one bar chart per quantity, a group of bars per point, a bar per file.
struct EdgesPicture {
  std::string title;
  std::vector<std::string> files;       // the bars of each group
  std::vector<std::string> points;      // the groups ("-75 ft")
  std::vector<Quantity> quantities;
  std::vector<std::vector<std::vector<float>>> values;  // [quantity][point][file]
  BUnit b = BUnit::microtesla;
  std::vector<std::string> notes;       // [quantity]: said inside its panel (empty or missing: nothing)
};
std::string edges_svg(const EdgesPicture& picture);

// Profiles of several cross sections over one another, one panel per quantity.
struct ProfilesPicture {
  std::string title;
  std::vector<std::string> sections;    // one line each
  std::vector<Quantity> quantities;
  std::string distance_unit;            // "m" or "ft"
  std::vector<float> xs;                // in distance_unit
  std::vector<std::vector<std::vector<float>>> values;  // [quantity][section][x]
  std::vector<float> marks;             // points marked on every panel (distance_unit)
  std::string marks_label;              // said beside the marks at the top of each panel ("edge")
  BUnit b = BUnit::microtesla;
  std::vector<std::string> notes;       // [quantity]: said inside its panel (empty or missing: nothing)
  std::string x_label = "Lateral distance";
  // When given, [panel]: its title and y-axis label in place of the quantity's.
  std::vector<std::string> panel_titles, axis_labels;
  // A limit drawn on a panel: a line at its value from `from` to `to`
  // (distance_unit; infinite ends for the whole width), or, where `from`
  // equals `to`, a mark at that point only; its label beside it.
  struct Limit {
    float value;
    float from, to;
    std::string label;
  };
  std::vector<std::vector<Limit>> limits;  // [quantity]; the y axis reaches every limit
};
std::string profiles_svg(const ProfilesPicture& picture);

// A cross section drawn to scale: the ground, each conductor at its place
// with its name, and the edges of the right-of-way.
struct SectionPicture {
  std::string title;
  std::string distance_unit;             // "m" or "ft"
  enum class Kind { phase, positive_pole, negative_pole, earth_wire };
  struct Conductor {
    float x, y;                          // distance_unit
    std::string name;                    // UTF-8
    Kind kind;
  };
  std::vector<Conductor> conductors;
  std::vector<float> edges;              // distance_unit
};
std::string section_svg(const SectionPicture& picture);

// A quantity over the cross section.
struct MapPicture {
  std::string title;
  Quantity quantity = Quantity::e;
  BUnit b = BUnit::microtesla;
  std::string distance_unit;
  std::vector<float> xs, ys;                  // grid lines, distance_unit
  std::vector<std::vector<float>> grid;       // [y][x]
  struct Conductor {
    float x, y;                               // distance_unit
    std::string name;
    bool earth;
  };
  std::vector<Conductor> conductors;
  // A plan view instead of a cross section: its axes, the conductors as
  // lines and the towers standing across them.
  std::string x_label = "Lateral distance", y_label = "Height above ground";
  struct Wire {
    float x1, y1, x2, y2;                     // distance_unit
    bool earth;
  };
  std::vector<Wire> wires;
  std::vector<float> towers;                  // x of each tower, across the wires
  // When given, the colour bar's label in place of the quantity's, and a
  // logarithmic scale whatever the quantity.
  std::string value_label;
  bool logarithmic = false;
};
std::string map_svg(const MapPicture& picture);

}  // namespace study
