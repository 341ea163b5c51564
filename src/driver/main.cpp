// tesk31: corona effects and power-frequency fields of an overhead line.
#include <iostream>
#include <string>
#include <vector>

#include "driver/program.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  record::Writer console = record::Writer::console();
  try {
    return driver::run_tesk31(args, std::cin, console);
  } catch (...) {
    console.flush();
    return driver::failure_status(std::cerr);
  }
}
