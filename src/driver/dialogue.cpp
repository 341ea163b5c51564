#include "driver/dialogue.hpp"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "driver/listing.hpp"
#include "input/data_file.hpp"

namespace driver {

namespace {

// One question on its own line, the answer read from the next one.
void ask(RunFiles& files, std::string_view question, std::string_view answer_format, record::Target answer) {
  files.console.write(question);
  files.keyboard.read(answer_format, answer);
}

// A number of a save record, named for the warning when it does not fit
// its field. An empty name marks a constant of the layout.
struct SavedNumber {
  SavedNumber(std::string_view n, real v) : name(n), value(v) {}
  SavedNumber(std::string_view n, integer v) : name(n), value(static_cast<real>(v)) {}
  std::string_view name;
  real value;
};

// The comma-separated fields of a record.
std::vector<std::string_view> comma_fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

// Writes one save record and checks it. A number too wide for its field is
// written as asterisks, and the data file reader then refuses the record;
// the user is told at once. `numbers` are the last comma-separated fields
// of the record, in order (a name or a type letter before them may itself
// hold commas). `group` is the 1-based conductor group, 0 for none.
void save(RunFiles& files, integer group, const std::function<void(record::Writer&)>& write_record,
          std::initializer_list<SavedNumber> numbers) {
  if (!files.save.is_open()) return;
  write_record(files.save.writer());

  std::string text;
  {
    record::Writer copy = record::Writer::to_string(&text);
    write_record(copy);
  }
  const std::vector<std::string_view> fields = comma_fields(std::string_view(text).substr(0, text.find('\r')));
  if (fields.size() < numbers.size()) return;
  auto field = fields.end() - static_cast<std::ptrdiff_t>(numbers.size());
  for (const SavedNumber& number : numbers) {
    if (!number.name.empty() && field->find('*') != std::string_view::npos) {
      if (group == 0) {
        files.console.write(
            "(' WARNING-',A,1PE14.6,' IS SAVED AS ASTERISKS: THE SAVE-DATA FILE WILL NOT READ BACK')",
            {number.name, number.value});
      } else {
        files.console.write(
            "(' WARNING-GROUP',I3,1X,A,1PE14.6,' IS SAVED AS ASTERISKS: THE SAVE-DATA FILE WILL NOT READ BACK')",
            {group, number.name, number.value});
      }
    }
    ++field;
  }
}

void enter_general_data(Problem& problem, RunFiles& files) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;
  files.console.write("(' ENTER TITLE...2 lines of 72 characters each')");
  files.keyboard.read("(A72)", run.title[0].span());
  files.keyboard.read("(A72)", run.title[1].span());
  ask(files, "(' UNIT OPTION....0=metric, 1=english')", "(I1)", &run.units);
  ask(files, "(' GRADIENT OPTION....0=computed ,1=input')", "(I1)", &run.gradopt);
  // The groups must fit the arrays and the earth wires count must not be
  // negative: both counts are asked again until they do.
  for (;;) {
    ask(files, "(' ENTER NUMBER OF PHASES OR POLES')", "(I2)", &in.nphases);
    ask(files, "(' ENTER TOTAL CONDUCTORS..poles+earth wires')", "(I2)", &run.ncond);
    if (input::group_counts_fit(in, run)) break;
    files.console.write("(' ERROR-NUMBER OF PHASES AND TOTAL CONDUCTORS MUST SATISFY 0 <= PHASES <= TOTAL <= 50')");
  }
  ask(files, "(' ENTER WIND VELOCITY IN  m/s or mi/hr')", "(F8.0)", &in.wind);
  ask(files, "(' ENTER RAIN RATE IN  mm/hr  or  in/hr')", "(F8.0)", &in.rainrate);
  ask(files, "(' ENTER ALTITUDE IN m or ft(over 300m/1000ft)')", "(F8.0)", &in.altitude);

