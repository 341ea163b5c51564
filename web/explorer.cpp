#include "explorer.hpp"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "cli/text.hpp"
#include "driver/program.hpp"
#include "json.hpp"
#include "short_number.hpp"
#include "format/record.hpp"
#include "model/problem_data.hpp"

namespace explorer {
namespace {

using brenlow::Error;

// What a value measures, for the English units of a file.
enum class Unit { none, length, diameter, spacing, wind, rain };

float english_factor(Unit unit) {
  switch (unit) {
    case Unit::length: return metres_per_foot;
    case Unit::diameter: return mm_per_inch;
    case Unit::spacing: return cm_per_inch;
    case Unit::wind: return mps_per_mph;
    case Unit::rain: return mmhr_per_inhr;
    case Unit::none: break;
  }
  return 1.0f;
}
// As the reader converts an English value: the float read, times the factor.
float to_metric(float value, Unit unit, bool english) {
  return english && unit != Unit::none ? value * english_factor(unit) : value;
}
float to_file(float value, Unit unit, bool english) {
  return english && unit != Unit::none ? value / english_factor(unit) : value;
}

struct GroupField {
  std::string_view name;
  float brenlow::Group::*member;
  Unit unit;
};
constexpr GroupField group_fields[] = {
    {"x", &brenlow::Group::x, Unit::length},           {"y", &brenlow::Group::y, Unit::length},
    {"diameter", &brenlow::Group::diameter, Unit::diameter}, {"spacing", &brenlow::Group::spacing, Unit::spacing},
    {"kv", &brenlow::Group::kv, Unit::none},           {"phase", &brenlow::Group::phase, Unit::none},
    {"ka", &brenlow::Group::ka, Unit::none},           {"gradient", &brenlow::Group::gradient, Unit::none},
};

struct ConditionField {
  std::string_view name;
  float brenlow::Conditions::*member;
  Unit unit;
};
constexpr ConditionField condition_fields[] = {
    {"wind", &brenlow::Conditions::wind, Unit::wind},
    {"rain", &brenlow::Conditions::rain, Unit::rain},
    {"altitude", &brenlow::Conditions::altitude, Unit::length},
    {"conductivity", &brenlow::Conditions::ground_conductivity, Unit::none},
    {"an_height", &brenlow::Conditions::an_height, Unit::length},
    {"ri_height", &brenlow::Conditions::ri_height, Unit::length},
    {"tv_height", &brenlow::Conditions::tv_height, Unit::length},
    {"oz_height", &brenlow::Conditions::oz_height, Unit::length},
    {"ef_height", &brenlow::Conditions::ef_height, Unit::length},
    {"mf_height", &brenlow::Conditions::mf_height, Unit::length},
    {"ri_frequency", &brenlow::Conditions::ri_frequency, Unit::none},
    {"tv_frequency", &brenlow::Conditions::tv_frequency, Unit::none},
};

// One value as the data file's free-form reader reads it; a single plain
// number only (no separators, repeat counts or nulls).
template <typename T>
T read_value(const std::string& text, const std::string& what, std::string_view allowed) {
  const std::string value = cli::trimmed(text);
  if (value.empty()) throw Error(what + ": a number is needed");
  if (value.find_first_not_of(allowed) != std::string::npos) throw Error(what + ": \"" + value + "\" is not a number");
  T result = 0;
  try {
    record::Reader reader = record::Reader::from_string(value + "\n", "value");
    if (!reader.read_list({&result}, true)) throw Error(what + ": a number is needed");
  } catch (const record::ReadError&) {
    throw Error(what + ": \"" + value + "\" is not a number");
  }
  return result;
}
float read_real(const std::string& text, const std::string& what) {
  return read_value<float>(text, what, "0123456789+-.eEdD");
}
std::int32_t read_integer(const std::string& text, const std::string& what) {
  return read_value<std::int32_t>(text, what, "0123456789+-");
}

using json::put_key;
using json::put_number;
using json::put_series;
using json::put_string;

// The group field an engine warning is about, for the page to mark beside
// it ("group 2 ...: current -2 kA ..." is about "ka"); empty for none.
std::string_view warned_field(std::string_view text) {
  const std::pair<std::string_view, std::string_view> fields[] = {
      {": current ", "ka"}, {": subconductor diameter ", "diameter"}, {": counted as an earth wire", "kv"},
      {": surface gradient ", "diameter"}};
  for (const auto& [words, field] : fields)
    if (text.find(words) != std::string_view::npos) return field;
  return {};
}

std::string group_label(const brenlow::CrossSection& section, int group) {
  return "group " + std::to_string(group + 1) + " (" + cli::trimmed(section.groups[static_cast<std::size_t>(group)].name) + ")";
}

// The length of the UTF-8 sequence that starts at text[i], or 0 where none
// does (a stray continuation byte, a cut sequence, a byte UTF-8 never uses).
std::size_t utf8_length(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t size = lead < 0x80                   ? 1
                           : lead >= 0xc2 && lead <= 0xdf ? 2
                           : lead >= 0xe0 && lead <= 0xef ? 3
                           : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                          : 0;
  if (i + size > text.size()) return 0;
  for (std::size_t k = 1; k < size; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return 0;
  }
  return size;
}

// Typed text (UTF-8) as the data file holds it: one Latin-1 byte a
// character, at most `length` characters. A character Latin-1 cannot hold,
// or bytes that are not UTF-8, are refused.
std::string latin1(const std::string& text, std::size_t length, const std::string& what) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t size = utf8_length(text, i);
    if (size == 0) throw Error(what + ": the text is not UTF-8");
    const auto lead = static_cast<unsigned char>(text[i]);
    const unsigned code = size == 1 ? lead : ((lead & 0x1fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3fu);
    if (size > 2 || code > 0xff) {
      throw Error(what + ": \"" + text.substr(i, size) + "\" is not a character a data file can hold (Latin-1 only)");
    }
    if (out.size() < length) out += static_cast<char>(code);
    i += size;
  }
  return out;
}

// A level at or below this is a routine's marker for "not computed" (radio
// at a frequency of 0 starts from -9999 dB and never rises; a DC bundle
// without a positive gradient stands at -999.9 dB), never a level.
constexpr float marker_level = -999.0f;

float level_or_nan(float level) { return level > marker_level ? level : std::nanf(""); }

// What the page cannot show is refused as a whole: a group at or below the
// ground (whose image in the ground changes places with it: the results
// would be those of another line), checked before the evaluation, and a
// line whose gradients or fields leave the float range (bundles stacked at
// one place, a diameter too small to compute with).
void check_heights(const brenlow::CrossSection& section) {
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const float y = section.groups[i].y;
    if (!(y > 0)) {
      throw Error(group_label(section, static_cast<int>(i)) + " height: " +
                  short_number(to_file(y, Unit::length, section.english)) + (section.english ? " ft" : " m") +
                  " is not above the ground");
    }
  }
}

