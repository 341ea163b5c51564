#pragma once
// The input data list, written to the print file block by block as the
// data are read or entered, and the report selection that turns the
// option string into the report flags.

#include <array>
#include <string_view>

#include "model/problem_data.hpp"
#include "driver/run_files.hpp"
#include "input/records.hpp"
#include "format/record.hpp"

namespace driver {

// Titles, general data line, unit and gradient option lines and the
// physical system line, values as entered. Sets distunit and diamunit.
void list_general_data(Problem& problem, record::Writer& print);

// Report flags for an option string: ALL, else NONE, else each single
// keyword found anywhere in the text (upper case, no word boundaries).
std::array<bool, report_count> report_flags(std::string_view prtopts);

// The report selection: the option record of the data file, already read
// into prtopts (with the override question when the file was named at the
// prompt), or the options menu; then the flags, the DIF file when COMB is
// selected, and the options line of the print file.
void select_reports(Problem& problem, RunFiles& files);

// The records the input data list shares with the save-data file.
using input::add_point_group;
using input::list_group;
using input::list_heights;
using input::list_point_record;
using input::write_general_record;
using input::write_title_record;

}  // namespace driver
