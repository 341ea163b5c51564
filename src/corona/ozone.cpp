#include "corona/ozone.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "corona/ozone_terms.hpp"

namespace ozone_terms {

real rain_term(real rainrate) {
  if (!(rainrate > 0.0f)) return 1.676f;
  if (rainrate <= 3.6f) return 10.0f * std::log10(rainrate / 1.676f);
  return 3.5f * std::log10(rainrate / 3.6f) + 3.3f;
}

real loss_db(const Inputs& inputs, int i, real b) {
  const real n = static_cast<real>(inputs.nsub[i]);
  const real d = inputs.subdiam[i];
  const real a = inputs.altitude;
  const bool fair = inputs.rainrate == 0.0f;
  if (inputs.acflag[i]) {
    const real k = inputs.nsub[i] > 4 ? 19.0f : 13.0f;
    const real g = inputs.gradient[i];
    real pdb = ((k * std::log10(n / 4.0f) +
                 (40.0f * std::log10(d / 35.1f) + (65.0f * std::log10(g / 18.8f) + 14.2f))) +
                b) +
               a / 300.0f;
    if (fair) pdb = pdb - 17.0f;
    return pdb;
  }
  // A negative pole loses as a positive one of the same gradient.
  real g = inputs.gradient[i];
  if (g < 0.0f) g = -g;
  real pdb = ((8.0f * std::log10(n / 6.0f) +
               (20.0f * std::log10(d / 40.7f) + ((g - 25.0f) * 0.73f + 16.9f))) -
              3.0f + b) +
             a / 300.0f;
  if (fair) pdb = pdb - 5.0f;
  return pdb;
}

real plume_sigma(real x, real h, real u) {
  const real s = (4.75f * std::pow(100.0f / h, 0.25f) + 23.0f / u) * 0.0315f;
  return std::pow(x, 0.86f) * s;
}

}  // namespace ozone_terms

void ztozone(const Inputs& inputs, Outputs& outputs) {
  OzoneResults& ozone = outputs.ozone;
  const int groups = energized_groups(inputs);

  // Losses and production rates do not depend on the point.
  const real b = ozone_terms::rain_term(inputs.rainrate);
  for (int i = 0; i < groups; ++i) {
    const real pdb = ozone_terms::loss_db(inputs, i, b);
    ozone.clcond[i] = std::pow(10.0f, pdb / 10.0f);
    if (inputs.acflag[i]) {
      const real ratio = inputs.gradient[i] / inputs.volts[i];
      ozone.ozprod[i] = ((ratio * ratio) * ozone.clcond[i]) * 1.26e-7f;
    } else if (inputs.volts[i] < 0.0f) {
      ozone.ozprod[i] = ozone.clcond[i] * 1.26e-9f;
    } else {
      ozone.ozprod[i] = ozone.clcond[i] * 3.8e-10f;
    }
  }

  // Each bundle is a line source carried across the line by the wind; its
  // plume and the plume's image in the ground add at the point.
  const real u = inputs.wind;
  const real z = inputs.evalht;
  ozone.ozppb = 0.0f;
  for (int i = 0; i < groups; ++i) {
    ozone.ozconc[i] = 0.0f;
    const real x = inputs.xpoint - inputs.xcond[i];
    if (!(x >= 0.25f)) continue;  // upwind or right under the bundle
    const real h = inputs.ycond[i];
    const real sigma = ozone_terms::plume_sigma(x, h, u);
    const real spread = 2.0f * (sigma * sigma);
    real e1 = ((h - z) * (h - z)) / spread;
    real e2 = ((h + z) * (h + z)) / spread;
    // Keeps exp within single-precision range.
    if (e1 > 88.0f) e1 = 88.0f;
    if (e2 > 88.0f) e2 = 88.0f;
    const real c = ozone.ozprod[i] / ((u * sigma) * 2.5066283f);
    ozone.ozconc[i] = c * (1.0f / std::exp(e2) + 1.0f / std::exp(e1));
    ozone.ozppb = ozone.ozppb + ozone.ozconc[i];
  }
  ozone.ozppb = ozone.ozppb * 4.67e8f;  // kg/m3 to ppb
}

