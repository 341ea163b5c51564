// The whole ion flow of a line: what holds exactly (no ions below onset,
// polarity), what the method conserves (the current of each flux tube
// reaches the ground), and its convergence in the number of lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ionflow/ion_flow.hpp"

namespace {

using ionflow::Bundle;

// The bundled +-500 kV bipole: 4 x 30.5 mm at 45 cm, poles 14 m apart at
// 15 m, two earth wires at 25 m.
std::vector<Bundle> bipole() {
  return {{-7, 15, 4, 0.01525, 0.45, 500e3, true},
          {7, 15, 4, 0.01525, 0.45, -500e3, true},
          {-6, 25, 1, 0.0055, 0, 0, false},
          {6, 25, 1, 0.0055, 0, 0, false}};
}

std::vector<Bundle> monopole(double volts) { return {{0, 15, 4, 0.01525, 0.45, volts, true}}; }

// Int |J| dx over the ground between the outermost landings, Simpson's rule
// on each stretch between landings.
double ground_current(const ionflow::Solution& s) {
  const std::vector<ionflow::Landing>& l = s.landings();
  double sum = 0;
  for (std::size_t i = 0; i + 1 < l.size(); ++i) {
    const int n = 16;
    const double h = (l[i + 1].x - l[i].x) / n;
    for (int k = 0; k <= n; ++k) {
      const double weight = (k == 0 || k == n) ? 1 : (k % 2 ? 4 : 2);
      sum += weight * h / 3 * std::abs(s.at(l[i].x + k * h).j);
    }
  }
  return sum;
}

TEST(IonFlow, BelowOnsetTheFieldIsNominalAndNoCurrentFlows) {
  struct Case {
    const char* what;
    std::vector<double> onset_voltages;
  };
  for (const Case& c : {Case{"both poles", {600e3}}, Case{"the negative pole", {400e3, 520e3}}}) {
    SCOPED_TRACE(c.what);
    ionflow::Settings settings;
    settings.onset_voltages = c.onset_voltages;
    const ionflow::Solution s(bipole(), settings);
    for (double x = -80; x <= 80; x += 0.7) {
      const ionflow::GroundValues v = s.at(x);
      if (c.onset_voltages.size() == 1 || v.j <= 0) {  // where the negative pole's lines land
        EXPECT_EQ(v.e_total, v.e_nominal) << x;
        EXPECT_EQ(v.j, 0.0) << x;
        EXPECT_EQ(v.rho, 0.0) << x;
      }
    }
    EXPECT_EQ(s.poles()[1].current(), 0.0);
  }
}

TEST(IonFlow, EachPolesCurrentReachesTheGround) {
  ionflow::Settings settings;
  settings.onset_voltages = {350e3};
  struct Case {
    const char* what;
    std::vector<Bundle> bundles;
  };
  for (const Case& c : {Case{"monopole", monopole(500e3)}, Case{"negative monopole", monopole(-450e3)},
                        Case{"bipole with earth wires", bipole()}}) {
    SCOPED_TRACE(c.what);
    const ionflow::Solution s(c.bundles, settings);
    double to_ground = 0;
    for (const ionflow::Pole& p : s.poles()) to_ground += p.ground_current;
    // The outermost tubes (half of each) land beyond the integral's ends.
    EXPECT_NEAR(ground_current(s), to_ground, 1e-3 * to_ground);
    std::printf("%-24s pole current %.5g mA/km, ground integral of J %.5g mA/km\n", c.what, to_ground * 1e6,
                ground_current(s) * 1e6);
  }
}

TEST(IonFlow, PolarityChangesTheCurrentByTheMobilityAlone) {
  ionflow::Settings settings;
  settings.onset_voltages = {330e3};
  const ionflow::Solution positive(monopole(450e3), settings);
  const ionflow::Solution negative(monopole(-450e3), settings);
  const double ratio = settings.mobility_negative / settings.mobility_positive;
  for (double x = -60; x <= 60; x += 5) {
    const ionflow::GroundValues p = positive.at(x), n = negative.at(x);
    EXPECT_NEAR(n.e_total, p.e_total, 1e-9 * p.e_total) << x;
    EXPECT_NEAR(n.j, -ratio * p.j, 1e-9 * std::abs(p.j)) << x;
    EXPECT_NEAR(n.rho, -p.rho, 1e-9 * std::abs(p.rho)) << x;
  }
  EXPECT_NEAR(negative.poles()[0].current(), ratio * positive.poles()[0].current(),
              1e-9 * negative.poles()[0].current());
}

TEST(IonFlow, ConvergesInTheNumberOfLines) {
  // E_s and J at the ground of the bipole as the lines per pole double;
  // the last doubling moves them by far less than the accuracy asked.
  const std::vector<double> xs{-40, -25, -15, -9, -7, -5, -2, 2, 5, 7, 9, 15, 25, 40};
  std::vector<std::vector<ionflow::GroundValues>> runs;
  std::printf("lines  max change of E_s   of J (where |J| > max/10)\n");
  for (int lines : {16, 32, 64, 128, 256}) {
    ionflow::Settings settings;
    settings.lines = lines;
    const ionflow::Solution s(bipole(), settings);
    std::vector<ionflow::GroundValues> values;
    for (double x : xs) values.push_back(s.at(x));
    if (!runs.empty()) {
      double jmax = 0, de = 0, dj = 0;
      for (const ionflow::GroundValues& v : values) jmax = std::max(jmax, std::abs(v.j));
      for (std::size_t i = 0; i < xs.size(); ++i) {
        const ionflow::GroundValues& a = runs.back()[i];
        de = std::max(de, std::abs(values[i].e_total / a.e_total - 1));
        if (std::abs(values[i].j) > 0.1 * jmax) dj = std::max(dj, std::abs(values[i].j / a.j - 1));
      }
      std::printf("%5d  %18.2e  %8.2e\n", lines, de, dj);
      if (lines == 256) {
        EXPECT_LT(de, 1e-3);
        EXPECT_LT(dj, 3e-3);
      }
    }
    runs.push_back(values);
  }
}

}  // namespace
