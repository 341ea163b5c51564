#pragma once
// Double-precision fields for checking the routines: line charges with
// their ground images, line currents, and the largest magnitude of a
// phasor field found by sampling it over a cycle.

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace reference {

using phasor = std::complex<double>;

struct Line {  // one conductor: position and its charge (C/m) or current (kA) as a phasor
  double x, y;
  phasor value;
};

struct Field {
  phasor horizontal, vertical, potential;
};

constexpr double charge_factor = 1.8e10;  // 1 / (2 pi e0), m/F, as the program rounds it

// Field (V/m) and potential (V) of line charges above a perfectly conducting ground.
inline Field electric(const std::vector<Line>& charges, double x, double h) {
  Field f{};
  for (const Line& c : charges) {
    const double dx = x - c.x;
    const double r1sq = dx * dx + (h - c.y) * (h - c.y);  // to the charge
    const double r2sq = dx * dx + (h + c.y) * (h + c.y);  // to its image
    f.horizontal += charge_factor * c.value * (dx / r1sq - dx / r2sq);
    f.vertical += charge_factor * c.value * ((h - c.y) / r1sq - (h + c.y) / r2sq);
    if (h > 0) f.potential += charge_factor * c.value * 0.5 * std::log(r2sq / r1sq);
  }
  return f;
}

// Flux density (gauss) of line currents (kA) flowing into the page: 2 I / r, at right angles to r.
inline Field magnetic(const std::vector<Line>& currents, double x, double h) {
  Field f{};
  for (const Line& c : currents) {
    const double dx = x - c.x, dy = c.y - h;
    const double rsq = dx * dx + dy * dy;
    f.horizontal += 2.0 * c.value * dy / rsq;
    f.vertical += 2.0 * c.value * dx / rsq;
  }
  return f;
}

struct Peak {
  double magnitude;  // largest |field(t)| over a cycle
  double direction;  // degrees from the horizontal at that moment, -180..180
};

// The field vector Re(F e^{j wt}) sampled every 0.005 degree of a half cycle
// (the other half repeats it reversed).
inline Peak sampled_peak(phasor horizontal, phasor vertical) {
  Peak best{-1.0, 0.0};
  const int steps = 36000;
  for (int k = 0; k < steps; ++k) {
    const phasor turn = std::polar(1.0, std::numbers::pi * k / steps);
    const double fx = (horizontal * turn).real(), fy = (vertical * turn).real();
    const double m = std::hypot(fx, fy);
    if (m > best.magnitude) best = {m, std::atan2(fy, fx) * 180.0 / std::numbers::pi};
  }
  return best;
}

inline double degrees(phasor p) { return std::arg(p) * 180.0 / std::numbers::pi; }

// Difference of two angles in degrees, brought into -180..180; with
// `axis` set, opposite directions count as the same (into -90..90).
inline double angle_difference(double a, double b, bool axis = false) {
  const double period = axis ? 180.0 : 360.0;
  double d = std::fmod(a - b, period);
  if (d > period / 2) d -= period;
  if (d < -period / 2) d += period;
  return d;
}

}  // namespace reference
