// tesk31-plot: draws the lateral profile of a tesk31 run from its DIF file.
#include <iostream>
#include <string>
#include <vector>

#include "plot/plot_command.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return plot::run_command(args, std::cout, std::cerr);
}
