#pragma once
// The pieces of the ozone computation that the results do not show
// directly, for the corona tests.
#include "model/problem_data.hpp"

namespace ozone_terms {

// Rain term of the corona loss, dB, for a rain rate in mm/hr.
real rain_term(real rainrate);
// Corona loss of group index i (0-based) in dB above 1 W/m, with rain term b.
real loss_db(const Inputs& inputs, int i, real b);
// Spread of the plume, m, at x metres downwind of a bundle at
// height h in a wind of u m/s.
real plume_sigma(real x, real h, real u);

}  // namespace ozone_terms
