#pragma once
// The input data file: titles, general data, report options, heights and
// frequencies, one record per conductor group, then the lateral point
// groups. tesk31 lists each record in the print file as it is read; the
// engine only reads. What happens between the records is the caller's.

#include <string>

#include "format/record.hpp"
#include "model/problem_data.hpp"

namespace input {

// How the reading of the problem ended.
enum class InputOutcome {
  complete,         // every record read; the run goes on to the reports
  invalid_data,     // a group count or a conductor group failed its check
  too_many_points,  // a lateral point group would pass 100 points
};

// Group counts the data model can hold: 0 <= nphases <= ncond <= 50.
bool group_counts_fit(const Inputs& inputs, const RunData& run);

// The check of conductor group index i that fails, in words ("subconductor
// diameter must be above 0"), or an empty text when the group passes:
// at least one subconductor, a diameter above zero, and a spacing above
// zero for a bundle of more than one.
std::string group_check_failure(const Inputs& inputs, int i);
inline bool group_is_valid(const Inputs& inputs, int i) { return group_check_failure(inputs, i).empty(); }

// What the caller does after each step of the reading.
class DataFileSteps {
 public:
  virtual ~DataFileSteps() = default;
  virtual void general_read(Problem&) {}     // titles and general data, before the group counts are checked
  virtual void options_read(Problem&) {}     // the report options record, into prtopts
  virtual void heights_read(Problem&) {}     // heights and frequencies
  virtual void group_read(Problem&, int) {}  // a conductor group that passed its check
  virtual void point_record_read(Problem&) {}  // a lateral point group record (segpoints, xstart, xinc)
};

// Reads the data file from its first record to the end of the lateral
// points, calling `steps` after each record. Stops at the first failed
// check. A record that cannot be read throws record::ReadError.
InputOutcome read_data_file(Problem& problem, record::Reader& data, DataFileSteps& steps);

}  // namespace input
