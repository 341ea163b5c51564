#include <algorithm>
#include <vector>

#include "corona/audible_noise.hpp"
#include "reports/pages.hpp"

namespace {

constexpr int named_groups = 10;  // group columns on a report line

}  // namespace

void print_audible_noise_report(Problem& problem, record::Writer& print, record::Writer& console, PageValues* keep) {
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
      if (keep) (rain ? keep->an_rain : keep->an_fair).push_back(an.anl50);
      std::vector<record::Item> line{report_distance(inputs.xpoint, english), an.anl5, an.anl50};
      for (int i = 0; i < printed; ++i) line.emplace_back(an.ancond[i]);
      print.write("(13F9.1)", line);
    }
  }
  console.write("(' AUDIBLE NOISE REPORT')");
}
