// Fuzz target: tesk31-plot's option parsing, DIF reader, picture and table.
// The input is the command's arguments, one a line, then an empty line and
// the DIF text of the file they name (no empty line: all of it is the DIF
// text). Whatever it holds, the command ends with a picture that is
// well-formed XML with finite coordinates (status 0) or with a message
// (status 2); it never crashes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.hpp"
#include "plot/plot_command.hpp"
#include "support/xml_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args = {"RUN.dif"};
  std::string_view table = input;
  if (const std::size_t split = input.find("\n\n"); split != std::string_view::npos) {
    table = input.substr(split + 2);
    for (std::string_view head = input.substr(0, split); !head.empty();) {
      const std::size_t end = head.find('\n');
      args.emplace_back(head.substr(0, end));
      head = end == std::string_view::npos ? std::string_view() : head.substr(end + 1);
    }
  }
  const plot::Drawing run = plot::draw_in_memory(args, std::string(table));
  fuzz::check(run.status == 0 || run.status == 2, "plot ended with an unexpected status");
  if (run.status == 2) {
    fuzz::check(!run.errors.empty(), "plot failed without a message");
    fuzz::check(!run.svg && !run.csv, "plot failed but drew");
    return 0;
  }
  fuzz::check(run.errors.empty(), "plot succeeded with a message:", run.errors);
  if (run.svg) {
    const std::string problem = support::xml_problem(*run.svg);
    fuzz::check(problem.empty(), "picture is not well-formed:", problem);
  }
  if (run.csv) fuzz::check(!run.csv->empty() && run.csv->back() == '\n', "table does not end its last line");
  return 0;
}
