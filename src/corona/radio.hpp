#pragma once
#include "model/problem_data.hpp"

// Radio interference at (xpoint, evalht, evalfreq).
void ztradio(const Inputs& inputs, Outputs& outputs);

// The terms of ztradio that a page of many points and frequencies need not
// work out again for each: those of a frequency (the same at every point),
// a group's generation level before its frequency and weather terms (the
// same everywhere) and a group's distance from the point (the same at every
// frequency). Each is the same expression as in ztradio, so the level from
// terms prepared from the records in hand has the same bits.
struct RadioFrequencyTerms {
  real lambda = 0;        // wavelength, m
  real spectrum = 0;      // spectrum term of the generation level
  real ac_reference = 0;  // level of the reference geometry of an AC bundle
  real dc_reference = 0;  // ... of a DC bundle
};
struct RadioGroupTerms {
  GroupReals generation{};  // by the gradient and the subconductor diameter
  GroupReals distance{};    // from the bundle to (xpoint, evalht)
};

RadioFrequencyTerms radio_frequency_terms(real f);
// Fills `generation`: once for the gradients of a line.
void radio_generation_terms(const Inputs& inputs, RadioGroupTerms& terms);
// Fills `distance`: once for each point.
void radio_distance_terms(const Inputs& inputs, RadioGroupTerms& terms);

// ztradio from prepared terms: `frequency` prepared at evalfreq, `groups`
// from these inputs at xpoint and evalht.
void ztradio_with_terms(const Inputs& inputs, const RadioGroupTerms& groups, const RadioFrequencyTerms& frequency,
                        Outputs& outputs);

// ztradio_with_terms in two steps: the field term of each group at the
// point (10 log10 of its field terms), which the weather leaves alone, then
// the levels in the weather of inputs.rainflag. A page that needs both
// weathers at a point and frequency takes the field terms once.
void radio_field_terms(const Inputs& inputs, const RadioGroupTerms& groups, const RadioFrequencyTerms& frequency,
                       GroupReals& field);
void ztradio_with_field(const Inputs& inputs, const RadioGroupTerms& groups, const RadioFrequencyTerms& frequency,
                        const GroupReals& field, Outputs& outputs);
