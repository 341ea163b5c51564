#include <array>
#include <span>

#include "corona/ozone.hpp"
#include "reports/pages.hpp"

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