void print_ozone_report(Problem& problem, record::Writer& print, record::Writer& console) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;
  const OzoneResults& ozone = problem.outputs.ozone;
  // The conductor table converts back only for units 1; the headings, the
  // weather line and the grid print English for any units but 0.
  const bool english_table = run.units == 1;
  const bool english = run.units != 0;
  const int groups = energized_groups(inputs);

  inputs.rainflag = true;
  print.write("('1OZONE CONCENTRATION CALCULATIONS',//)");
  print.write(
      "(2(1X,A72,/),14X,'DIST. FROM',15X,       'L-N',5X,'MAXIMUM   SUBCON. NO. OF   PRODUCTION',"
      "       5X,'CORONA',/,' PHASE',9X,'REFERENCE    HEIGHT   VOLTAGE',"
      "       '   GRADIENT   DIAM.  SUBCON.    RATE',11X,'LOSSES')",
      {run.title[0].view(), run.title[1].view()});
  if (!english) {
    print.write(
        "(15X,'(METERS)    (METERS)    (KV)    (KV/CM)',          4X,'(MM)',12X,'(KG/M/SEC)     (KW/KM)',//)");
  } else {
    print.write(
        "(15X,' (FEET)      (FEET)     (KV)    (KV/CM)',          4X,'(IN)',12X,'(KG/M/SEC)     (KW/MI)',//)");
  }

  // Conductor table: losses and production rates from one call at the origin.
  inputs.xpoint = 0.0f;
  inputs.evalht = 0.0f;
  ztozone(inputs, problem.outputs);
  real sum = 0.0f;
  for (int i = 0; i < groups; ++i) {
    sum = sum + ozone.ozprod[i];
    real x = inputs.xcond[i];
    real y = inputs.ycond[i];
    real diam = inputs.subdiam[i];
    real loss = ozone.clcond[i];
    if (english_table) {
      x = x / metres_per_foot;
      y = y / metres_per_foot;
      diam = diam / mm_per_inch;
      loss = loss * kwmi_per_kwkm;
    }
    print.write("(1X,A8,4X,F9.2,6X,F6.2,F10.2,2(F9.2),4X,I2.1,          E14.3,F12.3)",
                {run.condname[i].view(), x, y, inputs.volts[i], inputs.gradient[i], diam, inputs.nsub[i],
                 ozone.ozprod[i], loss});
  }
  const real mean = sum / static_cast<real>(groups);  // no groups: 0/0, printed as NaN

  std::array<record::Item, 12> header{};
  header[0] = run.distunit.view();
  for (std::size_t k = 0; k < latdisttab.size(); ++k) {
    header[k + 1] = english ? latdisttab[k] / metres_per_foot : latdisttab[k];
  }
  if (!english) {
    print.write(
        "(/,' RAIN =',F6.2,' MM/HR, WIND VELOCITY =',F8.3,           ' METERS/SEC, S(MEAN) =',E10.3,"
        "           ' KG/M/SEC, ALTITUDE =',F6.1,' METERS')",
        {inputs.rainrate, inputs.wind, mean, inputs.altitude});
  } else {
    print.write(
        "(/,' RAIN =',F6.2,' IN/HR, WIND VELOCITY =',F8.3,           ' MILES/HOUR, S(MEAN) =',E10.3,"
        "           ' KG/M/SEC, ALTITUDE=',F6.1,' FEET')",
        {inputs.rainrate / mmhr_per_inhr, inputs.wind / mps_per_mph, mean, inputs.altitude / metres_per_foot});
  }
  print.write(
      "(//,50X,'OZONE CONCENTRATION IN PPB',//,       ' HEIGHT',38X,'LATERAL DISTANCE FROM REFERENCE (',A4,')',"
      "       //,7X,11(F10.0))",
      std::span<const record::Item>(header));

  // Concentration grid: one row per height, one column per lateral distance.
  for (const real height : heighttab) {
    inputs.evalht = height;
    std::array<record::Item, 12> row{};
    row[0] = english ? height / metres_per_foot : height;
    for (std::size_t k = 0; k < latdisttab.size(); ++k) {
      inputs.xpoint = latdisttab[k];
      ztozone(inputs, problem.outputs);
      row[k + 1] = ozone.ozppb;
    }
    print.write("(F6.0,2X,11F10.6,/)", std::span<const record::Item>(row));
  }
  console.write("(' OZONE REPORT')");
}

void print_corona_loss_report(record::Writer& console) {
  console.write("(' CORONA LOSS REPORT UNAVAILABLE - SEE OZONE')");
}
