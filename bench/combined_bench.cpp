// The largest combined report: a 50-group line with AC and DC groups (the
// gradient step turns the AC phasors through a full cycle of 3600 steps),
// then every routine at each of 100 lateral points, with the page and the
// DIF table written to the null device.

#include <benchmark/benchmark.h>

#include "gradients/gradients.hpp"
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
  in.nphases = 48;
  in.nearth = 2;
  run.ncond = 50;
  for (int i = 0; i < 48; ++i) {
    run.condname[i] = i < 30 ? "AC PHASE" : "DC POLE";
    in.xcond[i] = -60.0f + 2.5f * static_cast<real>(i);
    in.ycond[i] = 15.0f + 5.0f * static_cast<real>(i % 3);
    in.nsub[i] = static_cast<integer>(2 + i % 3);
    in.subdiam[i] = 30.0f;
    in.spacing[i] = 45.0f;
    in.current[i] = 1.5f;
    if (i < 30) {
      in.acflag[i] = true;
      in.volts[i] = 345.0f;
      in.phangle[i] = 120.0f * static_cast<real>(i % 3);
    } else {
      in.acflag[i] = false;
      in.volts[i] = i % 2 == 0 ? 400.0f : -400.0f;
    }
  }
  for (int i = 48; i < 50; ++i) {
    run.condname[i] = "EARTH";
    in.xcond[i] = i == 48 ? -20.0f : 20.0f;
    in.ycond[i] = 40.0f;
    in.nsub[i] = 1;
    in.subdiam[i] = 11.0f;
    in.acflag[i] = false;
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

void BM_GradientsThenCombinedReport(benchmark::State& state) {
  const Problem line = hybrid_line();
  auto print = record::Writer::null();
  auto dif = record::Writer::null();
  auto console = record::Writer::null();
  for (auto _ : state) {
    Problem p = line;
    gradients(p);
    print_combined_report(p, print, dif, console);
    benchmark::DoNotOptimize(p.outputs.magnetic.mfmax);
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

BENCHMARK(BM_GradientsThenCombinedReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CombinedReportOnly)->Unit(benchmark::kMillisecond);
