#include "limits/comply.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "limits/ion_flow_values.hpp"

namespace limits {

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

bool has_kind(const brenlow::CrossSection& s, bool ac) {
  for (int i = 0; i < s.energized && i < static_cast<int>(s.groups.size()); ++i) {
    const brenlow::Group& g = s.groups[static_cast<std::size_t>(i)];
    if (g.ac == ac && g.kv != 0) return true;
  }
  return false;
}

// A field quantity as the field it names (E, E-RES, B, B-RES) and the part
// it names, if any.
enum class Part { none, ac, dc };
struct Field {
  Quantity base;
  Part part;
};

std::optional<Field> field_of(Quantity q) {
  switch (q) {
    case Quantity::e:
    case Quantity::e_res:
    case Quantity::b:
    case Quantity::b_res: return Field{q, Part::none};
    case Quantity::e_ac: return Field{Quantity::e, Part::ac};
    case Quantity::e_ac_res: return Field{Quantity::e_res, Part::ac};
    case Quantity::e_dc: return Field{Quantity::e, Part::dc};
    case Quantity::b_ac: return Field{Quantity::b, Part::ac};
    case Quantity::b_ac_res: return Field{Quantity::b_res, Part::ac};
    case Quantity::b_dc: return Field{Quantity::b, Part::dc};
    default: return std::nullopt;
  }
}

Quantity part_quantity(Quantity base, Part part) {
  const bool dc = part == Part::dc;
  switch (base) {
    case Quantity::e: return dc ? Quantity::e_dc : Quantity::e_ac;
    case Quantity::e_res: return dc ? Quantity::e_dc : Quantity::e_ac_res;  // a static field's resultant is E-DC
    case Quantity::b: return dc ? Quantity::b_dc : Quantity::b_ac;
    default: return dc ? Quantity::b_dc : Quantity::b_ac_res;
  }
}

struct Line {
  bool ac = false;
  bool dc = false;
  int frequency = 60;
  bool hybrid() const { return ac && dc; }
};

std::string hz(int f) { return std::to_string(f) + " Hz"; }

// What the limit is judged on: one quantity, the larger of two (a limit
// for any frequency on a hybrid line: both its fields), or why none.
struct Judged {
  std::vector<Quantity> quantities;
  std::string reason;
};

Judged judged(const Limit& limit, const Line& line, const brenlow::CrossSection& section) {
  const Quantity q = limit.quantity;
  const Frequency f = limit.frequency;
  const std::string qn(name(q));
  const bool ac_limit = f == Frequency::hz50 || f == Frequency::hz60;
  const int limit_hz = f == Frequency::hz50 ? 50 : 60;
  // An AC limit on what the AC phases give, at the line's frequency.
  const auto ac_reason = [&]() -> std::string {
    if (!line.ac) return "a limit at " + hz(limit_hz) + ": the line has no AC phases at a voltage";
    if (limit_hz != line.frequency)
      return "a limit at " + hz(limit_hz) + ": the line runs at " + hz(line.frequency);
    return {};
  };
  const auto dc_reason = [&]() -> std::string {
    return line.dc ? std::string() : "a limit for DC: the line has no DC poles at a voltage";
  };

  if (const std::optional<Field> field = field_of(q)) {
    Part part = field->part;
    if (part == Part::ac && f == Frequency::dc) return {{}, qn + " is an AC field; the limit is for DC"};
    if (part == Part::dc && ac_limit) return {{}, qn + " is a static field; the limit is at " + hz(limit_hz)};
    if (part == Part::none) part = ac_limit ? Part::ac : f == Frequency::dc ? Part::dc : Part::none;
    if (part == Part::ac) {
      if (std::string r = ac_limit ? ac_reason() : (line.ac ? "" : qn + ": the line has no AC phases at a voltage");
          !r.empty())
        return {{}, r};
    } else if (part == Part::dc) {
      if (std::string r = line.dc ? "" : (f == Frequency::dc ? dc_reason() : qn + ": the line has no DC poles at a voltage");
          !r.empty())
        return {{}, r};
    } else if (!line.ac && !line.dc) {
      return {{}, "the line has no energized group at a voltage: no field"};
    }
    if (part == Part::none) {
      // Any frequency: a line of one kind has its one field; a hybrid line
      // has two apart, and both must hold the limit.
      if (!line.hybrid()) return {{field->base}, {}};
      return {{part_quantity(field->base, Part::ac), part_quantity(field->base, Part::dc)}, {}};
    }
    if (!line.hybrid()) return {{field->base == Quantity::e_res && part == Part::dc ? Quantity::e : field->base}, {}};
    return {{part_quantity(field->base, part)}, {}};
  }

  if (from_ion_flow(q)) {
    if (ac_limit) return {{}, qn + " is the DC ion flow's; the limit is at " + hz(limit_hz)};
    if (!has_dc_pole(section)) return {{}, qn + ": the line has no DC poles at a voltage (no ion flow)"};
    return {{q}, {}};
  }

  // The corona effects: of the whole line, at its frequency for an AC limit.
  if (ac_limit) {
    if (std::string r = ac_reason(); !r.empty()) return {{}, r};
  } else if (f == Frequency::dc) {
    if (std::string r = dc_reason(); !r.empty()) return {{}, r};
  }
  const brenlow::Conditions& c = section.conditions;
  if ((q == Quantity::ri || q == Quantity::ri_fair) && !(c.ri_frequency > 0))
    return {{}, qn + ": the data file gives no radio frequency (0 MHz)"};
  if (q == Quantity::tv && !(c.tv_frequency > 0)) return {{}, qn + ": the data file gives no TV frequency (0 MHz)"};
  if (q == Quantity::oz && !(c.wind > 0)) return {{}, std::string("OZ: ") + brenlow::no_wind_note};
  return {{q}, {}};
}

// Golden-section search for the maximum of f within [a, b].
Maximum refine(const std::function<double(float)>& f, float a, float b, float resolution) {
  const double r = 0.6180339887498949;
  double lo = a, hi = b;
  double c = hi - r * (hi - lo), d = lo + r * (hi - lo);
  double fc = f(static_cast<float>(c)), fd = f(static_cast<float>(d));
  for (int i = 0; i < 200 && hi - lo > resolution; ++i) {
    if (fc >= fd) {
      hi = d;
      d = c;
      fd = fc;
      c = hi - r * (hi - lo);
      fc = f(static_cast<float>(c));
    } else {
      lo = c;
      c = d;
      fc = fd;
      d = lo + r * (hi - lo);
      fd = f(static_cast<float>(d));
    }
    if (static_cast<float>(c) == static_cast<float>(d)) break;
  }
  return fc >= fd ? Maximum{static_cast<float>(c), fc} : Maximum{static_cast<float>(d), fd};
}

}  // namespace

