// Electric field and space potential of bundle charges with their images.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "field_reference.hpp"
#include "fields/electric_field.hpp"

namespace {

using reference::Line;
using reference::phasor;

// A line of charged groups, the first `energized` of them phases or poles.
Inputs charged_line(const std::vector<Line>& groups, int energized) {
  Inputs in{};
  in.nphases = static_cast<integer>(energized);
  in.nearth = static_cast<integer>(groups.size() - energized);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    in.xcond[i] = static_cast<real>(groups[i].x);
    in.ycond[i] = static_cast<real>(groups[i].y);
    in.qreal[i] = static_cast<real>(groups[i].value.real());
    in.qimag[i] = static_cast<real>(groups[i].value.imag());
  }
  return in;
}

ElectricFieldResults field_at(Inputs in, real x, real h) {
  in.xpoint = x;
  in.evalht = h;
  Outputs out{};
  ztelefld(in, out);
  return out.electric;
}

// Relative difference, with a floor so that a zero reference needs a near-zero value.
double relative(double value, double expected) {
  return std::abs(value - expected) / std::max(std::abs(expected), 1e-9);
}

struct Point {
  real x, h;
};

// One conductor 15 m up carrying 5 uC/m at 30 degrees: the field is its
// charge's and its image's, linearly polarised, in phase with the charge.
TEST(ElectricField, SingleChargeAboveGroundMatchesChargeAndImage) {
  const std::vector<Line> line{{2.0, 15.0, std::polar(5e-6, 0.5235987755982988)}};
  const Inputs in = charged_line(line, 1);
  for (const Point p : {Point{2, 0}, Point{0, 0}, Point{-20, 0}, Point{2, 1}, Point{10, 1}, Point{-7.5f, 8},
                        Point{40, 14}, Point{2, 30}}) {
    SCOPED_TRACE(testing::Message() << "x " << p.x << " h " << p.h);
    const ElectricFieldResults ef = field_at(in, p.x, p.h);
    const reference::Field f = reference::electric(line, p.x, p.h);
    EXPECT_LT(relative(ef.efy, std::abs(f.vertical) / 1000), 2e-6);
    EXPECT_LT(relative(ef.efmax, std::hypot(std::abs(f.horizontal), std::abs(f.vertical)) / 1000), 2e-6);
    EXPECT_LT(relative(ef.efpot, std::abs(f.potential)), 2e-5);
    EXPECT_NEAR(reference::angle_difference(ef.efthetay, reference::degrees(f.vertical)), 0, 1e-3);
    EXPECT_GE(ef.eftheta, 0);
    EXPECT_LE(ef.eftheta, 180);
    EXPECT_NEAR(reference::angle_difference(ef.eftheta, reference::sampled_peak(f.horizontal, f.vertical).direction,
                                            true),
                0, 0.01);
    if (p.h == 0) {
      // The image cancels the horizontal field exactly; the ground is at zero potential.
      EXPECT_EQ(ef.efx, 0.0f);
      EXPECT_NEAR(ef.efthetax, 90.0f, 1e-4);
      EXPECT_EQ(ef.efpot, 0.0f);
    } else if (p.x != 2) {
      EXPECT_LT(relative(ef.efx, std::abs(f.horizontal) / 1000), 2e-6);
      EXPECT_NEAR(reference::angle_difference(ef.efthetax, reference::degrees(f.horizontal)), 0, 1e-3);
    }
  }
}

// Three phases, flat, 12 m apart, 15 m up, equal charges 120 degrees
// apart: the field vector turns on an ellipse whose semi-major axis is
// the largest magnitude met during a cycle.
TEST(ElectricField, BalancedThreePhaseEllipseMatchesSampledCycle) {
  const double q = 4.2e-6, third = 2.0943951023931957;
  const std::vector<Line> line{{-12, 15, std::polar(q, 0.0)}, {0, 15, std::polar(q, -third)},
                               {12, 15, std::polar(q, third)}};
  const Inputs in = charged_line(line, 3);
  for (const Point p : {Point{-40, 1}, Point{-13, 1}, Point{-5, 1}, Point{0, 1}, Point{3, 2}, Point{17, 1},
                        Point{25, 0.5f}, Point{6, 10}, Point{60, 1}}) {
    SCOPED_TRACE(testing::Message() << "x " << p.x << " h " << p.h);
    const ElectricFieldResults ef = field_at(in, p.x, p.h);
    const reference::Field f = reference::electric(line, p.x, p.h);
    const reference::Peak peak = reference::sampled_peak(f.horizontal, f.vertical);
    EXPECT_LT(relative(ef.efmax, peak.magnitude / 1000), 1e-3);
    EXPECT_NEAR(reference::angle_difference(ef.eftheta, peak.direction, true), 0, 0.05);
    EXPECT_LT(relative(ef.efx, std::abs(f.horizontal) / 1000), 1e-4);
    EXPECT_LT(relative(ef.efy, std::abs(f.vertical) / 1000), 1e-4);
    // The phase potentials nearly cancel far out: single precision keeps about 1e-4 of the sum.
    EXPECT_LT(relative(ef.efpot, std::abs(f.potential)), 1e-3);
    EXPECT_NEAR(reference::angle_difference(ef.efthetax, reference::degrees(f.horizontal)), 0, 0.01);
    EXPECT_NEAR(reference::angle_difference(ef.efthetay, reference::degrees(f.vertical)), 0, 0.01);
    EXPECT_GE(ef.eftheta, 0);
    EXPECT_LE(ef.eftheta, 180);
  }
}

