#pragma once
#include "model/problem_data.hpp"

// Magnetic flux density and its ellipse at (xpoint, evalht).
void ztmagfld(const Inputs& inputs, Outputs& outputs);
