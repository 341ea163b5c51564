// The ion flow of a line: onset, tracing of each pole's lines with their
// refinement, the per-line solutions, and the ground values between lines.

#include "ionflow/ion_flow.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "ionflow/line_solution.hpp"
#include "ionflow/tracing.hpp"

namespace ionflow {

namespace {

// One value for every pole, or one per pole: the value of pole p, or none.
const double* per_pole(const std::vector<double>& values, std::size_t p, std::size_t poles, const char* what) {
  if (values.empty()) return nullptr;
  if (values.size() != 1 && values.size() != poles)
    throw std::invalid_argument(std::string(what) + ": " + std::to_string(values.size()) +
                                " values for " + std::to_string(poles) + " poles (give one, or one per pole)");
  const double& v = values.size() == 1 ? values[0] : values[p];
  if (!(v > 0) || !std::isfinite(v)) throw std::invalid_argument(std::string(what) + " must be above 0");
  return &v;
}

void check_positive(double v, const char* what) {
  if (!(v > 0) || !std::isfinite(v)) throw std::invalid_argument(std::string(what) + " must be above 0");
}

enum class End { ground, conductor, between_poles, lost };

struct Line {
  double angle = 0;  // on the pole's equivalent conductor, radians
  End end = End::lost;
  double x = 0;      // landing on the ground, m
  LineSolution solution;
};

}  // namespace

std::vector<Circle> equivalent_conductors(const std::vector<Bundle>& bundles) {
  std::vector<Circle> equivalent;
  for (const Bundle& b : bundles) equivalent.push_back({b.x, b.y, b.equivalent_radius()});
  return equivalent;
}

std::vector<Pole> find_poles(const std::vector<Bundle>& bundles, const Settings& settings) {
  check_positive(settings.roughness, "roughness");
  check_positive(settings.air_density, "relative air density");
  check_positive(settings.mobility_positive, "positive ion mobility");
  check_positive(settings.mobility_negative, "negative ion mobility");
  std::vector<Pole> poles;
  for (const Bundle& b : bundles) {
    if (b.pole && b.volts != 0) {
      Pole pole;
      pole.bundle = static_cast<int>(&b - bundles.data());
      pole.volts = b.volts;
      pole.mobility = b.volts > 0 ? settings.mobility_positive : settings.mobility_negative;
      poles.push_back(pole);
    }
  }
  if (poles.empty()) return poles;
  const std::vector<double> gradients = max_surface_gradients(bundles);
  for (std::size_t p = 0; p < poles.size(); ++p) {
    Pole& pole = poles[p];
    const Bundle& b = bundles[static_cast<std::size_t>(pole.bundle)];
    pole.max_gradient = gradients[static_cast<std::size_t>(pole.bundle)];
    const double magnitude = std::abs(pole.volts);
    const double* v0 = per_pole(settings.onset_voltages, p, poles.size(), "onset voltage");
    const double* e_on = per_pole(settings.onset_gradients, p, poles.size(), "onset gradient");
    if (v0) {
      pole.onset_voltage = *v0;
      pole.onset_gradient = *v0 * pole.max_gradient / magnitude;
    } else {
      pole.onset_gradient =
          e_on ? *e_on : 1e5 * peek_onset_gradient(settings.roughness, settings.air_density, 100 * b.radius);
      pole.onset_voltage = magnitude * pole.onset_gradient / pole.max_gradient;
    }
    pole.corona = magnitude > pole.onset_voltage;
  }
  return poles;
}

Solution::Solution(const std::vector<Bundle>& bundles, const Settings& settings) {
  if (settings.lines < 8 || settings.lines > 10000) throw std::invalid_argument("lines per pole must be 8 to 10000");
  std::vector<double> volts;
  for (const Bundle& b : bundles) volts.push_back(b.volts);
  nominal_ = LineCharges::holding(equivalent_conductors(bundles), volts);
  poles_ = find_poles(bundles, settings);
  for (std::size_t p = 0; p < poles_.size(); ++p) trace_pole(p, bundles, settings);
  std::sort(landings_.begin(), landings_.end(), [](const Landing& a, const Landing& b) { return a.x < b.x; });
}

void Solution::trace_pole(std::size_t p, const std::vector<Bundle>& bundles, const Settings& settings) {
  Pole& pole = poles_[p];
  const std::size_t own = static_cast<std::size_t>(pole.bundle);
  const Bundle& b = bundles[own];
  const double radius = b.equivalent_radius();
  const double sign = pole.volts > 0 ? 1.0 : -1.0;
  const double a_c = pole.onset_voltage / std::abs(pole.volts);

  std::vector<Circle> stops;
  std::vector<std::size_t> stop_bundle;
  double reach = 0;
  for (std::size_t i = 0; i < bundles.size(); ++i) {
    reach = std::max({reach, bundles[i].y, std::abs(bundles[i].x - b.x)});
    if (i == own) continue;
    stops.push_back({bundles[i].x, bundles[i].y, bundles[i].equivalent_radius()});
    stop_bundle.push_back(i);
  }
  TraceLimits limits;
  limits.tolerance = settings.tolerance;
  limits.far = 200 * reach;

  const auto trace = [&](double angle) {
    Line line;
    line.angle = angle;
    // The line starts on the conductor, where the nominal potential is the
    // pole's voltage: on the equivalent conductor's circle the other
    // charges move it by a few tenths of a percent, so the start is moved
    // along the radius until it is exact (the own charge's potential falls
    // as the logarithm of the distance). Every line then spends V to the ground.
    const double own_k = nominal_.charge(own) / (2 * pi * epsilon0);
    double rho = radius;
    for (int i = 0; i < 8; ++i) {
      const double off = nominal_.potential(b.x + rho * std::cos(angle), b.y + rho * std::sin(angle)) - pole.volts;
      rho *= std::exp(off / own_k);
      if (std::abs(off) <= 1e-12 * std::abs(pole.volts)) break;
    }
    const double x0 = b.x + rho * std::cos(angle), y0 = b.y + rho * std::sin(angle);
    const double drop = sign * nominal_.potential(x0, y0);
    const TracedLine t = trace_line(nominal_, x0, y0, drop, sign, stops, limits);
    if (t.end == TracedLine::End::entered) {
      line.end = bundles[stop_bundle[static_cast<std::size_t>(t.entered)]].volts == 0 ? End::conductor
                                                                                       : End::between_poles;
    } else if (t.end == TracedLine::End::reached) {
      line.end = End::between_poles;  // the potential fell to 0 in the air
      if (std::abs(t.y) < 1e-3) {
        line.end = End::ground;
        line.x = t.x;
      }
      for (std::size_t i = 0; i < stops.size(); ++i)
        if (bundles[stop_bundle[i]].volts == 0 && std::hypot(t.x - stops[i].x, t.y - stops[i].y) < 2 * stops[i].radius)
          line.end = End::conductor;
    }
    if (line.end == End::ground || line.end == End::conductor) line.solution = solve_line(t.u, t.g, t.w, a_c);
    return line;
  };

  const int n = settings.lines;
  const double step = 2 * pi / n;
  std::vector<Line> lines;
  for (int k = 0; k < n; ++k) lines.push_back(trace(-pi / 2 + (k + 0.5) * step));

  // Halve the angle between neighbours whose landings lie far apart for the
  // field's length scale there (their height and distance from the pole) or
  // whose solutions differ by more than a few percent (near the foot of a
  // line dividing two poles' lines), or that end differently (to find where
  // the ground's lines stop).
  const double spread = 3.2 / n;
  const double finest = step / 128;
  for (int pass = 0; pass < 12; ++pass) {
    std::vector<double> added;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Line& a = lines[i];
      const Line& c = lines[(i + 1) % lines.size()];
      const double next = i + 1 < lines.size() ? c.angle : c.angle + 2 * pi;
      if (next - a.angle < finest) continue;
      bool halve = false;
      if (a.end == End::ground && c.end == End::ground) {
        const double near = std::min(std::abs(a.x - b.x), std::abs(c.x - b.x));
        const double a1 = a.solution.a_end, a2 = c.solution.a_end;
        const double c1 = a.solution.c, c2 = c.solution.c;
        halve = near < 30 * b.y && (std::abs(a.x - c.x) > spread * (b.y + near) ||
                                    std::abs(a1 - a2) > 2 * spread * std::min(a1, a2) ||
                                    std::abs(c1 - c2) > 2 * spread * std::max(c1, c2));
      } else if (a.end != c.end) {
        halve = a.end != End::lost && c.end != End::lost;
      }
      if (halve) added.push_back(0.5 * (a.angle + next));
    }
    if (added.empty()) break;
    for (double angle : added) lines.push_back(trace(angle > pi * 1.5 ? angle - 2 * pi : angle));
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& c) { return a.angle < c.angle; });
  }

  // Each line stands for the flux tube from half-way to its neighbours.
  double total = 0, unsolved = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const double before = i > 0 ? lines[i - 1].angle : lines.back().angle - 2 * pi;
    const double after = i + 1 < lines.size() ? lines[i + 1].angle : lines.front().angle + 2 * pi;
    const double flux = sign * nominal_.flux_out_of_arc(own, radius, 0.5 * (before + line.angle),
                                                        0.5 * (line.angle + after));
    total += flux;
    const double current = pole.mobility * line.solution.c * flux;
    switch (line.end) {
      case End::ground:
        ++pole.lines.ground;
        pole.ground_current += current;
        landings_.push_back({line.x, static_cast<int>(p), line.solution.a_end, sign * line.solution.c,
                             sign * pole.mobility * line.solution.c});
        break;
      case End::conductor:
        ++pole.lines.conductors;
        pole.conductor_current += current;
        break;
      case End::between_poles:
        ++pole.lines.between_poles;
        unsolved += flux;
        break;
      case End::lost:
        ++pole.lines.lost;
        unsolved += flux;
        break;
    }
  }
  pole.unsolved_flux = total > 0 ? unsolved / total : 0;
  pole.loss = std::abs(pole.volts) * pole.current();
}

