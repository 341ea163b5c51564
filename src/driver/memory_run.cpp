#include <sstream>

#include "driver/program.hpp"

namespace driver {

MemoryRun run_data_in_memory(std::string data_text, bool keep_output) {
  MemoryRun result;
  std::string console_text, print_text, dif_text;
  std::ostringstream errors;
  {
    const auto sink = [keep_output](std::string* text) {
      return keep_output ? record::Writer::to_string(text) : record::Writer::null();
    };
    record::Writer console = sink(&console_text);
    std::istringstream no_answers;
    record::Reader keyboard = record::Reader::console(no_answers, &console);
    RunFiles files(console, keyboard);
    files.warnings = &errors;
    files.open_output = [&](const std::string&) { return OutputFile(sink(&dif_text)); };
    try {
      Problem problem;
      set_initial_values(problem);
      problem.run.infile = "MEMORY.DAT";
      problem.run.prtfile = "NUL";
      files.print = OutputFile(sink(&print_text));
      files.data = record::Reader::from_string(std::move(data_text), "MEMORY.DAT");
      run_data_file(problem, files);
    } catch (const record::ReadError&) {
      result.status = failure_status(errors);
    } catch (const record::FileError&) {
      result.status = failure_status(errors);
    } catch (const RunRefused&) {
      result.status = failure_status(errors);
    }
    console.close();
  }
  result.console = std::move(console_text);
  result.print = std::move(print_text);
  result.dif = std::move(dif_text);
  result.errors = errors.str();
  return result;
}

}  // namespace driver
