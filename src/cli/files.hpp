#pragma once
// Whether two file names are one file, so that no program writes an output
// over its input or one output over another.

#include <string>

namespace cli {

// True when a file written under the name `output` would be the file named
// `other`: the same file by identity when both exist (hard and symbolic
// links included), otherwise the same absolute path once ".", ".." and
// links are resolved, so that names of files not yet made compare too (a
// link whose target is not made yet leads to that target's name). On
// Windows names differing only in case or slashes are one file. An empty
// name names no file and is never the same.
bool same_file(const std::string& output, const std::string& other);

}  // namespace cli
