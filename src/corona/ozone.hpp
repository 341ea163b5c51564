#pragma once
#include "model/problem_data.hpp"

// Corona loss and ozone production of every energized group, and the ozone
// concentration at (xpoint, evalht).
void ztozone(const Inputs& inputs, Outputs& outputs);
