#pragma once
// The input data file: titles, general data, report options, heights and
// frequencies, one record per conductor group, then the lateral point
// groups. tesk31 lists each record in the print file as it is read; the
// engine only reads. What happens between the records is the caller's.

#include <string>
#include <string_view>

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

// A value as a message shows it: up to 6 significant digits ("-2", "1e+06").
std::string short_number(real value);

// "group 4 EARTH 2": the 1-based number of group index i and its name
// (trailing blanks cut), as every message about a group names it.
std::string group_label(int i, std::string_view name);

// The check of conductor group index i that fails, in words ("subconductor
// diameter must be above 0"), or an empty text when the group passes:
// at least one subconductor, a diameter above zero, a spacing above zero
// for a bundle of more than one, every value a finite number, and the
// bundle above the ground. `length_unit` labels the height as it stands
// in `inputs` (ft before an English file is converted).
std::string group_check_failure(const Inputs& inputs, int i, std::string_view length_unit = "m");
inline bool group_is_valid(const Inputs& inputs, int i) { return group_check_failure(inputs, i).empty(); }

// Why the reading ended with `outcome` (not complete), naming the group and
// its check, the group counts, or the lateral points given:
// "group 4 EARTH 2: number of subconductors must be at least 1".
std::string refusal(const Problem& problem, InputOutcome outcome);

// What an energized group index i holds that is legal but probably not
// meant, in words after the group's label, or an empty text: a negative
// current (on a DC pole the sign of the voltage already sets the
// current's direction).
std::string group_warning(const Inputs& inputs, int i);

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
// check. A record that cannot be read throws record::ReadError; inside
// the group and lateral point records its context() names the record
// expected ("conductor group 7 of 7", "lateral point group 1").
InputOutcome read_data_file(Problem& problem, record::Reader& data, DataFileSteps& steps);

}  // namespace input