void check_results(const brenlow::CrossSection& section, const brenlow::Evaluation& run) {
  for (std::size_t i = 0; i < run.groups().size(); ++i) {
    const brenlow::GroupResult& g = run.groups()[i];
    if (std::isfinite(g.gradient) && std::isfinite(g.computed_gradient)) continue;
    std::string why = "check its diameter, spacing and place";
    const brenlow::Group& group = section.groups[i];
    for (std::size_t k = 0; k < section.groups.size(); ++k) {
      if (k != i && section.groups[k].x == group.x && section.groups[k].y == group.y) {
        why = "it stands at the same place as group " + std::to_string(k + 1);
        break;
      }
    }
    throw Error(group_label(section, static_cast<int>(i)) + ": the maximum surface gradient cannot be computed (" + why +
                "); the line cannot be shown");
  }
  const brenlow::Conditions& c = section.conditions;
  bool finite = true;
  for (const brenlow::Part part : {brenlow::Part::ac, brenlow::Part::dc})
    finite = finite && std::isfinite(run.electric_field(0, c.ef_height, part).max) &&
             std::isfinite(run.magnetic_field(0, c.mf_height, part).max);
  if (!finite) {
    throw Error("the fields of this line cannot be computed (no finite value at the centre); the line cannot be shown");
  }
}

}  // namespace

