#pragma once
#include "model/problem_data.hpp"

// Television interference at (xpoint, evalht, evalfreq).
void zttv(const Inputs& inputs, Outputs& outputs);

// The terms of zttv that a page of many points and frequencies need not
// work out again for each: the frequency's term of the generation level, a
// group's generation level before it (the same everywhere) and a group's
// distance from the point (the same at every frequency). Each is the same
// expression as in zttv, so the level from terms prepared from the records
// in hand has the same bits.
struct TvFrequencyTerms {
  real spectrum = 0;  // frequency term of the generation level
};
struct TvGroupTerms {
  GroupReals generation{};  // by the gradient and the subconductor diameter
  GroupReals distance{};    // from the bundle to (xpoint, evalht)
  GroupReals near{};        // change of level from the reference distance to `distance` at 20 dB per decade
};

TvFrequencyTerms tv_frequency_terms(real f);
// Fills `generation`: once for the gradients of a line.
void tv_generation_terms(const Inputs& inputs, TvGroupTerms& terms);
// Fills `distance` and `near`: once for each point.
void tv_distance_terms(const Inputs& inputs, TvGroupTerms& terms);

// zttv from prepared terms: `frequency` prepared at evalfreq, `groups` from
// these inputs at xpoint and evalht.
void zttv_with_terms(const Inputs& inputs, const TvGroupTerms& groups, const TvFrequencyTerms& frequency,
                     Outputs& outputs);
