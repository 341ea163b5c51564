#include "limits/limit_set.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <sstream>

#include <toml++/toml.h>

#include "format/file_system.hpp"

namespace limits {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string kv_text(double kv) {
  std::ostringstream out;
  out << kv;
  return out.str();
}

// A unit a limit may be written in: how many of the quantity's base unit
// one of it is.
struct Unit {
  std::string_view name;
  double base;
};

bool magnetic(Quantity q) {
  return q == Quantity::b || q == Quantity::b_res || q == Quantity::b_ac || q == Quantity::b_ac_res ||
         q == Quantity::b_dc;
}

std::vector<Unit> units_of(Quantity q) {
  if (magnetic(q)) return {{"uT", 0.01}, {"µT", 0.01}, {"mT", 10.0}, {"mG", 0.001}, {"G", 1.0}};
  if (q == Quantity::j) return {{"nA/m2", 1.0}};
  if (q == Quantity::oz) return {{"ppb", 1.0}};
  if (q == Quantity::an || q == Quantity::an_fair) return {{"dB(A)", 1.0}};
  if (q == Quantity::ri || q == Quantity::ri_fair || q == Quantity::tv) return {{"dB(uV/m)", 1.0}};
  return {{"kV/m", 1.0}, {"V/m", 0.001}};  // the electric fields and E-TOTAL
}

std::string unit_names(Quantity q) {
  std::string out;
  for (const Unit& u : units_of(q))
    if (u.name != "µT") out += (out.empty() ? "" : ", ") + std::string(u.name);
  return out;
}

// Messages name the set, the line and the limit.
class Place {
 public:
  Place(const std::string& set, int index) : set_(set), index_(index) {}
  [[noreturn]] void fail(const toml::node* node, const std::string& what) const {
    std::string where = set_;
    if (node && node->source().begin.line > 0) where += ", line " + std::to_string(node->source().begin.line);
    if (index_ > 0) where += ": limit " + std::to_string(index_);
    throw LimitError(where + ": " + what);
  }

 private:
  const std::string& set_;
  int index_;
};

std::string text_of(const toml::table& table, std::string_view key, const Place& place, bool required) {
  const toml::node* node = table.get(key);
  if (!node) {
    if (required) place.fail(&table, std::string(key) + " is missing");
    return {};
  }
  const auto* s = node->as_string();
  if (!s) place.fail(node, std::string(key) + " must be text in quotes");
  return s->get();
}

std::optional<double> number_of(const toml::table& table, std::string_view key, const Place& place) {
  const toml::node* node = table.get(key);
  if (!node) return std::nullopt;
  double v = 0;
  if (const auto* i = node->as_integer()) {
    v = static_cast<double>(i->get());
  } else if (const auto* f = node->as_floating_point()) {
    v = f->get();
  } else {
    place.fail(node, std::string(key) + " must be a number");
  }
  if (!std::isfinite(v) || v <= 0 || v > 1e30) place.fail(node, std::string(key) + " must be a number above 0");
  return v;
}

void refuse_unknown_keys(const toml::table& table, const std::vector<std::string_view>& known, const Place& place) {
  for (const auto& [key, node] : table)
    if (std::find(known.begin(), known.end(), key.str()) == known.end()) {
      std::string list;
      for (std::string_view k : known) list += (list.empty() ? "" : ", ") + std::string(k);
      place.fail(&node, "unknown key \"" + std::string(key.str()) + "\" (" + list + ")");
    }
}

Frequency frequency_of(const toml::table& table, const Place& place) {
  const toml::node* node = table.get("frequency");
  if (!node) place.fail(&table, "frequency is missing (50, 60, \"dc\" or \"any\")");
  if (const auto* i = node->as_integer()) {
    if (i->get() == 50) return Frequency::hz50;
    if (i->get() == 60) return Frequency::hz60;
    if (i->get() == 0) return Frequency::dc;
  } else if (const auto* s = node->as_string()) {
    const std::string f = lower(s->get());
    if (f == "50") return Frequency::hz50;
    if (f == "60") return Frequency::hz60;
    if (f == "dc" || f == "0") return Frequency::dc;
    if (f == "any") return Frequency::any;
  }
  place.fail(node, "frequency must be 50, 60, \"dc\" or \"any\"");
}

Where where_of(const toml::table& table, const Place& place) {
  const std::string w = lower(text_of(table, "where", place, true));
  if (w == "edge") return Where::edge;
  if (w == "row") return Where::row;
  if (w == "anywhere") return Where::anywhere;
  place.fail(table.get("where"), "where must be \"edge\", \"row\" or \"anywhere\", not \"" + w + "\"");
}

std::string class_name(const VoltageClass& v) {
  if (v.above && v.up_to) return "above " + kv_text(*v.above) + " kV up to " + kv_text(*v.up_to) + " kV";
  if (v.above) return "above " + kv_text(*v.above) + " kV";
  return "up to " + kv_text(*v.up_to) + " kV";
}

Limit limit_of(const toml::table& table, const Place& place, const std::string& set_source) {
  refuse_unknown_keys(table,
                      {"quantity", "value", "unit", "where", "frequency", "source", "voltage-above", "voltage-up-to",
                       "class"},
                      place);
  Limit limit;
  limit.line = static_cast<int>(table.source().begin.line);
  const std::string q = text_of(table, "quantity", place, true);
  const std::optional<Quantity> quantity = parse_quantity(q);
  if (!quantity)
    place.fail(table.get("quantity"), "unknown quantity \"" + q + "\" (" + std::string(quantity_names()) + ")");
  limit.quantity = *quantity;
  const std::optional<double> value = number_of(table, "value", place);
  if (!value) place.fail(&table, "value is missing");
  limit.value = *value;
  limit.unit = text_of(table, "unit", place, true);
  bool known_unit = false;
  for (const Unit& u : units_of(limit.quantity))
    if (u.name == limit.unit) {
      limit.base_value = limit.value * u.base;
      known_unit = true;
    }
  if (!known_unit)
    place.fail(table.get("unit"), "unit \"" + limit.unit + "\" is not a unit of " + std::string(name(limit.quantity)) +
                                      " (" + unit_names(limit.quantity) + ")");
  limit.where = where_of(table, place);
  limit.frequency = frequency_of(table, place);
  limit.source = text_of(table, "source", place, false);
  if (limit.source.empty()) limit.source = set_source;

  const std::optional<double> above = number_of(table, "voltage-above", place);
  const std::optional<double> up_to = number_of(table, "voltage-up-to", place);
  const std::string class_text = text_of(table, "class", place, false);
  if (above || up_to) {
    VoltageClass v{above, up_to, class_text};
    if (above && up_to && !(*up_to > *above))
      place.fail(table.get("voltage-up-to"), "voltage-up-to must be above voltage-above: no line is in the class");
    if (v.name.empty()) v.name = class_name(v);
    limit.voltage = v;
  } else if (!class_text.empty()) {
    place.fail(table.get("class"), "class names a voltage class: give voltage-above or voltage-up-to (kV)");
  }
  return limit;
}

}  // namespace

