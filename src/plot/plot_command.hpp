#pragma once
// The command line of tesk31-plot.

#include <ostream>
#include <string>
#include <vector>

namespace plot {

// Runs the command with its arguments (without the program name); returns
// the exit status: 0 done, 2 bad usage, unreadable input or unwritable
// output.
int run_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// RUN.dif -> RUN.svg; a name without the .dif extension gets .svg added.
std::string default_output(const std::string& input);

}  // namespace plot
