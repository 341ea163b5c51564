#include "corona/radio.hpp"
#include "reports/frequency_lines.hpp"
#include "reports/pages.hpp"

void print_radio_report(Problem& problem, record::Writer& print, record::Writer& console) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;

  const auto heading = frequency_heading(freqtab, run);

  // The levels of every point and frequency, in each weather, from the
  // terms of each group, point and frequency worked out once.
  const auto frequencies = frequency_terms(freqtab, radio_frequency_terms);
  RadioGroupTerms groups;
  radio_generation_terms(inputs, groups);

  inputs.evalht = run.riheight;
  for (const bool rain : {true, false}) {
    inputs.rainflag = rain;
    print.write(rain ? "('1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH',               ' - RAIN',//)"
                     : "('1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH',               ' - FAIR',//)");
    print.write("(48X,'* * * * * L50 * * * * *',/,           '  DIST FROM',           37X,'* * * * * FREQUENCY, MHZ * * * * *',/,           '  REFERENCE',/,9X,13F9.3,/,3X,'(',A4,')',           13(5X,'(DB)'),/)",
                heading);

    write_frequency_lines(
        problem, freqtab, print, "(14F9.1)", [&](const Inputs& in) { radio_distance_terms(in, groups); },
        [&](const Inputs& in, Outputs& out, std::size_t k) {
          ztradio_with_terms(in, groups, frequencies[k], out);
          return out.radio.ril50;
        });
  }
  console.write("(' RADIO INTERFERENCE REPORT')");
}
