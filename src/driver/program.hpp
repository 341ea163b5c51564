#pragma once
// tesk31 as a whole: start-up and command line, input, listing, unit
// conversion, run sequence and closing. main() and the tests call in here.

#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/problem_data.hpp"
#include "driver/run_files.hpp"
#include "format/record.hpp"

namespace driver {

inline constexpr std::string_view version = "3.1";

// Local date and time of the run.
void getdat(integer& year, integer& month, integer& day);
void gettim(integer& hour, integer& minute, integer& second, integer& hundredths);

// The banner: to the console, then to the print file.
void write_banner(record::Writer& out);
// The heading of the input data list and the date line of the run.
void write_list_heading(const RunDate& date, record::Writer& print);

// One run with the command-line arguments `args` (program name excluded),
// console answers from `console_in`, console lines to `console_out` and
// warnings about the data to `errors`. Returns the exit status of a run
// that ends in order. Throws record::ReadError, record::FileError or
// RunRefused for a run that ends with status 2.
int run_tesk31(const std::vector<std::string>& args, std::istream& console_in, record::Writer& console_out,
               std::ostream& errors);

// Inside a catch block: writes what ended the run to `errors` (a failed
// read: the record expected there when known, the line locating it, then
// the message) and returns the exit status, 2. Rethrows anything else.
int failure_status(std::ostream& errors);

// run_tesk31 with its failures written to `errors` and mapped to the exit
// status.
int run_program(const std::vector<std::string>& args, std::istream& console_in, record::Writer& console_out,
                std::ostream& errors);

// A data file held in memory, run as if named on the command line: read,
// listed, reports selected, converted, gradients and every selected report
// computed, closed. No banner or date. With keep_output false the print,
// DIF and console lines are discarded.
struct MemoryRun {
  int status = 0;
  std::string console, print, dif, errors;
};
MemoryRun run_data_in_memory(std::string data_text, bool keep_output = true);

// Reads, lists and runs the data file of files.data, then closes the run.
// The data file must be open and the print file stamped. A data file that
// fails its checks is closed like a finished run (listing so far and final
// record), then refused: throws RunRefused naming the group and the check.
void run_data_file(Problem& problem, RunFiles& files);

}  // namespace driver
