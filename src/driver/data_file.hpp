#pragma once
// tesk31's reading of the data file: each record listed in the print file
// as soon as it is read, the report selection after the options record.

#include "driver/run_files.hpp"
#include "input/data_file.hpp"
#include "model/problem_data.hpp"

namespace driver {

using input::InputOutcome;

// Reads the data file files.data from its first record to the end of the
// lateral points, with the listing and the report selection between the
// records, and closes it. On an input error writes its console message,
// closes the data file (and the save-data file) and returns the outcome.
// A record that cannot be read throws record::ReadError.
InputOutcome read_data_file(Problem& problem, RunFiles& files);

// The end of the input after a failed check: the console message, the data
// file and the save-data file closed. Returns `outcome`.
InputOutcome end_input(InputOutcome outcome, Problem& problem, RunFiles& files);

}  // namespace driver
