#include "corona/tv.hpp"

#include <cmath>

namespace {

constexpr real not_modelled = -999.9f;  // DC bundles, and the start value of the line level
constexpr real reference_distance = 61.0f;

// Change of level from the reference distance to distance r when the level
// falls 20 dB per decade inside the transition distance rc and 40 dB per
// decade beyond it; `near` is the change at 20 dB per decade all the way.
real distance_correction(real r, real rc, real near) {
  if (rc >= reference_distance) {
    if (r <= rc) return near;
    return 20.0f * std::log10(reference_distance / rc) + 40.0f * std::log10(rc / r);
  }
  if (r < rc) return 40.0f * std::log10(reference_distance / rc) + 20.0f * std::log10(rc / r);
  return 40.0f * std::log10(reference_distance / r);
}

}  // namespace

TvFrequencyTerms tv_frequency_terms(real f) { return {20.0f * std::log10(75.0f / f)}; }

void tv_generation_terms(const Inputs& inputs, TvGroupTerms& terms) {
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    if (!inputs.acflag[i]) continue;
    terms.generation[i] =
        (120.0f * std::log10(inputs.gradient[i] / 16.3f) + 10.0f) + 40.0f * std::log10(inputs.subdiam[i] / 30.4f);
  }
}

void tv_distance_terms(const Inputs& inputs, TvGroupTerms& terms) {
  const real h = inputs.evalht;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    if (!inputs.acflag[i]) continue;
    const real y = inputs.ycond[i];
    const real dy = y - h;
    const real dx = inputs.xpoint - inputs.xcond[i];
    const real r = std::sqrt(dy * dy + dx * dx);
    terms.distance[i] = r;
    terms.near[i] = 20.0f * std::log10(reference_distance / r);
  }
}

void zttv(const Inputs& inputs, Outputs& outputs) {
  TvGroupTerms groups;
  tv_generation_terms(inputs, groups);
  tv_distance_terms(inputs, groups);
  zttv_with_terms(inputs, groups, tv_frequency_terms(inputs.evalfreq), outputs);
}

void zttv_with_terms(const Inputs& inputs, const TvGroupTerms& groups_terms, const TvFrequencyTerms& frequency,
                     Outputs& outputs) {
  TvResults& tv = outputs.tv;
  const real f = inputs.evalfreq;
  const real h = inputs.evalht;
  tv.tvl50 = not_modelled;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    real level = not_modelled;
    if (inputs.acflag[i]) {
      const real y = inputs.ycond[i];
      const real r = groups_terms.distance[i];
      const real rc = ((y * h) * f) * 0.04f;
      real gen = groups_terms.generation[i] + frequency.spectrum;
      gen = gen + inputs.altitude / 300.0f;
      level = gen + distance_correction(r, rc, groups_terms.near[i]);
    }
    tv.tvcond[i] = level;
    // The line level is the loudest AC group; a marker or a not-a-number
    // level never wins.
    if (level > tv.tvl50) tv.tvl50 = level;
  }
}