std::string_view where_name(Where w) {
  switch (w) {
    case Where::edge: return "edge";
    case Where::row: return "row";
    case Where::anywhere: return "anywhere";
  }
  return "anywhere";
}

std::string_view frequency_name(Frequency f) {
  switch (f) {
    case Frequency::hz50: return "50 Hz";
    case Frequency::hz60: return "60 Hz";
    case Frequency::dc: return "DC";
    case Frequency::any: return "any";
  }
  return "any";
}

bool VoltageClass::contains(double kv) const {
  if (above && !(kv > *above * (1 + class_tolerance))) return false;
  if (up_to && !(kv <= *up_to * (1 + class_tolerance))) return false;
  return true;
}

LimitSet parse_limit_set(const std::string& text, const std::string& name) {
  toml::parse_result parsed = toml::parse(text, name);
  if (!parsed) {
    const toml::parse_error& e = parsed.error();
    throw LimitError(name + ", line " + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
  }
  const toml::table& top = parsed.table();
  const Place top_place(name, 0);
  refuse_unknown_keys(top, {"title", "source", "limit"}, top_place);
  LimitSet set;
  set.name = name;
  set.title = text_of(top, "title", top_place, false);
  set.source = text_of(top, "source", top_place, false);
  const toml::node* list = top.get("limit");
  if (!list) throw LimitError(name + ": no limit in the set (each is a [[limit]] table)");
  const toml::array* limits = list->as_array();
  if (!limits) top_place.fail(list, "limit must be a list of tables: write each as [[limit]]");
  int index = 0;
  for (const toml::node& node : *limits) {
    const Place place(name, ++index);
    const toml::table* table = node.as_table();
    if (!table) place.fail(&node, "a limit must be a table: write each as [[limit]]");
    set.limits.push_back(limit_of(*table, place, set.source));
  }
  if (set.limits.empty()) throw LimitError(name + ": no limit in the set (each is a [[limit]] table)");
  return set;
}

LimitSet read_limit_set(const std::string& path) {
  if (path.find('\0') != std::string::npos) throw LimitError("limit set file name holds a NUL byte");
  std::ifstream in;
  try {
    in = record::input_stream(path);
  } catch (const record::FileError& e) {
    throw LimitError(e.what());
  }
  if (!in) throw LimitError(path + ": " + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw LimitError(path + ": cannot be read");
  return parse_limit_set(text, path);
}

std::vector<std::string> shipped_set_names() {
  std::vector<std::string> out;
  for (const ShippedText& s : shipped_set_texts()) out.emplace_back(s.name);
  return out;
}

std::string shipped_set_text(std::string_view name) {
  const std::string wanted = lower(name);
  for (const ShippedText& s : shipped_set_texts())
    if (wanted == s.name) return s.text;
  return {};
}

std::optional<LimitSet> shipped_set(std::string_view name) {
  const std::string wanted = lower(name);
  for (const ShippedText& s : shipped_set_texts())
    if (wanted == s.name) {
      LimitSet set = parse_limit_set(s.text, s.name);
      return set;
    }
  return std::nullopt;
}

LimitSet limit_set(const std::string& name_or_file) {
  if (std::optional<LimitSet> set = shipped_set(name_or_file)) return *set;
  std::error_code ec;
  if (!name_or_file.empty() && name_or_file.find('\0') == std::string::npos &&
      std::filesystem::exists(record::file_path(name_or_file), ec))
    return read_limit_set(name_or_file);
  std::string names;
  for (const std::string& n : shipped_set_names()) names += (names.empty() ? "" : ", ") + n;
  throw LimitError("\"" + name_or_file + "\" is neither a limit set shipped with the programs (" + names +
                   ") nor a file");
}

std::string given_text(const Limit& limit) {
  std::ostringstream out;
  out.precision(6);
  out << limit.value << ' ' << limit.unit;
  return out.str();
}

double shown_limit(const Limit& limit, BUnit b) {
  return magnetic(limit.quantity) ? limit.base_value * cli::per_gauss(b) : limit.base_value;
}

}  // namespace limits