void Session::replace(const brenlow::CrossSection& section, bool edited) {
  check_heights(section);
  brenlow::Evaluation evaluation(section);  // checks; throws before anything changes
  check_results(section, evaluation);
  // An edit the data file cannot hold (a value too wide for its field) is
  // refused now, not when the file is downloaded.
  if (edited) brenlow::data_file_text(section);
  section_ = section;
  evaluation_.emplace(std::move(evaluation));
}

void Session::load(const std::string& bytes, const std::string& name) {
  const brenlow::CrossSection section = brenlow::parse_data_file(bytes, name);  // its messages name the file
  try {
    replace(section, false);
  } catch (const Error& e) {
    throw Error(name + ": " + e.what());
  }
}

namespace {

// One group value of `section` edited in place, as Session::set_group.
void edit_group(brenlow::CrossSection& section, int group, std::string_view field, const std::string& text) {
  if (group < 0 || static_cast<std::size_t>(group) >= section.groups.size()) {
    throw Error("there is no group " + std::to_string(group + 1));
  }
  brenlow::Group& g = section.groups[static_cast<std::size_t>(group)];
  const std::string what = group_label(section, group) + " " + std::string(field);
  if (field == "name") {
    g.name = latin1(text, 8, what);
  } else if (field == "type") {
    const std::string type = cli::trimmed(text);
    if (type != "A" && type != "D") throw Error(what + ": A (AC) or D (DC)");
    g.ac = type == "A";
  } else if (field == "subconductors") {
    g.subconductors = read_integer(text, what);
  } else {
    const GroupField* known = nullptr;
    for (const GroupField& f : group_fields) {
      if (f.name == field) known = &f;
    }
    if (known == nullptr) throw Error("no group value is called " + std::string(field));
    g.*(known->member) = to_metric(read_real(text, what), known->unit, section.english);
  }
}

}  // namespace

void Session::set_group(int group, std::string_view field, const std::string& text) {
  brenlow::CrossSection edited = section_;
  edit_group(edited, group, field, text);
  replace(edited, true);
}

void Session::move_group(int group, const std::string& x, const std::string& y) {
  brenlow::CrossSection edited = section_;
  edit_group(edited, group, "x", x);
  edit_group(edited, group, "y", y);
  replace(edited, true);
}

void Session::set_condition(std::string_view field, const std::string& text) {
  brenlow::CrossSection edited = section_;
  const std::string what(field);
  if (field == "title1" || field == "title2") {
    edited.titles[field == "title1" ? 0 : 1] = latin1(text, 72, what);
  } else if (field == "given_gradients") {
    const std::int32_t given = read_integer(text, what);
    if (given != 0 && given != 1) throw Error(what + ": 0 (computed) or 1 (given)");
    edited.conditions.given_gradients = given == 1;
  } else {
    const ConditionField* known = nullptr;
    for (const ConditionField& f : condition_fields) {
      if (f.name == field) known = &f;
    }
    if (known == nullptr) throw Error("no condition is called " + what);
    edited.conditions.*(known->member) = to_metric(read_real(text, what), known->unit, edited.english);
  }
  replace(edited, true);
}

std::string json_string(std::string_view text) {
  std::string out;
  put_string(out, text);
  return out;
}

