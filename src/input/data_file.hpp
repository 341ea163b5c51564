#pragma once
// The input data file: titles, general data, report options, heights and
// frequencies, one record per conductor group, then the lateral point
// groups. tesk31 lists each record in the print file as it is read; the
// engine only reads. What happens between the records is the caller's.

#include <string>
#include <string_view>
#include <vector>

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
// The label of every group the run lists, in order.
std::vector<std::string> group_labels(const RunData& run);

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

// What the unit option of the general data holds that is legal but
// probably not meant, in words, or an empty text: any value but 0 (metric)
// and 1 (English units). The values are then used as metric, unconverted.
std::string units_warning(integer units);

// The lower bounds below which a value is legal but probably not meant.
inline constexpr real smallest_phase_diameter_mm = 5;  // a subconductor of a phase or pole
inline constexpr real air_breakdown_kv_per_cm = 30;   // a surface gradient: air breaks down

// What the groups hold that is legal but probably not meant, one sentence
// each after its group's label (labels[i] names group index i; there is one
// label per group): on an energized group a negative current (on a DC pole
// the sign of the voltage already sets the current's direction) or a
// subconductor diameter below 5 mm (a diameter typed in cm); on a group
// counted as an earth wire a voltage, which acts on the gradients and the
// electric field while its current and corona are left out (too few phases
// or poles in the general data). Metric values: after an English file is
// converted.
std::vector<std::string> group_warnings(const Inputs& inputs, const std::vector<std::string>& labels);

// The same for the surface gradients of the energized groups, after the
// gradient step (the gradients the corona routines use, computed or given
// as `inputs.gradinput` says): a gradient above 30 kV/cm, where air breaks
// down, lies outside every corona formula.
std::vector<std::string> gradient_warnings(const Inputs& inputs, const std::vector<std::string>& labels);

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
