// Line charges and their images: the potential coefficients solved by
// Cholesky's method (they are symmetric and positive definite for
// conductors apart), then the field, potential and flux by direct sums.

#include "ionflow/line_charges.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace ionflow {

LineCharges::LineCharges(std::vector<double> x, std::vector<double> y, const std::vector<double>& charges)
    : x_(std::move(x)), y_(std::move(y)), k_(charges.size()) {
  for (std::size_t i = 0; i < charges.size(); ++i) k_[i] = charges[i] / (2 * pi * epsilon0);
}

LineCharges LineCharges::holding(const std::vector<Circle>& conductors, const std::vector<double>& volts) {
  const std::size_t n = conductors.size();
  // P in units of 1 / (2 pi e0): the unknowns are then k = q / (2 pi e0), V.
  std::vector<double> p(n * n);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      const Circle& a = conductors[i];
      const Circle& b = conductors[j];
      if (i == j) {
        p[i * n + j] = std::log(2 * a.y / a.radius);
      } else {
        const double dx = a.x - b.x;
        const double direct = std::hypot(dx, a.y - b.y);
        const double image = std::hypot(dx, a.y + b.y);
        if (!(direct > 0)) throw std::invalid_argument("two conductors in one place");
        p[i * n + j] = std::log(image / direct);
      }
    }
  // Cholesky: P = L L^T, L stored in the lower triangle.
  for (std::size_t j = 0; j < n; ++j) {
    double d = p[j * n + j];
    for (std::size_t k = 0; k < j; ++k) d -= p[j * n + k] * p[j * n + k];
    if (!(d > 0)) throw std::invalid_argument("the conductors' potential coefficients are singular (conductors touch or overlap)");
    d = std::sqrt(d);
    p[j * n + j] = d;
    for (std::size_t i = j + 1; i < n; ++i) {
      double s = p[i * n + j];
      for (std::size_t k = 0; k < j; ++k) s -= p[i * n + k] * p[j * n + k];
      p[i * n + j] = s / d;
    }
  }
  std::vector<double> k(volts);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < i; ++j) k[i] -= p[i * n + j] * k[j];
    k[i] /= p[i * n + i];
  }
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = i + 1; j < n; ++j) k[i] -= p[j * n + i] * k[j];
    k[i] /= p[i * n + i];
  }
  LineCharges charges;
  for (const Circle& c : conductors) {
    charges.x_.push_back(c.x);
    charges.y_.push_back(c.y);
  }
  charges.k_ = std::move(k);
  return charges;
}

double LineCharges::field(double x, double y, double& ex, double& ey) const {
  double fx = 0, fy = 0;
  double nearest = std::numeric_limits<double>::infinity();
  for (std::size_t j = 0; j < k_.size(); ++j) {
    const double dx = x - x_[j];
    const double dy = y - y_[j];
    const double dyi = y + y_[j];
    const double r1 = dx * dx + dy * dy;
    const double r2 = dx * dx + dyi * dyi;
    const double a = k_[j] / r1;
    const double b = k_[j] / r2;
    fx += (a - b) * dx;
    fy += a * dy - b * dyi;
    nearest = std::min(nearest, std::min(r1, r2));
  }
  ex = fx;
  ey = fy;
  return nearest;
}

void LineCharges::field_without(std::size_t skip, double x, double y, double& ex, double& ey) const {
  double fx = 0, fy = 0;
  for (std::size_t j = 0; j < k_.size(); ++j) {
    const double dx = x - x_[j];
    const double dyi = y + y_[j];
    const double b = k_[j] / (dx * dx + dyi * dyi);
    fx -= b * dx;
    fy -= b * dyi;
    if (j == skip) continue;
    const double dy = y - y_[j];
    const double a = k_[j] / (dx * dx + dy * dy);
    fx += a * dx;
    fy += a * dy;
  }
  ex = fx;
  ey = fy;
}

double LineCharges::potential(double x, double y) const {
  double v = 0;
  for (std::size_t j = 0; j < k_.size(); ++j) {
    const double dx = x - x_[j];
    const double dy = y - y_[j];
    const double dyi = y + y_[j];
    v += 0.5 * k_[j] * std::log((dx * dx + dyi * dyi) / (dx * dx + dy * dy));
  }
  return v;
}

double LineCharges::ground_field(double x) const {
  // Charge and image add their vertical parts and cancel the horizontal.
  double e = 0;
  for (std::size_t j = 0; j < k_.size(); ++j) {
    const double dx = x - x_[j];
    e += 2 * k_[j] * y_[j] / (dx * dx + y_[j] * y_[j]);
  }
  return e;
}

double LineCharges::flux_out_of_arc(std::size_t own, double radius, double a, double b) const {
  // The flux of a line charge k (2 pi e0) through a curve, to the right of
  // its direction, is k times the angle the curve turns through seen from
  // the charge; the own charge sees exactly b - a.
  const double x1 = x_[own] + radius * std::cos(a), y1 = y_[own] + radius * std::sin(a);
  const double x2 = x_[own] + radius * std::cos(b), y2 = y_[own] + radius * std::sin(b);
  const auto turn = [&](double cx, double cy) {
    const double ux = x1 - cx, uy = y1 - cy, vx = x2 - cx, vy = y2 - cy;
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  };
  double flux = k_[own] * (b - a);
  for (std::size_t j = 0; j < k_.size(); ++j) {
    if (j != own) flux += k_[j] * turn(x_[j], y_[j]);
    flux -= k_[j] * turn(x_[j], -y_[j]);
  }
  return flux;
}

}  // namespace ionflow