std::string Session::section_json() const {
  const bool english = section_.english;
  std::string out = "{";
  put_key(out, "english");
  out += english ? "true" : "false";
  put_key(out, "units");
  out += '{';
  const char* names[][2] = {{"length", english ? "ft" : "m"},
                            {"diameter", english ? "in" : "mm"},
                            {"spacing", english ? "in" : "cm"},
                            {"wind", english ? "mi/hr" : "m/s"},
                            {"rain", english ? "in/hr" : "mm/hr"}};
  for (const auto& [key, unit] : names) {
    put_key(out, key);
    put_string(out, unit);
  }
  out += '}';
  put_key(out, "titles");
  out += '[';
  put_string(out, section_.titles[0]);
  out += ',';
  put_string(out, section_.titles[1]);
  out += ']';
  put_key(out, "energized");
  out += std::to_string(section_.energized);
  put_key(out, "conditions");
  out += '{';
  for (const ConditionField& f : condition_fields) {
    put_key(out, f.name);
    put_number(out, to_file(section_.conditions.*(f.member), f.unit, english));
  }
  put_key(out, "given_gradients");
  out += section_.conditions.given_gradients ? "1" : "0";
  out += '}';
  put_key(out, "groups");
  out += '[';
  for (std::size_t i = 0; i < section_.groups.size(); ++i) {
    const brenlow::Group& g = section_.groups[i];
    if (i > 0) out += ',';
    out += '{';
    put_key(out, "name");
    put_string(out, g.name);
    put_key(out, "type");
    put_string(out, g.ac ? "A" : "D");
    put_key(out, "subconductors");
    out += std::to_string(g.subconductors);
    for (const GroupField& f : group_fields) {
      put_key(out, f.name);
      put_number(out, to_file(g.*(f.member), f.unit, english));
    }
    out += '}';
  }
  out += ']';
  // What is legal but probably not meant, each with the group it names
  // ("group 2 ...": -1 when it names none).
  put_key(out, "warnings");
  out += '[';
  for (const std::string& text : evaluation_ ? brenlow::warnings(*evaluation_) : brenlow::warnings(section_)) {
    if (out.back() != '[') out += ',';
    int group = -1;
    if (text.rfind("group ", 0) == 0) {
      const std::size_t digits = text.find_first_not_of("0123456789", 6);
      if (digits > 6 && digits <= 8) group = std::stoi(text.substr(6, digits - 6)) - 1;
    }
    out += "{";
    put_key(out, "group");
    out += std::to_string(group);
    put_key(out, "field");
    put_string(out, warned_field(text));
    put_key(out, "text");
    put_string(out, text);
    out += '}';
  }
  out += ']';
  std::vector<float> lateral;
  for (const float x : section_.lateral_points()) lateral.push_back(to_file(x, Unit::length, english));
  put_series(out, "lateral", lateral);
  out += '}';
  return out;
}

