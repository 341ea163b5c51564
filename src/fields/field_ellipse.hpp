#pragma once
// Pieces the electric and magnetic field routines share: the field
// ellipse of two phasor components.

#include <cmath>

#include "model/problem_data.hpp"

namespace fields {

inline constexpr real half_pi = 1.5707964f;
inline constexpr real pi = 3.1415927f;
inline constexpr real degrees_to_radians = 0.017453292f;

struct Ellipse {
  real max;        // semi-major axis: the largest magnitude over a cycle
  real direction;  // direction of the vector at that moment, radians from the horizontal
};

// Ellipse of the field whose horizontal and vertical components have
// magnitudes x, y and phases tx, ty (radians).
inline Ellipse field_ellipse(real x, real y, real tx, real ty) {
  const real a = x * x * std::sin(2.0f * tx) + y * y * std::sin(2.0f * ty);
  const real b = x * x * std::cos(2.0f * tx) + y * y * std::cos(2.0f * ty);
  // Time phase of an extreme of the magnitude. A zero or circular field
  // leaves a = b = 0: its magnitude is the same at every phase, take 0.
  real p = (a == 0 && b == 0) ? 0.0f : std::atan(-(a / b)) / 2.0f;
  const auto magnitude_at = [&](real phase) {
    const real cx = x * std::cos(tx + phase);
    const real cy = y * std::cos(ty + phase);
    return std::sqrt(cx * cx + cy * cy);
  };
  const real m1 = magnitude_at(p);
  const real q = p + half_pi;
  const real m2 = magnitude_at(q);
  Ellipse ellipse{};
  ellipse.max = (m2 > m1 || std::isnan(m1)) ? m2 : m1;
  if (m2 > m1) p = q;
  const real cx = x * std::cos(tx + p);
  const real cy = y * std::cos(ty + p);
  ellipse.direction = cx == 0 ? half_pi : std::atan2(cy, cx);
  return ellipse;
}

}  // namespace fields
