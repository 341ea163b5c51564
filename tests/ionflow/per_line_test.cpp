// The tracing and the per-line solution against closed forms: field lines
// of a line charge over the ground are circles through the charge and its
// image; between coaxial cylinders the unipolar space charge has an exact
// solution (Deutsch's assumption is exact there).

#include <gtest/gtest.h>

#include <cmath>

#include "ionflow/line_charges.hpp"
#include "ionflow/line_solution.hpp"
#include "ionflow/tracing.hpp"

namespace {

using ionflow::pi;

TEST(Tracing, LineOfASingleConductorLandsWhereItsCircleMeetsTheGround) {
  const double h = 15, r = 0.02;
  const ionflow::LineCharges charge({0.0}, {h}, {5e-6});
  for (double degrees : {-89.0, -60.0, -20.0, 0.0, 30.0, 75.0, 100.0, 150.0, 200.0, 260.0}) {
    SCOPED_TRACE(degrees);
    const double a = degrees * pi / 180;
    const double px = r * std::cos(a), py = h + r * std::sin(a);
    const ionflow::TracedLine line = ionflow::trace_line(charge, px, py, charge.potential(px, py), 1.0, {});
    ASSERT_EQ(line.end, ionflow::TracedLine::End::reached);
    // The circle through (0, h), (0, -h) and the start: centre (c, 0).
    const double c = (px * px + py * py - h * h) / (2 * px);
    const double landing = c + std::copysign(std::hypot(c, h), px);
    EXPECT_NEAR(line.x, landing, 1e-7 * std::max(h, std::abs(landing)));
    EXPECT_NEAR(line.y, 0.0, 1e-7 * std::max(h, std::abs(landing)));
  }
}

// Coaxial cylinders, radii a and b, the inner at V: the nominal field is
// that of a line charge on the axis, E = V / (r ln(b/a)), and the outer
// cylinder stands where the potential falls to 0.
struct Coaxial {
  double k;  // V / ln(b/a)
  double field(double x, double y, double& ex, double& ey) const {
    const double r2 = x * x + y * y;
    ex = k * x / r2;
    ey = k * y / r2;
    return r2;
  }
};

// The exact unipolar solution: E^2 = K + a^2 (E_a^2 - K) / r^2, K fixed by
// Int_a^b E dr = V, taken in closed form (B = a^2 (E_a^2 - K) > 0 here).
double exact_k(double a, double b, double volts, double e_a) {
  const auto integral = [&](double k) {
    const double big_b = a * a * (e_a * e_a - k);
    const auto f = [&](double r) {
      const double s = std::sqrt(k * r * r + big_b);
      return s - std::sqrt(big_b) * std::log((std::sqrt(big_b) + s) / r);
    };
    return f(b) - f(a);
  };
  double lo = 0, hi = e_a * e_a;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    (integral(mid) < volts ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

TEST(PerLineSolution, ReproducesTheCoaxialUnipolarSolution) {
  struct Case {
    double a, b, volts, onset;  // m, m, V, V/m
  };
  for (const Case& k : {Case{0.01, 1.0, 200e3, 3e6}, Case{0.005, 5.0, 300e3, 4e6}, Case{0.02, 0.5, 200e3, 2.5e6},
                        Case{0.01, 1.0, 120e3, 2.6e6}}) {
    SCOPED_TRACE(k.b / k.a);
    const double log_ratio = std::log(k.b / k.a);
    const Coaxial field{k.volts / log_ratio};

    ionflow::TraceLimits limits;
    limits.tolerance = 1e-9;  // the default 1e-8 leaves 1e-6 itself
    const ionflow::TracedLine line = ionflow::trace_line(field, k.a, 0.0, k.volts, 1.0, {}, limits);
    ASSERT_EQ(line.end, ionflow::TracedLine::End::reached);
    EXPECT_NEAR(line.x, k.b, 1e-8 * k.b);
    const double nominal_a = field.k / k.a, nominal_b = field.k / k.b;
    const ionflow::LineSolution s = ionflow::solve_line(line.u, line.g, line.w, k.onset / nominal_a);
    const double big_k = exact_k(k.a, k.b, k.volts, k.onset);
    const double e_b = std::sqrt(big_k + k.a * k.a * (k.onset * k.onset - big_k) / (k.b * k.b));
    EXPECT_NEAR(s.a_end * nominal_b, e_b, 1e-6 * e_b);
    // The current per unit length 2 pi r J = 2 pi k C E_nom r = 2 pi k e0 K.
    const double c_exact = big_k * ionflow::epsilon0 * log_ratio / k.volts;
    EXPECT_NEAR(s.c, c_exact, 1e-6 * c_exact);
  }
}

TEST(PerLineSolution, NoIonsAtOrBelowOnset) {
  const std::vector<double> u{0, 1, 2}, g{0, 1e-3, 3e-3}, w{1e-3, 1.5e-3, 2.5e-3};
  for (double a_c : {1.0, 1.2}) {
    const ionflow::LineSolution s = ionflow::solve_line(u, g, w, a_c);
    EXPECT_EQ(s.c, 0.0);
    EXPECT_EQ(s.a_end, 1.0);
  }
}

}  // namespace
