#pragma once
#include "model/problem_data.hpp"

// Electric field, its ellipse and the space potential at (xpoint, evalht).
void ztelefld(const Inputs& inputs, Outputs& outputs);
