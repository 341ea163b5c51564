// tesk31: corona effects and power-frequency fields of an overhead line.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/console.hpp"
#include "cli/version.hpp"
#include "driver/program.hpp"

int main(int argc, char** argv) {
#ifdef _WIN32
  // The error stream's lines end in LF alone, as on Linux: no CR added by
  // text mode, so that a run's console text (both streams) is the same
  // bytes on every system.
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  cli::ConsoleStreams console_streams;
  const std::vector<std::string> args = cli::arguments(argc, argv);
  if (cli::show_version(args, "tesk31", std::cout)) return std::cout.flush() ? 0 : 1;
  std::optional<record::Writer> console;
  int status = 0;
  try {
    console.emplace(record::Writer::console());
    status = driver::run_tesk31(args, std::cin, *console, std::cerr);
  } catch (...) {
    if (console) console->flush();
    status = driver::failure_status(std::cerr);
  }
  // A console line that could not be written is a lost report: a failure,
  // whether the run ended in order or was refused.
  try {
    if (console) console->close();
  } catch (...) {
    status = driver::failure_status(std::cerr);
  }
  return status;
}
