#include "corona/audible_noise.hpp"

#include <algorithm>
#include <cmath>
#include <vector>


namespace {

constexpr real not_computed = -999.9f;  // a DC bundle without a positive gradient
constexpr int named_groups = 10;        // group columns on a report line

}  // namespace

void ztaudio(const Inputs& inputs, Outputs& outputs) {
  AudibleNoiseResults& an = outputs.audible;
  const real altitude = inputs.altitude;
  real power_sum = 0.0f;
  const int groups = energized_groups(inputs);
  for (int i = 0; i < groups; ++i) {
    const real dy = inputs.ycond[i] - inputs.evalht;
    const real dx = inputs.xpoint - inputs.xcond[i];
    const real distance = std::sqrt(dy * dy + dx * dx);
    const real n = static_cast<real>(inputs.nsub[i]);
    const real d = inputs.subdiam[i];
    const real g = inputs.gradient[i];
    real level;
    if (inputs.acflag[i]) {
      // Bundles of four or more act through an equivalent diameter.
      const real deq = n > 3.0f ? std::pow(n, 0.48f) * (d * 0.58f) : d;
      level = (55.0f * std::log10(deq) + (120.0f * std::log10(g) - 164.6f)) - 11.4f * std::log10(distance) -
              5.8f + altitude / 300.0f;
      if (!inputs.rainflag) level = level - 25.0f;
    } else {
      const real deq = n > 2.0f ? std::pow(n, 0.64f) * (d * 0.66f) : d;
      if (!(g > 0.0f)) {
        level = not_computed;
      } else {
        level = (40.0f * std::log10(deq) + (86.0f * std::log10(g) - 139.4f)) - 11.4f * std::log10(distance) +
                altitude / 300.0f;
        // A DC pole is louder in fair weather.
        if (!inputs.rainflag) level = level + 6.0f;
      }
    }
    an.ancond[i] = level;
    // Groups add as powers; the marker and a not-a-number level add nothing.
    const real power = std::pow(10.0f, level / 10.0f);
    if (power > 0.0f) power_sum = power_sum + power;
  }
  an.anl50 = 10.0f * std::log10(power_sum);
  an.anl5 = an.anl50 + 3.5f;
}

void print_audible_noise_report(Problem& problem, record::Writer& print, record::Writer& console) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;
  const bool english = run.units != 0;
  const int groups = energized_groups(inputs);
  const int printed = std::min(groups, named_groups);
  const bool has_dc = std::any_of(inputs.acflag.begin(), inputs.acflag.begin() + groups, [](bool ac) { return !ac; });

  std::vector<record::Item> names;
  for (int i = 0; i < printed; ++i) names.emplace_back(run.condname[i].view());

  inputs.evalht = run.anheight;
  for (const bool rain : {true, false}) {
    inputs.rainflag = rain;
    print.write(rain ? "('1AUDIBLE NOISE CALCULATION - RAIN',//)" : "('1AUDIBLE NOISE CALCULATION - FAIR',//)");
    if (has_dc)
      print.write("(' NOTE: -999.9 APPEARS FOR A DC PHASE',                 ' WITH NEG. GRADIENT. - NOT SUMMED INTO TOTALS')");
    print.write("(' DIST FROM    TOTALS',/,' REFERENCE    L5',           '       L50    ',10(A8,1X))", names);
    print.write("('  (',A4,')     (DBA)    (DBA)',//)", {run.distunit.view()});

    for (int j = 0; j < lateral_points(run); ++j) {
      inputs.xpoint = run.latpts[j];
      ztaudio(inputs, problem.outputs);
      const AudibleNoiseResults& an = problem.outputs.audible;
      std::vector<record::Item> line{report_distance(inputs.xpoint, english), an.anl5, an.anl50};
      for (int i = 0; i < printed; ++i) line.emplace_back(an.ancond[i]);
      print.write("(13F9.1)", line);
    }
  }
  console.write("(' AUDIBLE NOISE REPORT')");
}
