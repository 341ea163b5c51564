#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "corona/ozone.hpp"
#include "reports/pages.hpp"
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
  // At 1.676 mm/hr the rain term is 0, so a bundle of the base diameter and
  // gradient shows the bundle-size term alone. With no rain the term is
  // 1.676 and the fair-weather offset applies at exactly 0 only.
  struct Case {
    const char* what;
    Bundle bundle;
    real rainrate, altitude, loss_db;
  };
  const Bundle ac_base{true, 4, 35.1f, 18.8f, 100, 0, 10}, dc_base{false, 6, 40.7f, 25, 400, 0, 10};
  const Case cases[] = {
      {"AC 1 subconductor, K 13", {true, 1, 35.1f, 18.8f, 100, 0, 10}, 1.676f, 0, 6.3732f},
      {"AC 3 subconductors, K 13", {true, 3, 35.1f, 18.8f, 100, 0, 10}, 1.676f, 0, 12.5758f},
      {"AC 4 subconductors, log term 0", ac_base, 1.676f, 0, 14.2f},
      {"AC 5 subconductors, K 19", {true, 5, 35.1f, 18.8f, 100, 0, 10}, 1.676f, 0, 16.0413f},
      {"AC 6 subconductors, K 19", {true, 6, 35.1f, 18.8f, 100, 0, 10}, 1.676f, 0, 17.5457f},
      {"AC at 300 m altitude", ac_base, 1.676f, 300, 15.2f},
      {"AC diameter and gradient", {true, 4, 30, 17, 100, 0, 10}, 1.676f, 0, 8.6315f},
      {"AC no rain: 1.676 - 17 dB", ac_base, 0, 0, -1.124f},
      {"AC negative rain: no offset", ac_base, -0.5f, 0, 15.876f},
      {"DC base bundle", dc_base, 1.676f, 0, 13.9f},
      {"DC negative pole, |g| taken", {false, 6, 40.7f, -25, -400, 0, 10}, 1.676f, 0, 13.9f},
      {"DC gradient enters linearly", {false, 6, 40.7f, 35, 400, 0, 10}, 1.676f, 0, 21.2f},
      {"DC gradient below 25", {false, 6, 40.7f, 15, 400, 0, 10}, 1.676f, 0, 6.6f},
      {"DC single conductor", {false, 1, 40.7f, 25, 400, 0, 10}, 1.676f, 0, 7.6748f},
      {"DC no rain: 1.676 - 5 dB", dc_base, 0, 0, 10.576f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Inputs in;
    in.nphases = 1;
    in.rainrate = c.rainrate;
    in.altitude = c.altitude;
    put(in, 0, c.bundle);
    EXPECT_NEAR(ozone_terms::loss_db(in, 0, ozone_terms::rain_term(in.rainrate)), c.loss_db, 1e-4f);
    Outputs out;
    ztozone(in, out);
    EXPECT_NEAR(out.ozone.clcond[0], std::pow(10.0f, c.loss_db / 10), 1e-4f * out.ozone.clcond[0]);
  }
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

// ---- The ozone page ----

std::string blanks(std::size_t n) { return std::string(n, ' '); }
std::string cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}
// A field of width w with the text right-justified, as the record layer writes it.
std::string field(std::size_t w, std::string_view text) { return cat({blanks(w - text.size()), text}); }

struct Page {
  Problem problem;
  std::vector<std::string> lines;
  std::string console;
};

// The reference AC bundle and a positive DC pole 10 m downwind of it.
Page print_page(integer units, void (*change)(Problem&) = nullptr) {
  Page page;
  Problem& p = page.problem;
  p.inputs = reference_line();
  p.inputs.nphases = 2;
  put(p.inputs, 1, Bundle{false, 2, 40.7f, 25, 400, 10, 20});
  p.run.ncond = 2;
  p.run.units = units;
  p.run.title = {FixedString<72>("OZONE PAGE TEST LINE"), FixedString<72>("SECOND TITLE")};
  p.run.condname[0] = "PHASE A";
  p.run.condname[1] = "POLE +";
  p.run.distunit = units == 0 ? "MTRS" : "FEET";
  if (change) change(p);
  std::string text;
  auto print = record::Writer::to_string(&text);
  auto console = record::Writer::to_string(&page.console);
  print_ozone_report(p, print, console);
  print.flush();
  console.flush();
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    page.lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "last record not ended";
  return page;
}

