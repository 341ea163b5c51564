// Fuzz target: a whole run of a data file held in memory: reading, listing,
// report selection, unit conversion, gradients and every selected report.
// Whatever the file holds, the run ends in order (status 0) or with a
// message (status 2); it never crashes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/program.hpp"
#include "fuzz/fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const driver::MemoryRun run =
      driver::run_data_in_memory(std::string(reinterpret_cast<const char*>(data), size), false);
  fuzz::check(run.status == 0 || run.status == 2, "run ended with an unexpected status");
  fuzz::check(run.status == 0 || !run.errors.empty(), "run failed without a message");
  fuzz::check(run.errors.find("internal error") == std::string::npos, "run failed inside:", run.errors);
  return 0;
}
