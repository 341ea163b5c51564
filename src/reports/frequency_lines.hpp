#pragma once
// The frequency pages (radio and TV interference): the items of the column
// heading, and for each lateral point its distance, then the level at every
// frequency of the table.

#include <array>
#include <cstddef>
#include <string_view>

#include "model/problem_data.hpp"
#include "format/record.hpp"

// The frequencies of the table, then the distance unit.
template <std::size_t N>
std::array<record::Item, N + 1> frequency_heading(const std::array<real, N>& frequencies, const RunData& run) {
  std::array<record::Item, N + 1> heading;
  for (std::size_t k = 0; k < N; ++k) heading[k] = frequencies[k];
  heading[N] = run.distunit.view();
  return heading;
}

// For each point, `at_point(inputs)` is called once inputs.xpoint is set,
// then `level(inputs, outputs, k)` computes the level at inputs.xpoint and
// inputs.evalfreq, frequency k of the table; each line is written in
// `format`.
template <std::size_t N, class AtPoint, class Level>
void write_frequency_lines(Problem& problem, const std::array<real, N>& frequencies, record::Writer& print,
                           std::string_view format, AtPoint at_point, Level level) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;
  const bool english = run.units != 0;
  for (int j = 0; j < lateral_points(run); ++j) {
    inputs.xpoint = run.latpts[j];
    at_point(inputs);
    std::array<record::Item, N + 1> line;
    line[0] = report_distance(inputs.xpoint, english);
    for (std::size_t k = 0; k < N; ++k) {
      inputs.evalfreq = frequencies[k];
      line[k + 1] = level(inputs, problem.outputs, k);
    }
    print.write(format, line);
  }
}

// The terms of each frequency of the table, prepared once for a page.
template <std::size_t N, class Prepare>
auto frequency_terms(const std::array<real, N>& frequencies, Prepare prepare) {
  std::array<decltype(prepare(real{})), N> terms;
  for (std::size_t k = 0; k < N; ++k) terms[k] = prepare(frequencies[k]);
  return terms;
}
