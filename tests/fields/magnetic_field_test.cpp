// Magnetic flux density of the phase and pole currents.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "field_reference.hpp"
#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"

namespace {

using reference::Line;

struct Group {
  real x, y, current, phangle, volts;
  bool ac;
};

Inputs line_of(const std::vector<Group>& groups, int energized) {
  Inputs in{};
  in.nphases = static_cast<integer>(energized);
  in.nearth = static_cast<integer>(groups.size() - energized);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& g = groups[i];
    in.xcond[i] = g.x;
    in.ycond[i] = g.y;
    in.current[i] = g.current;
    in.phangle[i] = g.phangle;
    in.volts[i] = g.volts;
    in.acflag[i] = g.ac;
  }
  return in;
}

MagneticFieldResults field_at(Inputs in, real x, real h) {
  in.xpoint = x;
  in.evalht = h;
  Outputs out{};
  ztmagfld(in, out);
  return out.magnetic;
}

double relative(double value, double expected) { return std::abs(value - expected) / std::abs(expected); }

struct Point {
  real x, h;
};

// One current of I kA gives 2 I / r gauss at right angles to the radius.
TEST(MagneticField, SingleCurrentGivesTwoIOverR) {
  const real current = 1.75f;
  for (const bool ac : {false, true}) {
    const Inputs in = line_of({{3, 12, current, ac ? 40.0f : 0.0f, 400, ac}}, 1);
    for (const Point p : {Point{3, 1}, Point{0, 1}, Point{-30, 1}, Point{10, 12}, Point{25, 20}, Point{3, 0}}) {
      SCOPED_TRACE(testing::Message() << (ac ? "AC" : "DC") << " x " << p.x << " h " << p.h);
      const MagneticFieldResults mf = field_at(in, p.x, p.h);
      const double dx = p.x - 3.0, dy = 12.0 - p.h;
      EXPECT_LT(relative(mf.mfmax, 2.0 * current / std::hypot(dx, dy)), 2e-6);
      // Into the page: the flux turns the horizontal (dy, dx) way round the conductor.
      const double direction = std::atan2(dx, dy) * 180 / 3.141592653589793;
      EXPECT_NEAR(reference::angle_difference(mf.mftheta, direction, ac), 0, 1e-3);
    }
  }
}

// Three phases, flat, 1 kA each, 120 degrees apart: the ellipse maximum is
// the largest magnitude met in a cycle.
TEST(MagneticField, BalancedThreePhaseEllipseMatchesSampledCycle) {
  const Inputs in = line_of({{-12, 15, 1, 0, 300, true}, {0, 15, 1, 120, 300, true}, {12, 15, 1, 240, 300, true}}, 3);
  const double third = 2.0943951023931957;
  const std::vector<Line> currents{{-12, 15, std::polar(1.0, 0.0)}, {0, 15, std::polar(1.0, third)},
                                   {12, 15, std::polar(1.0, 2 * third)}};
  for (const Point p : {Point{-50, 1}, Point{-12, 1}, Point{-4, 1}, Point{0, 1}, Point{7, 2}, Point{30, 1},
                        Point{5, 14}}) {
    SCOPED_TRACE(testing::Message() << "x " << p.x << " h " << p.h);
    const MagneticFieldResults mf = field_at(in, p.x, p.h);
    const reference::Field f = reference::magnetic(currents, p.x, p.h);
    const reference::Peak peak = reference::sampled_peak(f.horizontal, f.vertical);
    EXPECT_LT(relative(mf.mfmax, peak.magnitude), 1e-3);
    EXPECT_NEAR(reference::angle_difference(mf.mftheta, peak.direction, true), 0, 0.05);
    EXPECT_LT(relative(mf.mfx, std::abs(f.horizontal)), 1e-4);
    EXPECT_LT(relative(mf.mfy, std::abs(f.vertical)), 1e-4);
    EXPECT_NEAR(reference::angle_difference(mf.mfthetax, reference::degrees(f.horizontal)), 0, 0.01);
    EXPECT_NEAR(reference::angle_difference(mf.mfthetay, reference::degrees(f.vertical)), 0, 0.01);
    for (const real phase : {mf.mfthetax, mf.mfthetay}) {
      EXPECT_GE(phase, -90);
      EXPECT_LE(phase, 270);
    }
    EXPECT_GE(mf.mftheta, -180);
    EXPECT_LE(mf.mftheta, 180);
  }
}

