#include "span_panel.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "json.hpp"
#include "line_text.hpp"
#include "short_number.hpp"
#include "model/problem_data.hpp"

namespace explorer {

namespace {

constexpr float height = 1.0f;  // m, the map's height over the ground

// The spans in the file's units, checked in those units first: the same
// sag hangs every group, and the engine's own message would name the first
// group and speak in metres.
brenlow::Spans spans_of(const brenlow::CrossSection& section, double length, double sag) {
  const char* unit = section.english ? " ft" : " m";
  const float to_metres = section.english ? metres_per_foot : 1.0f;
  // The engine's range of lengths, shown in the file's units (whole numbers).
  const double shortest = std::ceil(brenlow::Spans::shortest_length / to_metres);
  const double longest = std::floor(brenlow::Spans::longest_length / to_metres);
  if (!(length >= shortest) || !(length <= longest))
    throw brenlow::Error("span length " + short_number(length) + unit + ": must be " + std::to_string(static_cast<long long>(shortest)) +
                         unit + " to " + std::to_string(static_cast<long long>(longest)) + unit);
  if (!(sag >= 0) || !(sag < length))
    throw brenlow::Error("sag " + short_number(sag) + unit + ": must be 0 or above and below the span length (" +
                         short_number(length) + unit + ")");
  brenlow::Spans spans;
  spans.length = static_cast<float>(length) * to_metres;
  spans.sag = static_cast<float>(sag) * to_metres;
  return spans;
}

void check_grid(int columns, int rows) {
  if (columns < 2 || columns > 400 || rows < 2 || rows > 400)
    throw brenlow::Error("a span map of " + std::to_string(columns) + " by " + std::to_string(rows) +
                         " points: 2 to 400 each way");
}

std::string map_json(const brenlow::SpanEvaluation& run, double length, double sag, bool magnetic, int columns,
                     int rows) {
  const brenlow::CrossSection& section = run.section();
  const float to_metres = section.english ? metres_per_foot : 1.0f;
  const float L = run.spans().length;

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
  // The largest values leave out what could not be computed (a NaN never
  // passes the comparison).
  std::vector<float> values;  // row after row, one row per lateral position
  float top = 0, flat_top = 0;
  for (float x : xs) {
    for (float a : along) {
      const float v = value(x, a);
      values.push_back(v);
      if (v > top) top = v;
    }
    const float f = flat_value(x);
    if (f > flat_top) flat_top = f;
  }

  const auto in_file_units = [&](std::vector<float> v) {
    for (float& m : v) m /= to_metres;
    return v;
  };
  using namespace json;
  std::string out = "{";
  put_key(out, "quantity");
  put_string(out, std::string(magnetic ? "B" : "E") + (hybrid ? "-AC" : ""));
  put_key(out, "unit");
  put_string(out, magnetic ? "uT" : "kV/m");
  put_key(out, "length_unit");
  put_string(out, section.english ? "ft" : "m");
  put_key(out, "length");
  put_number(out, length, 6);
  put_key(out, "sag");
  put_number(out, sag, 6);
  put_key(out, "height_m");
  put_number(out, height, 6);
  put_series(out, "along", in_file_units(along), 6);
  put_series(out, "x", in_file_units(xs), 6);
  const std::size_t missing = put_series(out, "values", values, 6);
  put_key(out, "missing");
  out += std::to_string(missing);
  put_key(out, "largest");
  put_number(out, top, 6);
  put_key(out, "cross_section_largest");
  put_number(out, flat_top, 6);
  put_series(out, "towers", std::vector<double>{0, length}, 6);
  put_key(out, "wires");
  out += '[';
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    if (i) out += ',';
    out += '{';
    put_key(out, "x");
    put_number(out, section.groups[i].x / to_metres, 6);
    put_key(out, "earth");
    out += static_cast<int>(i) >= section.energized ? "true" : "false";
    out += '}';
  }
  out += ']';
  put_key(out, "elements");
  out += std::to_string(run.elements());
  out += '}';
  return out;
}

}  // namespace

std::string span_json(const brenlow::CrossSection& section, double length, double sag, bool magnetic, int columns,
                      int rows) {
  return SpanMaps().json(section, length, sag, magnetic, columns, rows);
}

std::size_t span_unknowns(const brenlow::CrossSection& section, double length, double sag) {
  return brenlow::SpanEvaluation::unknowns(section, spans_of(section, length, sag));
}

std::string SpanMaps::json(const brenlow::CrossSection& section, double length, double sag, bool magnetic,
                           int columns, int rows) {
  check_grid(columns, rows);
  char spans[64];
  std::snprintf(spans, sizeof spans, "%a %a ", length, sag);
  std::string key = spans + line_text(section);
  if (!run_ || key != key_) {
    run_.reset();  // a refused solve keeps nothing of the last one
    key_.clear();
    run_ = std::make_unique<brenlow::SpanEvaluation>(section, spans_of(section, length, sag));
    key_ = std::move(key);
  }
  return map_json(*run_, length, sag, magnetic, columns, rows);
}

}  // namespace explorer
