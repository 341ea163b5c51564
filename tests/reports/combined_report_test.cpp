#include "reports/combined_report.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "corona/audible_noise.hpp"
#include "corona/ozone.hpp"
#include "corona/radio.hpp"
#include "corona/tv.hpp"
#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"
#include "report_text.hpp"
#include "reports/pages.hpp"
#include "support/hybrid_line.hpp"

namespace {

using support::records;
using report_test::small_line;

struct Outcome {
  std::string print, dif, console;
};

Outcome run_report(Problem& problem) {
  Outcome r;
  auto print = record::Writer::to_string(&r.print);
  auto dif = record::Writer::to_string(&r.dif);
  auto console = record::Writer::to_string(&r.console);
  print_combined_report(problem, print, dif, console);
  return r;
}

// Records of the page before the first point line: title (1 + 2 + 3 empty),
// conductor headings (2 + unit line + empty), the groups, parameters
// (3 + empty), column headings (4).
int first_point_record(int ncond) { return 6 + 4 + ncond + 4 + 4; }

std::string field(const std::string& line, int first, int last) {
  return line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

TEST(CombinedReport, PageLayoutWithoutPoints) {
  Problem p = small_line();
  p.run.npoints = 0;
  const Outcome r = run_report(p);
  const auto lines = records(r.print);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(first_point_record(5)));
  EXPECT_EQ(lines[0],
            "1COMBINED OUTPUT OF AUDIBLE NOISE, RADIO NOISE, TVI, OZONE CONCENTRATION, GROUND GRADIENT AND "
            "MAGNETIC FIELD");
  EXPECT_EQ(lines[1], " " + p.run.title[0].str());
  EXPECT_EQ(lines[2], " " + p.run.title[1].str());
  EXPECT_EQ(lines[1].size(), 73u);
  for (int i : {3, 4, 5, 9, 18}) EXPECT_EQ(lines[i], "") << i;
  EXPECT_EQ(lines[8].substr(0, 25), "               (METERS)  ");
  EXPECT_EQ(lines[10].substr(0, 9), " PHASE A ");
  EXPECT_EQ(lines[15].substr(0, 21), " AN MICROPHONE HT.=  ");
  EXPECT_EQ(lines[19].substr(0, 15), " LATERAL DIST  ");
  EXPECT_EQ(lines[22], "    (MTRS)          DBA      DBA      DBUV/M   DBUV/M        DBUV/M             PPB"
                       "                  KV/M        GAUSS");
  EXPECT_EQ(records(r.dif).size(), 14u);
  EXPECT_EQ(records(r.dif)[7], "0,  0");
  EXPECT_EQ(r.console, " COMBINATION REPORT\r\n");
}

TEST(CombinedReport, ConductorLineColumns) {
  Problem p = small_line();
  p.inputs.nsub[1] = 12;
  const auto lines = records(run_report(p).print);
  // A8 after one blank, then F9.2 x at 14-22, F6.2 y at 29-34, gradient
  // 35-43, diameter 44-52, I8 nsub 53-60, spacing 65-72, voltage 75-82,
  // angle 84-91, current 93-100, F8.3 loss 102-109.
  const std::string& b = lines[11];
  EXPECT_EQ(b.size(), 109u);
  EXPECT_EQ(field(b, 2, 9), "PHASE B ");
  EXPECT_EQ(field(b, 14, 22), "     0.00");
  EXPECT_EQ(field(b, 29, 34), " 15.00");
  EXPECT_EQ(field(b, 35, 43), "    17.00");
  EXPECT_EQ(field(b, 44, 52), "    30.00");
  EXPECT_EQ(field(b, 53, 60), "      12");
  EXPECT_EQ(field(b, 65, 72), "   45.00");
  EXPECT_EQ(field(b, 75, 82), "  303.00");
  EXPECT_EQ(field(b, 84, 91), "  120.00");
  EXPECT_EQ(field(b, 93, 100), "    1.00");
}

TEST(CombinedReport, CoronaLossFromOneOzoneCallEarthWiresZero) {
  Problem p = small_line();
  // Left over from an earlier section: must not show for earth wires.
  p.outputs.ozone.clcond[3] = 7.0f;
  p.outputs.ozone.clcond[4] = 7.0f;
  const auto lines = records(run_report(p).print);
  Problem q = small_line();
  q.inputs.xpoint = 0;
  q.inputs.evalht = 0;
  ztozone(q.inputs, q.outputs);
  for (int i = 0; i < 3; ++i) {
    const auto expected = record::render("(F8.3)", {q.outputs.ozone.clcond[i]});
    EXPECT_EQ(field(lines[10 + i], 102, 109), expected[0]) << i;
  }
  EXPECT_EQ(field(lines[13], 102, 109), "   0.000");
  EXPECT_EQ(field(lines[14], 102, 109), "   0.000");
}

// A group whose loss works out at 10^0 = 1 kW/km: 4 subconductors of
// 35.1 mm at 18.8 kV/cm, a rain rate whose rain term is 0 and an altitude
// term of -14.2 dB.
Problem unit_loss_line(integer units) {
  Problem p = small_line(units);
  p.inputs.nphases = 1;
  p.run.ncond = 1;
  p.inputs.nearth = 0;
  p.inputs.acflag[0] = true;
  p.inputs.nsub[0] = 4;
  p.inputs.subdiam[0] = 35.1f;
  p.inputs.gradient[0] = 18.8f;
  p.inputs.rainrate = 1.676f;
  p.inputs.altitude = -4260.0f;
  p.inputs.xcond[0] = 9.144f;  // 30 ft
  p.run.npoints = 0;
  return p;
}

TEST(CombinedReport, ConductorLineUnitVariants) {
  struct Case {
    integer units;
    const char* unit_line_start;
    const char* x;
    const char* diameter;
    const char* spacing;
    const char* loss;
  };
  // Conductor values go back to English only for units 1; any other
  // non-zero value prints the English headings over metric values.
  const Case cases[] = {
      {0, "               (METERS)", "     9.14", "    35.10", "   45.00", "   1.000"},
      {1, "                (FEET) ", "    30.00", "     1.38", "   17.72", "   1.609"},
      {2, "                (FEET) ", "     9.14", "    35.10", "   45.00", "   1.000"},
  };
  for (const Case& c : cases) {
    Problem p = unit_loss_line(c.units);
    const auto lines = records(run_report(p).print);
    EXPECT_EQ(lines[8].substr(0, 23), c.unit_line_start) << c.units;
    EXPECT_EQ(lines[8].substr(lines[8].size() - 7), c.units != 0 ? "(KW/MI)" : "(KW/KM)") << c.units;
    EXPECT_EQ(field(lines[10], 14, 22), c.x) << c.units;
    EXPECT_EQ(field(lines[10], 44, 52), c.diameter) << c.units;
    EXPECT_EQ(field(lines[10], 65, 72), c.spacing) << c.units;
    EXPECT_EQ(field(lines[10], 102, 109), c.loss) << c.units;
  }
}

TEST(CombinedReport, ParameterAndRainLineVariants) {
  struct Case {
    integer units;
    real ozheight;  // metres, as held
    const char* first_parameter_line;
    const char* rain_line;
  };
  const Case cases[] = {
      {0, 1.0f, " AN MICROPHONE HT.=  1.5 M, RI ANT. HT.=  2.0 M, TV ANT. HT.= 10.0 M, ALTITUDE=   300.0 M",
       "   REFERENCE        L50      L50      L50       L50           RAIN    1.00 MM/HR AT 1. M LEVEL      FIELD"
       "       FIELD"},
      {0, 9.4f, nullptr, "   REFERENCE        L50      L50      L50       L50           RAIN    1.00 MM/HR AT 9. M LEVEL"
                         "      FIELD       FIELD"},
      {0, 9.5f, nullptr, "   REFERENCE        L50      L50      L50       L50           RAIN    1.00 MM/HR AT ** M LEVEL"
                         "      FIELD       FIELD"},
      {1, 9.5f * 0.3048f,
       " AN MICROPHONE HT.=  4.9 FT, RI ANT. HT.=  6.6 FT, TV ANT. HT.= 32.8 FT, ALTITUDE=   984.3 FT",
       "   REFERENCE        L50      L50      L50       L50           RAIN    0.04 IN/HR AT ** FT LEVEL     FIELD"
       "       FIELD"},
      {1, 9.4f * 0.3048f, nullptr,
       "   REFERENCE        L50      L50      L50       L50           RAIN    0.04 IN/HR AT 9. FT LEVEL     FIELD"
       "       FIELD"},
      // Units 2: English headings and parameters, values divided as for 1.
      {2, 1.0f, " AN MICROPHONE HT.=  4.9 FT, RI ANT. HT.=  6.6 FT, TV ANT. HT.= 32.8 FT, ALTITUDE=   984.3 FT",
       "   REFERENCE        L50      L50      L50       L50           RAIN    0.04 IN/HR AT 3. FT LEVEL     FIELD"
       "       FIELD"},
  };
  for (const Case& c : cases) {
    Problem p = small_line(c.units);
    p.run.ozheight = c.ozheight;
    p.run.npoints = 0;
    const auto lines = records(run_report(p).print);
    if (c.first_parameter_line) {
      EXPECT_EQ(lines[15], c.first_parameter_line) << c.units;
    }
    EXPECT_EQ(lines[21], c.rain_line) << c.units << " " << c.ozheight;
  }
  Problem metric = small_line(0);
  const auto m = records(run_report(metric).print);
  EXPECT_EQ(m[16], " RI FREQ=  1.000 MHZ, TV FREQ=  75.000 MHZ, WIND VEL.(OZ)= 1.000 M/SEC, GROUND CONDUCTIVITY =  10.0"
                   " MMHOS/M");
  EXPECT_EQ(m[17], " E-FIELD TRANSDUCER HT.=  1.0M, B-FIELD TRANSDUCER HT.=  1.0M");
  Problem english = small_line(1);
  const auto e = records(run_report(english).print);
  EXPECT_EQ(e[16], " RI FREQ=  1.000 MHZ, TV FREQ=  75.000 MHZ, WIND VEL.(OZ)= 2.237 MPH, GROUND CONDUCTIVITY =  10.0"
                   " MMHOS/M");
  EXPECT_EQ(e[17], " E-FIELD TRANSDUCER HT.=  3.3FT, B-FIELD TRANSDUCER HT.=  3.3FT");
}

// The values of one point as the routines give them with the settings of
// each call, computed here independently of the report.
std::vector<float> point_values(const Problem& base, int j) {
  Problem p = base;
  Inputs& in = p.inputs;
  Outputs& out = p.outputs;
  const RunData& run = p.run;
  in.xpoint = run.latpts[j];
  std::vector<float> v;
  in.rainflag = true;
  in.evalht = run.anheight;
  ztaudio(in, out);
  v.push_back(out.audible.anl50);
  in.rainflag = false;
  ztaudio(in, out);
  v.push_back(out.audible.anl50);
  in.rainflag = true;
  in.evalht = run.riheight;
  in.evalfreq = run.rifreq;
  ztradio(in, out);
  v.push_back(out.radio.ril50);
  in.rainflag = false;
  ztradio(in, out);
  v.push_back(out.radio.ril50);
  in.evalht = run.tvheight;
  in.evalfreq = run.tvfreq;
  zttv(in, out);
  v.push_back(out.tv.tvl50);
  in.evalht = run.ozheight;
  ztozone(in, out);
  v.push_back(out.ozone.ozppb);
  in.evalht = run.efheight;
  ztelefld(in, out);
  v.push_back(out.electric.efmax);
  in.evalht = run.mfheight;
  ztmagfld(in, out);
  v.push_back(out.magnetic.mfmax);
  return v;
}

TEST(CombinedReport, EachValueFromItsOwnCallSettings) {
  Problem p = small_line();
  // Distinct heights and frequencies, so a value taken with another
  // call's settings shows.
  p.run.anheight = 1.5f;
  p.run.riheight = 2.5f;
  p.run.tvheight = 9.0f;
  p.run.ozheight = 3.0f;
  p.run.efheight = 1.0f;
  p.run.mfheight = 2.0f;
  const Problem base = p;
  const auto table = report_test::read_dif(run_report(p).dif);
  ASSERT_EQ(table.rows.size(), 21u);
  for (int j = 0; j < 21; ++j) {
    const auto expected = point_values(base, j);
    ASSERT_EQ(table.rows[j].size(), 9u);
    EXPECT_EQ(static_cast<float>(table.rows[j][0]), base.run.latpts[j]);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(static_cast<float>(table.rows[j][k + 1]), expected[k]) << j << " " << k;
  }
  // Rain and fair differ only through the weather flag.
  EXPECT_NE(table.rows[10][1], table.rows[10][2]);
  EXPECT_NE(table.rows[10][3], table.rows[10][4]);
}

TEST(CombinedReport, DifReadBackMatchesPrintColumns) {
  for (integer units : {integer{0}, integer{1}}) {
    Problem p = small_line(units);
    const Outcome r = run_report(p);
    const auto lines = records(r.print);
    const auto table = report_test::read_dif(r.dif);
    EXPECT_EQ(table.vectors, 9);
    EXPECT_EQ(table.tuples, 21);
    ASSERT_EQ(table.rows.size(), 21u);
    const int first = first_point_record(5);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(first + 21));
    struct Column {
      int first, last;
      const char* spec;
    };
    const Column columns[] = {{1, 10, "(F10.1)"}, {15, 24, "(F10.1)"}, {25, 33, "(F9.1)"},
                              {34, 43, "(F10.1)"}, {44, 52, "(F9.1)"},  {60, 68, "(F9.1)"},
                              {78, 87, "(F10.6)"}, {97, 106, "(F10.3)"}, {111, 118, "(F8.5)"}};
    for (int j = 0; j < 21; ++j) {
      const std::string& line = lines[static_cast<std::size_t>(first + j)];
      ASSERT_EQ(line.size(), 118u);
      ASSERT_EQ(table.rows[j].size(), 9u);
      for (int k = 0; k < 9; ++k) {
        const Column& c = columns[k];
        const float value = static_cast<float>(table.rows[j][k]);
        EXPECT_EQ(field(line, c.first, c.last), record::render(c.spec, {value})[0])
            << "units " << units << " point " << j << " column " << k;
      }
    }
  }
}

