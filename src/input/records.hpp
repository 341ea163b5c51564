#pragma once
// The records that the input data list of the print file and the save-data
// file share, values as entered, and the building of the lateral points.

#include "format/record.hpp"
#include "model/problem_data.hpp"

namespace input {

// Title record `line` (0 or 1).
void write_title_record(const RunData& run, int line, record::Writer& out);
// General data: options, group counts, wind, rain rate, altitude.
void write_general_record(const Problem& problem, record::Writer& out);
// Heights and frequencies record.
void list_heights(const Problem& problem, record::Writer& out);
// The record of conductor group index i (0-based); `acdc` is its type letter.
void write_group_record(const Problem& problem, int i, const FixedString<1>& acdc, record::Writer& out);
// The record of conductor group index i with the type letter last read.
inline void list_group(const Problem& problem, int i, record::Writer& out) {
  write_group_record(problem, i, problem.run.acdc, out);
}
// The lateral point group record (segpoints, xstart, xinc) as read.
void list_point_record(const RunData& run, record::Writer& out);

// Appends the segpoints points of the current lateral point group to
// latpts, each the previous one plus xinc (single precision, so rounding
// accumulates along the group). Never beyond the room of latpts.
void add_point_group(RunData& run);

}  // namespace input
