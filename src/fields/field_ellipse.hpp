#pragma once
// Pieces the electric and magnetic field routines share: the field
// ellipse of two (or, along a span, three) phasor components.

#include <array>
#include <cmath>
#include <cstddef>

#include "model/problem_data.hpp"

namespace fields {

inline constexpr real half_pi = 1.5707964f;
inline constexpr real pi = 3.1415927f;
inline constexpr real degrees_to_radians = 0.017453292f;

// The ellipse of a field whose components have magnitudes m and phases t
// (radians): its semi-major axis, the largest magnitude over a cycle, and
// each component's value at that moment.
template <std::size_t n>
struct EllipseOf {
  real max;
  std::array<real, n> at_max;
};

template <std::size_t n>
inline EllipseOf<n> field_ellipse_of(const std::array<real, n>& m, const std::array<real, n>& t) {
  static_assert(n >= 2);
  real a = m[0] * m[0] * std::sin(2.0f * t[0]);
  real b = m[0] * m[0] * std::cos(2.0f * t[0]);
  for (std::size_t k = 1; k < n; ++k) {
    a = a + m[k] * m[k] * std::sin(2.0f * t[k]);
    b = b + m[k] * m[k] * std::cos(2.0f * t[k]);
  }
  // Time phase of an extreme of the magnitude. A zero or circular field
  // leaves a = b = 0: its magnitude is the same at every phase, take 0.
  real p = (a == 0 && b == 0) ? 0.0f : std::atan(-(a / b)) / 2.0f;
  const auto magnitude_at = [&](real phase) {
    real c = m[0] * std::cos(t[0] + phase);
    real sum = c * c;
    for (std::size_t k = 1; k < n; ++k) {
      c = m[k] * std::cos(t[k] + phase);
      sum = sum + c * c;
    }
    return std::sqrt(sum);
  };
  const real m1 = magnitude_at(p);
  const real q = p + half_pi;
  const real m2 = magnitude_at(q);
  EllipseOf<n> ellipse{};
  ellipse.max = (m2 > m1 || std::isnan(m1)) ? m2 : m1;
  if (m2 > m1) p = q;
  for (std::size_t k = 0; k < n; ++k) ellipse.at_max[k] = m[k] * std::cos(t[k] + p);
  return ellipse;
}

struct Ellipse {
  real max;        // semi-major axis: the largest magnitude over a cycle
  real direction;  // direction of the vector at that moment, radians from the horizontal
};

// Ellipse of the field whose horizontal and vertical components have
// magnitudes x, y and phases tx, ty (radians).
inline Ellipse field_ellipse(real x, real y, real tx, real ty) {
  const EllipseOf<2> e = field_ellipse_of<2>({x, y}, {tx, ty});
  const real cx = e.at_max[0];
  const real cy = e.at_max[1];
  return {e.max, cx == 0 ? half_pi : std::atan2(cy, cx)};
}

}  // namespace fields
