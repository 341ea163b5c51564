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

  write_frequency_lines(problem, tvfreqtab, print, "(9F9.1)", [](Inputs& in, Outputs& out) {
    zttv(in, out);
    return out.tv.tvl50;
  });
  console.write("(' TV INTERFERENCE REPORT')");
}
