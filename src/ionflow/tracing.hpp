#pragma once
// Tracing one line of a nominal field from a conductor, with the potential
// as the parameter: u, the potential drop from the start, runs from 0 to U,
// and along the line
//
//   dr/du = s E / |E|^2,   dG/du = 1 / |E|^2,
//
// s = +1 down the field from a positive conductor, -1 up it from a negative
// one. The line then ends where the potential has fallen by U (at the
// ground, U the conductor's potential) without any search for the ground,
// and G(u) = Int_0^u du' / E^2 is the integral the per-line solution needs.
// Adaptive Dormand-Prince 5(4) steps, the error held to a fraction of the
// distance to the nearest charge (the field's own length scale).
//
// The field is any type with
//   double field(double x, double y, double& ex, double& ey) const;
// returning the squared distance to the nearest charge, m2.

#include <algorithm>
#include <cmath>
#include <vector>

#include "ionflow/line_charges.hpp"

namespace ionflow {

struct TraceLimits {
  double tolerance = 1e-8;  // relative error per step
  int max_steps = 20000;
  double far = 1e5;         // a line this far (m) from its start is lost
};

struct TracedLine {
  enum class End { reached, entered, lost };
  End end = End::lost;
  int entered = -1;      // the stop circle entered, for End::entered
  double x = 0, y = 0;   // where the line ends, m
  double field = 0;      // |E| there, V/m
  std::vector<double> u;  // potential drop from the start at each node, V
  std::vector<double> g;  // Int_0^u du' / E^2 at each node, m2/V
  std::vector<double> w;  // 1 / E^2 at each node, (m/V)^2
};

// Traces from (x0, y0) until the potential has fallen by `drop` (V, above
// 0), the line enters one of `stops` (circles other than the start's) or is
// lost (too many steps, too far, or a field that vanishes on the way).
// `sign` is +1 down the field, -1 up it.
template <class Field>
TracedLine trace_line(const Field& f, double x0, double y0, double drop, double sign,
                      const std::vector<Circle>& stops, const TraceLimits& limits = {}) {
  TracedLine line;
  struct Slope {
    double dx, dy, dg, scale2, e;
  };
  const auto slope = [&](double x, double y) {
    double ex = 0, ey = 0;
    const double scale2 = f.field(x, y, ex, ey);
    const double e2 = ex * ex + ey * ey;
    const double w = 1 / e2;
    return Slope{sign * ex * w, sign * ey * w, w, scale2, std::sqrt(e2)};
  };
  // Dormand-Prince coefficients.
  constexpr double a21 = 1.0 / 5;
  constexpr double a31 = 3.0 / 40, a32 = 9.0 / 40;
  constexpr double a41 = 44.0 / 45, a42 = -56.0 / 15, a43 = 32.0 / 9;
  constexpr double a51 = 19372.0 / 6561, a52 = -25360.0 / 2187, a53 = 64448.0 / 6561, a54 = -212.0 / 729;
  constexpr double a61 = 9017.0 / 3168, a62 = -355.0 / 33, a63 = 46732.0 / 5247, a64 = 49.0 / 176,
                   a65 = -5103.0 / 18656;
  constexpr double b1 = 35.0 / 384, b3 = 500.0 / 1113, b4 = 125.0 / 192, b5 = -2187.0 / 6784, b6 = 11.0 / 84;
  constexpr double e1 = 71.0 / 57600, e3 = -71.0 / 16695, e4 = 71.0 / 1920, e5 = -17253.0 / 339200,
                   e6 = 22.0 / 525, e7 = -1.0 / 40;

  double x = x0, y = y0, g = 0, u = 0;
  Slope k1 = slope(x, y);
  if (!std::isfinite(k1.dg) || !(drop > 0)) return line;
  line.u.push_back(0);
  line.g.push_back(0);
  line.w.push_back(k1.dg);
  double h = 0.01 * std::sqrt(k1.scale2) * k1.e;
  const double smallest = 1e-13 * drop;
  for (int steps = 0; steps < limits.max_steps; ++steps) {
    const bool last = u + h >= drop;
    if (last) h = drop - u;
    const auto at = [&](double c1, const Slope& s1, double c2, const Slope& s2, double c3, const Slope& s3,
                        double c4, const Slope& s4, double c5, const Slope& s5) {
      return slope(x + h * (c1 * s1.dx + c2 * s2.dx + c3 * s3.dx + c4 * s4.dx + c5 * s5.dx),
                   y + h * (c1 * s1.dy + c2 * s2.dy + c3 * s3.dy + c4 * s4.dy + c5 * s5.dy));
    };
    const Slope none{0, 0, 0, 0, 0};
    const Slope k2 = at(a21, k1, 0, none, 0, none, 0, none, 0, none);
    const Slope k3 = at(a31, k1, a32, k2, 0, none, 0, none, 0, none);
    const Slope k4 = at(a41, k1, a42, k2, a43, k3, 0, none, 0, none);
    const Slope k5 = at(a51, k1, a52, k2, a53, k3, a54, k4, 0, none);
    const Slope k6 = at(a61, k1, a62, k2, a63, k3, a64, k4, a65, k5);
    const double nx = x + h * (b1 * k1.dx + b3 * k3.dx + b4 * k4.dx + b5 * k5.dx + b6 * k6.dx);
    const double ny = y + h * (b1 * k1.dy + b3 * k3.dy + b4 * k4.dy + b5 * k5.dy + b6 * k6.dy);
    const double ng = g + h * (b1 * k1.dg + b3 * k3.dg + b4 * k4.dg + b5 * k5.dg + b6 * k6.dg);
    const Slope k7 = slope(nx, ny);
    const double ex = h * (e1 * k1.dx + e3 * k3.dx + e4 * k4.dx + e5 * k5.dx + e6 * k6.dx + e7 * k7.dx);
    const double ey = h * (e1 * k1.dy + e3 * k3.dy + e4 * k4.dy + e5 * k5.dy + e6 * k6.dy + e7 * k7.dy);
    const double eg = h * (e1 * k1.dg + e3 * k3.dg + e4 * k4.dg + e5 * k5.dg + e6 * k6.dg + e7 * k7.dg);
    const double length = limits.tolerance * std::sqrt(std::min(k1.scale2, k7.scale2));
    const double err = std::max({std::abs(ex) / length, std::abs(ey) / length,
                                 std::abs(eg) / (limits.tolerance * (ng + h * k1.dg))});
    if (!std::isfinite(err) || !std::isfinite(k7.dg) || err > 1) {
      h *= std::isfinite(err) ? std::max(0.2, 0.9 * std::pow(err, -0.2)) : 0.2;
      if (h < smallest) return line;
      continue;
    }
    x = nx;
    y = ny;
    g = ng;
    u = last ? drop : u + h;
    k1 = k7;
    line.u.push_back(u);
    line.g.push_back(g);
    line.w.push_back(k7.dg);
    line.x = x;
    line.y = y;
    line.field = k7.e;
    for (std::size_t i = 0; i < stops.size(); ++i) {
      const double dx = x - stops[i].x, dy = y - stops[i].y;
      if (dx * dx + dy * dy < stops[i].radius * stops[i].radius) {
        line.end = TracedLine::End::entered;
        line.entered = static_cast<int>(i);
        return line;
      }
    }
    if ((x - x0) * (x - x0) + (y - y0) * (y - y0) > limits.far * limits.far) return line;
    if (last) {
      line.end = TracedLine::End::reached;
      return line;
    }
    h *= err > 0 ? std::min(5.0, 0.9 * std::pow(err, -0.2)) : 5.0;
  }
  return line;
}

}  // namespace ionflow
