#include "fields/magnetic_field.hpp"

#include <cmath>

#include "fields/field_ellipse.hpp"

namespace {

constexpr real gauss_factor = 2.0f;  // I kA at r m gives 2 I / r gauss

// Phase of a component in radians, from -90 to 270 degrees.
real component_phase(real re, real im) {
  real phase = re == 0 ? fields::half_pi : std::atan(im / re);
  if (re < 0) phase = phase + fields::pi;
  return phase;
}

}  // namespace

real current_phase(const Inputs& inputs, int i) {
  // The current of a negative DC pole flows the other way.
  if (inputs.volts[i] <= 0 && !inputs.acflag[i]) return -fields::pi;
  return inputs.phangle[i] * fields::degrees_to_radians;
}

void ztmagfld(const Inputs& inputs, Outputs& outputs) {
  using namespace fields;
  // Only the energized groups carry current; earth wires and images carry none.
  const int n = energized_groups(inputs);
  const real x = inputs.xpoint;
  const real h = inputs.evalht;

  real bx_re = 0, bx_im = 0, by_re = 0, by_im = 0;
  for (int i = 0; i < n; ++i) {
    const real alpha = current_phase(inputs, i);
    const real dx = x - inputs.xcond[i];
    const real dy = inputs.ycond[i] - h;
    const real r2 = dy * dy + dx * dx;
    const real i2 = gauss_factor * inputs.current[i];
    bx_re += i2 * dy * std::cos(alpha) / r2;
    bx_im += i2 * dy * std::sin(alpha) / r2;
    by_re += i2 * dx * std::cos(alpha) / r2;
    by_im += i2 * dx * std::sin(alpha) / r2;
  }

  MagneticFieldResults& out = outputs.magnetic;
  out.mfx = std::sqrt(bx_re * bx_re + bx_im * bx_im);
  const real tx = component_phase(bx_re, bx_im);
  out.mfy = std::sqrt(by_re * by_re + by_im * by_im);
  const real ty = component_phase(by_re, by_im);

  const Ellipse ellipse = field_ellipse(out.mfx, out.mfy, tx, ty);
  out.mfmax = ellipse.max;
  out.mfthetax = tx / degrees_to_radians;
  out.mfthetay = ty / degrees_to_radians;
  out.mftheta = ellipse.direction / degrees_to_radians;
}
