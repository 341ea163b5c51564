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

// A text that two names share exactly when same_file holds for them: for a
// file that exists, its identity (device and file number, which hard and
// symbolic links share); otherwise its resolved path as same_file compares
// it. Comparing keys checks many names against many in one pass. Empty for
// an empty name.
std::string file_key(const std::string& name);

// True on systems whose file names are blind to case (Windows).
#ifdef _WIN32
inline constexpr bool names_blind_to_case = true;
#else
inline constexpr bool names_blind_to_case = false;
#endif

// `name` as names are compared: unchanged, or, when `case_blind`, in upper
// case (the system's own upper case on Windows, ASCII letters elsewhere),
// so that "line" and "LINE" give one text.
std::string comparable_name(const std::string& name, bool case_blind);

}  // namespace cli