// "(1X,A8,4X,F9.2,6X,F6.2,F10.2,2(F9.2),4X,I2.1, E14.3,F12.3)"
struct GroupRow {
  const char *name, *x, *y, *volts, *gradient, *diam, *nsub, *production, *loss;
  std::string line() const {
    return cat({" ", name, blanks(4), field(9, x), blanks(6), field(6, y), field(10, volts), field(9, gradient),
                field(9, diam), blanks(4), field(2, nsub), field(14, production), field(12, loss)});
  }
};
const GroupRow metric_ac{"PHASE A ", "0.00", "15.00", "289.00", "17.00", "30.00", "3", "0.131E-08", "2.995"};
const GroupRow metric_dc{"POLE +  ", "10.00", "20.00", "400.00", "25.00", "40.70", "2", "0.231E-08", "6.082"};

// "(/,' RAIN =',F6.2,' MM/HR, WIND VELOCITY =',F8.3, ' METERS/SEC, S(MEAN) =',E10.3,
//   ' KG/M/SEC, ALTITUDE =',F6.1,' METERS')" and its English variant
std::string metric_weather(std::string_view wind, std::string_view mean) {
  return cat({" RAIN =", field(6, "1.00"), " MM/HR, WIND VELOCITY =", field(8, wind), " METERS/SEC, S(MEAN) =",
              field(10, mean), " KG/M/SEC, ALTITUDE =", field(6, "0.0"), " METERS"});
}
const std::string english_weather =
    cat({" RAIN =", field(6, "0.04"), " IN/HR, WIND VELOCITY =", field(8, "4.474"), " MILES/HOUR, S(MEAN) =",
         field(10, "0.181E-08"), " KG/M/SEC, ALTITUDE=", field(6, "0.0"), " FEET"});

using Column = std::array<const char*, 11>;
const Column metric_distances = {"0.", "5.", "9.", "14.", "18.", "23.", "46.", "69.", "91.", "114.", "137."};
const Column metric_heights = {"0.", "5.", "9.", "14.", "18.", "23.", "27.", "32.", "37.", "41.", "46."};
const Column feet_distances = {"0.", "15.", "30.", "45.", "60.", "75.", "150.", "225.", "300.", "375.", "450."};
const Column feet_heights = {"0.", "15.", "30.", "45.", "60.", "75.", "90.", "105.", "120.", "135.", "150."};

