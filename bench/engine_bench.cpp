// The engine on the 50-group hybrid line (ten AC circuits, nine DC bipoles,
// two earth wires): a profile of 1,000 lateral points with every quantity
// of the combined report, the gradients computed once beforehand; and the
// evaluation itself, which is the gradient step (one cycle of 3600 phasor
// steps on this line).

#include <benchmark/benchmark.h>

#include <vector>

#include "engine/engine.hpp"
#include "support/hybrid_line.hpp"

namespace {

brenlow::CrossSection hybrid_section() { return brenlow::parse_data_file(support::hybrid_line_data(), "hybrid line"); }

// 1,000 points from -99.9 m to 99.9 m, 0.2 m apart.
std::vector<float> thousand_points() {
  std::vector<float> xs;
  for (int j = 0; j < 1000; ++j) xs.push_back(-99.9f + 0.2f * static_cast<float>(j));
  return xs;
}

void BM_EngineProfile1000(benchmark::State& state) {
  const brenlow::Evaluation line(hybrid_section());
  const std::vector<float> xs = thousand_points();
  for (auto _ : state) {
    const std::vector<brenlow::Point> profile = line.profile(xs);
    benchmark::DoNotOptimize(profile.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(xs.size()));
}

void BM_EngineEvaluation(benchmark::State& state) {
  const brenlow::CrossSection section = hybrid_section();
  for (auto _ : state) {
    const brenlow::Evaluation line(section);
    benchmark::DoNotOptimize(line.groups().data());
  }
}

}  // namespace

BENCHMARK(BM_EngineProfile1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineEvaluation)->Unit(benchmark::kMillisecond);
