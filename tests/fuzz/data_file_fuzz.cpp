// Fuzz target: a whole run of a data file held in memory: reading, listing,
// report selection, unit conversion, gradients and every selected report.
// Whatever the file holds, the run ends in order (status 0) or with a
// message (status 2); it never crashes. How the run ended decides: a read
// failure, a bad file or a refused file is a message and status 2; any
// other exception escaping the run is a finding. The words of the messages
// do not: a warning may repeat the file's own text, whatever it says.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "driver/program.hpp"
#include "fuzz/fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  driver::MemoryRun run;
  try {
    run = driver::run_data_in_memory(std::string(reinterpret_cast<const char*>(data), size), false);
  } catch (const std::exception& failure) {
    fuzz::fail("run ended on an unexpected exception:", failure.what());
  }
  fuzz::check(run.status == 0 || run.status == 2, "run ended with an unexpected status");
  fuzz::check(run.status == 0 || !run.errors.empty(), "run failed without a message");
  return 0;
}
