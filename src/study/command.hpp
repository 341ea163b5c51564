#pragma once
// The command line of tesk31-study.

#include <ostream>
#include <string>
#include <vector>

namespace study {

// Runs the command with its arguments (without the program name) and
// returns the exit status: 0 done; 1 a height limit no raise meets, or a limit a line
// fails (comply); 2 bad
// arguments, an unreadable data file or an unwritable output; 130 a search
// stopped by Ctrl-C (the best found so far is reported).
int run_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// run_command on the process's standard output and error. A standard output
// that is closed (refused before any work) or that loses what is written to
// it (a full device) is a failure: a message and status 2.
int run_on_console(const std::vector<std::string>& args);

}  // namespace study
