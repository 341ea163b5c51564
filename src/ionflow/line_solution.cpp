// The per-line solution: C from Int_0^U A du = U, a monotone equation in
// beta = 2 C / e0, solved by Newton's method kept inside a bracket.

#include "ionflow/line_solution.hpp"

#include <cmath>
#include <cstddef>

#include "ionflow/line_charges.hpp"

namespace ionflow {

LineSolution solve_line(const std::vector<double>& u, const std::vector<double>& g, const std::vector<double>& w,
                        double a_c) {
  LineSolution s;
  if (!(a_c < 1) || u.size() < 2) return s;
  const double drop = u.back();
  // Quadrature points (G) and weights: Simpson on each step.
  std::vector<double> points, weights;
  points.reserve(2 * u.size());
  weights.reserve(2 * u.size());
  points.push_back(g[0]);
  weights.push_back(0);
  for (std::size_t i = 0; i + 1 < u.size(); ++i) {
    const double h = u[i + 1] - u[i];
    weights.back() += h / 6;
    points.push_back(0.5 * (g[i] + g[i + 1]) + h * (w[i] - w[i + 1]) / 8);
    weights.push_back(4 * h / 6);
    points.push_back(g[i + 1]);
    weights.push_back(h / 6);
  }
  const double a2 = a_c * a_c;
  // F(beta) = Int A du - U, increasing and concave in beta; F(0) < 0.
  const auto excess = [&](double beta, double& slope) {
    double sum = 0, d = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const double a = std::sqrt(a2 + beta * points[i]);
      sum += weights[i] * a;
      d += weights[i] * points[i] / (2 * a);
    }
    slope = d;
    return sum - drop;
  };
  double lo = 0, hi = 0, beta = 0, slope = 0;
  double f = excess(0, slope);
  // Newton from below never passes the root of a concave increasing F;
  // the bracket guards the rounding.
  for (s.iterations = 1; s.iterations < 200; ++s.iterations) {
    double next = beta - f / slope;
    if (hi > 0 && !(next > lo && next < hi)) next = 0.5 * (lo + hi);
    if (!(next > 0) || !std::isfinite(next)) next = hi > 0 ? 0.5 * (lo + hi) : (beta > 0 ? 2 * beta : 1.0);
    const bool done = std::abs(next - beta) <= 1e-14 * next;
    beta = next;
    f = excess(beta, slope);
    if (f < 0) lo = beta;
    else hi = beta;
    if (done || f == 0) break;
  }
  s.c = 0.5 * epsilon0 * beta;
  s.a_end = std::sqrt(a2 + beta * g.back());
  return s;
}

}  // namespace ionflow
