#pragma once
// An independent model of a line's fields, written from the physics in
// double precision: bundles as line charges at their equivalent radius,
// images below a perfect ground, the charges from the voltages by the
// potential coefficients; currents as infinite straight filaments without
// images. A part of a hybrid line is the line with the groups of the other
// kind at 0 V and without current. Used to check the engine's AC and DC
// fields apart.

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "engine/engine.hpp"

namespace support {

struct ModelGroup {
  bool ac = true;
  double x = 0, y = 0;   // m
  int n = 1;             // subconductors
  double d = 0;          // subconductor diameter, mm
  double s = 0;          // spacing of adjacent subconductors, cm
  double kv = 0;         // kV (rms for AC); the sign is a DC pole's polarity
  double phase = 0;      // degrees, AC only
  double ka = 0;         // kA; a negative pole's current flows the other way
  bool energized = true;
};

struct ModelField {
  double e = 0;  // kV/m: the static magnitude (DC) or the rms ellipse's semi-major axis (AC)
  double b = 0;  // gauss, likewise
};

namespace model_detail {

using C = std::complex<double>;
constexpr double pi = 3.14159265358979323846;
constexpr double k_e = 1.0 / (2 * pi * 8.8541878128e-12);  // 1 / (2 pi e0), m/F

// The largest magnitude over a cycle of the real vector Re((ax, ay) e^jwt):
// the square of the semi-major axis is (|a|^2 + |a . a|) / 2.
inline double semi_major(C ax, C ay) {
  const double power = std::norm(ax) + std::norm(ay);
  return std::sqrt((power + std::abs(ax * ax + ay * ay)) / 2);
}

inline std::vector<C> solve(std::vector<std::vector<C>> a, std::vector<C> b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t p = k;
    for (std::size_t i = k + 1; i < n; ++i)
      if (std::abs(a[i][k]) > std::abs(a[p][k])) p = i;
    std::swap(a[k], a[p]);
    std::swap(b[k], b[p]);
    for (std::size_t i = k + 1; i < n; ++i) {
      const C f = a[i][k] / a[k][k];
      for (std::size_t j = k; j < n; ++j) a[i][j] -= f * a[k][j];
      b[i] -= f * b[k];
    }
  }
  std::vector<C> x(n);
  for (std::size_t k = n; k-- > 0;) {
    C sum = b[k];
    for (std::size_t j = k + 1; j < n; ++j) sum -= a[k][j] * x[j];
    x[k] = sum / a[k][k];
  }
  return x;
}

}  // namespace model_detail

// The bundle charges, C/m, of the groups of one kind energized (ac true:
// the AC phases, as rms phasors; false: the DC poles), the others at 0 V.
inline std::vector<std::complex<double>> model_charges(const std::vector<ModelGroup>& groups, bool ac) {
  using namespace model_detail;
  const std::size_t n = groups.size();
  std::vector<std::vector<C>> p(n, std::vector<C>(n));
  std::vector<C> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    const ModelGroup& g = groups[i];
    // Equivalent radius of the bundle: (n r R^(n-1))^(1/n), R the bundle radius.
    const double r = g.d / 2000;
    const double big_r = g.n > 1 ? g.s / 100 / (2 * std::sin(pi / g.n)) : r;
    const double req = std::pow(g.n * r * std::pow(big_r, g.n - 1), 1.0 / g.n);
    for (std::size_t j = 0; j < n; ++j) {
      const ModelGroup& o = groups[j];
      p[i][j] = i == j ? k_e * std::log(2 * g.y / req)
                       : k_e * std::log(std::hypot(g.x - o.x, g.y + o.y) / std::hypot(g.x - o.x, g.y - o.y));
    }
    if (g.ac == ac) v[i] = ac ? std::polar(g.kv * 1000, g.phase * pi / 180) : C(g.kv * 1000);
  }
  return solve(p, v);
}

// The largest surface gradient of group i's bundle, kV/cm, from its
// charge: q / (2 pi e0 n r) (1 + (n - 1) r / R), R the bundle radius.
inline double model_gradient(const std::vector<ModelGroup>& groups, bool ac, std::size_t i) {
  using namespace model_detail;
  const ModelGroup& g = groups[i];
  const double r = g.d / 2000;
  const double big_r = g.n > 1 ? g.s / 100 / (2 * std::sin(pi / g.n)) : r;
  const double average = std::abs(model_charges(groups, ac)[i]) * k_e / (g.n * r);
  return average * (1 + (g.n - 1) * r / big_r) / 1e5;
}

// The field of the groups of one kind at lateral position x, height h.
inline ModelField model_field(const std::vector<ModelGroup>& groups, bool ac, double x, double h) {
  using namespace model_detail;
  const std::size_t n = groups.size();
  const std::vector<C> q = model_charges(groups, ac);
  C ex, ey, bx, by;
  for (std::size_t i = 0; i < n; ++i) {
    const ModelGroup& g = groups[i];
    const double dx = x - g.x, dy = h - g.y, dyi = h + g.y;
    const double r2 = dx * dx + dy * dy, ri2 = dx * dx + dyi * dyi;
    ex += q[i] * k_e * (dx / r2 - dx / ri2);
    ey += q[i] * k_e * (dy / r2 - dyi / ri2);
    if (!g.energized || g.ac != ac) continue;
    // B = mu0 I / (2 pi r), in gauss 2 I[kA] / r[m], at right angles to r.
    const C current = ac ? std::polar(g.ka, g.phase * pi / 180) : C(g.kv < 0 ? -g.ka : g.ka);
    bx += -2.0 * current * dy / r2;
    by += 2.0 * current * dx / r2;
  }
  if (ac) return {semi_major(ex, ey) / 1000, semi_major(bx, by)};
  return {std::hypot(ex.real(), ey.real()) / 1000, std::hypot(bx.real(), by.real())};
}

// The model's groups of an engine cross section, as given (angles and all).
inline std::vector<ModelGroup> model_of(const brenlow::CrossSection& line) {
  std::vector<ModelGroup> out;
  for (std::size_t i = 0; i < line.groups.size(); ++i) {
    const brenlow::Group& g = line.groups[i];
    out.push_back({g.ac, g.x, g.y, g.subconductors, g.diameter, g.spacing, g.kv, g.phase, g.ka,
                   static_cast<int>(i) < line.energized});
  }
  return out;
}

}  // namespace support
