// The design studies on a six-circuit line (18 phase groups and six earth
// wires, 46,656 arrangements): the phasing search for B at two points, for
// E and for audible noise, on one thread and on every core; the height
// search for one limit; nine circuits for B and for the trade-off front of
// three quantities. On a busy machine the CPU time is the figure to read:
// the time on the clock includes the waits for a core. Instruction counts
// (callgrind, one benchmark at a time) do not depend on the machine at all.

#include <benchmark/benchmark.h>

#include <thread>

#include "study/height.hpp"
#include "study/phasing.hpp"
#include "study/test_lines.hpp"

namespace {

void phasing(benchmark::State& state, study::Quantity q) {
  study::PhasingRequest request;
  request.section = study_test::six_circuit_line();
  request.circuits = study_test::six_circuits();
  request.quantities = {q};
  request.at = {-70.0f, 70.0f};
  request.top = 10;
  request.threads = static_cast<unsigned>(state.range(0));
  bool fast = true;
  for (auto _ : state) {
    study::PhasingResult r = study::search_phasings(request, nullptr);
    fast = r.fast_ranking;
    benchmark::DoNotOptimize(r.listed.data());
  }
  state.SetLabel((fast ? "superposition, " : "engine, ") + std::to_string(request.threads) + " thread(s)");
}

void BM_PhasingB(benchmark::State& state) { phasing(state, study::Quantity::b); }
void BM_PhasingE(benchmark::State& state) { phasing(state, study::Quantity::e); }
void BM_PhasingAN(benchmark::State& state) { phasing(state, study::Quantity::an); }

void threads(benchmark::internal::Benchmark* b) {
  b->Arg(1);
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores > 1) b->Arg(static_cast<int>(cores));
  // CPU time of every thread of the process, and the time on the clock.
  b->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PhasingB)->Apply(threads);
BENCHMARK(BM_PhasingE)->Apply(threads);
BENCHMARK(BM_PhasingAN)->Apply(threads);

// Eight circuits (1,679,616 arrangements): the enumeration outweighs the
// fixed work, so this is where more threads show.
void BM_PhasingB_EightCircuits(benchmark::State& state) {
  study::PhasingRequest request;
  request.section = study_test::tower_line(4);
  for (int c = 0; c < 8; ++c) request.circuits.push_back({3 * c, 3 * c + 1, 3 * c + 2});
  request.quantities = {study::Quantity::b};
  request.at = {-90.0f, 90.0f};
  request.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    study::PhasingResult r = study::search_phasings(request, nullptr);
    benchmark::DoNotOptimize(r.listed.data());
  }
  state.SetLabel(std::to_string(request.threads) + " thread(s)");
}
BENCHMARK(BM_PhasingB_EightCircuits)->Apply(threads);

// Nine circuits (10,077,696 arrangements, 1,679,616 distinct) on one thread,
// the figures to read with callgrind (instruction counts): B at two points,
// and the trade-off front of E, B and audible noise at the same points.
study::PhasingRequest circuits(int k, std::vector<study::Quantity> quantities) {
  study::PhasingRequest request;
  // Whole towers; an odd count leaves out the last tower's second circuit,
  // so that every phase of the line is in a circuit.
  request.section = study_test::tower_line((k + 1) / 2);
  if (k % 2) {
    auto& groups = request.section.groups;
    groups.erase(groups.begin() + 3 * k, groups.begin() + 3 * k + 3);
    request.section.energized = 3 * k;
  }
  for (int c = 0; c < k; ++c) request.circuits.push_back({3 * c, 3 * c + 1, 3 * c + 2});
  request.quantities = std::move(quantities);
  request.at = {-90.0f, 90.0f};
  request.threads = 1;
  return request;
}

void nine(benchmark::State& state, const study::PhasingRequest& request) {
  std::size_t listed = 0;
  for (auto _ : state) {
    study::PhasingResult r = study::search_phasings(request, nullptr);
    listed = r.listed.size();
    benchmark::DoNotOptimize(r.listed.data());
  }
  state.SetLabel(std::to_string(listed) + " listed, 1 thread");
}

void BM_PhasingB_NineCircuits(benchmark::State& state) { nine(state, circuits(9, {study::Quantity::b})); }
void BM_PhasingFront_NineCircuits(benchmark::State& state) {
  nine(state, circuits(9, {study::Quantity::e, study::Quantity::b, study::Quantity::an}));
}
// The same front on eight circuits: short enough to count instructions of.
void BM_PhasingFront_EightCircuits(benchmark::State& state) {
  nine(state, circuits(8, {study::Quantity::e, study::Quantity::b, study::Quantity::an}));
}
BENCHMARK(BM_PhasingB_NineCircuits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhasingFront_NineCircuits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhasingFront_EightCircuits)->Unit(benchmark::kMillisecond);

void BM_HeightB(benchmark::State& state) {
  study::HeightRequest request;
  request.section = study_test::six_circuit_line();
  request.limits = {{study::Quantity::b, 2.0f}};  // uT
  request.at = {-70.0f};
  long steps = 0;
  for (auto _ : state) {
    study::HeightResult r = study::search_height(request, nullptr);
    steps = r.steps;
    benchmark::DoNotOptimize(r.after.data());
  }
  state.SetLabel("raise " + std::to_string(steps) + " cm");
}
BENCHMARK(BM_HeightB)->Unit(benchmark::kMillisecond);

}  // namespace
