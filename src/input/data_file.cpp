#include "input/data_file.hpp"

#include "input/records.hpp"

namespace input {

bool group_counts_fit(const Inputs& inputs, const RunData& run) {
  return inputs.nphases >= 0 && run.ncond >= inputs.nphases && run.ncond <= max_groups;
}

std::string group_check_failure(const Inputs& inputs, int i) {
  if (!(inputs.nsub[i] > 0)) return "number of subconductors must be at least 1";
  if (!(inputs.subdiam[i] > 0)) return "subconductor diameter must be above 0";
  if (inputs.nsub[i] > 1 && !(inputs.spacing[i] > 0)) return "bundle spacing must be above 0";
  return {};
}

namespace {

void read_general_data(Problem& problem, record::Reader& data) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;
  data.read("(A72)", run.title[0].span());
  data.read("(A72)", run.title[1].span());
  real unused = 0;  // the save-data file writes 0.0 here
  data.read_list({&run.units, &run.gradopt, &in.nphases, &run.ncond, &unused, &in.wind, &in.rainrate, &in.altitude});
  set_derived_fields(in, run);
}

void read_heights(Problem& problem, record::Reader& data) {
  RunData& run = problem.run;
  data.read_list({&run.anheight, &run.riheight, &run.tvheight, &run.ozheight, &run.rifreq, &run.tvfreq,
                  &run.mfheight, &problem.inputs.gndcond, &run.efheight});
}

void read_group(Problem& problem, int i, record::Reader& data) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;
  data.read_list({run.condname[i].span(), run.acdc.span(), &in.xcond[i], &in.ycond[i], &in.nsub[i],
                  &in.subdiam[i], &in.spacing[i], &in.volts[i], &in.phangle[i], &in.current[i], &in.gradient[i]});
}

}  // namespace

InputOutcome read_data_file(Problem& problem, record::Reader& data, DataFileSteps& steps) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;

  read_general_data(problem, data);
  steps.general_read(problem);
  if (!group_counts_fit(in, run)) return InputOutcome::invalid_data;

  reset_report_selection(run);
  data.read("(A45)", run.prtopts.span());
  steps.options_read(problem);

  read_heights(problem, data);
  steps.heights_read(problem);

  for (int i = 0; i < run.ncond; ++i) {
    read_group(problem, i, data);
    if (!group_is_valid(in, i)) return InputOutcome::invalid_data;
    in.acflag[i] = is_ac_letter(run.acdc);
    steps.group_read(problem, i);
  }

  run.npoints = 0;
  for (;;) {
    if (!data.read_list({&run.segpoints, &run.xstart, &run.xinc}, true)) {
      run.segpoints = 0;  // end of the file: as if a closing record had been read
      run.xstart = 0;
      run.xinc = 0;
    } else if (run.segpoints > max_points - run.npoints) {
      return InputOutcome::too_many_points;
    }
    steps.point_record_read(problem);
    if (run.segpoints <= 0) break;
    add_point_group(run);
    if (run.npoints >= max_points) break;
  }
  return InputOutcome::complete;
}

}  // namespace input
