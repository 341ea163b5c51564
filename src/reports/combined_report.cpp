#include "reports/combined_report.hpp"

#include <vector>

#include "corona/audible_noise.hpp"
#include "corona/ozone.hpp"
#include "corona/radio.hpp"
#include "corona/tv.hpp"
#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"
#include "reports/dif_file.hpp"

namespace {

void write_title(const RunData& run, record::Writer& print) {
  print.write("('1COMBINED OUTPUT OF AUDIBLE NOISE, RADIO NOISE,',       ' TVI, OZONE CONCENTRATION, GROUND GRADIENT AND'       ' MAGNETIC FIELD',/,2(1XA72,/),//)",
              {run.title[0].view(), run.title[1].view()});
}

void write_conductor_headings(const RunData& run, record::Writer& print) {
  print.write("(14X,'DIST. FROM',13X,'MAXIMUM  SUBCON   NO. OF',       6X,'SUBCON   VOLTAGE  PHASE    CURRENT  CORONA',/,       11X,'CENTER OF TOWER  HEIGHT   GRADIENT  DIAM.   SUBCON',       6X,'SPACING    L-N    ANGLE',13X,'LOSSES')");
  if (run.units != 0) {
    print.write("(15X,' (FEET)      (FEET)   (KV/CM)   (IN)',16X,           '(IN)',6X,'(KV)  (DEGREES)  (kAmps)  (KW/MI)',/)");
  } else {
    print.write("(15X,'(METERS)    (METERS)  (KV/CM)   (MM)',16X,           '(CM)',6X,'(KV)  (DEGREES)  (kAmps)  (KW/KM)',/)");
  }
}

// One line of the conductor table. Lengths, diameter, spacing and loss go
// back to English units only for English input; the other columns are
// printed as held.
void write_conductor_line(const Inputs& in, const RunData& run, int i, real loss, record::Writer& print) {
  real x = in.xcond[i], y = in.ycond[i], diam = in.subdiam[i], space = in.spacing[i];
  if (run.units == 1) {
    x = x / metres_per_foot;
    y = y / metres_per_foot;
    diam = diam / mm_per_inch;
    space = space / cm_per_inch;
    loss = loss * kwmi_per_kwkm;
  }
  print.write("(1X,A8,4X,F9.2,6X,F6.2,2(F9.2),I8,4X,F8.2,2X,           3(F8.2,1X),F8.3)",
              {run.condname[i].view(), x, y, in.gradient[i], diam, in.nsub[i], space, in.volts[i],
               in.phangle[i], in.current[i], loss});
}

void write_conductor_table(Problem& problem, record::Writer& print) {
  Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  write_conductor_headings(run, print);

  // The losses do not depend on the point: one call fills clcond.
  in.xpoint = 0;
  in.evalht = 0;
  ztozone(in, problem.outputs);

  const int groups = listed_groups(run);
  for (int i = 0; i < groups; ++i) {
    // Earth wires carry no corona loss.
    const real loss = i < in.nphases ? problem.outputs.ozone.clcond[i] : real{0};
    write_conductor_line(in, run, i, loss, print);
  }
}

void write_parameters(const Inputs& in, const RunData& run, record::Writer& print) {
  if (run.units != 0) {
    print.write("(' AN MICROPHONE HT.=',F5.1,           ' FT, RI ANT. HT.=',F5.1,' FT, TV ANT. HT.=',F5.1,           ' FT, ALTITUDE= ',F7.1,' FT',/,' RI FREQ=',F7.3,           ' MHZ, TV FREQ= ',F7.3,' MHZ, WIND VEL.(OZ)=',F6.3,           ' MPH, GROUND CONDUCTIVITY = ',F5.1,' MMHOS/M',/,           ' E-FIELD TRANSDUCER HT.=',F5.1,           'FT, B-FIELD TRANSDUCER HT.=',F5.1,'FT',/)",
                {run.anheight / metres_per_foot, run.riheight / metres_per_foot,
                 run.tvheight / metres_per_foot, in.altitude / metres_per_foot, run.rifreq, run.tvfreq,
                 in.wind / mps_per_mph, in.gndcond, run.efheight / metres_per_foot,
                 run.mfheight / metres_per_foot});
  } else {
    print.write("(' AN MICROPHONE HT.=',F5.1,' M, RI ANT. HT.=',          F5.1,' M, TV ANT. HT.=',F5.1,' M, ALTITUDE= ',F7.1,          ' M',/,' RI FREQ=',F7.3,' MHZ, TV FREQ= ',F7.3,          ' MHZ, WIND VEL.(OZ)=',F6.3,          ' M/SEC, GROUND CONDUCTIVITY = ',F5.1,' MMHOS/M',/,          ' E-FIELD TRANSDUCER HT.=',F5.1,          'M, B-FIELD TRANSDUCER HT.=',F5.1,'M',/)",
                {run.anheight, run.riheight, run.tvheight, in.altitude, run.rifreq, run.tvfreq, in.wind,
                 in.gndcond, run.efheight, run.mfheight});
  }
}

void write_column_headings(const Inputs& in, const RunData& run, record::Writer& print) {
  print.write("(' LATERAL DIST       AUDIBLE NOISE   RADIO'      ' INTERFERENCE        TVI              OZONE',/,5X,      'FROM          (RAIN)   (FAIR)   (RAIN)    (FAIR) ',      '        TOTAL        FOR RAIN RATE OF        ELECTRIC  ',      '   MAGNETIC')");
  if (run.units != 0) {
    print.write("('   REFERENCE        L50      L50      L50',         '       L50           RAIN',F8.2,' IN/HR AT ',F2.0,         ' FT LEVEL     FIELD       FIELD')",
                {in.rainrate / mmhr_per_inhr, run.ozheight / metres_per_foot});
  } else {
    print.write("('   REFERENCE        L50      L50      L50',         '       L50           RAIN',F8.2,' MM/HR AT ',F2.0,         ' M LEVEL      FIELD       FIELD')",
                {in.rainrate, run.ozheight});
  }
  print.write("(4X,'(',A4,')          DBA      DBA      DBUV/M',       '   DBUV/M        DBUV/M             PPB',18X,       'KV/M        GAUSS')",
              {run.distunit.view()});
}

// The radio and TV terms of each group and of the report's frequencies,
// worked out once for all points.
struct FrequencyTerms {
  RadioFrequencyTerms radio_frequency;
  RadioGroupTerms radio;
  TvFrequencyTerms tv_frequency;
  TvGroupTerms tv;
};

void prepare_terms(const Inputs& in, const RunData& run, FrequencyTerms& terms) {
  terms.radio_frequency = radio_frequency_terms(run.rifreq);
  radio_generation_terms(in, terms.radio);
  terms.tv_frequency = tv_frequency_terms(run.tvfreq);
  tv_generation_terms(in, terms.tv);
}

// The value a page kept for point j, or else the routine's.
template <class Compute>
real kept_or(const std::vector<real>* kept, int j, Compute compute) {
  return kept != nullptr && static_cast<std::size_t>(j) < kept->size() ? (*kept)[static_cast<std::size_t>(j)]
                                                                         : compute();
}

// One lateral point: every routine in turn, each value into the DIF tuple
// as soon as it is known, then the summary line.
void write_point(Problem& problem, int j, FrequencyTerms& terms, const PageValues* pages, record::Writer& print,
                 record::Writer& dif) {
  Inputs& in = problem.inputs;
  Outputs& out = problem.outputs;
  const RunData& run = problem.run;

