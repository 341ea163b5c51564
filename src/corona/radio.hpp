#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Radio interference at (xpoint, evalht, evalfreq).
void ztradio(const Inputs& inputs, Outputs& outputs);
// The rain and fair pages of the radio interference report.
void print_radio_report(Problem& problem, record::Writer& print, record::Writer& console);
