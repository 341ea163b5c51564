// The ion flow of the bundled +-500 kV bipole, one core: the solve (onset,
// tracing, the per-line solutions) with a 121-point profile at the ground,
// and the profile alone; and the full method's solve of the bipole and of
// its positive pole alone (a monopole at x = 0 under the two earth wires).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/engine.hpp"

namespace {

brenlow::CrossSection bipole() { return brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat"); }

std::vector<double> points() {
  std::vector<double> xs;
  for (int i = 0; i <= 120; ++i) xs.push_back(-60.0 + i);
  return xs;
}

void BM_IonFlowSolveAndProfile121(benchmark::State& state) {
  const brenlow::CrossSection section = bipole();
  const std::vector<double> xs = points();
  for (auto _ : state) {
    const brenlow::IonFlowEvaluation flow(section);
    const std::vector<brenlow::IonFlowPoint> profile = flow.profile(xs);
    benchmark::DoNotOptimize(profile.data());
  }
}

void BM_IonFlowProfile121(benchmark::State& state) {
  const brenlow::IonFlowEvaluation flow(bipole());
  const std::vector<double> xs = points();
  for (auto _ : state) {
    const std::vector<brenlow::IonFlowPoint> profile = flow.profile(xs);
    benchmark::DoNotOptimize(profile.data());
  }
}

brenlow::IonFlowConditions full() {
  brenlow::IonFlowConditions c;
  c.method = brenlow::IonFlowMethod::full;
  return c;
}

void BM_IonFlowFullBipole(benchmark::State& state) {
  const brenlow::CrossSection section = bipole();
  for (auto _ : state) {
    const brenlow::IonFlowEvaluation flow(section, full());
    benchmark::DoNotOptimize(flow.at(0.0).j);
  }
}

void BM_IonFlowFullMonopole(benchmark::State& state) {
  brenlow::CrossSection section = bipole();
  section.groups.erase(section.groups.begin() + 1);
  section.energized = 1;
  section.groups[0].x = 0;
  for (auto _ : state) {
    const brenlow::IonFlowEvaluation flow(section, full());
    benchmark::DoNotOptimize(flow.at(0.0).j);
  }
}

}  // namespace

BENCHMARK(BM_IonFlowSolveAndProfile121)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IonFlowFullBipole)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_IonFlowFullMonopole)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_IonFlowProfile121)->Unit(benchmark::kMicrosecond);
