// A line's ion flow by the coupled equations, checked against what does not
// come from it: the nominal field of image charges without ions, the
// conservation of the current, flux tracing's answer for the same line, the
// symmetry of a symmetric line, the direction of the wind, and the mesh's
// and the domain's convergence.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "ionflow/full_flow.hpp"

namespace ionflow {
namespace {

// Poles of 4 x 30.5 mm at 45 cm, 15 m up, earth wires of 11 mm 25 m up.
std::vector<Bundle> line(const std::vector<std::pair<double, double>>& poles) {
  std::vector<Bundle> bundles;
  for (const auto& [x, volts] : poles) {
    Bundle b;
    b.x = x, b.y = 15, b.subconductors = 4, b.radius = 0.01525, b.spacing = 0.45, b.volts = volts, b.pole = true;
    bundles.push_back(b);
  }
  for (double x : {-6.0, 6.0}) {
    Bundle e;
    e.x = x, e.y = 25, e.radius = 0.0055;
    bundles.push_back(e);
  }
  return bundles;
}

std::vector<Bundle> monopole() { return line({{0, 500e3}}); }

double peak_j(const FullSolution& s) {
  double peak = 0;
  for (double x = -80; x <= 80; x += 0.5) peak = std::max(peak, std::abs(s.at(x).j));
  return peak;
}

// Where |J| at the ground is largest, and the width of |J| at half of it.
struct Profile {
  double peak_x = 0, width = 0;
};
template <class Flow>
Profile profile(const Flow& s) {
  Profile p;
  double peak = 0;
  std::vector<double> xs, js;
  for (double x = -150; x <= 150; x += 0.1) {
    xs.push_back(x);
    js.push_back(std::abs(s.at(x).j));
    if (js.back() > peak) peak = js.back(), p.peak_x = x;
  }
  double left = 0, right = 0;
  for (std::size_t i = 1; i < xs.size(); ++i) {
    if (js[i - 1] < 0.5 * peak && js[i] >= 0.5 * peak && left == 0) left = xs[i];
    if (js[i - 1] >= 0.5 * peak && js[i] < 0.5 * peak) right = xs[i];
  }
  p.width = right - left;
  return p;
}

TEST(FullSolution, BelowOnsetTheFieldIsTheNominalOne) {
  Settings settings;
  settings.onset_voltages = {600e3};
  const FullSolution s(monopole(), settings, {});
  EXPECT_FALSE(s.poles()[0].corona);
  EXPECT_EQ(s.poles()[0].current(), 0);
  for (double x : {0.0, 8.0, 20.0, 45.0}) {
    const GroundValues v = s.at(x);
    EXPECT_NEAR(v.e_total / v.e_nominal, 1, 0.01) << x;
    EXPECT_EQ(v.j, 0) << x;
  }
}

// A coarse bipole in a small domain (quick under the sanitizers): each
// pole's current adds up from where its ions end, and the two polarities
// meet between the poles.
TEST(FullSolution, CoarseBipoleAddsUp) {
  FullSettings coarse;
  coarse.element_size = 4;
  coarse.domain = 5;
  const FullSolution s(line({{-7, 500e3}, {7, -500e3}}), {}, coarse);
  for (const Pole& p : s.poles()) {
    ASSERT_TRUE(p.corona);
    EXPECT_GT(p.ground_current, 0);
    EXPECT_GT(p.inter_pole_current, p.recombined);
    EXPECT_NEAR(p.loss, 500e3 * p.current(), 1e-9 * p.loss);
  }
  const Densities between = s.densities(0, 15);
  EXPECT_GT(between.positive, 0);
  EXPECT_GT(between.negative, 0);
  EXPECT_EQ(s.densities(0, -1).positive, 0);
}

TEST(FullSolution, RefusesSettingsItCannotUse) {
  const struct {
    FullSettings full;
  } cases[] = {{{0, 2.2e-12, 0.05, 12}}, {{0, 2.2e-12, 1, 2}}, {{60, 2.2e-12, 1, 12}}, {{0, -1, 1, 12}}};
  for (const auto& c : cases) EXPECT_THROW(FullSolution(monopole(), {}, c.full), std::invalid_argument);
}

TEST(FullSolution, MonopoleConservesItsCurrentAndSpreadsWiderThanFluxTracing) {
  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  const FullSolution full(monopole(), {}, {});
  const Solution tracing(monopole(), {});
  const Pole& pole = full.poles()[0];
  ASSERT_TRUE(pole.corona);
  double integral = 0;
  const double reach = full.domain_radius();
  for (double x = -reach; x < reach; x += 0.05) integral += 0.05 * full.at(x + 0.025).j;
  EXPECT_NEAR(integral / pole.ground_current, 1, 0.005);
  EXPECT_NEAR((pole.ground_current + pole.conductor_current + pole.far_current) / pole.current(), 1, 1e-12);
  EXPECT_LT(pole.far_current, 1e-3 * pole.current());
  // Beside flux tracing: E within 10 % under the line, the current lower
  // and spread wider.
  EXPECT_NEAR(full.at(0).e_total / tracing.at(0).e_total, 1, 0.10);
  EXPECT_LT(full.at(0).j, tracing.at(0).j);
  EXPECT_GT(profile(full).width, 1.2 * profile(tracing).width);
  // A symmetric line without wind: a symmetric answer.
  const double peak = peak_j(full), e0 = full.at(0).e_total;
  for (double x = 2.5; x <= 60; x += 2.5) {
    EXPECT_NEAR(full.at(x).j, full.at(-x).j, 1e-3 * peak) << x;
    EXPECT_NEAR(full.at(x).e_total, full.at(-x).e_total, 1e-3 * e0) << x;
  }
}

TEST(FullSolution, WindCarriesTheCurrentDownwind) {
  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  double last = -1e300;
  for (double wind : {-3.0, 0.0, 2.0, 5.0}) {
    FullSettings f;
    f.wind = wind;
    const FullSolution s(monopole(), {}, f);
    const double x = profile(s).peak_x;
    EXPECT_GT(x, last) << wind;
    if (wind != 0) EXPECT_GT(x * wind, 0) << wind;
    else EXPECT_NEAR(x, 0, 0.1);
    last = x;
  }
}

TEST(FullSolution, SymmetricBipoleIsAntisymmetricAndLosesMostBetweenItsPoles) {
  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  Settings settings;
  settings.mobility_negative = settings.mobility_positive;
  const FullSolution s(line({{-7, 500e3}, {7, -500e3}}), settings, {});
  const double peak = peak_j(s);
  double e_peak = 0;
  for (double x = 0; x <= 60; x += 1) e_peak = std::max(e_peak, s.at(x).e_total);
  for (double x = 1; x <= 60; x += 1) {
    EXPECT_NEAR(s.at(x).e_total, s.at(-x).e_total, 5e-3 * e_peak) << x;
    EXPECT_NEAR(s.at(x).j, -s.at(-x).j, 5e-3 * peak) << x;
  }
  for (const Pole& p : s.poles()) {
    EXPECT_GT(p.current(), 2 * p.ground_current);
    EXPECT_NEAR(p.inter_pole_current, s.inter_pole_current(), 1e-9 * p.current());
  }
  EXPECT_GT(s.recombination_current(), 0);
  EXPECT_LT(s.recombination_current(), s.inter_pole_current());
  EXPECT_NEAR(s.poles()[0].recombined, s.recombination_current(), 0.002 * s.recombination_current());
}

// Halving the element size moves the ground's values by less than 1 % of
// their largest; widening the domain by half (which also moves every
// element of the background, laid out over the domain) by less than 1 %.
TEST(FullSolution, MeshAndDomainConverge) {
  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  const FullSolution base(monopole(), {}, {});
  FullSettings fine, wide;
  fine.element_size = 0.5;
  wide.domain = 18;
  const struct {
    FullSettings settings;
    double within;
  } cases[] = {{fine, 0.01}, {wide, 0.01}};
  const double peak = peak_j(base), e0 = base.at(0).e_total;
  for (const auto& c : cases) {
    const FullSolution other(monopole(), {}, c.settings);
    for (double x = -60; x <= 60; x += 5) {
      EXPECT_NEAR(other.at(x).e_total, base.at(x).e_total, c.within * e0) << x;
      EXPECT_NEAR(other.at(x).j, base.at(x).j, c.within * peak) << x;
    }
  }
}

}  // namespace
}  // namespace ionflow