std::string_view verdict_name(Verdict v) {
  switch (v) {
    case Verdict::pass: return "PASS";
    case Verdict::fail: return "FAIL";
    case Verdict::not_applicable: return "N/A";
  }
  return "N/A";
}

Applicability applicability(const Limit& limit, const brenlow::CrossSection& section, int frequency) {
  Applicability out;
  if (limit.voltage) {
    const double kv = line_voltage(section);
    if (!limit.voltage->contains(kv)) {
      out.reason = "the line's voltage, " + fixed(kv, 1) + " kV, is outside this limit's voltage class: " +
                   limit.voltage->name;
      return out;
    }
    out.voltage_class = limit.voltage->name;
  }
  Line line;
  line.ac = has_kind(section, true);
  line.dc = has_kind(section, false);
  line.frequency = frequency;
  Judged j = judged(limit, line, section);
  out.quantities = std::move(j.quantities);
  out.reason = std::move(j.reason);
  return out;
}

bool Compliance::any_fails() const {
  return std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.verdict == Verdict::fail; });
}

bool Compliance::any_applies() const {
  return std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.verdict != Verdict::not_applicable; });
}

double line_voltage(const brenlow::CrossSection& section) {
  double kv = 0;
  for (int i = 0; i < section.energized && i < static_cast<int>(section.groups.size()); ++i) {
    const brenlow::Group& g = section.groups[static_cast<std::size_t>(i)];
    const double v = std::fabs(static_cast<double>(g.kv)) * (g.ac ? std::sqrt(3.0) : 1.0);
    kv = std::max(kv, v);
  }
  return kv;
}

