#include "corona/tv.hpp"
#include "reports/frequency_lines.hpp"
#include "reports/pages.hpp"

void print_tv_report(Problem& problem, record::Writer& print, record::Writer& console) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;

  inputs.evalht = run.tvheight;
  inputs.rainflag = true;
  print.write("('1TVI CALCULATIONS, QP DETECTOR,'      ' STODDART NM30A METER',/)");
  print.write("(' NOTE: A -999.9 APPEARS FOR DC BUNDLES.')");

  const auto heading = frequency_heading(tvfreqtab, run);
  print.write("(48X,'* * * * * L50 * * * * *',/,           '  DIST FROM',           37X,'* * * * * FREQUENCY, MHZ * * * * *',/,           '  REFERENCE',/,9X,8F9.3,/,3X,'(',A4,')',           'DBUV/M',/)",
              heading);

  // The levels of every point and frequency from the terms of each group,
  // point and frequency worked out once.
  const auto frequencies = frequency_terms(tvfreqtab, tv_frequency_terms);
  TvGroupTerms groups;
  tv_generation_terms(inputs, groups);
  write_frequency_lines(
      problem, tvfreqtab, print, "(9F9.1)", [&](const Inputs& in) { tv_distance_terms(in, groups); },
      [&](const Inputs& in, Outputs& out, std::size_t k) {
        zttv_with_terms(in, groups, frequencies[k], out);
        return out.tv.tvl50;
      });
  console.write("(' TV INTERFERENCE REPORT')");
}
