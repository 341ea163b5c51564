#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Electric field, its ellipse and the space potential at (xpoint, evalht).
void ztelefld(const Inputs& inputs, Outputs& outputs);
// The electric field page.
void print_electric_field_report(Problem& problem, record::Writer& print, record::Writer& console);