  if (files.save.is_open()) {
    write_title_record(run, 0, files.save.writer());
    write_title_record(run, 1, files.save.writer());
  }
  save(files, 0, [&problem](record::Writer& out) { write_general_record(problem, out); },
       {{"UNIT OPTION", run.units},
        {"GRADIENT OPTION", run.gradopt},
        {"NUMBER OF PHASES", in.nphases},
        {"TOTAL CONDUCTORS", run.ncond},
        {"", 0.0f},
        {"WIND VELOCITY", in.wind},
        {"RAIN RATE", in.rainrate},
        {"ALTITUDE", in.altitude}});
  set_derived_fields(in, run);
}

void enter_heights(Problem& problem, RunFiles& files) {
  RunData& run = problem.run;
  ask(files, "(' ENTER VERT HEIGHT OF AUDIBLE NOISE MIC m or ft')", "(F8.0)", &run.anheight);
  ask(files, "(' ENTER HEIGHT OF RI ANTENNA m or ft')", "(F8.0)", &run.riheight);
  ask(files, "(' ENTER HEIGHT OF TVI ANTENNA m or ft')", "(F8.0)", &run.tvheight);
  ask(files, "(' ENTER HEIGHT OF OZONE SENSOR m or ft')", "(F8.0)", &run.ozheight);
  ask(files, "(' ENTER RI FREQUENCY VALUE (0.1 to 1000 MHz)')", "(F8.0)", &run.rifreq);
  ask(files, "(' ENTER TV FREQUENCY VALUE (20 to 1000 MHz)')", "(F8.0)", &run.tvfreq);
  ask(files, "(' ENTER HEIGHT OF MAGNETIC FIELD m or ft')", "(F8.0)", &run.mfheight);
  ask(files, "(' ENTER GROUND CONDUCTIVITY mmhos/m')", "(F8.0)", &problem.inputs.gndcond);
  ask(files, "(' ENTER HEIGHT OF ELECTRIC FIELD m or ft')", "(F8.0)", &run.efheight);
  save(files, 0, [&problem](record::Writer& out) { list_heights(problem, out); },
       {{"AUDIBLE NOISE MIC HEIGHT", run.anheight},
        {"RI ANTENNA HEIGHT", run.riheight},
        {"TVI ANTENNA HEIGHT", run.tvheight},
        {"OZONE SENSOR HEIGHT", run.ozheight},
        {"RI FREQUENCY", run.rifreq},
        {"TV FREQUENCY", run.tvfreq},
        {"MAGNETIC FIELD HEIGHT", run.mfheight},
        {"GROUND CONDUCTIVITY", problem.inputs.gndcond},
        {"ELECTRIC FIELD HEIGHT", run.efheight}});
}

// Group index i. Not asked: the spacing of a single conductor, the phase
// angle of a DC group, the gradient when the program computes it; those
// keep their initial 0.
void enter_group(Problem& problem, int i, RunFiles& files) {
  Inputs& in = problem.inputs;
  RunData& run = problem.run;
  const auto group = static_cast<integer>(i + 1);
  files.console.write("(' ENTER CONDUCTOR GROUP',I3,           ' NAME (8 characters)')", {group});
  files.keyboard.read("(A8)", run.condname[i].span());
  ask(files, "(' ENTER A for AC or D for DC')", "(A1)", run.acdc.span());
  ask(files, "(' ENTER CONDUCT CL TO REF AXIS DIST m or ft')", "(F8.0)", &in.xcond[i]);
  // A bundle at or below the ground is asked again, as the data file's
  // group check refuses it.
  for (;;) {
    ask(files, "(' ENTER HEIGHT OF BUNDLE CL m or ft')", "(F8.0)", &in.ycond[i]);
    if (in.ycond[i] > 0) break;
    files.console.write("(' ERROR-HEIGHT OF BUNDLE CL',              ' MUST BE > 0')");
  }
  for (;;) {
    ask(files, "(' ENTER # OF SUBCONDUCTORS IN BUNDLE')", "(I3)", &in.nsub[i]);
    if (in.nsub[i] > 0) break;
    files.console.write("(' ERROR-NUMBER OF SUBCONDUCTORS',              ' MUST BE > 0')");
  }
  for (;;) {
    ask(files, "(' ENTER SUBCONDUCTOR DIAMETER mm or in')", "(F8.0)", &in.subdiam[i]);
    if (in.subdiam[i] > 0) break;
    files.console.write("(' ERROR-CONDUCTOR DIAMETER',              ' MUST BE > 0')");
  }
  if (in.nsub[i] > 1) {
    for (;;) {
      ask(files, "(' ENTER BUNDLE SUBCONDUCTOR SPACING cm or in')", "(F8.0)", &in.spacing[i]);
      if (in.spacing[i] > 0) break;
      files.console.write("(' ERROR-INVALID SUBCONDUCTOR SPACING')");
    }
  }
  ask(files, "(' ENTER LINE TO GROUND VOLTS dc=kV, ac=kVrms')", "(F8.0)", &in.volts[i]);
  if (is_ac_letter(run.acdc)) ask(files, "(' ENTER ELECTRICAL PHASE ANGLE IN DEGREES')", "(F8.0)", &in.phangle[i]);
  ask(files, "(' ENTER CURRENT IN CONDUCTOR kAmperes')", "(F8.0)", &in.current[i]);
  if (in.gradinput) ask(files, "(' ENTER CONDUCTOR GRADIENT VALUE')", "(F8.0)", &in.gradient[i]);

  save(files, group, [&problem, i](record::Writer& out) { list_group(problem, i, out); },
       {{"DISTANCE TO REF AXIS", in.xcond[i]},
        {"HEIGHT", in.ycond[i]},
        {"SUBCONDUCTORS", in.nsub[i]},
        {"SUBCONDUCTOR DIAMETER", in.subdiam[i]},
        {"SUBCONDUCTOR SPACING", in.spacing[i]},
        {"VOLTS", in.volts[i]},
        {"PHASE ANGLE", in.phangle[i]},
        {"CURRENT", in.current[i]},
        {"GRADIENT", in.gradient[i]}});
  // The name and the type letter are saved between apostrophes as they
  // stand; an apostrophe of their own ends the quoted value early, and the
  // data file reader then refuses the record.
  if (files.save.is_open() && (run.condname[i].view().find('\'') != std::string_view::npos || run.acdc[0] == '\''))
    files.console.write(
        "(' WARNING-GROUP',I3,' NAME OR TYPE LETTER HOLDS AN APOSTROPHE: THE SAVE-DATA FILE WILL NOT READ BACK')",
        {group});
  in.acflag[i] = is_ac_letter(run.acdc);
}

// Lateral point groups until a count of 0 (or less), or until the list of
// 100 points is full; a group larger than the room left is asked again.
void enter_lateral_points(Problem& problem, RunFiles& files) {
  RunData& run = problem.run;
  run.npoints = 0;
  for (;;) {
    const auto room = static_cast<integer>(max_points - run.npoints);
    files.console.write("(' ENTER NUMBER OF LATERAL POINTS (',I3,' MAX)')", {room});
    files.keyboard.read("(I3)", &run.segpoints);
    if (run.segpoints > room) {
      files.console.write("(' ERROR-TOO MANY DISTANCE POINTS')");
      continue;
    }
    if (run.segpoints <= 0) {
      run.segpoints = 0;
      run.xstart = 0;
      run.xinc = 0;
    } else {
      ask(files, "(' ENTER HORIZONTAL STARTING POINT m or ft')", "(F8.0)", &run.xstart);
      ask(files, "(' ENTER DISTANCE INCREMENT m or ft')", "(F8.0)", &run.xinc);
    }
    save(files, 0, [&run](record::Writer& out) { out.write("(I4.1,2(',',F7.1))", {run.segpoints, run.xstart, run.xinc}); },
         {{"NUMBER OF LATERAL POINTS", run.segpoints}, {"HORIZONTAL STARTING POINT", run.xstart},
          {"DISTANCE INCREMENT", run.xinc}});
    list_point_record(run, files.print.writer());
    if (run.segpoints <= 0) return;
    add_point_group(run);
    if (run.npoints >= max_points) return;
  }
}

}  // namespace

InputOutcome read_keyboard_data(Problem& problem, RunFiles& files) {
  record::Writer& print = files.print.writer();
  enter_general_data(problem, files);
  list_general_data(problem, print);
  select_reports(problem, files);
  enter_heights(problem, files);
  list_heights(problem, print);
  for (int i = 0; i < problem.run.ncond; ++i) {
    enter_group(problem, i, files);
    list_group(problem, i, print);
  }
  enter_lateral_points(problem, files);
  files.save.close();
  return InputOutcome::complete;
}

}  // namespace driver
