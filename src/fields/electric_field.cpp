#include "fields/electric_field.hpp"

#include <cmath>

#include "fields/field_ellipse.hpp"

namespace {

constexpr real potential_factor = 1.8e10f;        // 1 / (2 pi e0), m/F
constexpr real volts_per_kilovolt = 1000.0f;
constexpr real smallest_normal = 1.1754944e-38f;

}  // namespace

void ztelefld(const Inputs& inputs, Outputs& outputs) {
  using namespace fields;
  const int n = all_groups(inputs);
  const real x = inputs.xpoint;
  const real h = inputs.evalht;

  // Phasor sums over every bundle charge and its image below the ground.
  real ex_re = 0, ex_im = 0, ey_re = 0, ey_im = 0, v_re = 0, v_im = 0;
  for (int i = 0; i < n; ++i) {
    const real qr = inputs.qreal[i];
    const real qi = inputs.qimag[i];
    const real dx = x - inputs.xcond[i];
    const real dy1 = inputs.ycond[i] - h;
    const real dy2 = inputs.ycond[i] + h;
    const real d1 = (dy1 * dy1 + dx * dx) / potential_factor;
    const real d2 = (dy2 * dy2 + dx * dx) / potential_factor;
    ex_re += qr * dx / d1 - qr * dx / d2;
    ex_im += qi * dx / d1 - qi * dx / d2;
    ey_re += qr * (-dy1) / d1 - qr * dy2 / d2;
    ey_im += qi * (-dy1) / d1 - qi * dy2 / d2;
    // The potential is measured against the ground: none at height 0.
    if (h >= smallest_normal) {
      const real r1 = std::sqrt(dx * dx + dy1 * dy1);
      const real r2 = std::sqrt(dx * dx + dy2 * dy2);
      // Each logarithm once, for the real and the imaginary part alike.
      const real direct = std::log(r1 / h);
      const real image = std::log(r2 / h);
      v_re = (v_re + direct * (qr * potential_factor)) - image * (qr * potential_factor);
      v_im = (v_im + direct * (qi * potential_factor)) - image * (qi * potential_factor);
    }
  }

  ElectricFieldResults& out = outputs.electric;
  out.efx = std::sqrt(ex_re * ex_re + ex_im * ex_im) / volts_per_kilovolt;
  out.efpot = std::sqrt(v_re * v_re + v_im * v_im);
  const real tx = ex_re == 0 ? half_pi : std::atan2(ex_im, ex_re);
  out.efy = std::sqrt(ey_re * ey_re + ey_im * ey_im) / volts_per_kilovolt;
  if (ey_re == 0) ey_re = smallest_normal;
  const real ty = std::atan2(ey_im, ey_re);

  const Ellipse ellipse = field_ellipse(out.efx, out.efy, tx, ty);
  out.efmax = ellipse.max;
  out.efthetax = tx / degrees_to_radians;
  out.efthetay = ty / degrees_to_radians;
  out.eftheta = ellipse.direction / degrees_to_radians;
  // A direction is an axis: one below the horizontal is the same axis 180 degrees on.
  if (out.eftheta < 0) out.eftheta += 180.0f;
}
