#pragma once
// The input data list, written to the print file block by block as the
// data are read or entered, and the report selection that turns the
// option string into the report flags.

#include <array>
#include <string_view>

#include "model/problem_data.hpp"
#include "driver/run_files.hpp"
#include "format/record.hpp"

namespace driver {

// Title record `line` (0 or 1) and the general data record, values as
// entered. The input data list and the save-data file share these records,
// as they share the heights record and the group record below.
void write_title_record(const RunData& run, int line, record::Writer& out);
void write_general_record(const Problem& problem, record::Writer& out);

// Titles, general data line, unit and gradient option lines and the
// physical system line, values as entered. Sets distunit and diamunit.
void list_general_data(Problem& problem, record::Writer& print);

// Report flags for an option string: ALL, else NONE, else each single
// keyword found anywhere in the text (upper case, no word boundaries).
std::array<bool, report_count> report_flags(std::string_view prtopts);

// The report selection: option record of the data file (with the
// override question when the file was named at the prompt) or the options
// menu, the flags, the DIF file when COMB is selected, and the options line
// of the print file.
void select_reports(Problem& problem, RunFiles& files);

// Heights and frequencies record.
void list_heights(const Problem& problem, record::Writer& out);

// The record of conductor group index i (0-based), values as entered.
void list_group(const Problem& problem, int i, record::Writer& out);

// The lateral point group record (segpoints, xstart, xinc) as read.
void list_point_record(const RunData& run, record::Writer& print);

// Appends the segpoints points of the current lateral point group to
// latpts, each the previous one plus xinc (single precision, so rounding
// accumulates along the group). Never beyond the room of latpts.
void add_point_group(RunData& run);

}  // namespace driver