  in.xpoint = run.latpts[j];
  dif::write_tuple_start(dif);
  dif::write_value(dif, report_distance(in.xpoint, run.units == 1));

  const auto audible = [&] {
    ztaudio(in, out);
    return out.audible.anl50;
  };
  in.rainflag = true;
  in.evalht = run.anheight;
  const real an_rain = kept_or(pages ? &pages->an_rain : nullptr, j, audible);
  dif::write_value(dif, an_rain);

  in.rainflag = false;
  const real an_fair = kept_or(pages ? &pages->an_fair : nullptr, j, audible);
  dif::write_value(dif, an_fair);

  in.rainflag = true;
  in.evalfreq = run.rifreq;
  in.evalht = run.riheight;
  radio_distance_terms(in, terms.radio);
  GroupReals radio_field;
  radio_field_terms(in, terms.radio, terms.radio_frequency, radio_field);
  ztradio_with_field(in, terms.radio, terms.radio_frequency, radio_field, out);
  const real ri_rain = out.radio.ril50;
  dif::write_value(dif, ri_rain);

  in.rainflag = false;
  ztradio_with_field(in, terms.radio, terms.radio_frequency, radio_field, out);
  const real ri_fair = out.radio.ril50;
  dif::write_value(dif, ri_fair);

  in.evalfreq = run.tvfreq;
  in.evalht = run.tvheight;
  tv_distance_terms(in, terms.tv);
  zttv_with_terms(in, terms.tv, terms.tv_frequency, out);
  const real tv = out.tv.tvl50;
  dif::write_value(dif, tv);

  in.evalht = run.ozheight;
  ztozone(in, out);
  const real oz = out.ozone.ozppb;
  dif::write_value(dif, oz);

  in.evalht = run.efheight;
  const real ef = kept_or(pages ? &pages->electric : nullptr, j, [&] {
    ztelefld(in, out);
    return out.electric.efmax;
  });
  dif::write_value(dif, ef);

  in.evalht = run.mfheight;
  const real mf = kept_or(pages ? &pages->magnetic : nullptr, j, [&] {
    ztmagfld(in, out);
    return out.magnetic.mfmax;
  });
  dif::write_value(dif, mf);

  print.write("(F10.1,4X,2(F10.1,F9.1),7X,F9.1,9X,F10.6,9X,              F10.3,4X,F8.5)",
              {report_distance(in.xpoint, run.units != 0), an_rain, an_fair, ri_rain, ri_fair, tv, oz, ef, mf});
}

}  // namespace

void print_combined_report(Problem& problem, record::Writer& print, record::Writer& dif,
                           record::Writer& console, const PageValues* pages) {
  // The tuple count in the header is the number of tuples that follow.
  const int points = lateral_points(problem.run);

  dif::write_header(dif, static_cast<integer>(points));
  write_title(problem.run, print);
  write_conductor_table(problem, print);
  write_parameters(problem.inputs, problem.run, print);
  write_column_headings(problem.inputs, problem.run, print);
  FrequencyTerms terms;
  prepare_terms(problem.inputs, problem.run, terms);
  for (int j = 0; j < points; ++j) write_point(problem, j, terms, pages, print, dif);
  dif::write_trailer(dif);
  console.write("(' COMBINATION REPORT')");
}
