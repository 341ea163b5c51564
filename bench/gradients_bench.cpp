// Surface gradients of a 50-group line with AC and DC groups (one cycle of
// 3600 phasor steps): the column-sweep charge loop of the program against
// the plain row-by-row loop it must match bit for bit.

#include <benchmark/benchmark.h>

#include <cstring>

#include "gradients/bundle_charges.hpp"

namespace {

// Reference: each row summed over its columns, one row after another.
void row_by_row_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                        GroupReals& qreal, GroupReals& qimag) {
  for (int k = 0; k < n; ++k) {
    qreal[k] = 0.0f;
    qimag[k] = 0.0f;
    for (int l = 0; l < n; ++l) {
      qreal[k] = qreal[k] + c[l * max_groups + k] * vre[l];
      qimag[k] = qimag[k] + c[l * max_groups + k] * vim[l];
    }
  }
}

// Ten AC circuits, nine DC bipoles and two earth wires, every group at its
// own place.
Inputs hybrid_line() {
  Inputs in;
  in.nphases = 48;
  in.nearth = 2;
  for (int i = 0; i < 48; ++i) {
    in.xcond[i] = -60.0f + 2.5f * static_cast<real>(i);
    in.ycond[i] = 15.0f + 5.0f * static_cast<real>(i % 3);
    in.nsub[i] = static_cast<integer>(2 + i % 3);
    in.subdiam[i] = 30.0f;
    in.spacing[i] = 45.0f;
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
    in.xcond[i] = i == 48 ? -20.0f : 20.0f;
    in.ycond[i] = 40.0f;
    in.nsub[i] = 1;
    in.subdiam[i] = 11.0f;
    in.acflag[i] = false;
  }
  return in;
}

void run(benchmark::State& state, ChargeLoop charges) {
  const Inputs line = hybrid_line();
  Inputs reference = line;
  Inputs fast = line;
  ztmxgrad_with(reference, row_by_row_charges);
  ztmxgrad(fast);
  if (std::memcmp(&reference, &fast, sizeof(Inputs)) != 0) {
    state.SkipWithError("column-sweep charges differ from the row-by-row reference");
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
void BM_RowByRowCharges(benchmark::State& state) { run(state, row_by_row_charges); }

}  // namespace

BENCHMARK(BM_ColumnSweepCharges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowByRowCharges)->Unit(benchmark::kMillisecond);
