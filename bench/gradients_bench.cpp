// Surface gradients of a 50-group line with AC and DC groups (one cycle of
// 3600 phasor steps): the charge loop of the program (its wide build where
// the processor has one), its portable build, and the plain row-by-row
// loop both must match bit for bit.

#include <benchmark/benchmark.h>

#include <cstring>

#include "gradients/bundle_charges.hpp"
#include "gradients/lines.hpp"
#include "support/hybrid_line.hpp"

namespace {

using lines::row_by_row_charges;

// Ten AC circuits, nine DC bipoles and two earth wires.
Inputs hybrid_line() {
  Inputs in;
  support::put_hybrid_groups(in);
  return in;
}

void run(benchmark::State& state, ChargeLoop charges) {
  const Inputs line = hybrid_line();
  Inputs reference = line;
  Inputs fast = line;
  ztmxgrad_with(reference, row_by_row_charges);
  ztmxgrad_with(fast, charges);
  if (std::memcmp(&reference, &fast, sizeof(Inputs)) != 0) {
    state.SkipWithError("the charges differ from the row-by-row reference");
    return;
  }
  for (auto _ : state) {
    Inputs in = line;
    benchmark::DoNotOptimize(ztmxgrad_with(in, charges));
    benchmark::DoNotOptimize(in.calcgrad.data());
    benchmark::ClobberMemory();
  }
}

void BM_ColumnSweepCharges(benchmark::State& state) { run(state, bundle_charges); }
void BM_PortableCharges(benchmark::State& state) { run(state, portable_bundle_charges); }
void BM_RowByRowCharges(benchmark::State& state) { run(state, row_by_row_charges); }

}  // namespace

BENCHMARK(BM_ColumnSweepCharges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PortableCharges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowByRowCharges)->Unit(benchmark::kMillisecond);
