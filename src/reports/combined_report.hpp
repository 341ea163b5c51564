#pragma once
#include "model/problem_data.hpp"
#include "format/record.hpp"

// The combined page, one summary line per lateral point, written together
// with the DIF table of the same values.
void print_combined_report(Problem& problem, record::Writer& print, record::Writer& dif,
                           record::Writer& console);