std::string Session::profiles_json(double left, double right, int count) const {
  if (!evaluation_) throw Error("no cross section is open");
  if (count < 2 || count > 5000) throw Error("between 2 and 5000 points");
  // Within 100 km of the centre: any float the page may send stays finite.
  if (!(std::fabs(left) <= 1e5 && std::fabs(right) <= 1e5)) throw Error("the edges must lie within 100000 of the centre");
  const bool english = section_.english;
  const float from = to_metric(static_cast<float>(left), Unit::length, english);
  const float to = to_metric(static_cast<float>(right), Unit::length, english);
  if (!(from < to) || !std::isfinite(from) || !std::isfinite(to)) throw Error("the left edge must lie left of the right edge");
  const brenlow::Conditions& c = section_.conditions;
  const brenlow::Evaluation& run = *evaluation_;
  const auto n = static_cast<std::size_t>(count);
  // Without wind the ozone plume goes nowhere: no value downwind.
  const bool no_wind = c.wind == 0;
  // A hybrid line's fields apart (the AC phases' and the DC poles'), never
  // added as phasors; a line of one kind its one field.
  const bool hybrid = run.hybrid();
  std::vector<float> x(n), e(n), e_res(n), b(n), b_res(n), e_dc(n), b_dc(n), an_rain(n), an_fair(n), ri_rain(n),
      ri_fair(n), ozone(n);
  const float width = to - from;
  for (std::size_t i = 0; i < n; ++i) {
    const float at = i + 1 == n ? to : from + width * static_cast<float>(i) / static_cast<float>(n - 1);
    x[i] = to_file(at, Unit::length, english);
    const brenlow::ElectricField electric =
        hybrid ? run.electric_field(at, c.ef_height, brenlow::Part::ac) : run.electric_field(at, c.ef_height);
    const brenlow::MagneticField magnetic =
        hybrid ? run.magnetic_field(at, c.mf_height, brenlow::Part::ac) : run.magnetic_field(at, c.mf_height);
    e[i] = electric.max;
    e_res[i] = electric.resultant();
    b[i] = magnetic.max;
    b_res[i] = magnetic.resultant();
    if (hybrid) {
      e_dc[i] = run.electric_field(at, c.ef_height, brenlow::Part::dc).max;
      b_dc[i] = run.magnetic_field(at, c.mf_height, brenlow::Part::dc).max;
    }
    an_rain[i] = level_or_nan(run.audible_noise(at, c.an_height, brenlow::Weather::rain).l50);
    an_fair[i] = level_or_nan(run.audible_noise(at, c.an_height, brenlow::Weather::fair).l50);
    ri_rain[i] = level_or_nan(run.radio(at, c.ri_height, c.ri_frequency, brenlow::Weather::rain));
    ri_fair[i] = level_or_nan(run.radio(at, c.ri_height, c.ri_frequency, brenlow::Weather::fair));
    ozone[i] = no_wind ? std::nanf("") : run.ozone(at, c.oz_height);
  }
  std::vector<float> gradients;
  for (const brenlow::GroupResult& g : run.groups()) gradients.push_back(g.gradient);
  std::string out = "{";
  put_series(out, "x", x);
  // A hybrid line: e_ac, e_ac_res, e_dc, b_ac, b_ac_res, b_dc in place of e, e_res, b, b_res.
  const std::string part = hybrid ? "_ac" : "";
  put_series(out, "e" + part, e);
  put_series(out, "e" + part + "_res", e_res);
  put_series(out, "b" + part, b);
  put_series(out, "b" + part + "_res", b_res);
  if (hybrid) {
    put_series(out, "e_dc", e_dc);
    put_series(out, "b_dc", b_dc);
  }
  put_key(out, "hybrid");
  out += hybrid ? "true" : "false";
  put_series(out, "an_rain", an_rain);
  put_series(out, "an_fair", an_fair);
  put_series(out, "ri_rain", ri_rain);
  put_series(out, "ri_fair", ri_fair);
  put_series(out, "ozone", ozone);
  put_series(out, "gradients", gradients);
  put_key(out, "singular");
  out += run.singular() ? "true" : "false";
  // Why a whole quantity has no value (a value of null elsewhere: not
  // computed at that point).
  put_key(out, "notes");
  out += '{';
  if (no_wind) {
    put_key(out, "ozone");
    put_string(out, brenlow::no_wind_note);
  }
  if (!(c.ri_frequency > 0)) {
    put_key(out, "ri");
    put_string(out, "no radio frequency: radio interference is not computed at " + short_number(c.ri_frequency) + " MHz");
  }
  out += '}';
  out += '}';
  return out;
}

std::string utf8_message(const std::string& message) {
  std::string out;
  for (std::size_t i = 0; i < message.size();) {
    const std::size_t size = utf8_length(message, i);
    if (size > 0) {
      out.append(message, i, size);
      i += size;
    } else {  // a Latin-1 byte
      const auto byte = static_cast<unsigned char>(message[i++]);
      out += static_cast<char>(0xc0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3f));
    }
  }
  return out;
}

std::string Session::data_file() const { return brenlow::data_file_text(section_); }

std::string Session::print_file() const {
  RunDate date;
  driver::getdat(date.year, date.month, date.day);
  driver::gettim(date.hour, date.minute, date.second, date.hundredths);
  return print_file(date);
}

std::string Session::print_file(const RunDate& date) const {
  driver::MemoryRun run = driver::run_data_in_memory(data_file());
  if (run.status != 0) throw Error(cli::trimmed(run.errors));
  // As tesk31 stamps its print file before it lists the data.
  std::string print;
  record::Writer stamp = record::Writer::to_string(&print);
  driver::write_banner(stamp);
  driver::write_list_heading(date, stamp);
  stamp.close();
  return print + run.print;
}

}  // namespace explorer
