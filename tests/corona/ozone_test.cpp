#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "corona/ozone.hpp"
#include "corona/ozone_terms.hpp"

namespace {

struct Bundle {
  bool ac = true;
  integer nsub = 1;
  real subdiam = 30, gradient = 17, volts = 289, xcond = 0, ycond = 15;
};

void put(Inputs& in, int i, const Bundle& b) {
  in.acflag[i] = b.ac;
  in.nsub[i] = b.nsub;
  in.subdiam[i] = b.subdiam;
  in.gradient[i] = b.gradient;
  in.volts[i] = b.volts;
  in.xcond[i] = b.xcond;
  in.ycond[i] = b.ycond;
}

// One AC bundle of three 30 mm subconductors at 17 kV/cm, 289 kV, 15 m
// high, in 1 mm/hr of rain and a 2 m/s wind at sea level.
Inputs reference_line() {
  Inputs in;
  in.nphases = 1;
  in.rainrate = 1;
  in.wind = 2;
  in.altitude = 0;
  put(in, 0, Bundle{true, 3, 30, 17, 289, 0, 15});
  return in;
}

TEST(Ozone, ReferenceLine) {
  Inputs in = reference_line();
  in.xpoint = 30;
  in.evalht = 0;
  Outputs out;
  ztozone(in, out);

  const real b = ozone_terms::rain_term(in.rainrate);
  EXPECT_NEAR(b, -2.24f, 0.005f);
  EXPECT_NEAR(ozone_terms::loss_db(in, 0, b), 4.76f, 0.005f);
  EXPECT_NEAR(out.ozone.clcond[0], 3.00f, 0.005f);
  EXPECT_NEAR(out.ozone.ozprod[0], 1.306e-9f, 0.0005e-9f);
  const real sigma = ozone_terms::plume_sigma(30, 15, 2);
  EXPECT_NEAR(sigma, 11.23f, 0.005f);
  EXPECT_NEAR(out.ozone.ozppb, 0.00888f, 0.000005f);

  // At ground level the bundle and its image are equally far: two equal terms.
  const double c = out.ozone.ozprod[0] / (2.0 * sigma * std::sqrt(2 * std::numbers::pi));
  const double one_term = c * std::exp(-(15.0 * 15.0) / (2.0 * sigma * sigma));
  EXPECT_NEAR(out.ozone.ozconc[0], 2 * one_term, 2 * one_term * 1e-5);
  EXPECT_FLOAT_EQ(out.ozone.ozppb, out.ozone.ozconc[0] * 4.67e8f);
}

TEST(Ozone, RainTermOverItsThreeRanges) {
  struct Case {
    real rate, term, tolerance;
  };
  const Case cases[] = {
      {-1.0f, 1.676f, 0},        // no rain: the fair-weather value
      {0.0f, 1.676f, 0},
      {1.0f, -2.2427f, 1e-4f},
      {1.676f, 0.0f, 1e-6f},     // the rate that the middle range is scaled by
      {3.6f, 3.3203f, 1e-4f},    // still the middle range
      {3.6001f, 3.3000f, 1e-4f}, // the upper range starts at 3.3
      {25.4f, 6.2699f, 1e-4f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    EXPECT_NEAR(ozone_terms::rain_term(c.rate), c.term, c.tolerance);
  }
  // Crossing 3.6 drops the term by about 0.02 dB.
  EXPECT_NEAR(ozone_terms::rain_term(3.6f) - ozone_terms::rain_term(std::nextafter(3.6f, 4.0f)), 0.0203f, 1e-3f);
}

TEST(Ozone, LossInDecibels) {
  // At a rain rate of 1.676 mm/hr the rain term is 0, so a bundle of the
  // base diameter and gradient shows the bundle-size term alone.
  struct Case {
    const char* what;
    Bundle bundle;
    real altitude, loss_db;
  };
  const Case cases[] = {
      {"AC 1 subconductor, K 13", {true, 1, 35.1f, 18.8f, 100, 0, 10}, 0, 6.3732f},
      {"AC 3 subconductors, K 13", {true, 3, 35.1f, 18.8f, 100, 0, 10}, 0, 12.5758f},
      {"AC 4 subconductors, K 13, log term 0", {true, 4, 35.1f, 18.8f, 100, 0, 10}, 0, 14.2f},
      {"AC 5 subconductors, K 19", {true, 5, 35.1f, 18.8f, 100, 0, 10}, 0, 16.0413f},
      {"AC 6 subconductors, K 19", {true, 6, 35.1f, 18.8f, 100, 0, 10}, 0, 17.5457f},
      {"AC at 300 m altitude", {true, 4, 35.1f, 18.8f, 100, 0, 10}, 300, 15.2f},
      {"AC diameter and gradient", {true, 4, 30, 17, 100, 0, 10}, 0, 8.6315f},
      {"DC base bundle", {false, 6, 40.7f, 25, 400, 0, 10}, 0, 13.9f},
      {"DC negative pole, |g| taken", {false, 6, 40.7f, -25, -400, 0, 10}, 0, 13.9f},
      {"DC gradient enters linearly", {false, 6, 40.7f, 35, 400, 0, 10}, 0, 21.2f},
      {"DC gradient below 25", {false, 6, 40.7f, 15, 400, 0, 10}, 0, 6.6f},
      {"DC single conductor", {false, 1, 40.7f, 25, 400, 0, 10}, 0, 7.6748f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Inputs in;
    in.nphases = 1;
    in.rainrate = 1.676f;
    in.altitude = c.altitude;
    put(in, 0, c.bundle);
    const real b = ozone_terms::rain_term(in.rainrate);
    EXPECT_NEAR(ozone_terms::loss_db(in, 0, b), c.loss_db, 1e-4f);
    Outputs out;
    ztozone(in, out);
    EXPECT_NEAR(out.ozone.clcond[0], std::pow(10.0f, c.loss_db / 10), 1e-4f * out.ozone.clcond[0]);
  }
}

TEST(Ozone, FairWeatherOnlyAtExactlyNoRain) {
  // The same rain term with and without rain: the fair-weather offset is
  // keyed to a rain rate of exactly 0.
  struct Case {
    bool ac;
    real offset;
  };
  for (const Case c : {Case{true, 17}, Case{false, 5}}) {
    SCOPED_TRACE(c.ac ? "AC" : "DC");
    Inputs in;
    in.nphases = 1;
    put(in, 0, Bundle{c.ac, 4, 30, 20, 300, 0, 12});
    in.rainrate = 0;
    const real fair = ozone_terms::loss_db(in, 0, 1.676f);
    in.rainrate = 0.001f;
    const real wet = ozone_terms::loss_db(in, 0, 1.676f);
    EXPECT_NEAR(wet - fair, c.offset, 1e-5f);
    in.rainrate = -0.5f;  // no rain, but not exactly 0: no offset
    EXPECT_EQ(ozone_terms::loss_db(in, 0, 1.676f), wet);
  }
  // End to end: base AC bundle, no rain: 14.2 + 1.676 - 17 dB.
  Inputs in;
  in.nphases = 1;
  put(in, 0, Bundle{true, 4, 35.1f, 18.8f, 100, 0, 10});
  Outputs out;
  ztozone(in, out);
  EXPECT_NEAR(out.ozone.clcond[0], 0.77197f, 1e-4f);
}

TEST(Ozone, ProductionByKindAndPolarity) {
  Inputs in;
  in.nphases = 4;
  in.rainrate = 2;
  put(in, 0, Bundle{false, 2, 30, 22, 400, -10, 12});
  put(in, 1, Bundle{false, 2, 30, -22, -400, 10, 12});
  put(in, 2, Bundle{false, 2, 30, 22, 0, 20, 12});
  put(in, 3, Bundle{true, 2, 30, 22, 200, 30, 12});
  Outputs out;
  ztozone(in, out);
  const auto& oz = out.ozone;
  EXPECT_EQ(oz.clcond[0], oz.clcond[1]);
  EXPECT_EQ(oz.clcond[0], oz.clcond[2]);
  EXPECT_NEAR(oz.ozprod[1] / oz.ozprod[0], 1.26e-9f / 3.8e-10f, 1e-5f);
  EXPECT_FLOAT_EQ(oz.ozprod[0], oz.clcond[0] * 3.8e-10f);
  EXPECT_FLOAT_EQ(oz.ozprod[2], oz.ozprod[0]);  // zero voltage counts as positive
  EXPECT_FLOAT_EQ(oz.ozprod[3], (22.0f / 200) * (22.0f / 200) * oz.clcond[3] * 1.26e-7f);
  EXPECT_EQ(in.gradient[1], -22);
}

TEST(Ozone, PlumeReachesOnlyDownwindFromQuarterMetre) {
  struct Case {
    real xpoint;
    bool reached;
  };
  // The bundle stands at 10 m; the wind blows towards larger coordinates.
  const Case cases[] = {{-50, false}, {9.9f, false}, {10, false}, {10.24f, false},
                        {10.25f, true}, {11, true},   {200, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xpoint);
    Inputs in = reference_line();
    in.xcond[0] = 10;
    in.ycond[0] = 1;
    in.evalht = 1;
    in.xpoint = c.xpoint;
    Outputs out;
    out.ozone.ozconc[0] = 99;
    ztozone(in, out);
    EXPECT_EQ(out.ozone.ozconc[0] > 0, c.reached);
    EXPECT_EQ(out.ozone.ozppb > 0, c.reached);
    if (!c.reached) {
      EXPECT_EQ(out.ozone.ozconc[0], 0);
      EXPECT_EQ(out.ozone.ozppb, 0);
    }
  }
}

TEST(Ozone, ConcentrationAddsGroupsAndConvertsTheTotalOnly) {
  Inputs in = reference_line();
  in.nphases = 2;
  put(in, 1, Bundle{true, 3, 30, 17, 289, 5, 15});
  in.xpoint = 40;
  in.evalht = 2;
  Outputs out;
  ztozone(in, out);
  EXPECT_GT(out.ozone.ozconc[0], out.ozone.ozconc[1]);  // further downwind: wider, lower-lying plume
  EXPECT_LT(out.ozone.ozconc[0], 1e-9f);                  // kg/m3, not ppb
  EXPECT_FLOAT_EQ(out.ozone.ozppb, (out.ozone.ozconc[0] + out.ozone.ozconc[1]) * 4.67e8f);
}

TEST(Ozone, NoWindGivesNotANumberWithoutFailing) {
  Inputs in = reference_line();
  in.wind = 0;
  in.xpoint = 30;
  Outputs out;
  ztozone(in, out);
  EXPECT_NEAR(out.ozone.clcond[0], 3.00f, 0.005f);
  EXPECT_TRUE(std::isnan(out.ozone.ozconc[0]));
  EXPECT_TRUE(std::isnan(out.ozone.ozppb));
  in.xpoint = -30;  // nothing downwind: nothing to spread
  ztozone(in, out);
  EXPECT_EQ(out.ozone.ozppb, 0);
}

TEST(Ozone, WritesOnlyItsRegionAndTheEnergizedGroups) {
  struct Case {
    integer nphases;
    int written;
  };
  const Case cases[] = {{0, 0}, {-3, 0}, {2, 2}, {max_groups, max_groups}, {60, max_groups}};
  const real mark = 123.5f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nphases);
    Inputs in = reference_line();
    for (int i = 0; i < max_groups; ++i) put(in, i, Bundle{true, 3, 30, 17, 289, 0, 15});
    in.nphases = c.nphases;
    in.xpoint = 30;
    Outputs out;
    out.ozone.ozprod.fill(mark);
    out.ozone.ozconc.fill(mark);
    out.ozone.clcond.fill(mark);
    out.tv.tvcond.fill(mark);
    out.electric.efmax = mark;
    ztozone(in, out);
    for (int i = 0; i < max_groups; ++i) {
      const bool written = i < c.written;
      EXPECT_EQ(out.ozone.clcond[i] != mark, written) << i;
      EXPECT_EQ(out.ozone.ozprod[i] != mark, written) << i;
      EXPECT_EQ(out.ozone.ozconc[i] != mark, written) << i;
    }
    EXPECT_EQ(out.tv.tvcond[max_groups - 1], mark);
    EXPECT_EQ(out.electric.efmax, mark);
    EXPECT_EQ(out.ozone.ozppb == 0, c.written == 0);
  }
}

}  // namespace
