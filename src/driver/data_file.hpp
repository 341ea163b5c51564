#pragma once
// The input data file: titles, general data, report options, heights and
// frequencies, one record per conductor group, then the lateral point
// groups. Each record is listed in the print file as soon as it is read.

#include "model/problem_data.hpp"
#include "driver/run_files.hpp"

namespace driver {

// How the reading of the problem ended.
enum class InputOutcome {
  complete,         // every record read; the run goes on to the reports
  invalid_data,     // a group count or a conductor group failed its check
  too_many_points,  // a lateral point group would pass 100 points
};

// Group counts the data model can hold: 0 <= nphases <= ncond <= 50.
bool group_counts_fit(const Inputs& inputs, const RunData& run);

// The checks on conductor group index i: subconductors and diameter above
// zero, and a spacing above zero for a bundle of more than one.
bool group_is_valid(const Inputs& inputs, int i);

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