GroundValues Solution::at(double x) const {
  GroundValues v;
  const double field = nominal_.ground_field(x);
  v.e_nominal = std::abs(field);
  double a = 1, kc = 0, c = 0;
  if (!landings_.empty()) {
    const auto after = std::upper_bound(landings_.begin(), landings_.end(), x,
                                        [](double value, const Landing& l) { return value < l.x; });
    const Landing* take = nullptr;
    if (after == landings_.begin()) {
      take = &landings_.front();
    } else if (after == landings_.end()) {
      take = &landings_.back();
    } else {
      const Landing& l = *(after - 1);
      const Landing& r = *after;
      if (l.pole == r.pole) {
        const double t = r.x > l.x ? (x - l.x) / (r.x - l.x) : 0.0;
        a = l.a + t * (r.a - l.a);
        kc = l.kc + t * (r.kc - l.kc);
        c = l.c + t * (r.c - l.c);
      } else {
        // Lines of two poles: each side's values hold up to where the ground
        // field changes sign between them (the foot of the dividing line).
        double lo = l.x, hi = r.x;
        const double f_lo = nominal_.ground_field(lo);
        if (f_lo * nominal_.ground_field(hi) < 0) {
          for (int i = 0; i < 60; ++i) {
            const double mid = 0.5 * (lo + hi);
            (nominal_.ground_field(mid) * f_lo > 0 ? lo : hi) = mid;
          }
        }
        take = x < 0.5 * (lo + hi) ? &l : &r;
      }
    }
    if (take) {
      a = take->a;
      kc = take->kc;
      c = take->c;
    }
  }
  v.e_total = a * v.e_nominal;
  v.j = kc * v.e_nominal;
  v.rho = c / a;
  return v;
}

}  // namespace ionflow
