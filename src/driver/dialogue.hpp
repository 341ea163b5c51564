#pragma once
// Keyboard entry of the whole problem, block by block, each block listed
// in the print file and written to the save-data file when one is open.

#include "driver/data_file.hpp"
#include "model/problem_data.hpp"
#include "driver/run_files.hpp"

namespace driver {

// Asks the problem on the console in the order of the data file records:
// general data, report options (with the DIF file question), heights and
// frequencies, conductor groups, lateral point groups. Each block is saved
// to files.save when it is open, then listed; the save-data file is closed
// at the end. A value too wide for its field of the save-data file is
// saved as asterisks, with a console warning. An answer that cannot be
// read, or the end of the console input, throws record::ReadError.
InputOutcome read_keyboard_data(Problem& problem, RunFiles& files);

}  // namespace driver
