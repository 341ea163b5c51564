#pragma once
// Keyboard entry of the whole problem, block by block, each block listed
// in the print file and written to the save-data file when one is open.

#include "driver/data_file.hpp"
#include "driver/problem_data.hpp"
#include "driver/run_files.hpp"

namespace driver {

InputOutcome read_keyboard_data(Problem& problem, RunFiles& files);

}  // namespace driver
