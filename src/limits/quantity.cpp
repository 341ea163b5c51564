#include "limits/quantity.hpp"

#include "limits/ion_flow_values.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace limits {

namespace {

struct Info {
  Quantity q;
  std::string_view name;
  std::string_view unit;
  int decimals;
};

constexpr std::array<Info, 18> infos = {{
    {Quantity::e, "E", "kV/m", 3},
    {Quantity::b, "B", "", 0},
    {Quantity::an, "AN", "dB(A)", 1},
    {Quantity::an_fair, "AN-FAIR", "dB(A)", 1},
    {Quantity::ri, "RI", "dB(uV/m)", 1},
    {Quantity::ri_fair, "RI-FAIR", "dB(uV/m)", 1},
    {Quantity::tv, "TV", "dB(uV/m)", 1},
    {Quantity::oz, "OZ", "ppb", 6},
    {Quantity::e_res, "E-RES", "kV/m", 3},
    {Quantity::b_res, "B-RES", "", 0},
    {Quantity::e_total, "E-TOTAL", "kV/m", 3},
    {Quantity::j, "J", "nA/m2", 3},
    {Quantity::e_ac, "E-AC", "kV/m", 3},
    {Quantity::e_ac_res, "E-AC-RES", "kV/m", 3},
    {Quantity::e_dc, "E-DC", "kV/m", 3},
    {Quantity::b_ac, "B-AC", "", 0},
    {Quantity::b_ac_res, "B-AC-RES", "", 0},
    {Quantity::b_dc, "B-DC", "", 0},
}};

const Info& info(Quantity q) { return infos[static_cast<std::size_t>(q)]; }

bool is_b(Quantity q) {
  return q == Quantity::b || q == Quantity::b_res || q == Quantity::b_ac || q == Quantity::b_ac_res ||
         q == Quantity::b_dc;
}

bool same_text(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::string_view name(Quantity q) { return info(q).name; }

std::optional<Quantity> parse_quantity(std::string_view text) {
  for (const Info& i : infos)
    if (same_text(text, i.name)) return i.q;
  // The rain levels by their weather's name too.
  if (same_text(text, "AN-RAIN")) return Quantity::an;
  if (same_text(text, "RI-RAIN")) return Quantity::ri;
  return std::nullopt;
}

std::string_view quantity_names() {
  return "E, E-RES, B, B-RES, E-AC, E-AC-RES, E-DC, B-AC, B-AC-RES, B-DC, AN, AN-FAIR, RI, RI-FAIR, TV, OZ, "
         "E-TOTAL, J";
}

std::vector<Quantity> default_quantities(const std::vector<brenlow::CrossSection>& sections) {
  bool hybrid = false, one_kind = false;
  for (const brenlow::CrossSection& s : sections) (brenlow::is_hybrid(s) ? hybrid : one_kind) = true;
  if (!hybrid) return {all_quantities.begin(), all_quantities.end()};
  if (!one_kind) return {hybrid_quantities.begin(), hybrid_quantities.end()};
  std::vector<Quantity> out(all_quantities.begin(), all_quantities.begin() + 4);
  out.insert(out.end(), hybrid_quantities.begin(), hybrid_quantities.end());
  return out;
}

bool one_field(Quantity q) {
  return q == Quantity::e || q == Quantity::e_res || q == Quantity::b || q == Quantity::b_res;
}

bool electric(Quantity q) {
  return q == Quantity::e || q == Quantity::e_res || q == Quantity::e_ac || q == Quantity::e_ac_res ||
         q == Quantity::e_dc;
}

float field_at(const brenlow::Evaluation& run, Quantity q, float x, float height, BUnit b) {
  if (one_field(q) && run.hybrid()) return std::numeric_limits<float>::quiet_NaN();
  const auto e = [&](brenlow::Part part) { return run.electric_field(x, height, part); };
  const auto m = [&](brenlow::Part part) { return run.magnetic_field(x, height, part); };
  using brenlow::Part;
  switch (q) {
    case Quantity::e: return run.electric_field(x, height).max;
    case Quantity::e_res: return run.electric_field(x, height).resultant();
    case Quantity::b: return from_gauss(run.magnetic_field(x, height).max, b);
    case Quantity::b_res: return from_gauss(run.magnetic_field(x, height).resultant(), b);
    case Quantity::e_ac: return e(Part::ac).max;
    case Quantity::e_ac_res: return e(Part::ac).resultant();
    case Quantity::e_dc: return e(Part::dc).max;
    case Quantity::b_ac: return from_gauss(m(Part::ac).max, b);
    case Quantity::b_ac_res: return from_gauss(m(Part::ac).resultant(), b);
    case Quantity::b_dc: return from_gauss(m(Part::dc).max, b);
    default: break;  // not a field
  }
  return std::numeric_limits<float>::quiet_NaN();
}

bool from_ion_flow(Quantity q) { return q == Quantity::e_total || q == Quantity::j; }

std::string_view unit_label(Quantity q, BUnit b) { return is_b(q) ? cli::b_unit_label(b) : info(q).unit; }

int decimals(Quantity q, BUnit b) {
  if (!is_b(q)) return info(q).decimals;
  switch (b) {
    case BUnit::microtesla: return 3;
    case BUnit::milligauss: return 2;
    case BUnit::gauss: return 5;
  }
  return 5;
}

float from_gauss(float gauss, BUnit b) {
  switch (b) {
    case BUnit::microtesla: return gauss * 100.0f;
    case BUnit::milligauss: return gauss * 1000.0f;
    case BUnit::gauss: return gauss;
  }
  return gauss;
}

float value(const brenlow::Point& p, Quantity q, BUnit b) {
  switch (q) {
    case Quantity::e: return p.e;
    case Quantity::b: return from_gauss(p.b, b);
    case Quantity::an: return p.an_rain;
    case Quantity::an_fair: return p.an_fair;
    case Quantity::ri: return p.ri_rain;
    case Quantity::ri_fair: return p.ri_fair;
    case Quantity::tv: return p.tv;
    case Quantity::oz: return p.ozone;
    case Quantity::e_ac: return p.e_ac;
    case Quantity::e_dc: return p.e_dc;
    case Quantity::b_ac: return from_gauss(p.b_ac, b);
    case Quantity::b_dc: return from_gauss(p.b_dc, b);
    case Quantity::e_res:
    case Quantity::b_res:
    case Quantity::e_ac_res:
    case Quantity::b_ac_res: break;  // not on a line of the combined report
    case Quantity::e_total:
    case Quantity::j: break;  // not on a line of the combined report
  }
  return std::numeric_limits<float>::quiet_NaN();
}

float value(const brenlow::Evaluation& run, const brenlow::Point& point, Quantity q, BUnit b) {
  const bool resultant =
      q == Quantity::e_res || q == Quantity::b_res || q == Quantity::e_ac_res || q == Quantity::b_ac_res;
  return resultant || from_ion_flow(q) ? value(run, q, point.x, b) : value(point, q, b);
}

float value(const brenlow::Evaluation& run, Quantity q, float x, BUnit b) {
  const brenlow::Conditions& c = run.section().conditions;
  switch (q) {
    case Quantity::an: return run.audible_noise(x, c.an_height, brenlow::Weather::rain).l50;
    case Quantity::an_fair: return run.audible_noise(x, c.an_height, brenlow::Weather::fair).l50;
    case Quantity::ri: return run.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::rain);
    case Quantity::ri_fair: return run.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::fair);
    case Quantity::tv: return run.tv(x, c.tv_height, c.tv_frequency);
    case Quantity::oz: return run.ozone(x, c.oz_height);
    case Quantity::e_total:
    case Quantity::j: return ion_flow_value(run.section(), q, x);
    default: break;
  }
  return field_at(run, q, x, electric(q) ? c.ef_height : c.mf_height, b);
}

bool from_gradients(Quantity q) {
  return q == Quantity::an || q == Quantity::an_fair || q == Quantity::ri || q == Quantity::ri_fair ||
         q == Quantity::tv || q == Quantity::oz || from_ion_flow(q);
}

bool is_level(Quantity q) { return from_gradients(q) && q != Quantity::oz; }

float shown_value(Quantity q, float v) {
  return is_level(q) && !brenlow::level_computed(v) ? std::numeric_limits<float>::quiet_NaN() : v;
}

std::string fixed(double v, int decimals) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
  std::string text = buffer;
  // No "-0.00": a value that rounds to zero is shown without a sign.
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace limits
