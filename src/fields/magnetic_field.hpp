#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Magnetic flux density and its ellipse at (xpoint, evalht).
void ztmagfld(const Inputs& inputs, Outputs& outputs);
// The magnetic field page.
void print_magnetic_field_report(Problem& problem, record::Writer& print, record::Writer& console);
