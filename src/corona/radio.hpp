#pragma once
#include "model/problem_data.hpp"

// Radio interference at (xpoint, evalht, evalfreq).
void ztradio(const Inputs& inputs, Outputs& outputs);
