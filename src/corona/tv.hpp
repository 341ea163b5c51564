#pragma once
#include "model/problem_data.hpp"

// Television interference at (xpoint, evalht, evalfreq).
void zttv(const Inputs& inputs, Outputs& outputs);
