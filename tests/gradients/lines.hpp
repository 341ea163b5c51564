#pragma once
// Lines, matrices and double-precision references shared by the gradient tests.

#include <algorithm>
#include <cmath>
#include <vector>

#include "gradients/bundle_charges.hpp"

namespace lines {

inline real& element(Matrix& a, int row, int col) { return a[(col - 1) * max_groups + (row - 1)]; }

// The leading block filled from rows of values.
inline Matrix from_rows(const std::vector<std::vector<double>>& rows) {
  Matrix a{};
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
      element(a, r + 1, c + 1) = static_cast<real>(rows[r][c]);
  return a;
}

// Solves a x = b in double (Gaussian elimination, partial pivoting); a is n by n, row-major.
inline std::vector<double> solve(std::vector<double> a, std::vector<double> b) {
  const int n = static_cast<int>(b.size());
  for (int c = 0; c < n; ++c) {
    int best = c;
    for (int r = c + 1; r < n; ++r)
      if (std::fabs(a[r * n + c]) > std::fabs(a[best * n + c])) best = r;
    for (int k = 0; k < n; ++k) std::swap(a[c * n + k], a[best * n + k]);
    std::swap(b[c], b[best]);
    for (int r = c + 1; r < n; ++r) {
      const double f = a[r * n + c] / a[c * n + c];
      for (int k = c; k < n; ++k) a[r * n + k] -= f * a[c * n + k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(n);
  for (int r = n - 1; r >= 0; --r) {
    double sum = b[r];
    for (int k = r + 1; k < n; ++k) sum -= a[r * n + k] * x[k];
    x[r] = sum / a[r * n + r];
  }
  return x;
}

// The reference charge loop: one row after another, each over its columns.
inline void row_by_row_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                               GroupReals& qreal, GroupReals& qimag) {
  for (int k = 0; k < n; ++k) {
    qreal[k] = 0.0f;
    qimag[k] = 0.0f;
    for (int l = 0; l < n; ++l) {
      qreal[k] = qreal[k] + c[l * max_groups + k] * vre[l];
      qimag[k] = qimag[k] + c[l * max_groups + k] * vim[l];
    }
  }
}

// A line of n groups side by side on four tiers, the last two (from five
// groups up) earth wires; with hybrid set, every fourth phase is a DC pole.
inline Inputs tiered_line(int n, bool hybrid) {
  Inputs in;
  const int earth = n >= 5 ? 2 : 0;
  in.nphases = static_cast<integer>(n - earth);
  in.nearth = static_cast<integer>(earth);
  for (int i = 0; i < n; ++i) {
    in.xcond[i] = -1.5f * static_cast<real>(n - 1) + 3.0f * static_cast<real>(i);
    in.ycond[i] = 12.0f + 4.0f * static_cast<real>(i % 4);
    in.nsub[i] = static_cast<integer>(1 + i % 4);
    in.subdiam[i] = 20.0f + static_cast<real>(i % 5) * 4.0f;
    in.spacing[i] = 45.0f;
    in.acflag[i] = !(hybrid && i % 4 == 3);
    in.volts[i] = in.acflag[i] ? 230.0f : (i % 8 == 3 ? 400.0f : -400.0f);
    in.phangle[i] = in.acflag[i] ? 120.0f * static_cast<real>(i % 3) : 0.0f;
  }
  for (int i = n - earth; i < n; ++i) {
    in.ycond[i] = 35.0f;
    in.nsub[i] = 1;
    in.subdiam[i] = 11.0f;
    in.volts[i] = 0.0f;
    in.phangle[i] = 0.0f;
  }
  return in;
}

}  // namespace lines

namespace lines {

inline constexpr double pi = 3.14159265358979323846;
inline constexpr double epsilon0 = 8.8541878128e-12;  // F/m

// Bundle of nsub subconductors of diameter subdiam (mm) on a circle of
// subconductors spaced spacing (cm) apart: subconductor radius and bundle
// radius in m, and the radius of the single conductor of equal capacitance.
struct Bundle {
  double r, big_r, equivalent;
};
inline Bundle bundle(const Inputs& in, int i) {
  const double n = in.nsub[i];
  const double r = in.subdiam[i] / 2000.0;
  if (in.nsub[i] == 1) return {r, 0.0, r};
  const double big_r = in.spacing[i] / 100.0 / (2.0 * std::sin(pi / n));
  return {r, big_r, std::pow(n * r * std::pow(big_r, n - 1.0), 1.0 / n)};
}

// Maxwell potential coefficients with ground images, m/F, row-major.
inline std::vector<double> potential_coefficients(const Inputs& in, int n) {
  std::vector<double> p(n * n);
  const double k = 1.0 / (2.0 * pi * epsilon0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double dx = double(in.xcond[i]) - in.xcond[j];
      const double yi = in.ycond[i], yj = in.ycond[j];
      p[i * n + j] = i == j ? k * std::log(2.0 * yi / bundle(in, i).equivalent)
                            : k * std::log(std::hypot(dx, yi + yj) / std::hypot(dx, yi - yj));
    }
  return p;
}

// Maximum bundle surface gradients, kV/cm, in double: the charges from the
// phasors (V rms, angle in degrees) solved against the potential coefficients,
// the average subconductor gradient raised by 1 + (n - 1) r / R; on a line
// with AC and DC groups the largest over one cycle of 3600 steps of 0.1 degree.
// The AC angles of the cycle are the ones the record holds, stepped in single
// precision: their rounding shifts the phases against each other by a few
// hundredths of a degree, which shows in the induced charges of earth wires.
inline std::vector<double> gradients(const Inputs& in, int n, bool hybrid) {
  const std::vector<double> p = potential_coefficients(in, n);
  std::vector<double> best(n, 0.0);
  GroupReals degrees = in.phangle;
  for (int t = 0; t < (hybrid ? 3600 : 1); ++t) {
    std::vector<double> vre(n), vim(n);
    for (int j = 0; j < n; ++j) {
      if (t > 0 && in.acflag[j]) degrees[j] = degrees[j] + 0.1f;
      const double angle = degrees[j] * pi / 180.0;
      vre[j] = std::cos(angle) * in.volts[j] * 1000.0;
      vim[j] = std::sin(angle) * in.volts[j] * 1000.0;
    }
    const std::vector<double> qre = solve(p, vre), qim = solve(p, vim);
    for (int j = 0; j < n; ++j) {
      const Bundle b = bundle(in, j);
      const double count = in.nsub[j];
      const double raise = in.nsub[j] == 1 ? 1.0 : 1.0 + (count - 1.0) * b.r / b.big_r;
      const double average = std::hypot(qre[j], qim[j]) / (2.0 * pi * epsilon0 * count * b.r);  // V/m
      best[j] = std::max(best[j], raise * average / 1e5);
    }
  }
  for (int j = 0; j < n; ++j)
    if (in.volts[j] < 0) best[j] = -best[j];
  return best;
}

}  // namespace lines
