#pragma once
#include "model/problem_data.hpp"

// Audible noise at (xpoint, evalht): per group and total L50, L5.
void ztaudio(const Inputs& inputs, Outputs& outputs);
