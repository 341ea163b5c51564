#include "limits_panel.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "limits/comply.hpp"

namespace explorer {

namespace {

// A set's texts as a JSON string: a TOML file is UTF-8, kept as it is
// (explorer::json_string reads a data file's Latin-1).
std::string text_json(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') out += '\\';
    if (static_cast<unsigned char>(ch) < 0x20)
      out += ' ';
    else
      out += ch;
  }
  return out + '"';
}

cli::BUnit b_unit_of(const std::string& text) {
  const std::optional<cli::BUnit> b = cli::parse_b_unit(text);
  if (!b) throw limits::LimitError("B unit \"" + text + "\": uT, mG or G");
  return *b;
}

// The compliance with no set chosen (the arguments checked all the same).
std::string none(const std::string& b_unit) {
  b_unit_of(b_unit);
  return "{\"set\":null,\"rows\":[]}";
}

}  // namespace

std::string limit_sets_json() {
  std::string out = "[";
  for (const std::string& name : limits::shipped_set_names()) {
    if (out.size() > 1) out += ',';
    out += "{\"name\":" + text_json(name) + ",\"title\":" + text_json(limits::shipped_set(name)->title) + "}";
  }
  return out + "]";
}

void LimitsChoice::choose(const std::string& name) {
  if (name.empty()) {
    set_.reset();
    return;
  }
  std::optional<limits::LimitSet> set = limits::shipped_set(name);
  if (!set) {
    std::string names;
    for (const std::string& n : limits::shipped_set_names()) names += (names.empty() ? "" : ", ") + n;
    throw limits::LimitError("no shipped limit set is named \"" + name + "\" (" + names + ")");
  }
  set_ = std::move(set);
}

void LimitsChoice::read(const std::string& text, const std::string& name) {
  set_ = limits::parse_limit_set(text, name);
}

std::string LimitsChoice::json() const {
  if (!set_) return "{\"name\":null}";
  const bool ion_flow = std::any_of(set_->limits.begin(), set_->limits.end(),
                                    [](const limits::Limit& l) { return limits::from_ion_flow(l.quantity); });
  return "{\"name\":" + text_json(set_->name) + ",\"title\":" + text_json(set_->title) +
         ",\"source\":" + text_json(set_->source) + ",\"limits\":" + std::to_string(set_->limits.size()) +
         ",\"ion_flow\":" + (ion_flow ? "true" : "false") + "}";
}

std::string LimitsChoice::compliance_json(const brenlow::CrossSection& section, double left, double right,
                                          int frequency, const std::string& b_unit) const {
  if (!set_) return none(b_unit);
  return compliance_json(brenlow::Evaluation(section), left, right, frequency, b_unit);
}

std::string LimitsChoice::compliance_json(const brenlow::Evaluation& run, double left, double right, int frequency,
                                          const std::string& b_unit) const {
  if (!set_) return none(b_unit);
  const cli::BUnit b = b_unit_of(b_unit);
  // Read as tesk31-study comply reads --edge: a number in the file's unit,
  // to single precision, then to metres.
  const limits::LengthUnit unit{run.section().english};
  const auto metres = [&](double x) {
    if (!std::isfinite(x) || std::fabs(x) > 1e9) throw limits::LimitError("the right-of-way's edges must be numbers");
    return unit.to_metres(static_cast<float>(x));
  };
  limits::ComplyOptions options;
  options.frequency = frequency;
  options.b = b;
  return limits::compliance_json(limits::comply(run, *set_, {metres(left), metres(right)}, options), unit);
}

}  // namespace explorer
