// Cost of one line of the combined report through the record layer.

#include <benchmark/benchmark.h>

#include <charconv>
#include <string>

#include "format/decimal.hpp"
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

// One number's text by each conversion: the report fields' decimals (F10.1
// .. F10.6) and the DIF file's 1PE23.15, over a spread of magnitudes. The
// comments of format/decimal.cpp quote these.
constexpr float kMagnitudes[] = {55.31f, 31.27f, 61.9f, 40.05f, 12.5f, 0.123456f, 4.25f, 0.0625f, 1234.5678f, 7.1e-3f};

template <class Convert>
void convert_each(benchmark::State& state, int digits, Convert convert) {
  char buffer[64];
  std::size_t i = 0;
  for (auto _ : state) {
    char* end = convert(buffer, buffer + sizeof buffer, kMagnitudes[i++ % 10], digits);
    benchmark::DoNotOptimize(end);
  }
}

char* standard_fixed(char* first, char* last, float magnitude, int decimals) {
  return std::to_chars(first, last, magnitude, std::chars_format::fixed, decimals).ptr;
}
char* standard_scientific(char* first, char* last, float magnitude, int precision) {
  return std::to_chars(first, last, magnitude, std::chars_format::scientific, precision).ptr;
}

void FixedIntegerPath(benchmark::State& state) {
  convert_each(state, static_cast<int>(state.range(0)), record::detail::fixed_chars);
}
void FixedStandardLibrary(benchmark::State& state) {
  convert_each(state, static_cast<int>(state.range(0)), standard_fixed);
}
void FixedFmt(benchmark::State& state) {
  convert_each(state, static_cast<int>(state.range(0)), record::detail::portable_fixed_chars);
}
BENCHMARK(FixedIntegerPath)->Arg(1)->Arg(6);
BENCHMARK(FixedStandardLibrary)->Arg(1)->Arg(6);
BENCHMARK(FixedFmt)->Arg(1)->Arg(6);

void ScientificStandardLibrary(benchmark::State& state) { convert_each(state, 15, standard_scientific); }
void ScientificFmt(benchmark::State& state) { convert_each(state, 15, record::detail::portable_scientific_chars); }
BENCHMARK(ScientificStandardLibrary);
BENCHMARK(ScientificFmt);

}  // namespace
