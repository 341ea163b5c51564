#pragma once
#include "driver/problem_data.hpp"
#include "reports/format/record.hpp"

// Corona loss and ozone production of every energized group, and the ozone
// concentration at (xpoint, evalht).
void ztozone(const Inputs& inputs, Outputs& outputs);
// The ozone page: conductor table and the concentration grid.
void print_ozone_report(Problem& problem, record::Writer& print, record::Writer& console);
// The corona loss section: a console line only.
void print_corona_loss_report(record::Writer& console);
