#include <vector>

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
  // Both weathers' levels at every point and frequency first: a group's
  // field term at a point and frequency is the same in either weather.
  using Line = std::array<real, freqtab.size()>;
  std::vector<Line> rain_levels(static_cast<std::size_t>(lateral_points(run)));
  std::vector<Line> fair_levels(rain_levels.size());
  Outputs& outputs = problem.outputs;
  for (std::size_t j = 0; j < rain_levels.size(); ++j) {
    inputs.xpoint = run.latpts[j];
    radio_distance_terms(inputs, groups);
    for (std::size_t k = 0; k < freqtab.size(); ++k) {
      inputs.evalfreq = freqtab[k];
      GroupReals field;
      radio_field_terms(inputs, groups, frequencies[k], field);
      inputs.rainflag = true;
      ztradio_with_field(inputs, groups, frequencies[k], field, outputs);
      rain_levels[j][k] = outputs.radio.ril50;
      inputs.rainflag = false;
      ztradio_with_field(inputs, groups, frequencies[k], field, outputs);
      fair_levels[j][k] = outputs.radio.ril50;
    }
  }

  for (const bool rain : {true, false}) {
    inputs.rainflag = rain;
    print.write(rain ? "('1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH',               ' - RAIN',//)"
                     : "('1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH',               ' - FAIR',//)");
    print.write("(48X,'* * * * * L50 * * * * *',/,           '  DIST FROM',           37X,'* * * * * FREQUENCY, MHZ * * * * *',/,           '  REFERENCE',/,9X,13F9.3,/,3X,'(',A4,')',           13(5X,'(DB)'),/)",
                heading);

    const std::vector<Line>& levels = rain ? rain_levels : fair_levels;
    std::size_t next = 0;
    const Line* point = nullptr;  // the levels of the point being written
    write_frequency_lines(
        problem, freqtab, print, "(14F9.1)", [&](const Inputs&) { point = &levels[next++]; },
        [&](const Inputs&, Outputs&, std::size_t k) { return (*point)[k]; });
  }
  console.write("(' RADIO INTERFERENCE REPORT')");
}
