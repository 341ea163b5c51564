#pragma once
#include "model/problem_data.hpp"
#include "format/record.hpp"
#include "reports/pages.hpp"

// The combined page, one summary line per lateral point, written together
// with the DIF table of the same values. Values the pages kept (`pages`)
// stand for the same calls here.
void print_combined_report(Problem& problem, record::Writer& print, record::Writer& dif,
                           record::Writer& console, const PageValues* pages = nullptr);
