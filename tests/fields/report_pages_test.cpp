// The electric and magnetic field pages, metric and English: every record
// rebuilt here from the descriptors of its line.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fields/electric_field.hpp"
#include "reports/pages.hpp"
#include "fields/magnetic_field.hpp"
#include "support/records.hpp"

namespace {

// An expected record, built descriptor by descriptor: nX, text or Aw of a
// full-length string, Fw.d, Iw.
class Rec {
 public:
  Rec& x(int n) {
    text_.append(static_cast<std::size_t>(n), ' ');
    return *this;
  }
  Rec& t(std::string_view text) {
    text_.append(text);
    return *this;
  }
  Rec& f(int width, int decimals, double value) {
    char field[64];
    std::snprintf(field, sizeof field, "%*.*f", width, decimals, value);
    return t(field);
  }
  Rec& i(int width, int value) {
    char field[32];
    std::snprintf(field, sizeof field, "%*d", width, value);
    return t(field);
  }
  operator std::string() const { return text_; }  // NOLINT: a record of the expected page

 private:
  std::string text_;
};

// A DC bipole with an earth wire, entered in feet and inches when English
// (held in metres and millimetres, as after the unit conversion).
struct Entered {
  double x, y, diam;
};
Problem small_problem(bool english) {
  Problem problem;
  set_initial_values(problem);
  RunData& run = problem.run;
  Inputs& in = problem.inputs;
  run.units = english ? 1 : 0;
  run.title[0] = " TEST BIPOLE";
  run.title[1] = " ONE EARTH WIRE";
  run.distunit = english ? "FEET" : "MTRS";
  run.diamunit = english ? "(IN)" : "(MM)";
  const real length = english ? metres_per_foot : 1.0f;
  const real diameter = english ? mm_per_inch : 1.0f;
  const Entered groups[] = {{-40, 50, 1.2}, {40, 50, 1.2}, {0, 75, 0.5}};
  const char* names[] = {"POLE +", "POLE -", "EARTH"};
  in.nphases = 2;
  in.nearth = 1;
  run.ncond = 3;
  for (int i = 0; i < 3; ++i) {
    run.condname[i] = names[i];
    in.xcond[i] = static_cast<real>(groups[i].x) * length;
    in.ycond[i] = static_cast<real>(groups[i].y) * length;
    in.subdiam[i] = static_cast<real>(groups[i].diam) * diameter;
    in.nsub[i] = static_cast<integer>(i < 2 ? 4 : 1);
    in.acflag[i] = false;
    in.current[i] = 2.5f;
  }
  in.volts = {500, -500, 0};
  in.gradient = {24.37f, -24.37f, 3.05f};
  in.phangle = {0, 0, 0};
  in.qreal = {5.1e-6f, -5.1e-6f, 0.25e-6f};
  run.efheight = 3.5f * length;
  run.mfheight = 3.3f * length;
  const double points[] = {-100, 25, 150};
  run.npoints = 3;
  for (int p = 0; p < 3; ++p) run.latpts[p] = static_cast<real>(points[p]) * length;
  in.evalht = 99;  // whatever a page before left
  in.rainflag = false;
  return problem;
}

// Distances and heights as entered: what the English page prints back.
constexpr double entered_points[] = {-100, 25, 150};

TEST(ReportPages, ElectricFieldPage) {
  for (const bool english : {false, true}) {
    SCOPED_TRACE(english ? "English" : "metric");
    Problem problem = small_problem(english);
    Problem computed = problem;  // the same points through the routine, for the values printed
    std::string text, console_text;
    {
      record::Writer print = record::Writer::to_string(&text);
      record::Writer console = record::Writer::to_string(&console_text);
      print_electric_field_report(problem, print, console);
    }
    const std::string unit = english ? "FEET" : "MTRS", diam = english ? "(IN)" : "(MM)";
    std::vector<std::string> expected = {
        Rec().t("1ELECTRIC FIELD CALCULATIONS"), Rec(), Rec(),
        // (2(1X,A72,/),14X,'DIST. FROM',12X,...
        Rec().x(1).t(problem.run.title[0]), Rec().x(1).t(problem.run.title[1]),
        Rec().x(14).t("DIST. FROM").x(12).t("MAXIMUM   SUBCON.   NO. OF     PHASE"),
        Rec().x(14).t(" REFERENCE    HEIGHT  GRADIENT   DIAM.    SUBCON.").t("    ANGLE"),
        Rec().x(17).t(unit).x(8).t(unit).x(3).t("(KV/CM)").x(4).t(diam).x(15).t("(DEGREES)"), Rec()};
    const Entered groups[] = {{-40, 50, 1.2}, {40, 50, 1.2}, {0, 75, 0.5}};
    const char* names[] = {"POLE +  ", "POLE -  ", "EARTH   "};
    const double gradients[] = {24.37, -24.37, 3.05};
    for (int g = 0; g < 3; ++g)  // (1X,A8,4X,F9.2,6X,F6.2,2F9.2,I10,5X,F6.1)
      expected.push_back(Rec().x(1).t(names[g]).x(4).f(9, 2, groups[g].x).x(6).f(6, 2, groups[g].y)
                             .f(9, 2, gradients[g]).f(9, 2, groups[g].diam).i(10, g < 2 ? 4 : 1).x(5).f(6, 1, 0.0));
    // (/,' SENSOR HT. =',F5.1,1X,A4,/)
    expected.insert(expected.end(), {Rec(), Rec().t(" SENSOR HT. =").f(5, 1, 3.5).x(1).t(unit), Rec()});
    expected.insert(
        expected.end(),
        {Rec().t(" DIST FROM"),
         Rec().t(" REFERENCE").x(7).t("E-FIELD").x(9).t("THETA").x(7).t("EY-FIELD").x(8).t("THETAY").x(8)
             .t("EX-FIELD").x(7).t("THETAX").x(3).t("SPACE POTENTIAL"),
         Rec().x(5).t(unit).x(6).t("(KV/METER)").x(6).t("(DEGREES)").x(4).t("(KV/METER)").x(6).t("(DEGREES)").x(5)
             .t("(KV/METER)").x(5).t("(DEGREES)").x(5).t("(VOLTS)"),
         Rec()});
    Inputs& in = computed.inputs;
    in.evalht = computed.run.efheight;
    for (int p = 0; p < 3; ++p) {  // (1X,F8.1,3(6X,F8.3,6X,F9.1),6X,F8.1)
      in.xpoint = computed.run.latpts[p];
      ztelefld(in, computed.outputs);
      const ElectricFieldResults& ef = computed.outputs.electric;
      Rec line;
      line.x(1).f(8, 1, entered_points[p]);
      for (const auto& [field, angle] : {std::pair{ef.efmax, ef.eftheta}, std::pair{ef.efy, ef.efthetay},
                                        std::pair{ef.efx, ef.efthetax}})
        line.x(6).f(8, 3, field).x(6).f(9, 1, angle);
      expected.push_back(line.x(6).f(8, 1, ef.efpot));
    }
    EXPECT_EQ(support::records(text), expected);
    EXPECT_EQ(console_text, " ELECTRIC FIELD REPORT\r\n");
    EXPECT_TRUE(problem.inputs.rainflag);
    EXPECT_EQ(problem.inputs.evalht, problem.run.efheight);
  }
}

TEST(ReportPages, MagneticFieldPage) {
  for (const bool english : {false, true}) {
    SCOPED_TRACE(english ? "English" : "metric");
    Problem problem = small_problem(english);
    Problem computed = problem;
    std::string text, console_text;
    {
      record::Writer print = record::Writer::to_string(&text);
      record::Writer console = record::Writer::to_string(&console_text);
      print_magnetic_field_report(problem, print, console);
    }
    const std::string unit = english ? "FEET" : "MTRS";
    std::vector<std::string> expected = {
        Rec().t("1MAGNETIC FIELD CALCULATIONS"), Rec(), Rec(),
        Rec(), Rec().t(" SENSOR HT. =").f(5, 1, 3.3).x(1).t(unit), Rec(),
        Rec().t(" DIST FROM"),
        Rec().t(" REFERENCE").x(3).t("B-FIELD").x(6).t("THETA").x(4).t("BY-FIELD").x(5).t("THETAY").x(4)
            .t("BX-FIELD").x(5).t("THETAX"),
        Rec().x(5).t(unit).x(4).t("(GAUSS)").x(16).t("(GAUSS)").x(16).t("(GAUSS)"),
        Rec()};
    Inputs& in = computed.inputs;
    in.evalht = computed.run.mfheight;
    for (int p = 0; p < 3; ++p) {  // (1X,F8.1,1X,F12.8,F10.1,2(F13.8,F9.1))
      in.xpoint = computed.run.latpts[p];
      ztmagfld(in, computed.outputs);
      const MagneticFieldResults& mf = computed.outputs.magnetic;
      expected.push_back(Rec().x(1).f(8, 1, entered_points[p]).x(1).f(12, 8, mf.mfmax).f(10, 1, mf.mftheta)
                             .f(13, 8, mf.mfy).f(9, 1, mf.mfthetay).f(13, 8, mf.mfx).f(9, 1, mf.mfthetax));
    }
    EXPECT_EQ(support::records(text), expected);
    EXPECT_EQ(console_text, " MAGNETIC FIELD REPORT\r\n");
    EXPECT_EQ(problem.inputs.evalht, problem.run.mfheight);
  }
}

}  // namespace
