#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Audible noise at (xpoint, evalht): per group and total L50, L5.
void ztaudio(const Inputs& inputs, Outputs& outputs);
// The rain and fair pages of the audible noise report.
void print_audible_noise_report(Problem& problem, record::Writer& print, record::Writer& console);
