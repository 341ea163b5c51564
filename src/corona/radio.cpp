#include "corona/radio.hpp"

#include <cmath>

namespace {

constexpr real no_level = -9999.0f;  // start value of the line level

// Ground-wave attenuation at numerical distance p. Over ground of no
// conductivity p is infinite and the quotient infinity over infinity: the
// attenuation's limit there, 0, stands instead.
real attenuation(real p) { return std::isinf(p) ? 0.0f : (0.3f * p + 2.0f) / (0.6f * (p * p) + (p + 2.0f)); }

// The three field terms of the reference geometry whose generation level a
// bundle's formula gives: a bundle `height` metres up seen from a point at
// a * lambda / (2 pi) metres over ground of conductivity 4.
struct ReferenceTerms {
  real b, d, f;
};

ReferenceTerms reference_terms(real a, real height, real p_factor, real lambda) {
  const real p = p_factor / (lambda * lambda);
  return {height / (a * a), (1.0f / a) * height, attenuation(p) * (1.0f / a) * height};
}

// The level of the reference geometry.
real reference_level(const ReferenceTerms& ref) {
  return 10.0f * std::log10(ref.b * ref.b + (ref.d * ref.d + ref.f * ref.f));
}

}  // namespace

RadioFrequencyTerms radio_frequency_terms(real f) {
  RadioFrequencyTerms terms;
  const real lambda = 300.0f / f;
  terms.lambda = lambda;
  const real log_10f = std::log10(10.0f * f);
  terms.spectrum = 10.0f * (1.0f - log_10f * log_10f);
  terms.ac_reference = reference_level(reference_terms(0.44068f * f, 13.7f, 276.16f, lambda));
  terms.dc_reference = reference_level(reference_terms(0.37757f * f, 11.9f, 236.6f, lambda));
  return terms;
}

void radio_generation_terms(const Inputs& inputs, RadioGroupTerms& terms) {
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real g = inputs.gradient[i];
    const real d = inputs.subdiam[i];
    if (inputs.acflag[i]) {
      terms.generation[i] = (120.0f * std::log10(g / 17.56f) + 48.0f) + 40.0f * std::log10(d / 35.1f);
    } else {
      const real g_abs = g < 0.0f ? -g : g;
      terms.generation[i] = (86.0f * std::log10(g_abs / 27.25f) + 60.5f) + 40.0f * std::log10(d / 46.2f);
    }
  }
}

void radio_distance_terms(const Inputs& inputs, RadioGroupTerms& terms) {
  const real h = inputs.evalht;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real y = inputs.ycond[i];
    const real dy = y - h;
    const real dx = inputs.xpoint - inputs.xcond[i];
    terms.distance[i] = std::sqrt(dy * dy + dx * dx);
  }
}

void ztradio(const Inputs& inputs, Outputs& outputs) {
  RadioGroupTerms groups;
  radio_generation_terms(inputs, groups);
  radio_distance_terms(inputs, groups);
  ztradio_with_terms(inputs, groups, radio_frequency_terms(inputs.evalfreq), outputs);
}

void ztradio_with_terms(const Inputs& inputs, const RadioGroupTerms& groups_terms,
                        const RadioFrequencyTerms& frequency, Outputs& outputs) {
  GroupReals field;
  radio_field_terms(inputs, groups_terms, frequency, field);
  ztradio_with_field(inputs, groups_terms, frequency, field, outputs);
}

void radio_field_terms(const Inputs& inputs, const RadioGroupTerms& groups_terms, const RadioFrequencyTerms& frequency,
                       GroupReals& field) {
  const real f = inputs.evalfreq;
  const real h = inputs.evalht;
  const real lambda = frequency.lambda;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real y = inputs.ycond[i];
    const real r = groups_terms.distance[i];

    // Field terms at the point; beyond the limit distance the direct term
    // falls with the square of the distance.
    const real kr = f * 0.020944f * r;
    const real u = 1.0f / kr;
    real t1 = y * u;
    const real limit = h * 12.0f * y / lambda;
    if (r > limit) t1 = t1 * limit / r;
    const real p = (r * 52.5f) / ((lambda * lambda) * inputs.gndcond);
    const real t2 = attenuation(p) * u * y;
    const real t3 = (u * u) * y;
    field[i] = 10.0f * std::log10(t3 * t3 + (t1 * t1 + t2 * t2));
  }
}

void ztradio_with_field(const Inputs& inputs, const RadioGroupTerms& groups_terms, const RadioFrequencyTerms& frequency,
                        const GroupReals& field, Outputs& outputs) {
  RadioResults& ri = outputs.radio;
  ri.ril50 = no_level;

  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real spectrum = frequency.spectrum;
    const real g = inputs.gradient[i];
    const bool ac = inputs.acflag[i];

    // Generation level of the bundle.
    real gen = groups_terms.generation[i];
    if (ac) {
      gen = gen + spectrum;
      gen = gen + 24.0f;
      gen = gen + inputs.altitude / 300.0f;
    } else {
      // A negative pole is 4 dB quieter than a positive one.
      const real offset = g < 0.0f ? -4.0f : 0.0f;
      gen = gen + spectrum;
      gen = gen + offset;
      gen = gen + inputs.altitude / 300.0f;
      if (inputs.rainflag) gen = gen - 6.0f;
    }

    const real reference = ac ? frequency.ac_reference : frequency.dc_reference;
    real level = (gen - reference) + field[i];
    if (ac && !inputs.rainflag) level = level - 24.0f;

    ri.ricond[i] = level;
    // The line level is the loudest group: the first of equal levels
    // stands, and a not-a-number level never wins.
    if (level > ri.ril50) ri.ril50 = level;
  }
  if (inputs.rainflag) ri.ril50 = ri.ril50 - 7.0f;
}
