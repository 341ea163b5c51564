#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Television interference at (xpoint, evalht, evalfreq).
void zttv(const Inputs& inputs, Outputs& outputs);
// The television interference page.
void print_tv_report(Problem& problem, record::Writer& print, record::Writer& console);