// The current of a DC pole at 0 V or below flows the other way; an AC
// group keeps its angle whatever the sign of its voltage. The point lies
// below and to the left of the conductor, where the flux of a positive
// current points below the horizontal.
TEST(MagneticField, PolarityAndDirection) {
  const double below_left = std::atan2(-5.0, 9.0) * 180 / 3.141592653589793;  // about -29.05
  struct Case {
    const char* name;
    Group group;
    double mftheta, mfthetax, mfthetay;
  };
  const std::vector<Case> cases = {
      {"positive DC pole", {0, 10, 2, 0, 500, false}, below_left, 0, 180},
      {"negative DC pole", {0, 10, 2, 0, -500, false}, below_left + 180, 180, 0},
      {"negative DC pole given 180 degrees", {0, 10, 2, 180, -500, false}, below_left + 180, 180, 0},
      {"DC conductor at 0 V", {0, 10, 2, 0, 0, false}, below_left + 180, 180, 0},
      {"AC, negative voltage entry", {0, 10, 2, 0, -300, true}, below_left, 0, 180},
      {"AC at 200 degrees", {0, 10, 2, 200, 300, true}, below_left, 200, 20},
      {"AC at -80 degrees", {0, 10, 2, -80, 300, true}, below_left, -80, 100},
  };
  const MagneticFieldResults positive = field_at(line_of({cases[0].group}, 1), -5, 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MagneticFieldResults mf = field_at(line_of({c.group}, 1), -5, 1);
    EXPECT_FLOAT_EQ(mf.mfmax, positive.mfmax);
    EXPECT_NEAR(mf.mfthetax, c.mfthetax, 1e-3);
    EXPECT_NEAR(mf.mfthetay, c.mfthetay, 1e-3);
    // AC directions are an axis: either end of it is the maximum.
    EXPECT_NEAR(reference::angle_difference(mf.mftheta, c.mftheta, c.group.ac), 0, 1e-3);
  }
  EXPECT_LT(positive.mftheta, -29);  // not folded like the electric direction
}

// A DC pole at 0 V: a real part of exactly 0 reads as 90 degrees.
TEST(MagneticField, ZeroRealPartReadsAsNinety) {
  const MagneticFieldResults mf = field_at(line_of({{0, 10, 2, 0, 500, false}}, 1), 0, 1);  // straight below
  EXPECT_EQ(mf.mfy, 0.0f);
  EXPECT_NEAR(mf.mfthetay, 90, 1e-4);
  EXPECT_NEAR(mf.mfthetax, 0, 1e-4);
  EXPECT_NEAR(mf.mftheta, 0, 1e-4);
}

// Earth wires carry charge into the electric field but no current into
// the flux density, whatever current their records hold.
TEST(MagneticField, EarthWiresCarryNoCurrent) {
  const std::vector<Group> groups{{-6, 15, 1.5f, 0, 300, true}, {6, 15, 1.5f, 120, 300, true},
                                  {0, 25, 5.0f, 0, 0, false}};
  Inputs with_earth = line_of(groups, 2);
  with_earth.qreal = {3e-6f, -1.5e-6f, -0.4e-6f};
  with_earth.qimag = {0, 2.6e-6f, 0};
  Inputs without = with_earth;
  without.nearth = 0;
  for (const real x : {-20.0f, 0.0f, 3.0f}) {
    const MagneticFieldResults a = field_at(with_earth, x, 1), b = field_at(without, x, 1);
    EXPECT_EQ(a.mfmax, b.mfmax);
    EXPECT_EQ(a.mftheta, b.mftheta);
    Outputs ea{}, eb{};
    with_earth.xpoint = without.xpoint = x;
    with_earth.evalht = without.evalht = 1;
    ztelefld(with_earth, ea);
    ztelefld(without, eb);
    EXPECT_NE(ea.electric.efmax, eb.electric.efmax);
  }
}

TEST(MagneticField, GroupCountHeldToTheArrays) {
  std::vector<Group> full;
  for (int i = 0; i < max_groups; ++i) full.push_back({i - 25.0f, 10.0f + i % 4, 0.1f * (i + 1), 7.0f * i, 100, true});
  struct Case {
    integer nphases;
    int same_as;
  };
  for (const Case c : {Case{51, 50}, Case{32767, 50}, Case{-1, 0}, Case{-32768, 0}, Case{12, 12}}) {
    SCOPED_TRACE(c.nphases);
    Inputs in = line_of(full, max_groups);
    in.nphases = c.nphases;
    const MagneticFieldResults got = field_at(in, 2, 1);
    const MagneticFieldResults expected = field_at(line_of(full, c.same_as), 2, 1);
    EXPECT_EQ(got.mfmax, expected.mfmax);
    EXPECT_EQ(got.mfx, expected.mfx);
  }
}

// A line without current has no flux: zero, not an undefined ellipse.
TEST(MagneticField, NoCurrentGivesZeroField) {
  const MagneticFieldResults mf = field_at(line_of({{0, 15, 0, 0, 300, true}, {9, 15, 0, 120, 300, true}}, 2), 4, 1);
  EXPECT_EQ(mf.mfmax, 0.0f);
  EXPECT_NEAR(mf.mftheta, 90, 1e-4);
}

}  // namespace
