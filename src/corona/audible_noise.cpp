#include "corona/audible_noise.hpp"

#include <cmath>

namespace {

constexpr real not_computed = -999.9f;  // a DC bundle without a positive gradient

}  // namespace

void ztaudio(const Inputs& inputs, Outputs& outputs) {
  AudibleNoiseResults& an = outputs.audible;
  const real altitude = inputs.altitude;
  real power_sum = 0.0f;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real dy = inputs.ycond[i] - inputs.evalht;
    const real dx = inputs.xpoint - inputs.xcond[i];
    const real distance = std::sqrt(dy * dy + dx * dx);
    const real n = static_cast<real>(inputs.nsub[i]);
    const real d = inputs.subdiam[i];
    const real g = inputs.gradient[i];
    real level;
    if (inputs.acflag[i]) {
      // Bundles of four or more act through an equivalent diameter.
      const real deq = n > 3.0f ? std::pow(n, 0.48f) * (d * 0.58f) : d;
      level = (55.0f * std::log10(deq) + (120.0f * std::log10(g) - 164.6f)) - 11.4f * std::log10(distance) -
              5.8f + altitude / 300.0f;
      if (!inputs.rainflag) level = level - 25.0f;
    } else {
      const real deq = n > 2.0f ? std::pow(n, 0.64f) * (d * 0.66f) : d;
      if (!(g > 0.0f)) {
        level = not_computed;
      } else {
        level = (40.0f * std::log10(deq) + (86.0f * std::log10(g) - 139.4f)) - 11.4f * std::log10(distance) +
                altitude / 300.0f;
        // A DC pole is louder in fair weather.
        if (!inputs.rainflag) level = level + 6.0f;
      }
    }
    an.ancond[i] = level;
    // Groups add as powers; the marker and a not-a-number level add nothing.
    const real power = std::pow(10.0f, level / 10.0f);
    if (power > 0.0f) power_sum = power_sum + power;
  }
  an.anl50 = 10.0f * std::log10(power_sum);
  an.anl5 = an.anl50 + 3.5f;
}
