#include "driver/run_sequence.hpp"

#include "gradients/gradients.hpp"
#include "input/data_file.hpp"
#include "reports/combined_report.hpp"
#include "reports/pages.hpp"

namespace driver {

void compute_gradients(Problem& problem, record::Writer& console) {
  Inputs& in = problem.inputs;
  console.write("(' INPUT DATA PRINTED')");
  if (!ztmxgrad(in)) {
    console.write("(' WARNING-CONDUCTOR POSITIONS GIVE A SINGULAR POTENTIAL COEFFICIENT MATRIX')");
  }
  if (!in.gradinput) {
    for (int i = 0; i < listed_groups(problem.run); ++i) in.gradient[i] = in.calcgrad[i];
  }
  console.write("(' MATRIX MATH FINISHED')");
}

void write_reports(Problem& problem, record::Writer& print, record::Writer& dif, record::Writer& console) {
  const auto& flags = problem.run.rptflags;
  // What the pages work out at the lateral points, for the combined report.
  PageValues values;
  if (flags[AN]) print_audible_noise_report(problem, print, console, &values);
  if (flags[RI]) print_radio_report(problem, print, console);
  if (flags[TV]) print_tv_report(problem, print, console);
  if (flags[OZ]) print_ozone_report(problem, print, console);
  if (flags[CL]) print_corona_loss_report(console);
  if (flags[EF]) print_electric_field_report(problem, print, console, &values);
  if (flags[MF]) print_magnetic_field_report(problem, print, console, &values);
  if (flags[COMB]) print_combined_report(problem, print, dif, console, &values);
}

void run_sequence(Problem& problem, RunFiles& files) {
  compute_gradients(problem, files.console);
  if (files.warnings) {
    for (const std::string& warning : input::gradient_warnings(problem.inputs, input::group_labels(problem.run))) {
      *files.warnings << "warning: " << warning << '\n';
    }
    files.warnings->flush();
  }
  if (files.dif.is_open()) {
    write_reports(problem, files.print.writer(), files.dif.writer(), files.console);
  } else {
    record::Writer no_dif = record::Writer::null();
    write_reports(problem, files.print.writer(), no_dif, files.console);
  }
}

void close_run(RunFiles& files) {
  files.print.writer().write("(A1)", {std::string_view("1")});
  files.print.close();
  files.dif.close();
}

}  // namespace driver
