#include "span_panel.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/problem_data.hpp"

namespace explorer {

namespace {

constexpr float height = 1.0f;  // m, the map's height over the ground

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string list(const std::vector<float>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += number(values[i]);
  }
  out += ']';
  return out;
}

}  // namespace

std::string span_json(const brenlow::CrossSection& section, double length, double sag, bool magnetic, int columns,
                      int rows) {
  if (columns < 2 || columns > 400 || rows < 2 || rows > 400)
    throw brenlow::Error("a span map of " + std::to_string(columns) + " by " + std::to_string(rows) +
                         " points: 2 to 400 each way");
  const float to_metres = section.english ? metres_per_foot : 1.0f;
  brenlow::Spans spans;
  spans.length = static_cast<float>(length) * to_metres;
  spans.sag = static_cast<float>(sag) * to_metres;
  const brenlow::SpanEvaluation run(section, spans);
  const float L = spans.length;

  float x_lo = 0, x_hi = 0;
  for (const brenlow::Group& g : section.groups) {
    x_lo = std::min(x_lo, g.x);
    x_hi = std::max(x_hi, g.x);
  }
  x_lo -= 30;
  x_hi += 30;
  std::vector<float> along, xs;  // metres
  for (int i = 0; i < columns; ++i) along.push_back(L * (-0.1f + 1.2f * static_cast<float>(i) / static_cast<float>(columns - 1)));
  for (int j = 0; j < rows; ++j) xs.push_back(x_lo + (x_hi - x_lo) * static_cast<float>(j) / static_cast<float>(rows - 1));

  // A hybrid line's fields are apart: the map shows its AC phases' field
  // (E-AC, B-AC), never a phasor sum with the DC poles' static one.
  const bool hybrid = run.cross_section().hybrid();
  const brenlow::Evaluation& flat = run.cross_section();
  const auto value = [&](float x, float a) {
    if (hybrid)
      return magnetic ? run.magnetic_field(x, a, height, brenlow::Part::ac).max * 100
                      : run.electric_field(x, a, height, brenlow::Part::ac).max;
    return magnetic ? run.magnetic_field(x, a, height).max * 100 : run.electric_field(x, a, height).max;
  };
  const auto flat_value = [&](float x) {
    if (hybrid)
      return magnetic ? flat.magnetic_field(x, height, brenlow::Part::ac).max * 100
                      : flat.electric_field(x, height, brenlow::Part::ac).max;
    return magnetic ? flat.magnetic_field(x, height).max * 100 : flat.electric_field(x, height).max;
  };
  std::vector<float> values;  // row after row, one row per lateral position
  float top = 0, flat_top = 0;
  for (float x : xs) {
    for (float a : along) {
      const float v = value(x, a);
      values.push_back(v);
      top = std::max(top, v);
    }
    flat_top = std::max(flat_top, flat_value(x));
  }

  const auto in_file_units = [&](std::vector<float> v) {
    for (float& m : v) m /= to_metres;
    return v;
  };
  std::string wires = "[";
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    if (i) wires += ',';
    wires += "{\"x\":";
    wires += number(section.groups[i].x / to_metres);
    wires += ",\"earth\":";
    wires += static_cast<int>(i) >= section.energized ? "true}" : "false}";
  }
  wires += ']';
  return std::string("{\"quantity\":\"") + (magnetic ? "B" : "E") + (hybrid ? "-AC" : "") + "\",\"unit\":\"" + (magnetic ? "uT" : "kV/m") +
         "\",\"length_unit\":\"" + (section.english ? "ft" : "m") + "\",\"length\":" + number(length) +
         ",\"sag\":" + number(sag) + ",\"height_m\":" + number(height) + ",\"along\":" + list(in_file_units(along)) +
         ",\"x\":" + list(in_file_units(xs)) + ",\"values\":" + list(values) + ",\"largest\":" + number(top) +
         ",\"cross_section_largest\":" + number(flat_top) + ",\"towers\":[0," + number(length) + "],\"wires\":" +
         wires + ",\"elements\":" + std::to_string(run.elements()) + "}";
}

}  // namespace explorer