TEST(CombinedReport, EnglishDistanceInFeetOtherVectorsUnconverted) {
  Problem metric = small_line(0);
  Problem english = small_line(1);
  const auto m = report_test::read_dif(run_report(metric).dif);
  const auto e = report_test::read_dif(run_report(english).dif);
  ASSERT_EQ(m.rows.size(), e.rows.size());
  for (std::size_t j = 0; j < m.rows.size(); ++j) {
    EXPECT_EQ(static_cast<float>(e.rows[j][0]), static_cast<float>(m.rows[j][0]) / 0.3048f);
    for (int k = 1; k < 9; ++k) EXPECT_EQ(e.rows[j][k], m.rows[j][k]) << j << " " << k;
  }
  // -50 m prints as -164.0 ft.
  EXPECT_EQ(records(run_report(english).print)[first_point_record(5)].substr(0, 10), "    -164.0");
  // Any other non-zero units value prints feet but keeps the table in metres,
  // as the DIF distance is converted for English input only.
  Problem other = small_line(2);
  const Outcome r = run_report(other);
  EXPECT_EQ(records(r.print)[first_point_record(5)].substr(0, 10), "    -164.0");
  EXPECT_EQ(report_test::read_dif(r.dif).rows[0][0], -50.0);
}

TEST(CombinedReport, RecordCounts) {
  for (int n : {0, 1, 7, 100}) {
    Problem p = small_line();
    p.run.npoints = static_cast<integer>(n);
    for (int j = 0; j < n; ++j) p.run.latpts[j] = static_cast<real>(j) - 50.0f;
    const Outcome r = run_report(p);
    EXPECT_EQ(records(r.dif).size(), static_cast<std::size_t>(12 + 20 * n + 2)) << n;
    EXPECT_EQ(records(r.print).size(), static_cast<std::size_t>(first_point_record(5) + n)) << n;
  }
}

