// tesk31-study: design studies of a line's cross section on the engine.
#include <string>
#include <vector>

#include "study/command.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return study::run_on_console(args);
}
