#pragma once
#include "model/problem_data.hpp"

// Magnetic flux density and its ellipse at (xpoint, evalht).
void ztmagfld(const Inputs& inputs, Outputs& outputs);

// Phase of group i's current, radians: its phase angle, but the current of
// a negative DC pole flows the other way.
real current_phase(const Inputs& inputs, int i);
