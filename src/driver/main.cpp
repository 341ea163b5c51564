// tesk31: corona effects and power-frequency fields of an overhead line.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/version.hpp"
#include "driver/program.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (cli::show_version(args, "tesk31", std::cout)) return std::cout.flush() ? 0 : 1;
  std::optional<record::Writer> console;
  try {
    console.emplace(record::Writer::console());
    const int status = driver::run_tesk31(args, std::cin, *console);
    // A console line that could not be written is a lost report: a failure.
    console->close();
    return status;
  } catch (...) {
    if (console) console->flush();
    return driver::failure_status(std::cerr);
  }
}
