#include "corona/tv.hpp"

#include <cmath>

namespace {

constexpr real not_modelled = -999.9f;  // DC bundles, and the start value of the line level
constexpr real reference_distance = 61.0f;

// Change of level from the reference distance to distance r when the level
// falls 20 dB per decade inside the transition distance rc and 40 dB per
// decade beyond it.
real distance_correction(real r, real rc) {
  if (rc >= reference_distance) {
    if (r <= rc) return 20.0f * std::log10(reference_distance / r);
    return 20.0f * std::log10(reference_distance / rc) + 40.0f * std::log10(rc / r);
  }
  if (r < rc) return 40.0f * std::log10(reference_distance / rc) + 20.0f * std::log10(rc / r);
  return 40.0f * std::log10(reference_distance / r);
}

}  // namespace

void zttv(const Inputs& inputs, Outputs& outputs) {
  TvResults& tv = outputs.tv;
  const real f = inputs.evalfreq;
  const real h = inputs.evalht;
  tv.tvl50 = not_modelled;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    real level = not_modelled;
    if (inputs.acflag[i]) {
      const real y = inputs.ycond[i];
      const real dy = y - h;
      const real dx = inputs.xpoint - inputs.xcond[i];
      const real r = std::sqrt(dy * dy + dx * dx);
      const real rc = ((y * h) * f) * 0.04f;
      real gen = ((120.0f * std::log10(inputs.gradient[i] / 16.3f) + 10.0f) +
                  40.0f * std::log10(inputs.subdiam[i] / 30.4f)) +
                 20.0f * std::log10(75.0f / f);
      gen = gen + inputs.altitude / 300.0f;
      level = gen + distance_correction(r, rc);
    }
    tv.tvcond[i] = level;
    // The line level is the loudest AC group; a marker or a not-a-number
    // level never wins.
    if (level > tv.tvl50) tv.tvl50 = level;
  }
}
