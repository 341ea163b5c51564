#pragma once
// How many entries of the group and point arrays a routine may visit: the
// counts of the problem data, held to the bounds of the arrays (a negative
// count visits nothing).

#include <algorithm>

#include "driver/problem_data.hpp"

inline int energized_groups(const Inputs& inputs) { return std::clamp<int>(inputs.nphases, 0, max_groups); }
inline int lateral_points(const RunData& run) { return std::clamp<int>(run.npoints, 0, max_points); }
