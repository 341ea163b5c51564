#include "corona/radio.hpp"
#include "reports/pages.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bundle_line.hpp"
#include "page_text.hpp"

namespace {

constexpr real antenna = 2.0f;
constexpr real point = 30.0f;

RadioResults run(Inputs inputs, bool rain, real frequency = 1.0f) {
  inputs.rainflag = rain;
  inputs.evalfreq = frequency;
  Outputs outputs;
  ztradio(inputs, outputs);
  return outputs.radio;
}

// One AC bundle 15 m up, antenna 2 m up at 30 m (R = 32.70 m, beyond the
// limit distance), 1 MHz over ground of conductivity 4.
TEST(Radio, ReferenceCase) {
  const Inputs line = line_of({{true, 3, 30, 17}}, antenna, point);
  const RadioResults rain = run(line, true);
  EXPECT_NEAR(rain.ricond[0], 60.96f, 0.005f);
  EXPECT_NEAR(rain.ril50, 53.96f, 0.005f);
  const RadioResults fair = run(line, false);
  EXPECT_NEAR(fair.ricond[0], 36.96f, 0.005f);
  EXPECT_NEAR(fair.ril50, 36.96f, 0.005f);
}

TEST(Radio, NoGroups) {
  for (const integer nphases : {integer{0}, integer{-1}}) {
    Inputs line = line_of({{true, 3, 30, 17}}, antenna, point);
    line.nphases = nphases;
    EXPECT_EQ(run(line, false).ril50, -9999.0f);
    EXPECT_EQ(run(line, true).ril50, -10006.0f);
  }
}

// Group level in fair weather less group level in rain; the line level in
// rain carries 7 dB more.
TEST(Radio, WeatherOffsets) {
  struct Case {
    Bundle bundle;
    real fair_minus_rain;
  };
  for (const Case& c : {Case{{true, 1, 30, 17}, -24.0f}, Case{{false, 1, 40, 20}, 6.0f},
                        Case{{false, 1, 40, -20}, 6.0f}}) {
    const Inputs line = line_of({c.bundle}, antenna, point);
    const RadioResults rain = run(line, true);
    const RadioResults fair = run(line, false);
    EXPECT_NEAR(fair.ricond[0] - rain.ricond[0], c.fair_minus_rain, 1e-4f);
    EXPECT_NEAR(fair.ril50 - rain.ril50, c.fair_minus_rain + 7.0f, 1e-4f);
  }
}

// A negative pole is 4 dB below a positive pole of the same bundle, at
// every frequency and in both weathers.
TEST(Radio, NegativePoleOffset) {
  for (const real frequency : freqtab) {
    for (const bool rain : {true, false}) {
      const real positive = run(line_of({{false, 2, 40, 20}}, antenna, point), rain, frequency).ricond[0];
      const real negative = run(line_of({{false, 2, 40, -20}}, antenna, point), rain, frequency).ricond[0];
      EXPECT_NEAR(positive - negative, 4.0f, 1e-3f) << frequency << (rain ? " rain" : " fair");
    }
  }
}

// The line level is the loudest group, whatever the order, and groups
// whose level is not a number or minus infinity never win.
TEST(Radio, LineLevelIsLoudestGroup) {
  const Bundle loud{true, 1, 30, 17};
  const Bundle weak{true, 1, 30, 15, 10.0f, 15.0f};
  const Bundle silent{true, 1, 30, 0};
  const Bundle undefined{true, 1, 30, -17};
  const real alone = run(line_of({loud}, antenna, point), false).ril50;
  for (const Inputs& line : {line_of({loud, weak}, antenna, point), line_of({weak, loud}, antenna, point),
                             line_of({undefined, loud, silent}, antenna, point),
                             line_of({silent, loud, undefined}, antenna, point)}) {
    EXPECT_EQ(run(line, false).ril50, alone);
  }
  const RadioResults degenerate = run(line_of({undefined, silent}, antenna, point), false);
  EXPECT_TRUE(std::isnan(degenerate.ricond[0]));
  EXPECT_EQ(degenerate.ricond[1], -std::numeric_limits<real>::infinity());
  EXPECT_EQ(degenerate.ril50, -9999.0f);
}

// Beyond the limit distance the direct term falls with the square of the
// distance, like the other two far out: 40 dB per decade, not 20.
TEST(Radio, FarFieldFallsFortyDecibelsPerDecade) {
  const Inputs near = line_of({{true, 1, 30, 17}}, antenna, 1000.0f);
  const Inputs far = line_of({{true, 1, 30, 17}}, antenna, 10000.0f);
  EXPECT_NEAR(run(far, false, 20.0f).ricond[0] - run(near, false, 20.0f).ricond[0], -40.0f, 1.0f);
}

// Ground of no conductivity is the limit of ever poorer ground: the ground
// wave dies out and the levels are those of a conductivity so small that
// the attenuation is already 0, not -9999 markers.
TEST(Radio, GroundOfNoConductivityIsTheLimitOfPoorGround) {
  for (const real frequency : freqtab) {
    for (const bool rain : {true, false}) {
      for (const real x : {0.0f, 30.0f, -50.0f}) {
        Inputs poor = line_of({{true, 3, 30, 17}, {false, 2, 40, -20}}, antenna, x);
        poor.gndcond = 1e-30f;
        const RadioResults limit = run(poor, rain, frequency);
        for (const real none : {0.0f, -0.0f}) {
          Inputs line = poor;
          line.gndcond = none;
          const RadioResults r = run(line, rain, frequency);
          EXPECT_TRUE(std::isfinite(r.ril50)) << frequency << " MHz at " << x;
          EXPECT_EQ(r.ril50, limit.ril50) << frequency << " MHz at " << x;
          EXPECT_EQ(r.ricond[0], limit.ricond[0]);
          EXPECT_EQ(r.ricond[1], limit.ricond[1]);
        }
        // Poor ground carries less than good ground.
        EXPECT_LT(limit.ril50, run(line_of({{true, 3, 30, 17}, {false, 2, 40, -20}}, antenna, x), rain, frequency).ril50);
      }
    }
  }
}

// ---- The radio interference pages ----

TEST(RadioPages, Layout) {
  for (const integer units : {integer{0}, integer{1}}) {
    Problem problem;
    set_initial_values(problem);
    problem.inputs = line_of({{true, 3, 30, 17, -12.0f}, {false, 2, 40, -20, 12.0f}}, 0.0f, 0.0f);
    problem.run.units = units;
    problem.run.distunit = units == 0 ? "MTRS" : "FEET";
    problem.run.riheight = 2.0f;
    problem.run.npoints = 2;
    problem.run.latpts[0] = -30.48f;
    problem.run.latpts[1] = 45.0f;
    const Inputs reference = problem.inputs;

    std::string print_text, console_text;
    {
      record::Writer print = record::Writer::to_string(&print_text);
      record::Writer console = record::Writer::to_string(&console_text);
      print_radio_report(problem, print, console);
    }
    EXPECT_EQ(console_text, " RADIO INTERFERENCE REPORT\r\n");

    // (...,9X,13F9.3,/,3X,'(',A4,')',13(5X,'(DB)'),/)
    std::string units_line = std::string("   (") + (units == 0 ? "MTRS" : "FEET") + ")";
    for (int k = 0; k < 13; ++k) units_line += blanks(5) + "(DB)";
    const std::vector<real> frequencies(freqtab.begin(), freqtab.end());

    std::vector<std::string> expected;
    for (const bool rain : {true, false}) {
      expected.push_back(std::string("1RADIO NOISE CALCULATION - 5KHZ BAND WIDTH - ") + (rain ? "RAIN" : "FAIR"));
      expected.insert(expected.end(), {"", "", blanks(48) + "* * * * * L50 * * * * *",
                                       "  DIST FROM" + blanks(37) + "* * * * * FREQUENCY, MHZ * * * * *",
                                       "  REFERENCE", blanks(9) + f_fields(frequencies, 9, 3), units_line, ""});
      for (int j = 0; j < 2; ++j) {
        // (14F9.1): the distance, then the line level at each frequency.
        Inputs inputs = reference;
        inputs.rainflag = rain;
        inputs.evalht = 2.0f;
        inputs.xpoint = problem.run.latpts[j];
        std::vector<real> values{units == 0 ? inputs.xpoint : inputs.xpoint / 0.3048f};
        for (const real f : freqtab) {
          inputs.evalfreq = f;
          Outputs outputs;
          ztradio(inputs, outputs);
          values.push_back(outputs.radio.ril50);
        }
        expected.push_back(f_fields(values, 9, 1));
      }
    }
    const std::vector<std::string> got = support::records(print_text);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t r = 0; r < got.size(); ++r)
      EXPECT_EQ(got[r], expected[r]) << "units " << units << ", record " << r + 1;
    // The first point, 100 ft out, prints in feet again.
    if (units == 1) {
      EXPECT_EQ(got.at(9).substr(0, 9), "   -100.0");
    }

    EXPECT_FALSE(problem.inputs.rainflag);
    EXPECT_EQ(problem.inputs.evalht, 2.0f);
    EXPECT_EQ(problem.inputs.evalfreq, 20.0f);
  }
}

}  // namespace