// DC poles entered at angle 0 leave real charges: each component is in
// phase (0) or in opposition (180), and a real part of exactly 0 reads as
// 90 horizontally and 0 vertically.
TEST(ElectricField, RealChargesGiveComponentPhasesZeroOr180) {
  constexpr double pos = 6e-6, neg = -6e-6;
  struct Case {
    const char* name;
    std::vector<Line> poles;
    real x;
    real efthetax, efthetay;
  };
  const std::vector<Case> cases = {
      {"positive pole, below it", {{0, 10, pos}}, 0, 90, 180},
      {"positive pole, to its right", {{0, 10, pos}}, 5, 0, 180},
      {"positive pole, to its left", {{0, 10, pos}}, -5, 180, 180},
      {"negative pole, to its right", {{0, 10, neg}}, 5, 180, 0},
      {"bipole, midway", {{-5, 10, pos}, {5, 10, neg}}, 0, 0, 0},
      {"bipole, beyond the negative pole", {{-5, 10, pos}, {5, 10, neg}}, 20, 180, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ElectricFieldResults ef = field_at(charged_line(c.poles, static_cast<int>(c.poles.size())), c.x, 1);
    EXPECT_NEAR(ef.efthetax, c.efthetax, 1e-4);
    EXPECT_NEAR(ef.efthetay, c.efthetay, 1e-4);
    EXPECT_GE(ef.eftheta, 0);
    EXPECT_LE(ef.eftheta, 180);
  }
  // Midway between the poles of a bipole the vertical fields cancel exactly.
  const ElectricFieldResults mid = field_at(charged_line(cases[4].poles, 2), 0, 1);
  EXPECT_EQ(mid.efy, 0.0f);
  EXPECT_EQ(mid.efpot, 0.0f);
  EXPECT_FLOAT_EQ(mid.efmax, mid.efx);
  EXPECT_NEAR(mid.eftheta, 0, 1e-4);
}

// Earth wires carry their induced charge into the sums like any group.
TEST(ElectricField, EarthWiresContribute) {
  const std::vector<Line> with_earth{{0, 15, 5e-6}, {0, 25, -1e-6}};
  const std::vector<Line> alone{{0, 15, 5e-6}};
  const ElectricFieldResults ef = field_at(charged_line(with_earth, 1), 3, 1);
  const reference::Field f = reference::electric(with_earth, 3, 1);
  EXPECT_LT(relative(ef.efy, std::abs(f.vertical) / 1000), 2e-6);
  EXPECT_GT(std::abs(ef.efy - field_at(charged_line(alone, 1), 3, 1).efy), 1e-3f * ef.efy);
}

// The group count comes from the data: loops stay inside the 50 groups
// whatever nphases and nearth hold.
TEST(ElectricField, GroupCountHeldToTheArrays) {
  std::vector<Line> full;
  for (int i = 0; i < max_groups; ++i) full.push_back({i - 25.0, 10.0 + i % 3, phasor(1e-7 * (i + 1), -5e-8 * i)});
  const Inputs base = charged_line(full, max_groups);
  struct Case {
    integer nphases, nearth;
    int same_as;  // groups actually summed
  };
  for (const Case c : {Case{30, 30, 50}, Case{32767, 32767, 50}, Case{60, -20, 40}, Case{-3, 2, 0},
                       Case{-32768, -32768, 0}, Case{3, 4, 7}}) {
    SCOPED_TRACE(testing::Message() << c.nphases << " + " << c.nearth);
    Inputs in = base;
    in.nphases = c.nphases;
    in.nearth = c.nearth;
    Inputs expected_in = base;
    expected_in.nphases = static_cast<integer>(c.same_as);
    expected_in.nearth = 0;
    const ElectricFieldResults got = field_at(in, 1.5f, 1);
    const ElectricFieldResults expected = field_at(expected_in, 1.5f, 1);
    EXPECT_EQ(got.efmax, expected.efmax);
    EXPECT_EQ(got.efpot, expected.efpot);
  }
}

// With no charge anywhere the field is zero, not an undefined ellipse.
TEST(ElectricField, NoChargeGivesZeroField) {
  const ElectricFieldResults ef = field_at(charged_line({{0, 15, 0.0}}, 1), 4, 1);
  EXPECT_EQ(ef.efmax, 0.0f);
  EXPECT_EQ(ef.efx, 0.0f);
  EXPECT_EQ(ef.efy, 0.0f);
  EXPECT_NEAR(ef.eftheta, 90, 1e-4);
}

}  // namespace
