#include "input/data_file.hpp"

#include <cmath>
#include <cstdio>
#include <utility>

#include "input/records.hpp"

namespace input {

bool group_counts_fit(const Inputs& inputs, const RunData& run) {
  return inputs.nphases >= 0 && run.ncond >= inputs.nphases && run.ncond <= max_groups;
}

std::string short_number(real value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

std::string group_label(int i, std::string_view name) {
  name = without_trailing_blanks(name);
  std::string label = "group " + std::to_string(i + 1);
  if (!name.empty()) label.append(" ").append(name);
  return label;
}

std::vector<std::string> group_labels(const RunData& run) {
  std::vector<std::string> labels;
  for (int i = 0; i < listed_groups(run); ++i) labels.push_back(group_label(i, run.condname[i].view()));
  return labels;
}

std::string group_check_failure(const Inputs& inputs, int i, std::string_view length_unit) {
  if (!(inputs.nsub[i] > 0)) return "number of subconductors must be at least 1";
  if (!(inputs.subdiam[i] > 0)) return "subconductor diameter must be above 0";
  if (inputs.nsub[i] > 1 && !(inputs.spacing[i] > 0)) return "bundle spacing must be above 0";
  const std::pair<const char*, real> values[] = {
      {"horizontal position", inputs.xcond[i]}, {"height", inputs.ycond[i]},
      {"subconductor diameter", inputs.subdiam[i]}, {"bundle spacing", inputs.spacing[i]},
      {"voltage", inputs.volts[i]}, {"phase angle", inputs.phangle[i]},
      {"current", inputs.current[i]}, {"gradient", inputs.gradient[i]}};
  for (const auto& [what, value] : values) {
    if (!std::isfinite(value)) return std::string(what) + " must be a finite number, not " + short_number(value);
  }
  if (!(inputs.ycond[i] > 0)) {
    return "height " + short_number(inputs.ycond[i]) + " " + std::string(length_unit) +
           " is at or below the ground: a bundle's height must be above 0";
  }
  return {};
}

std::string refusal(const Problem& problem, InputOutcome outcome) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  if (outcome == InputOutcome::too_many_points) {
    const int given = run.npoints + run.segpoints;
    std::string text = std::to_string(given) + " lateral points given";
    if (run.npoints > 0) {
      text.append(" (").append(std::to_string(run.npoints)).append(", then ");
      text.append(std::to_string(run.segpoints)).append(" in the next group)");
    } else {
      text.append(" in one group");
    }
    return text.append(": at most ").append(std::to_string(max_points)).append(" are allowed");
  }
  if (!group_counts_fit(in, run)) {
    return std::to_string(in.nphases) + " energized of " + std::to_string(run.ncond) +
           " groups: 0 <= energized <= groups <= " + std::to_string(max_groups) + " must hold";
  }
  const std::string_view unit = run.units == 1 ? "ft" : "m";
  for (int i = 0; i < listed_groups(run); ++i) {
    const std::string failure = group_check_failure(in, i, unit);
    if (!failure.empty()) return group_label(i, run.condname[i].view()) + ": " + failure;
  }
  return "the data do not pass their checks";
}

std::string units_warning(integer units) {
  if (units == 0 || units == 1) return {};
  return "unit option " + std::to_string(units) +
         " is neither 0 (metric) nor 1 (English units): the values were used as metric (m, mm, cm, m/s, mm/hr) "
         "as entered, unconverted";
}

namespace {

std::string negative_current_warning(const Inputs& inputs, int i) {
  const std::string entered = "current " + short_number(inputs.current[i]) + " kA entered negative: ";
  if (inputs.acflag[i]) return entered + "the sign turns the current phasor by 180 degrees from the phase angle given";
  return entered + "a DC pole's current direction is set by the sign of its voltage (" +
         short_number(inputs.volts[i]) + " kV), and the negative current reverses it" +
         (inputs.volts[i] < 0 ? " again" : "") + "; enter the current as a magnitude";
}

std::string thin_phase_warning(const Inputs& inputs, int i) {
  return "subconductor diameter " + short_number(inputs.subdiam[i]) + " mm is below " +
         short_number(smallest_phase_diameter_mm) +
         " mm, thinner than any phase conductor: was it entered in cm? (a data file takes mm, inches in English "
         "units)";
}

std::string energized_earth_wire_warning(const Inputs& inputs, int i, int energized) {
  std::string text = "counted as an earth wire (the general data give " + std::to_string(energized) +
                     " phases or poles), yet at " + short_number(inputs.volts[i]) +
                     " kV: the voltage acts on the gradients and the electric field, while the group is left out "
                     "of the corona quantities";
  if (inputs.current[i] != 0) text += " and its current " + short_number(inputs.current[i]) + " kA out of the magnetic field";
  return text + "; should the general data give " + std::to_string(i + 1) + " phases or poles?";
}

}  // namespace

std::vector<std::string> group_warnings(const Inputs& inputs, const std::vector<std::string>& labels) {
  const int groups = within_bounds(static_cast<int>(labels.size()), max_groups);
  const int energized = within_bounds(inputs.nphases, groups);
  std::vector<std::string> said;
  const auto say = [&](int i, const std::string& text) { said.push_back(labels[static_cast<std::size_t>(i)] + ": " + text); };
  for (int i = 0; i < energized; ++i) {
    if (inputs.current[i] < 0) say(i, negative_current_warning(inputs, i));
    if (inputs.subdiam[i] > 0 && inputs.subdiam[i] < smallest_phase_diameter_mm) say(i, thin_phase_warning(inputs, i));
  }
  for (int i = energized; i < groups; ++i) {
    if (inputs.volts[i] != 0) say(i, energized_earth_wire_warning(inputs, i, energized));
  }
  return said;
}

std::vector<std::string> gradient_warnings(const Inputs& inputs, const std::vector<std::string>& labels) {
  const int groups = within_bounds(static_cast<int>(labels.size()), max_groups);
  const int energized = within_bounds(inputs.nphases, groups);
  std::vector<std::string> said;
  for (int i = 0; i < energized; ++i) {
    const real gradient = inputs.gradient[i] < 0 ? -inputs.gradient[i] : inputs.gradient[i];
    if (!(gradient > air_breakdown_kv_per_cm)) continue;
    char value[32];
    std::snprintf(value, sizeof value, "%.1f", static_cast<double>(gradient));
    said.push_back(labels[static_cast<std::size_t>(i)] + ": surface gradient " + value + " kV/cm (" +
                   (inputs.gradinput ? "as given" : "computed") + ") is above " +
                   short_number(air_breakdown_kv_per_cm) +
                   " kV/cm, where air breaks down: the corona quantities lie far outside what their formulas hold "
                   "for; check the subconductor diameter (" + short_number(inputs.subdiam[i]) +
                   " mm) and the voltage (" + short_number(inputs.volts[i]) + " kV)");
  }
  return said;
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
    try {
      read_group(problem, i, data);
    } catch (record::ReadError& failure) {
      failure.set_context("conductor group " + std::to_string(i + 1) + " of " + std::to_string(run.ncond));
      throw;
    }
    if (!group_is_valid(in, i)) return InputOutcome::invalid_data;
    in.acflag[i] = is_ac_letter(run.acdc);
    steps.group_read(problem, i);
  }

  run.npoints = 0;
  for (int point_group = 1;; ++point_group) {
    bool read = false;
    try {
      read = data.read_list({&run.segpoints, &run.xstart, &run.xinc}, true);
    } catch (record::ReadError& failure) {
      failure.set_context("lateral point group " + std::to_string(point_group));
      throw;
    }
    if (!read) {
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
