#include "driver/data_file.hpp"

#include "driver/listing.hpp"

namespace driver {

bool group_counts_fit(const Inputs& inputs, const RunData& run) {
  return inputs.nphases >= 0 && run.ncond >= inputs.nphases && run.ncond <= max_groups;
}

bool group_is_valid(const Inputs& inputs, int i) {
  if (!(inputs.nsub[i] > 0)) return false;
  if (!(inputs.subdiam[i] > 0)) return false;
  if (inputs.nsub[i] > 1 && !(inputs.spacing[i] > 0)) return false;
  return true;
}

InputOutcome end_input(InputOutcome outcome, Problem& problem, RunFiles& files) {
  if (outcome == InputOutcome::invalid_data) {
    files.console.write("(' ERROR-INVALID DATA IN INPUT FILE')");
  } else if (outcome == InputOutcome::too_many_points) {
    files.console.write("(' ERROR-TOO MANY DISTANCE POINTS')");
  }
  if (files.data) files.data->close();
  if (!problem.run.savefile.blank()) files.save.close();
  return outcome;
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

InputOutcome read_data_file(Problem& problem, RunFiles& files) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;
  record::Reader& data = *files.data;
  record::Writer& print = files.print.writer();

  read_general_data(problem, data);
  list_general_data(problem, print);
  if (!group_counts_fit(in, run)) return end_input(InputOutcome::invalid_data, problem, files);

  select_reports(problem, files);

  read_heights(problem, data);
  list_heights(problem, print);

  for (int i = 0; i < run.ncond; ++i) {
    read_group(problem, i, data);
    if (!group_is_valid(in, i)) return end_input(InputOutcome::invalid_data, problem, files);
    in.acflag[i] = is_ac_letter(run.acdc);
    list_group(problem, i, print);
  }

  run.npoints = 0;
  for (;;) {
    if (!data.read_list({&run.segpoints, &run.xstart, &run.xinc}, true)) {
      run.segpoints = 0;  // end of the file: as if a closing record had been read
      run.xstart = 0;
      run.xinc = 0;
    } else if (run.segpoints > max_points - run.npoints) {
      return end_input(InputOutcome::too_many_points, problem, files);
    }
    list_point_record(run, print);
    if (run.segpoints <= 0) break;
    add_point_group(run);
    if (run.npoints >= max_points) break;
  }
  return end_input(InputOutcome::complete, problem, files);
}

}  // namespace driver
