// tesk31-study: design studies of a line's cross section on the engine.
#include <iostream>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/version.hpp"
#include "study/command.hpp"

int main(int argc, char** argv) {
  cli::ConsoleStreams console_streams;
  const std::vector<std::string> args = cli::arguments(argc, argv);
  if (cli::show_version(args, "tesk31-study", std::cout)) return std::cout.flush() ? 0 : 1;
  return study::run_on_console(args);
}
