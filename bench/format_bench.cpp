// Cost of one line of the combined report through the record layer.

#include <benchmark/benchmark.h>

#include <string>

#include "format/record.hpp"

namespace {

constexpr const char* kCombinedLine = "(F10.1,4X,2(F10.1,F9.1),7X,F9.1,9X,F10.6,9X,F10.3,4X,F8.5)";

void CombinedLineToNull(benchmark::State& state) {
  record::Writer out = record::Writer::null();
  float x = -30.0f;
  for (auto _ : state) {
    out.write(kCombinedLine, {x, 55.31f, 31.27f, 61.9f, 40.05f, 12.5f, 0.123456f, 4.25f, 0.0625f});
    x += 0.5f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CombinedLineToNull);

void CombinedLineToString(benchmark::State& state) {
  std::string text;
  record::Writer out = record::Writer::to_string(&text);
  float x = -30.0f;
  for (auto _ : state) {
    out.write(kCombinedLine, {x, 55.31f, 31.27f, 61.9f, 40.05f, 12.5f, 0.123456f, 4.25f, 0.0625f});
    if (text.size() > (1u << 20)) text.clear();
    x += 0.5f;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CombinedLineToString);

void DifValueLine(benchmark::State& state) {
  record::Writer out = record::Writer::null();
  float x = 55.3f;
  for (auto _ : state) {
    out.write("(I1,',',1PE23.15)", {std::int16_t{0}, x});
    x += 0.25f;
  }
}
BENCHMARK(DifValueLine);

}  // namespace
