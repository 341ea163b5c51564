// The line of spans on its own: the catenary, the Biot-Savart sum against
// the closed form of a straight wire, the potential the charges give on the
// conductor surface, and the layouts refused.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "spans/span_line.hpp"

namespace {

using spans::Conductor;
using spans::Layout;
using spans::Line;

TEST(Catenary, ParameterHangsTheGivenSag) {
  // Forward: a chosen parameter gives the sag a (cosh(L / 2a) - 1); the
  // search must find the parameter back from that sag.
  struct Case {
    double length, a;
  };
  for (const Case c : {Case{400, 2000}, {400, 150}, {1000, 800}, {50, 30}, {300, 1e6}}) {
    const auto hang = [&](double u) {  // a (cosh(u / a) - 1), without the cancellation
      const double s = std::sinh(u / (2 * c.a));
      return 2 * c.a * s * s;
    };
    const double sag = hang(c.length / 2);
    EXPECT_NEAR(spans::catenary_parameter(c.length, sag), c.a, 1e-9 * c.a) << c.length << " " << c.a;
    // The height rises from 0 at mid-span to the sag at both towers.
    EXPECT_NEAR(spans::catenary_height(c.length, sag, 0), sag, 1e-9 * sag);
    EXPECT_NEAR(spans::catenary_height(c.length, sag, c.length), sag, 1e-9 * sag);
    EXPECT_NEAR(spans::catenary_height(c.length, sag, c.length / 2), 0, 1e-12);
    const double u = 0.3 * c.length;
    EXPECT_NEAR(spans::catenary_height(c.length, sag, u), hang(u - c.length / 2), 1e-9 * sag);
  }
  EXPECT_TRUE(std::isinf(spans::catenary_parameter(400, 0)));
  EXPECT_EQ(spans::catenary_height(400, 0, 100), 0);
}

TEST(SpanLine, StraightWireMagneticFieldIsTheClosedForm) {
  // One level wire without sag, 1 span of 300 m at 10 m, 1 kA: from a
  // point at distance d from its line, whose foot lies y along it,
  // B = I / d (y / r0 + (L - y) / r1) gauss, round the wire.
  const double length = 300, height = 10, amps = 1;
  Conductor wire;
  wire.low = height;
  wire.radius = 0.01;
  wire.current = amps;
  const Line line({wire}, Layout{length, 1, 30});
  struct Point {
    double x, along, h;
  };
  for (const Point p : {Point{0, 150, 1}, {5, 150, 1}, {-20, 10, 0}, {3, -40, 12}, {0, 340, 25}, {8, 300, 10}}) {
    const double dx = p.x, dz = p.h - height;
    const double d = std::hypot(dx, dz);
    const double r0 = std::hypot(d, p.along), r1 = std::hypot(d, length - p.along);
    const double b = amps / d * (p.along / r0 + (length - p.along) / r1);
    const spans::Components c = line.magnetic_field(p.x, p.along, p.h);
    // The current runs along +y: the field turns round it, (dz, 0, -dx) / d.
    EXPECT_NEAR(c[0].real(), b * dz / d, 1e-9 * b) << p.x << " " << p.along << " " << p.h;
    EXPECT_NEAR(std::abs(c[1]), 0, 1e-9 * b);
    EXPECT_NEAR(c[2].real(), -b * dx / d, 1e-9 * b);
  }
}

TEST(SpanLine, ChargesHoldTheConductorSurfaceAtItsVoltage) {
  // The potential averaged round the surface, between the nodes as well as
  // at them, is the voltage of each conductor: two phases and an earth
  // wire hanging with different sags.
  std::vector<Conductor> cs(3);
  cs[0] = {-6, 12, 10, 0.15, std::polar(200e3, 0.0), {}};
  cs[1] = {6, 12, 10, 0.15, std::polar(200e3, 2.0944), {}};
  cs[2] = {0, 22, 7, 0.005, {}, {}};
  const Line line(cs, Layout{350, 3, 0});
  for (std::size_t i = 0; i < cs.size(); ++i) {
    for (const double along : {0.0, 3.0, 61.0, 174.0, 175.0, 349.0, -120.0}) {
      const double z = line.conductor_height(i, along);
      // Averaged round the circumference, within 0.5 %.
      spans::Phasor mean{};
      const int around = 16;
      for (int k = 0; k < around; ++k) {
        const double t = 2 * 3.141592653589793 * (k + 0.5) / around;
        mean += line.potential(cs[i].x + cs[i].radius * std::cos(t), along, z + cs[i].radius * std::sin(t));
      }
      mean /= static_cast<double>(around);
      EXPECT_LT(std::abs(mean - cs[i].volts), 0.005 * 200e3) << i << " " << along;
    }
  }
}

TEST(SpanLine, RefusesLayoutsOutOfRange) {
  Conductor c{0, 10, 5, 0.1, 1e5, 1};
  struct Case {
    Layout layout;
    double sag;
  };
  const double nan = std::nan("");
  for (const Case k : {Case{{0, 3, 0}, 5}, {{-10, 3, 0}, 5}, {{nan, 3, 0}, 5}, {{300, 2, 0}, 5}, {{300, 0, 0}, 5},
                       {{300, 3, 1}, 5}, {{300, 3, 401}, 5}, {{300, 3, 0}, -1}, {{300, 3, 0}, 300}, {{300, 3, 0}, nan}}) {
    c.sag = k.sag;
    EXPECT_THROW(Line({c}, k.layout), std::invalid_argument) << k.layout.length << " " << k.layout.spans << " " << k.sag;
  }
  // A system too large to hold, given or (with the fewest elements) chosen.
  std::vector<Conductor> many;
  for (int i = 0; i < 50; ++i) many.push_back({2.0 * i, 10, 5, 0.1, 1e5, 1});
  EXPECT_THROW(Line(many, Layout{300, 15, 60}), std::invalid_argument);
  EXPECT_THROW(Line(many, Layout{300, 15, 0}), std::invalid_argument);
  // Conductors that touch leave the charges undetermined: in one place,
  // or crossing between mid-span and the tower.
  c.sag = 5;
  Conductor other = c;
  EXPECT_THROW(Line({c, other}, Layout{300, 3, 8}), std::domain_error);
  other.low = c.low + 1;
  other.sag = c.sag - 2;
  EXPECT_THROW(Line({c, other}, Layout{300, 3, 8}), std::domain_error);
  other.sag = c.sag;
  EXPECT_NO_THROW(Line({c, other}, Layout{300, 3, 8}));
}

}  // namespace
