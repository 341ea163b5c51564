#include "line_text.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <type_traits>

namespace explorer {
namespace {

constexpr const char* heading = "brenlow-line 1";

// Floats as hexadecimal (exact); strings as the hexadecimal of their bytes
// ("-" for none), so that a name holding blanks or quotes stays one word.
void put(std::string& out, float value) {
  char text[48];
  std::snprintf(text, sizeof text, " %a", static_cast<double>(value));
  out += text;
}
void put(std::string& out, int value) { out += ' ' + std::to_string(value); }
void put(std::string& out, const std::string& text) {
  static constexpr char digits[] = "0123456789abcdef";
  out += ' ';
  if (text.empty()) out += '-';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += digits[byte >> 4];
    out += digits[byte & 15];
  }
}

brenlow::Error unreadable() { return brenlow::Error("the line handed to the span solver cannot be read"); }

std::string word(std::istringstream& in) {
  std::string w;
  if (!(in >> w)) throw unreadable();
  return w;
}
void get(std::istringstream& in, float& value) {
  const std::string w = word(in);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(w.c_str(), &end);
  if (end != w.c_str() + w.size() || errno != 0) throw unreadable();
  value = static_cast<float>(v);  // exact: written from a float
}
void get(std::istringstream& in, int& value) {
  const std::string w = word(in);
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(w.c_str(), &end, 10);
  if (end != w.c_str() + w.size() || errno != 0 || v < -1000000 || v > 1000000) throw unreadable();
  value = static_cast<int>(v);
}
void get(std::istringstream& in, bool& value) {
  int v = 0;
  get(in, v);
  value = v != 0;
}
void get(std::istringstream& in, std::string& text) {
  const std::string w = word(in);
  text.clear();
  if (w == "-") return;
  if (w.size() % 2 != 0) throw unreadable();
  for (std::size_t i = 0; i < w.size(); i += 2) {
    const std::string pair = w.substr(i, 2);
    char* end = nullptr;
    const long byte = std::strtol(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) throw unreadable();
    text += static_cast<char>(byte);
  }
}

// Every value of a section, in one order for writing and reading.
template <typename Section, typename Each>
void fields(Section& s, std::size_t groups, std::size_t points, Each&& each) {
  each(s.titles[0]);
  each(s.titles[1]);
  each(s.energized);
  each(s.english);
  each(s.options);
  auto& c = s.conditions;
  for (auto* v : {&c.wind, &c.rain, &c.altitude, &c.ground_conductivity, &c.an_height, &c.ri_height, &c.tv_height,
                  &c.oz_height, &c.ef_height, &c.mf_height, &c.ri_frequency, &c.tv_frequency})
    each(*v);
  each(c.given_gradients);
  for (std::size_t i = 0; i < groups; ++i) {
    auto& g = s.groups[i];
    each(g.name);
    each(g.ac);
    for (auto* v : {&g.x, &g.y}) each(*v);
    each(g.subconductors);
    for (auto* v : {&g.diameter, &g.spacing, &g.kv, &g.phase, &g.ka, &g.gradient}) each(*v);
  }
  for (std::size_t i = 0; i < points; ++i) {
    each(s.points[i].count);
    each(s.points[i].start);
    each(s.points[i].step);
  }
}

}  // namespace

std::string line_text(const brenlow::CrossSection& section) {
  std::string out = heading;
  put(out, static_cast<int>(section.groups.size()));
  put(out, static_cast<int>(section.points.size()));
  fields(section, section.groups.size(), section.points.size(), [&](const auto& v) {
    if constexpr (std::is_same_v<std::decay_t<decltype(v)>, bool>) {
      put(out, v ? 1 : 0);
    } else {
      put(out, v);
    }
  });
  return out;
}

brenlow::CrossSection parse_line_text(const std::string& text) {
  if (text.rfind(heading, 0) != 0) throw unreadable();
  std::istringstream in(text.substr(std::string(heading).size()));
  int groups = 0, points = 0;
  get(in, groups);
  get(in, points);
  if (groups < 0 || groups > 50 || points < 0 || points > 100) throw unreadable();
  brenlow::CrossSection section;
  section.groups.resize(static_cast<std::size_t>(groups));
  section.points.resize(static_cast<std::size_t>(points));
  fields(section, section.groups.size(), section.points.size(), [&](auto& v) { get(in, v); });
  std::string rest;
  if (in >> rest) throw unreadable();
  return section;
}

}  // namespace explorer
