#include "model/problem_data.hpp"

void set_initial_values(Problem& problem) {
  problem = Problem{};
  for (bool& ac : problem.inputs.acflag) ac = true;
  reset_report_selection(problem.run);
}

void reset_report_selection(RunData& run) {
  run.rptflags.fill(false);
  run.prtopts = " NONE";
  run.overans = "N";
}

bool is_ac_letter(const FixedString<1>& acdc) { return acdc[0] == 'A'; }

void set_derived_fields(Inputs& inputs, const RunData& run) {
  inputs.gradinput = run.gradopt != 0;
  inputs.nearth = static_cast<integer>(run.ncond - inputs.nphases);
}

void convert_to_metric(Inputs& inputs, RunData& run) {
  if (run.units != 1) return;
  for (real* height : {&run.anheight, &run.riheight, &run.tvheight, &run.ozheight, &run.mfheight,
                       &run.efheight, &inputs.altitude})
    *height *= metres_per_foot;
  inputs.wind *= mps_per_mph;
  inputs.rainrate *= mmhr_per_inhr;
  for (int i = 0; i < listed_groups(run); ++i) {
    inputs.xcond[i] *= metres_per_foot;
    inputs.ycond[i] *= metres_per_foot;
    inputs.spacing[i] *= cm_per_inch;
    inputs.subdiam[i] *= mm_per_inch;
  }
  for (int j = 0; j < lateral_points(run); ++j) run.latpts[j] *= metres_per_foot;
}
