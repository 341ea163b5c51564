#pragma once
// The release every program and the Python module report.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The project's version number, "MAJOR.MINOR.PATCH".
std::string_view version();

// When the command line is exactly "--version": writes "PROGRAM (Brenlow)
// VERSION" and a line end to `out` and returns true; false otherwise,
// writing nothing.
bool show_version(const std::vector<std::string>& args, std::string_view program, std::ostream& out);

}  // namespace cli
