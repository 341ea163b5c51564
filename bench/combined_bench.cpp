// The largest case: a 50-group line with AC and DC groups (the gradient
// step turns the AC phasors through a full cycle of 3600 steps) and 100
// lateral points. The whole run with every report selected, from the data
// file held in memory to the final record, with its output discarded; and
// the combined report alone on the same line, to the null device.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "driver/program.hpp"
#include "gradients/gradients.hpp"
#include "hybrid_line.hpp"
#include "reports/combined_report.hpp"

namespace {

// Ten AC circuits, nine DC bipoles and two earth wires, every group at its
// own place; 100 lateral points from -99 m in steps of 2 m.
Problem hybrid_line() {
  Problem p;
  set_initial_values(p);
  Inputs& in = p.inputs;
  RunData& run = p.run;
  run.title[0] = "HYBRID AC/DC CORRIDOR, 50 GROUPS";
  run.title[1] = "BENCHMARK CASE";
  run.distunit = "MTRS";
  run.diamunit = "(MM)";
  in.wind = 2.0f;
  in.rainrate = 1.0f;
  in.altitude = 300.0f;
  in.gndcond = 10.0f;
  run.anheight = 1.5f;
  run.riheight = 2.0f;
  run.tvheight = 10.0f;
  run.ozheight = 1.0f;
  run.rifreq = 1.0f;
  run.tvfreq = 75.0f;
  run.efheight = 1.0f;
  run.mfheight = 1.0f;
  put_hybrid_groups(in);
  run.ncond = 50;
  for (int i = 0; i < 50; ++i) {
    run.condname[i] = i < 30 ? "AC PHASE" : i < 48 ? "DC POLE" : "EARTH";
    if (i < 48) in.current[i] = 1.5f;
  }
  run.npoints = 100;
  for (int j = 0; j < 100; ++j) run.latpts[j] = -99.0f + 2.0f * static_cast<real>(j);
  return p;
}

// Gradients computed, copied into the gradients the corona routines use.
void gradients(Problem& p) {
  ztmxgrad(p.inputs);
  for (int i = 0; i < p.run.ncond; ++i) p.inputs.gradient[i] = p.inputs.calcgrad[i];
}

// The same line as a data file, every report selected.
std::string hybrid_line_data() {
  const Problem p = hybrid_line();
  const Inputs& in = p.inputs;
  const RunData& run = p.run;
  std::ostringstream text;
  text << ' ' << run.title[0].trimmed() << "\n " << run.title[1].trimmed() << "\n";
  text << " 0,0," << in.nphases << ',' << run.ncond << ",0.0," << in.wind << ',' << in.rainrate << ','
       << in.altitude << "\n ALL\n";
  text << ' ' << run.anheight << ',' << run.riheight << ',' << run.tvheight << ',' << run.ozheight << ','
       << run.rifreq << ',' << run.tvfreq << ',' << run.mfheight << ',' << in.gndcond << ',' << run.efheight
       << "\n";
  for (int i = 0; i < run.ncond; ++i) {
    text << " '" << run.condname[i].view() << "','" << (in.acflag[i] ? 'A' : 'D') << "'," << in.xcond[i] << ','
         << in.ycond[i] << ',' << in.nsub[i] << ',' << in.subdiam[i] << ',' << in.spacing[i] << ','
         << in.volts[i] << ',' << in.phangle[i] << ',' << in.current[i] << ",0.0\n";
  }
  text << " 100,-99.0,2.0\n 0,0.0,0.0\n";
  return text.str();
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
