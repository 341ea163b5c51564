// The largest case: a 50-group line with AC and DC groups (the gradient
// step turns the AC phasors through a full cycle of 3600 steps) and 100
// lateral points. The whole run with every report selected, from the data
// file held in memory to the final record, with its output discarded; and
// the combined report alone on the same line, to the null device.

#include <benchmark/benchmark.h>

#include <string>

#include "driver/program.hpp"
#include "gradients/gradients.hpp"
#include "reports/combined_report.hpp"
#include "support/hybrid_line.hpp"

namespace {

using support::hybrid_line;
using support::hybrid_line_data;

// Gradients computed, copied into the gradients the corona routines use.
void gradients(Problem& p) {
  ztmxgrad(p.inputs);
  for (int i = 0; i < p.run.ncond; ++i) p.inputs.gradient[i] = p.inputs.calcgrad[i];
}

void BM_WholeRunAll(benchmark::State& state) {
  const std::string data = hybrid_line_data();
  // Once with the output kept: the run must end in order with the
  // combined page and a DIF row for every point.
  const auto check = driver::run_data_in_memory(data, true);
  const std::size_t dif_records = [&] {
    std::size_t n = 0;
    for (char c : check.dif) n += c == '\n';
    return n;
  }();
  if (check.status != 0 || check.console.find(" COMBINATION REPORT") == std::string::npos ||
      dif_records != 12 + 20 * 100 + 2) {
    state.SkipWithError("the benchmark line does not run to the end of the combined report");
    return;
  }
  for (auto _ : state) {
    const auto result = driver::run_data_in_memory(data, false);
    benchmark::DoNotOptimize(result.status);
  }
}

void BM_CombinedReportOnly(benchmark::State& state) {
  Problem line = hybrid_line();
  gradients(line);
  auto print = record::Writer::null();
  auto dif = record::Writer::null();
  auto console = record::Writer::null();
  for (auto _ : state) {
    Problem p = line;
    print_combined_report(p, print, dif, console);
    benchmark::DoNotOptimize(p.outputs.magnetic.mfmax);
  }
}

}  // namespace

BENCHMARK(BM_WholeRunAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CombinedReportOnly)->Unit(benchmark::kMillisecond);
