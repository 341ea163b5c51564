#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"
#include "reports/pages.hpp"

void print_electric_field_report(Problem& problem, record::Writer& print, record::Writer& console,
                                 PageValues* keep) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;
  // English pages print lengths in feet and diameters in inches; fields stay metric.
  const bool english = run.units != 0;
  const auto feet = [english](real metres) { return english ? metres / metres_per_foot : metres; };
  const auto inches = [english](real mm) { return english ? mm / mm_per_inch : mm; };

  inputs.rainflag = true;
  inputs.evalht = run.efheight;

  print.write("('1ELECTRIC FIELD CALCULATIONS',//)");
  print.write("(2(1X,A72,/),14X,'DIST. FROM',12X,"
              "       'MAXIMUM   SUBCON.   NO. OF     PHASE',/,14X,"
              "       ' REFERENCE    HEIGHT  GRADIENT   DIAM.    SUBCON.',"
              "       '    ANGLE',/,17X,A4,8X,A4,3X,'(KV/CM)',4X,A4,15X,"
              "       '(DEGREES)',/)",
              {run.title[0], run.title[1], run.distunit, run.distunit, run.diamunit});
  const int n = all_groups(inputs);
  for (int i = 0; i < n; ++i)
    print.write("(1X,A8,4X,F9.2,6X,F6.2,2F9.2,I10,5X,F6.1)",
                {run.condname[i], feet(inputs.xcond[i]), feet(inputs.ycond[i]), inputs.gradient[i],
                 inches(inputs.subdiam[i]), inputs.nsub[i], inputs.phangle[i]});

  print.write("(/,' SENSOR HT. =',F5.1,1X,A4,/)", {feet(inputs.evalht), run.distunit});
  print.write("(' DIST FROM',/,' REFERENCE',7X,'E-FIELD',9X,"
              "      'THETA',7X,'EY-FIELD',8X,'THETAY',8X,'EX-FIELD',7X,"
              "      'THETAX',3X,'SPACE POTENTIAL',/,5X,A4,6X,'(KV/METER)',6X,"
              "      '(DEGREES)',4X,'(KV/METER)',6X,'(DEGREES)',5X,'(KV/METER)',"
              "      5X,'(DEGREES)',5X,'(VOLTS)',/)",
              {run.distunit});
  const int npoints = lateral_points(run);
  const ElectricFieldResults& ef = problem.outputs.electric;
  for (int p = 0; p < npoints; ++p) {
    inputs.xpoint = run.latpts[p];
    ztelefld(inputs, problem.outputs);
    if (keep) keep->electric.push_back(ef.efmax);
    print.write("(1X,F8.1,3(6X,F8.3,6X,F9.1),6X,F8.1)",
                {report_distance(inputs.xpoint, english), ef.efmax, ef.eftheta, ef.efy, ef.efthetay, ef.efx,
                 ef.efthetax, ef.efpot});
  }
  console.write("(' ELECTRIC FIELD REPORT')");
}

void print_magnetic_field_report(Problem& problem, record::Writer& print, record::Writer& console,
                                 PageValues* keep) {
  Inputs& inputs = problem.inputs;
  const RunData& run = problem.run;
  // English pages print lengths in feet; flux densities stay in gauss.
  const bool english = run.units != 0;

  inputs.rainflag = true;
  inputs.evalht = run.mfheight;

  print.write("('1MAGNETIC FIELD CALCULATIONS',//)");
  print.write("(/,' SENSOR HT. =',F5.1,1X,A4,/)", {report_distance(inputs.evalht, english), run.distunit});
  print.write("(' DIST FROM',/,' REFERENCE',3X,'B-FIELD',6X,"
              "      'THETA',4X,'BY-FIELD',5X,'THETAY',4X,'BX-FIELD',5X,"
              "      'THETAX',/,5X,A4,4X,'(GAUSS)',2(16X,'(GAUSS)'),/)",
              {run.distunit});
  const int npoints = lateral_points(run);
  const MagneticFieldResults& mf = problem.outputs.magnetic;
  for (int p = 0; p < npoints; ++p) {
    inputs.xpoint = run.latpts[p];
    ztmagfld(inputs, problem.outputs);
    if (keep) keep->magnetic.push_back(mf.mfmax);
    print.write("(1X,F8.1,1X,F12.8,F10.1,2(F13.8,F9.1))",
                {report_distance(inputs.xpoint, english), mf.mfmax, mf.mftheta, mf.mfy, mf.mfthetay, mf.mfx,
                 mf.mfthetax});
  }
  console.write("(' MAGNETIC FIELD REPORT')");
}
