#pragma once
// The command line of tesk31-plot.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace plot {

// Runs the command with its arguments (without the program name); returns
// the exit status: 0 done, 2 bad usage, unreadable input or unwritable
// output.
int run_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What the command makes of its arguments and of the DIF text of the file
// they name, in memory: the status, the messages it would give, and the
// picture and the table it would write (none on failure). The files named
// are neither read nor written.
struct Drawing {
  int status = 0;
  std::string errors;
  std::optional<std::string> svg, csv;
};
Drawing draw_in_memory(const std::vector<std::string>& args, const std::string& dif_text);

// RUN.dif -> RUN.svg; a name without the .dif extension gets .svg added.
std::string default_output(const std::string& input);

}  // namespace plot