TEST(OzonePage, MetricAndEnglishLayouts) {
  struct Case {
    const char* what;
    integer units;
    std::string_view length_unit, diameter_unit, loss_unit;  // headings
    GroupRow ac, dc;
    std::string weather;
    const Column &distances, &heights;
  };
  const Case cases[] = {
      {"metric", 0, "(METERS)    (METERS)", "(MM)", "(KW/KM)", metric_ac, metric_dc,
       metric_weather("2.000", "0.181E-08"), metric_distances, metric_heights},
      {"English", 1, " (FEET)      (FEET) ", "(IN)", "(KW/MI)",
       {"PHASE A ", "0.00", "49.21", "289.00", "17.00", "1.18", "3", "0.131E-08", "4.821"},
       {"POLE +  ", "32.81", "65.62", "400.00", "25.00", "1.60", "2", "0.231E-08", "9.788"}, english_weather,
       feet_distances, feet_heights},
      // Any units but 0 print English headings, weather line and grid; only
      // units 1 converts the conductor table.
      {"units 2", 2, " (FEET)      (FEET) ", "(IN)", "(KW/MI)", metric_ac, metric_dc, english_weather, feet_distances,
       feet_heights},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Page page = print_page(c.units);
    const Problem& p = page.problem;
    const auto& lines = page.lines;
    ASSERT_EQ(lines.size(), 43u);
    std::string distances = blanks(7);  // "7X,11(F10.0)"
    for (const char* d : c.distances) distances += field(10, d);
    const std::string expected[] = {
        "1OZONE CONCENTRATION CALCULATIONS", "", "",
        cat({" ", p.run.title[0]}), cat({" ", p.run.title[1]}),
        cat({blanks(14), "DIST. FROM", blanks(15), "L-N", blanks(5), "MAXIMUM   SUBCON. NO. OF   PRODUCTION", blanks(5),
             "CORONA"}),
        cat({" PHASE", blanks(9), "REFERENCE    HEIGHT   VOLTAGE", "   GRADIENT   DIAM.  SUBCON.    RATE", blanks(11),
             "LOSSES"}),
        cat({blanks(15), c.length_unit, "    (KV)    (KV/CM)", blanks(4), c.diameter_unit, blanks(12),
             "(KG/M/SEC)     ", c.loss_unit}),
        "", "", c.ac.line(), c.dc.line(), "", c.weather, "", "",
        cat({blanks(50), "OZONE CONCENTRATION IN PPB"}), "",
        cat({" HEIGHT", blanks(38), "LATERAL DISTANCE FROM REFERENCE (", p.run.distunit, ")"}), "", distances};
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(lines[i], expected[i]) << "record " << i + 1;

    // "(F6.0,2X,11F10.6,/)": one row per height, then a blank record; each
    // cell holds the concentration at its row's height and column's distance.
    for (std::size_t h = 0; h < 11; ++h) {
      SCOPED_TRACE(testing::Message() << "height row " << h + 1);
      const std::string& row = lines[21 + 2 * h];
      EXPECT_EQ(lines[22 + 2 * h], "");
      ASSERT_EQ(row.size(), 6u + 2 + 11 * 10);
      EXPECT_EQ(row.substr(0, 8), cat({field(6, c.heights[h]), blanks(2)}));
      EXPECT_EQ(row.substr(8, 10), field(10, "0.000000"));  // under one bundle, upwind of the other
      for (std::size_t k = 0; k < 11; ++k) {
        Inputs at = p.inputs;
        at.evalht = heighttab[h];
        at.xpoint = latdisttab[k];
        Outputs out;
        ztozone(at, out);
        EXPECT_EQ(row.substr(8 + 10 * k, 10), record::render("(F10.6)", {out.ozone.ozppb}).at(0)) << "column " << k + 1;
      }
    }
    EXPECT_EQ(page.console, " OZONE REPORT\r\n");
    // The report leaves the last cell's point and the rain flag behind.
    EXPECT_EQ(p.inputs.evalht, heighttab.back());
    EXPECT_EQ(p.inputs.xpoint, latdisttab.back());
    EXPECT_TRUE(p.inputs.rainflag);
  }
}

TEST(OzonePage, DegenerateProblemsPrintNotANumber) {
  {
    SCOPED_TRACE("no energized groups: S(MEAN) is 0/0");
    const Page page = print_page(0, [](Problem& p) { p.inputs.nphases = 0; });
    ASSERT_EQ(page.lines.size(), 41u);  // no conductor rows
    EXPECT_EQ(page.lines[11], metric_weather("2.000", "NaN"));
    std::string zero_row = cat({field(6, "0."), blanks(2)});
    for (int k = 0; k < 11; ++k) zero_row += field(10, "0.000000");
    EXPECT_EQ(page.lines[19], zero_row);
  }
  {
    SCOPED_TRACE("no wind: every downwind cell is not-a-number");
    const Page page = print_page(0, [](Problem& p) { p.inputs.wind = 0; });
    ASSERT_EQ(page.lines.size(), 43u);
    EXPECT_EQ(page.lines[10], metric_ac.line());  // losses do not depend on the wind
    EXPECT_EQ(page.lines[13], metric_weather("0.000", "0.181E-08"));
    for (std::size_t h = 0; h < 11; ++h) {
      const std::string& row = page.lines[21 + 2 * h];
      EXPECT_EQ(row.substr(8, 10), field(10, "0.000000"));
      for (std::size_t k = 1; k < 11; ++k) EXPECT_EQ(row.substr(8 + 10 * k, 10), field(10, "NaN")) << h << "," << k;
    }
  }
}

TEST(CoronaLossReport, ConsoleLineOnly) {
  std::string text;
  auto console = record::Writer::to_string(&text);
  print_corona_loss_report(console);
  console.flush();
  EXPECT_EQ(text, " CORONA LOSS REPORT UNAVAILABLE - SEE OZONE\r\n");
}

}  // namespace