// Counts outside the arrays (a faulty data file) index nothing beyond
// them, and the DIF header counts the tuples actually written.
TEST(CombinedReport, CountsOutsideTheArraysStayWithinThem) {
  struct Case {
    integer ncond, nphases, npoints;
    int groups_listed, tuples;
  };
  const Case cases[] = {
      {60, 3, 21, 50, 21}, {5, 3, 150, 5, 100}, {-2, 3, 21, 0, 21},
      {5, 3, -4, 5, 0},    {3, 5, 2, 3, 2},     {-32768, -32768, -32768, 0, 0},
  };
  for (const Case& c : cases) {
    Problem p = small_line();
    p.run.ncond = c.ncond;
    p.inputs.nphases = c.nphases;
    p.run.npoints = c.npoints;
    const Outcome r = run_report(p);
    const auto dif = report_test::read_dif(r.dif);
    EXPECT_EQ(dif.tuples, c.tuples) << c.ncond << " " << c.npoints;
    EXPECT_EQ(dif.rows.size(), static_cast<std::size_t>(c.tuples));
    EXPECT_EQ(records(r.print).size(), static_cast<std::size_t>(first_point_record(c.groups_listed) + c.tuples));
  }
}

TEST(CombinedReport, EveryTupleCompleteBeforeItsPrintLine) {
  // Both channels into one text, in the order of the writes.
  Problem p = small_line();
  p.run.npoints = 2;
  std::string both, console;
  auto print = record::Writer::to_string(&both);
  auto dif = record::Writer::to_string(&both);
  auto con = record::Writer::to_string(&console);
  print_combined_report(p, print, dif, con);
  const auto recs = records(both);
  const int page = first_point_record(5);
  ASSERT_EQ(recs.size(), static_cast<std::size_t>(12 + page + 2 * 21 + 2));
  EXPECT_EQ(recs[0], "TABLE");
  EXPECT_EQ(recs[12].substr(0, 9), "1COMBINED");
  for (int j = 0; j < 2; ++j) {
    const std::size_t tuple = static_cast<std::size_t>(12 + page + 21 * j);
    EXPECT_EQ(recs[tuple], "-1,0");
    EXPECT_EQ(recs[tuple + 1], "BOT");
    EXPECT_EQ(recs[tuple + 19], "V");
    EXPECT_EQ(recs[tuple + 20].size(), 118u);
  }
  EXPECT_EQ(recs[recs.size() - 1], "EOD");
}

}  // namespace

