#include "corona/tv.hpp"
#include "reports/pages.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bundle_line.hpp"
#include "page_text.hpp"

namespace {

TvResults run(const Inputs& line, real frequency) {
  Inputs inputs = line;
  inputs.evalfreq = frequency;
  Outputs outputs;
  zttv(inputs, outputs);
  return outputs.tv;
}

// One AC bundle 15 m up, antenna 10 m up at 30 m, 75 MHz: R = 30.41 m,
// Rc = 450 m.
TEST(Tv, ReferenceCase) {
  const TvResults tv = run(line_of({{true, 3, 30, 17}}, 10.0f, 30.0f), 75.0f);
  EXPECT_NEAR(tv.tvcond[0], 18.01f, 0.005f);
  EXPECT_NEAR(tv.tvl50, 18.01f, 0.005f);
}

TEST(Tv, DcBundlesAreNotModelled) {
  const Inputs all_dc = line_of({{false, 2, 40, 20}, {false, 2, 40, -20}}, 10.0f, 30.0f);
  Inputs no_groups = all_dc;
  no_groups.nphases = 0;
  Inputs negative_count = all_dc;
  negative_count.nphases = -5;
  for (const real frequency : tvfreqtab) {
    const TvResults tv = run(all_dc, frequency);
    EXPECT_EQ(tv.tvl50, -999.9f);
    EXPECT_EQ(tv.tvcond[0], -999.9f);
    EXPECT_EQ(tv.tvcond[1], -999.9f);
    EXPECT_EQ(run(no_groups, frequency).tvl50, -999.9f);
    EXPECT_EQ(run(negative_count, frequency).tvl50, -999.9f);
  }
  // An AC group beside a DC pole sets the line level.
  const TvResults mixed = run(line_of({{false, 2, 40, 20}, {true, 3, 30, 17}}, 10.0f, 30.0f), 75.0f);
  EXPECT_EQ(mixed.tvcond[0], -999.9f);
  EXPECT_EQ(mixed.tvl50, mixed.tvcond[1]);
}

// A bundle whose level at 61 m is exactly 10 dB at 75 MHz, with antenna and
// bundle at the same height h, so that R = |x| and Rc = 3 h squared. The
// level less 10 dB is the distance correction.
real correction(real h, real x) {
  return run(line_of({{true, 1, 30.4f, 16.3f, 0.0f, h}}, h, x), 75.0f).tvl50 - 10.0f;
}

TEST(Tv, DistanceLaw) {
  struct Case {
    std::string name;
    real h, x;
    double expected;
  };
  const double rc_5 = 75.0, rc_4 = 48.0;
  const Case cases[] = {
      {"Rc>61, R=61", 15.0f, 61.0f, 0.0},
      {"Rc>61, R<Rc", 15.0f, 30.5f, 20.0 * std::log10(2.0)},
      {"Rc>61, R>Rc", 5.0f, 150.0f, 20.0 * std::log10(61.0 / rc_5) + 40.0 * std::log10(rc_5 / 150.0)},
      {"Rc<61, R<Rc", 4.0f, 24.0f, 40.0 * std::log10(61.0 / rc_4) + 20.0 * std::log10(rc_4 / 24.0)},
      {"Rc<61, R>Rc", 4.0f, 122.0f, 40.0 * std::log10(0.5)},
      {"Rc=61, R<61", std::sqrt(61.0f / 3.0f), 30.5f, 20.0 * std::log10(2.0)},
      {"Rc=61, R>61", std::sqrt(61.0f / 3.0f), 122.0f, 40.0 * std::log10(0.5)},
  };
  for (const Case& c : cases) EXPECT_NEAR(correction(c.h, c.x), c.expected, 2e-3) << c.name;
}

// 20 dB per decade inside the transition distance, 40 beyond, and no step
// where the two laws meet.
TEST(Tv, DistanceLawSlopesAndContinuity) {
  for (const real h : {4.0f, 5.0f, 15.0f}) {
    const real rc = 3.0f * h * h;
    EXPECT_NEAR(correction(h, rc / 4.0f) - correction(h, rc / 2.0f), 20.0 * std::log10(2.0), 2e-3) << h;
    EXPECT_NEAR(correction(h, rc * 2.0f) - correction(h, rc * 4.0f), 40.0 * std::log10(2.0), 2e-3) << h;
    EXPECT_NEAR(correction(h, rc * 0.99999f), correction(h, rc * 1.00001f), 0.01) << h;
  }
}

TEST(Tv, FrequencyTerm) {
  struct Case {
    real frequency;
    double expected;
  };
  // Antenna far up, so that Rc exceeds R at every frequency: only the
  // frequency term changes with f.
  const Inputs line = line_of({{true, 1, 30.4f, 16.3f, 0.0f, 15.0f}}, 15.0f, 61.0f);
  for (const Case& c : {Case{30.0f, 20.0 * std::log10(2.5)}, Case{75.0f, 0.0}, Case{1000.0f, -22.5}}) {
    EXPECT_NEAR(run(line, c.frequency).tvl50 - 10.0f, c.expected, 0.01) << c.frequency;
  }
}

// ---- The television interference page ----

TEST(TvPage, Layout) {
  struct Case {
    std::string name;
    Inputs line;
    integer units;
  };
  const Case cases[] = {
      {"AC and DC", line_of({{true, 3, 30, 17, -12.0f}, {false, 2, 40, 20, 12.0f}}, 0.0f, 0.0f), 0},
      {"all DC", line_of({{false, 2, 40, 20, -12.0f}, {false, 2, 40, -20, 12.0f}}, 0.0f, 0.0f), 0},
      {"English", line_of({{true, 3, 30, 17}}, 0.0f, 0.0f), 1},
  };
  for (const Case& c : cases) {
    Problem problem;
    set_initial_values(problem);
    problem.inputs = c.line;
    problem.run.units = c.units;
    problem.run.distunit = c.units == 0 ? "MTRS" : "FEET";
    problem.run.tvheight = 10.0f;
    problem.run.npoints = 2;
    problem.run.latpts[0] = -30.48f;
    problem.run.latpts[1] = 45.0f;

    std::string print_text, console_text;
    {
      record::Writer print = record::Writer::to_string(&print_text);
      record::Writer console = record::Writer::to_string(&console_text);
      print_tv_report(problem, print, console);
    }
    EXPECT_EQ(console_text, " TV INTERFERENCE REPORT\r\n");

    const std::vector<real> frequencies(tvfreqtab.begin(), tvfreqtab.end());
    std::vector<std::string> expected{"1TVI CALCULATIONS, QP DETECTOR, STODDART NM30A METER",
                                      "",
                                      " NOTE: A -999.9 APPEARS FOR DC BUNDLES.",
                                      blanks(48) + "* * * * * L50 * * * * *",
                                      "  DIST FROM" + blanks(37) + "* * * * * FREQUENCY, MHZ * * * * *",
                                      "  REFERENCE",
                                      blanks(9) + f_fields(frequencies, 9, 3),
                                      std::string("   (") + (c.units == 0 ? "MTRS" : "FEET") + ")DBUV/M",
                                      ""};
    for (int j = 0; j < 2; ++j) {
      // (9F9.1): the distance, then the line level at each frequency.
      Inputs inputs = c.line;
      inputs.evalht = 10.0f;
      inputs.xpoint = problem.run.latpts[j];
      std::vector<real> values{c.units == 0 ? inputs.xpoint : inputs.xpoint / 0.3048f};
      for (const real f : tvfreqtab) {
        inputs.evalfreq = f;
        Outputs outputs;
        zttv(inputs, outputs);
        values.push_back(outputs.tv.tvl50);
      }
      expected.push_back(f_fields(values, 9, 1));
    }
    const std::vector<std::string> got = support::records(print_text);
    ASSERT_EQ(got.size(), expected.size()) << c.name;
    for (std::size_t r = 0; r < got.size(); ++r) EXPECT_EQ(got[r], expected[r]) << c.name << ", record " << r + 1;
    if (c.name == "all DC") {
      std::string marked = "    -30.5";
      for (int k = 0; k < 8; ++k) marked += "   -999.9";
      EXPECT_EQ(got.at(9), marked);
    }

    EXPECT_TRUE(problem.inputs.rainflag);
    EXPECT_EQ(problem.inputs.evalht, 10.0f);
    EXPECT_EQ(problem.inputs.evalfreq, 1000.0f);
  }
}

}  // namespace
