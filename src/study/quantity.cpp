#include "study/quantity.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace study {

namespace {

struct Info {
  Quantity q;
  std::string_view name;
  std::string_view unit;
  int decimals;
};

constexpr std::array<Info, 8> infos = {{
    {Quantity::e, "E", "kV/m", 3},
    {Quantity::b, "B", "", 0},
    {Quantity::an, "AN", "dB(A)", 1},
    {Quantity::an_fair, "AN-FAIR", "dB(A)", 1},
    {Quantity::ri, "RI", "dB(uV/m)", 1},
    {Quantity::ri_rain, "RI-RAIN", "dB(uV/m)", 1},
    {Quantity::tv, "TV", "dB(uV/m)", 1},
    {Quantity::oz, "OZ", "ppb", 6},
}};

const Info& info(Quantity q) { return infos[static_cast<std::size_t>(q)]; }

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
  return std::nullopt;
}

std::optional<BUnit> parse_b_unit(std::string_view text) {
  if (text == "uT" || text == "ut" || text == "UT" || text == "µT") return BUnit::microtesla;
  if (text == "mG" || text == "mg" || text == "MG") return BUnit::milligauss;
  if (text == "G" || text == "g") return BUnit::gauss;
  return std::nullopt;
}

std::string_view unit_label(BUnit b) {
  switch (b) {
    case BUnit::microtesla: return "uT";
    case BUnit::milligauss: return "mG";
    case BUnit::gauss: return "G";
  }
  return "";
}

std::string_view unit_label(Quantity q, BUnit b) { return q == Quantity::b ? unit_label(b) : info(q).unit; }

int decimals(Quantity q, BUnit b) {
  if (q != Quantity::b) return info(q).decimals;
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
    case Quantity::ri: return p.ri_fair;
    case Quantity::ri_rain: return p.ri_rain;
    case Quantity::tv: return p.tv;
    case Quantity::oz: return p.ozone;
  }
  return 0;
}

float value(const brenlow::Evaluation& run, Quantity q, float x, BUnit b) {
  const brenlow::Conditions& c = run.section().conditions;
  switch (q) {
    case Quantity::e: return run.electric_field(x, c.ef_height).max;
    case Quantity::b: return from_gauss(run.magnetic_field(x, c.mf_height).max, b);
    case Quantity::an: return run.audible_noise(x, c.an_height, brenlow::Weather::rain).l50;
    case Quantity::an_fair: return run.audible_noise(x, c.an_height, brenlow::Weather::fair).l50;
    case Quantity::ri: return run.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::fair);
    case Quantity::ri_rain: return run.radio(x, c.ri_height, c.ri_frequency, brenlow::Weather::rain);
    case Quantity::tv: return run.tv(x, c.tv_height, c.tv_frequency);
    case Quantity::oz: return run.ozone(x, c.oz_height);
  }
  return 0;
}

bool from_gradients(Quantity q) { return q != Quantity::e && q != Quantity::b; }

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

}  // namespace study