namespace {

// The combined report takes the audible noise and field values the pages
// kept instead of calling the routines again. After the pages have run in
// the driver's order (each leaving the point, the height, the frequency
// and the weather as it ends), the page and the DIF file must be those of
// the report calling every routine itself, byte for byte.
TEST(CombinedReport, PagesValuesGiveTheSameReportAsItsOwnCalls) {
  struct Case {
    const char* name;
    Problem problem;
  };
  std::vector<Case> cases = {{"flat line", small_line()}, {"flat line, English", small_line(1)},
                             {"hybrid line", support::hybrid_line()}};
  for (Case& c : cases) {
    Inputs& in = c.problem.inputs;
    // Charges of the groups' own phasors, so that the fields are not zero.
    for (int i = 0; i < all_groups(in); ++i) {
      in.qreal[i] = 1e-8f * in.volts[i] * std::cos(in.phangle[i] * 0.017453292f);
      in.qimag[i] = 1e-8f * in.volts[i] * std::sin(in.phangle[i] * 0.017453292f);
    }
    Problem own = c.problem;
    const Outcome alone = run_report(own);

    Outcome after_pages;
    auto print = record::Writer::to_string(&after_pages.print);
    auto dif = record::Writer::to_string(&after_pages.dif);
    auto console = record::Writer::to_string(&after_pages.console);
    std::string pages_text;
    auto pages_print = record::Writer::to_string(&pages_text);
    PageValues values;
    print_audible_noise_report(c.problem, pages_print, console, &values);
    print_radio_report(c.problem, pages_print, console);
    print_tv_report(c.problem, pages_print, console);
    print_ozone_report(c.problem, pages_print, console);
    print_electric_field_report(c.problem, pages_print, console, &values);
    print_magnetic_field_report(c.problem, pages_print, console, &values);
    const std::size_t points = static_cast<std::size_t>(lateral_points(c.problem.run));
    for (const auto* list : {&values.an_rain, &values.an_fair, &values.electric, &values.magnetic})
      EXPECT_EQ(list->size(), points) << c.name;
    print_combined_report(c.problem, print, dif, console, &values);
    EXPECT_EQ(after_pages.print, alone.print) << c.name;
    EXPECT_EQ(after_pages.dif, alone.dif) << c.name;
  }
}

}  // namespace
