// Onset: the bundle's largest surface gradient against a charge simulation
// with many charges per subconductor, the air density against the
// standard atmosphere's table, Peek's formula at its reference values.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ionflow/onset.hpp"

namespace {

using ionflow::Bundle;
using ionflow::pi;

// The largest surface field of each bundle by a charge simulation: m line
// charges on a ring at 0.6 r inside each subconductor, their images, the
// potential matched at m points of each surface; the field then sampled at
// 720 points around each surface. V/m.
std::vector<double> simulated_gradients(const std::vector<Bundle>& bundles, int m) {
  struct Point {
    double x, y;
    std::size_t bundle;
  };
  std::vector<Point> charges, checks;
  std::vector<ionflow::Circle> subs;
  for (std::size_t b = 0; b < bundles.size(); ++b)
    for (const ionflow::Circle& c : bundles[b].subconductor_circles()) {
      subs.push_back(c);
      for (int k = 0; k < m; ++k) {
        const double a = 2 * pi * (k + 0.5) / m;
        charges.push_back({c.x + 0.6 * c.radius * std::cos(a), c.y + 0.6 * c.radius * std::sin(a), b});
        checks.push_back({c.x + c.radius * std::cos(a), c.y + c.radius * std::sin(a), b});
      }
    }
  const std::size_t n = charges.size();
  std::vector<double> matrix(n * n), rhs(n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const double dx = checks[i].x - charges[j].x;
      matrix[i * n + j] = 0.5 * std::log((dx * dx + std::pow(checks[i].y + charges[j].y, 2)) /
                                         (dx * dx + std::pow(checks[i].y - charges[j].y, 2)));
    }
    rhs[i] = bundles[checks[i].bundle].volts;
  }
  for (std::size_t c = 0; c < n; ++c) {  // Gaussian elimination, partial pivoting
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::abs(matrix[r * n + c]) > std::abs(matrix[p * n + c])) p = r;
    for (std::size_t k = 0; k < n; ++k) std::swap(matrix[c * n + k], matrix[p * n + k]);
    std::swap(rhs[c], rhs[p]);
    for (std::size_t r = c + 1; r < n; ++r) {
      const double f = matrix[r * n + c] / matrix[c * n + c];
      for (std::size_t k = c; k < n; ++k) matrix[r * n + k] -= f * matrix[c * n + k];
      rhs[r] -= f * rhs[c];
    }
  }
  std::vector<double> k(n);
  for (std::size_t r = n; r-- > 0;) {
    double s = rhs[r];
    for (std::size_t j = r + 1; j < n; ++j) s -= matrix[r * n + j] * k[j];
    k[r] = s / matrix[r * n + r];
  }
  std::vector<double> gradients(bundles.size(), 0.0);
  for (std::size_t b = 0; b < bundles.size(); ++b)
    for (const ionflow::Circle& c : bundles[b].subconductor_circles()) {
      for (int s = 0; s < 720; ++s) {
        const double a = 2 * pi * s / 720;
        const double x = c.x + c.radius * std::cos(a), y = c.y + c.radius * std::sin(a);
        double ex = 0, ey = 0;
        for (std::size_t j = 0; j < n; ++j) {
          const double dx = x - charges[j].x, dy = y - charges[j].y, dyi = y + charges[j].y;
          ex += k[j] * (dx / (dx * dx + dy * dy) - dx / (dx * dx + dyi * dyi));
          ey += k[j] * (dy / (dx * dx + dy * dy) - dyi / (dx * dx + dyi * dyi));
        }
        if (bundles[b].volts != 0) gradients[b] = std::max(gradients[b], std::hypot(ex, ey));
      }
    }
  return gradients;
}

TEST(Onset, BundleGradientAgreesWithAChargeSimulation) {
  struct Case {
    const char* what;
    std::vector<Bundle> bundles;
  };
  const std::vector<Case> cases{
      {"single conductor", {{0, 10, 1, 0.02, 0, 400e3, true}}},
      {"2-bundle", {{0, 12, 2, 0.015, 0.45, 300e3, true}}},
      {"4-bundle", {{0, 15, 4, 0.01525, 0.45, 500e3, true}}},
      {"bipole with earth wires",
       {{-7, 15, 4, 0.01525, 0.45, 500e3, true}, {7, 15, 4, 0.01525, 0.45, -500e3, true},
        {-6, 25, 1, 0.0055, 0, 0, false}, {6, 25, 1, 0.0055, 0, 0, false}}},
      {"3-bundle beside an earth wire", {{0, 20, 3, 0.0203, 0.45, 400e3, true}, {1, 22, 1, 0.0055, 0, 0, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<double> ours = ionflow::max_surface_gradients(c.bundles);
    const std::vector<double> simulated = simulated_gradients(c.bundles, 16);
    for (std::size_t b = 0; b < c.bundles.size(); ++b) EXPECT_NEAR(ours[b], simulated[b], 0.01 * simulated[b]) << b;
  }
}

TEST(Onset, SubconductorsSitOnTheBundleCircle) {
  // A 4-bundle is a square with horizontal sides of the spacing.
  const Bundle square{0, 10, 4, 0.01, 0.4, 0, false};
  std::vector<ionflow::Circle> c = square.subconductor_circles();
  ASSERT_EQ(c.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    const ionflow::Circle& a = c[k];
    const ionflow::Circle& b = c[(k + 1) % 4];
    EXPECT_NEAR(std::hypot(a.x - b.x, a.y - b.y), 0.4, 1e-12);
    EXPECT_TRUE(std::abs(a.x - b.x) < 1e-12 || std::abs(a.y - b.y) < 1e-12);
  }
  // r_eq of a 2-bundle: sqrt(2 r R), R half the spacing.
  EXPECT_NEAR((Bundle{0, 10, 2, 0.01, 0.4, 0, false}.equivalent_radius()), std::sqrt(2 * 0.01 * 0.2), 1e-15);
}

TEST(Onset, AirDensityFollowsTheStandardAtmosphere) {
  // Pressures of the standard atmosphere's table, kPa, over 101.325.
  for (auto [metres, kpa] : {std::pair{0.0, 101.325}, {500.0, 95.46}, {1000.0, 89.88}, {2000.0, 79.50},
                             {3000.0, 70.11}}) {
    EXPECT_NEAR(ionflow::relative_air_density(metres), kpa / 101.325, 1e-4) << metres;
  }
  // Peek at sea level for a 1 cm radius, smooth: 30 (1 + 0.301) kV/cm.
  EXPECT_NEAR(ionflow::peek_onset_gradient(1, 1, 1), 39.03, 1e-12);
}

}  // namespace
