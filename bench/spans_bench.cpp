// The line of spans on the bundled 5-group line, 3 spans of 400 m hanging
// 12 m: the solve, a 101-point lateral profile of E and B at mid-span, and
// a 201 by 101 plan map of E at 1 m, one core.

#include <benchmark/benchmark.h>

#include <string>

#include "engine/engine.hpp"

namespace {

brenlow::CrossSection flat_line() { return brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/500kv_flat.dat"); }

brenlow::Spans three_spans() {
  brenlow::Spans spans;
  spans.length = 400;
  spans.sag = 12;
  return spans;
}

void BM_SpanSolve(benchmark::State& state) {
  const brenlow::CrossSection section = flat_line();
  for (auto _ : state) {
    const brenlow::SpanEvaluation run(section, three_spans());
    benchmark::DoNotOptimize(&run);
  }
}

void BM_SpanProfile101(benchmark::State& state) {
  const brenlow::SpanEvaluation run(flat_line(), three_spans());
  for (auto _ : state) {
    float sum = 0;
    for (int i = 0; i <= 100; ++i) {
      const float x = -50.0f + static_cast<float>(i);
      sum += run.electric_field(x, 200, 1).max + run.magnetic_field(x, 200, 1).max;
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_SpanPlanMap201x101(benchmark::State& state) {
  const brenlow::SpanEvaluation run(flat_line(), three_spans());
  for (auto _ : state) {
    float sum = 0;
    for (int j = 0; j <= 100; ++j)
      for (int i = 0; i <= 200; ++i)
        sum += run.electric_field(-50.0f + static_cast<float>(j), -100.0f + 3.0f * static_cast<float>(i), 1).max;
    benchmark::DoNotOptimize(sum);
  }
}

}  // namespace

BENCHMARK(BM_SpanSolve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpanProfile101)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpanPlanMap201x101)->Unit(benchmark::kMillisecond);
