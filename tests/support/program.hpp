#pragma once
// A built program run as a shell runs it: in a directory of its own, with
// its standard input from a text and its output and exit status kept.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/files.hpp"

namespace support {

struct Finished {
  int status = -1;  // the exit status; -1 when the program did not exit
  std::string out, err;
};

// Runs `program` in `dir` with the shell words `args` and `input` as its
// standard input; `env` (assignments) stands before the command. The
// input, output and errors pass through the files .answers, .out and .err
// of `dir`.
inline Finished run_program(const std::filesystem::path& dir, const std::string& program, const std::string& args,
                            const std::string& input = "", const std::string& env = "") {
  write_file(dir / ".answers", input);
  const std::string command =
      "cd '" + dir.string() + "' && " + env + " '" + program + "' " + args + " < .answers > .out 2> .err";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(dir / ".out"), read_file(dir / ".err")};
}

}  // namespace support