Maximum largest(const std::function<double(float)>& f, float from, float to, int points,
                const std::vector<float>& extra) {
  std::vector<float> xs;
  const int n = std::max(points, 2);
  for (int i = 0; i < n; ++i)
    xs.push_back(i == n - 1 ? to : static_cast<float>(from + (static_cast<double>(to) - from) * i / (n - 1)));
  for (float x : extra)
    if (x > from && x < to) xs.push_back(x);
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::vector<double> vs;
  for (float x : xs) {
    const double v = f(x);
    if (std::isnan(v)) return {x, not_a_number};
    vs.push_back(v);
  }
  // The scanned local maxima, largest first.
  std::vector<std::size_t> peaks;
  for (std::size_t i = 0; i < xs.size(); ++i)
    if ((i == 0 || vs[i] >= vs[i - 1]) && (i + 1 == xs.size() || vs[i] >= vs[i + 1])) peaks.push_back(i);
  std::sort(peaks.begin(), peaks.end(), [&](std::size_t a, std::size_t b) { return vs[a] > vs[b]; });
  if (peaks.size() > 64) peaks.resize(64);
  const float resolution =
      std::max(static_cast<float>((static_cast<double>(to) - from) * 1e-6),
               std::max(std::fabs(from), std::fabs(to)) * std::numeric_limits<float>::epsilon() * 4);
  Maximum best{xs[peaks.front()], vs[peaks.front()]};
  for (std::size_t i : peaks) {
    const float a = xs[i == 0 ? 0 : i - 1];
    const float b = xs[i + 1 == xs.size() ? i : i + 1];
    if (vs[i] > best.value) best = {xs[i], vs[i]};
    if (b - a <= resolution) continue;
    const Maximum m = refine(f, a, b, resolution);
    if (m.value > best.value) best = m;
  }
  return best;
}

namespace {

void check_request(const Edges& edges, const ComplyOptions& options) {
  if (options.frequency != 50 && options.frequency != 60)
    throw LimitError("frequency " + std::to_string(options.frequency) + " Hz: 50 or 60 only");
  if (!std::isfinite(edges.left) || !std::isfinite(edges.right) || std::fabs(edges.left) > brenlow::farthest_distance ||
      std::fabs(edges.right) > brenlow::farthest_distance)
    throw LimitError("the right-of-way's edges must lie within 1000 km of the line");
  if (!(edges.left < edges.right)) throw LimitError("the right-of-way's right edge must lie right of its left edge");
}

}  // namespace

Compliance comply(const brenlow::CrossSection& section, const LimitSet& set, const Edges& edges,
                  const ComplyOptions& options) {
  check_request(edges, options);
  return comply(brenlow::Evaluation(section), set, edges, options);
}

Compliance comply(const brenlow::Evaluation& run, const LimitSet& set, const Edges& edges,
                  const ComplyOptions& options) {
  check_request(edges, options);
  const brenlow::CrossSection& section = run.section();

  Compliance out;
  out.set_name = set.name;
  out.set_title = set.title;
  out.line_kv = line_voltage(section);
  out.line_ac = has_kind(section, true);
  out.line_dc = has_kind(section, false);
  out.frequency = options.frequency;
  out.edges = edges;
  out.b = options.b;

  // Anywhere: the right-of-way and beyond it, as far out as the outer
  // groups stand plus the highest group's height, where every quantity has
  // fallen off from its values under the line.
  float lo = edges.left, hi = edges.right, top = 0;
  std::vector<float> group_xs;
  for (const brenlow::Group& g : section.groups) {
    lo = std::min(lo, g.x);
    hi = std::max(hi, g.x);
    top = std::max(top, g.y);
    group_xs.push_back(g.x);
  }
  lo = std::max(lo - top, -brenlow::farthest_distance);
  hi = std::min(hi + top, brenlow::farthest_distance);

  for (const Limit& limit : set.limits) {
    Row row;
    row.limit = limit;
    row.evaluated = limit.quantity;
    row.limit_value = shown_limit(limit, options.b);
    row.unit = std::string(unit_label(limit.quantity, options.b));
    row.value = not_a_number;
    row.margin = not_a_number;
    const auto not_applicable = [&](std::string reason) {
      row.verdict = Verdict::not_applicable;
      row.reason = std::move(reason);
      out.rows.push_back(row);
    };
    const Applicability j = applicability(limit, section, options.frequency);
    row.voltage_class = j.voltage_class;
    if (j.quantities.empty()) {
      not_applicable(j.reason);
      continue;
    }

    // The deciding value: the worst of the quantities judged, where the limit holds.
    std::optional<std::string> missing;
    bool decided = false;
    for (Quantity q : j.quantities) {
      const auto f = [&](float x) -> double { return shown_value(q, value(run, q, x, options.b)); };
      double v = 0;
      float x = 0;
      std::string at;
      if (limit.where == Where::edge) {
        const double l = f(edges.left), r = f(edges.right);
        if (std::isnan(l) || std::isnan(r)) {
          missing = std::string(name(q)) + " is not computed for this line at the " + (std::isnan(l) ? "left" : "right") +
                    " edge";
          break;
        }
        v = std::max(l, r);
        x = r > l ? edges.right : edges.left;
        at = l == r ? "both edges" : r > l ? "right edge" : "left edge";
      } else {
        const bool row_only = limit.where == Where::row;
        const Maximum m = largest(f, row_only ? edges.left : lo, row_only ? edges.right : hi, options.grid_points, group_xs);
        if (std::isnan(m.value)) {
          missing = std::string(name(q)) + " is not computed for this line";
          break;
        }
        v = m.value;
        x = m.x;
        at = x == edges.left ? "left edge" : x == edges.right ? "right edge" : x < edges.left ? "beyond the left edge"
             : x > edges.right ? "beyond the right edge" : "within";
      }
      if (!decided || v > row.value) {
        row.value = v;
        row.x = x;
        row.at = at;
        row.evaluated = q;
        decided = true;
      }
    }
    if (missing) {
      not_applicable(*missing);
      continue;
    }
    // A level in decibels (noise, radio, TV) by its difference; E total and J,
    // which share the levels' "not computed" mark, are a field and a current.
    row.margin_db = is_level(limit.quantity) && !from_ion_flow(limit.quantity);
    row.margin = row.margin_db ? row.value - row.limit_value : row.value / row.limit_value;
    row.verdict = row.value <= row.limit_value ? Verdict::pass : Verdict::fail;
    out.rows.push_back(row);
  }
  return out;
}

