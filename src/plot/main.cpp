// tesk31-plot: draws the lateral profile of a tesk31 run from its DIF file.
#include <iostream>
#include <string>
#include <vector>

#include "cli/console.hpp"
#include "cli/version.hpp"
#include "plot/plot_command.hpp"

int main(int argc, char** argv) {
  cli::ConsoleStreams console_streams;
  const std::vector<std::string> args = cli::arguments(argc, argv);
  if (cli::show_version(args, "tesk31-plot", std::cout)) return std::cout.flush() ? 0 : 1;
  return plot::run_command(args, std::cout, std::cerr);
}
