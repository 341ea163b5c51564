#include "corona/ozone.hpp"

#include <cmath>

#include "corona/ozone_terms.hpp"

namespace ozone_terms {

real rain_term(real rainrate) {
  if (!(rainrate > 0.0f)) return 1.676f;
  if (rainrate <= 3.6f) return 10.0f * std::log10(rainrate / 1.676f);
  return 3.5f * std::log10(rainrate / 3.6f) + 3.3f;
}

real loss_db(const Inputs& inputs, int i, real b) {
  const real n = static_cast<real>(inputs.nsub[i]);
  const real d = inputs.subdiam[i];
  const real a = inputs.altitude;
  const bool fair = inputs.rainrate == 0.0f;
  if (inputs.acflag[i]) {
    const real k = inputs.nsub[i] > 4 ? 19.0f : 13.0f;
    const real g = inputs.gradient[i];
    real pdb = ((k * std::log10(n / 4.0f) +
                 (40.0f * std::log10(d / 35.1f) + (65.0f * std::log10(g / 18.8f) + 14.2f))) +
                b) +
               a / 300.0f;
    if (fair) pdb = pdb - 17.0f;
    return pdb;
  }
  // A negative pole loses as a positive one of the same gradient.
  real g = inputs.gradient[i];
  if (g < 0.0f) g = -g;
  real pdb = ((8.0f * std::log10(n / 6.0f) +
               (20.0f * std::log10(d / 40.7f) + ((g - 25.0f) * 0.73f + 16.9f))) -
              3.0f + b) +
             a / 300.0f;
  if (fair) pdb = pdb - 5.0f;
  return pdb;
}

real plume_sigma(real x, real h, real u) {
  const real s = (4.75f * std::pow(100.0f / h, 0.25f) + 23.0f / u) * 0.0315f;
  return std::pow(x, 0.86f) * s;
}

}  // namespace ozone_terms

void ztozone(const Inputs& inputs, Outputs& outputs) {
  OzoneResults& ozone = outputs.ozone;
  const int groups = energized_groups(inputs);

  // Losses and production rates do not depend on the point.
  const real b = ozone_terms::rain_term(inputs.rainrate);
  for (int i = 0; i < groups; ++i) {
    const real pdb = ozone_terms::loss_db(inputs, i, b);
    ozone.clcond[i] = std::pow(10.0f, pdb / 10.0f);
    if (inputs.acflag[i]) {
      const real ratio = inputs.gradient[i] / inputs.volts[i];
      ozone.ozprod[i] = ((ratio * ratio) * ozone.clcond[i]) * 1.26e-7f;
    } else if (inputs.volts[i] < 0.0f) {
      ozone.ozprod[i] = ozone.clcond[i] * 1.26e-9f;
    } else {
      ozone.ozprod[i] = ozone.clcond[i] * 3.8e-10f;
    }
  }

  // Each bundle is a line source carried across the line by the wind; its
  // plume and the plume's image in the ground add at the point.
  const real u = inputs.wind;
  const real z = inputs.evalht;
  ozone.ozppb = 0.0f;
  for (int i = 0; i < groups; ++i) {
    ozone.ozconc[i] = 0.0f;
    const real x = inputs.xpoint - inputs.xcond[i];
    if (!(x >= 0.25f)) continue;  // upwind or right under the bundle
    const real h = inputs.ycond[i];
    const real sigma = ozone_terms::plume_sigma(x, h, u);
    const real spread = 2.0f * (sigma * sigma);
    real e1 = ((h - z) * (h - z)) / spread;
    real e2 = ((h + z) * (h + z)) / spread;
    // Keeps exp within single-precision range.
    if (e1 > 88.0f) e1 = 88.0f;
    if (e2 > 88.0f) e2 = 88.0f;
    const real c = ozone.ozprod[i] / ((u * sigma) * 2.5066283f);
    ozone.ozconc[i] = c * (1.0f / std::exp(e2) + 1.0f / std::exp(e1));
    ozone.ozppb = ozone.ozppb + ozone.ozconc[i];
  }
  ozone.ozppb = ozone.ozppb * 4.67e8f;  // kg/m3 to ppb
}