namespace {

std::string json_string(std::string_view s) {
  std::string out = "\"";
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += ch;
    }
  }
  return out + '"';
}

std::string json_number(double v) {
  if (!std::isfinite(v)) return "null";
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.9g", v);
  return buffer;
}

}  // namespace

std::string compliance_json(const Compliance& c, const LengthUnit& unit, const std::string& file) {
  std::string out = "{";
  if (!file.empty()) out += "\"file\": " + json_string(file) + ", ";
  out += "\"set\": " + json_string(c.set_name) + ", \"title\": " + json_string(c.set_title);
  out += ", \"line_kv\": " + json_number(c.line_kv) + ", \"frequency_hz\": " + std::to_string(c.frequency);
  out += ", \"length_unit\": " + json_string(unit.label());
  out += ", \"edges\": [" + json_number(unit.from_metres(c.edges.left)) + ", " +
         json_number(unit.from_metres(c.edges.right)) + "]";
  out += ", \"rows\": [";
  for (std::size_t i = 0; i < c.rows.size(); ++i) {
    const Row& r = c.rows[i];
    const bool applies = r.verdict != Verdict::not_applicable;
    out += i ? ",\n  {" : "\n  {";
    out += "\"quantity\": " + json_string(name(r.limit.quantity));
    out += ", \"evaluated\": " + json_string(name(r.evaluated));
    out += ", \"where\": " + json_string(where_name(r.limit.where));
    out += ", \"frequency\": " + json_string(frequency_name(r.limit.frequency));
    out += ", \"voltage_class\": " + (r.voltage_class.empty() ? std::string("null") : json_string(r.voltage_class));
    out += ", \"limit\": " + json_number(r.limit_value) + ", \"unit\": " + json_string(r.unit);
    out += ", \"limit_as_given\": " + json_string(given_text(r.limit));
    out += ", \"value\": " + (applies ? json_number(r.value) : "null");
    out += ", \"x\": " + (applies ? json_number(unit.from_metres(r.x)) : "null");
    out += ", \"at\": " + (applies ? json_string(r.at) : "null");
    out += ", \"margin\": " + (applies ? json_number(r.margin) : "null");
    out += ", \"margin_unit\": " + json_string(r.margin_db ? "dB" : "ratio");
    out += ", \"result\": " + json_string(verdict_name(r.verdict));
    out += ", \"reason\": " + (r.reason.empty() ? std::string("null") : json_string(r.reason));
    out += ", \"source\": " + json_string(r.limit.source) + "}";
  }
  out += "\n]}\n";
  return out;
}

}  // namespace limits
