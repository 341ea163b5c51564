#include "driver/listing.hpp"

namespace driver {

void write_title_record(const RunData& run, int line, record::Writer& out) {
  out.write("(1X,A72)", {run.title[line].view()});
}

void write_general_record(const Problem& problem, record::Writer& out) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  out.write("(1X,2(I1.1,','),2(I2,','),'0.0',3(',',F7.2))",
            {run.units, run.gradopt, in.nphases, run.ncond, in.wind, in.rainrate, in.altitude});
}

void list_general_data(Problem& problem, record::Writer& print) {
  const Inputs& in = problem.inputs;
  RunData& run = problem.run;
  write_title_record(run, 0, print);
  write_title_record(run, 1, print);
  write_general_record(problem, print);
  if (run.units == 0) {
    print.write("(/,' (METRIC UNITS OPTION)'/)");
    run.distunit = "MTRS";
    run.diamunit = "(MM)";
  } else {
    print.write("(/,' (ENGLISH UNITS OPTION)'/)");
    run.distunit = "FEET";
    run.diamunit = "(IN)";
  }
  if (in.gradinput) {
    print.write("(' (GRADIENTS ARE ASSUMED TO BE INPUT)'/)");
  } else {
    print.write("(' (GRADIENTS ARE COMPUTED BY PROGRAM)'/)");
  }
  print.write("(' PHYSICAL SYSTEM CONSISTS OF',I3,' CONDUCTORS, ',  'OF WHICH',I3,' ARE ENERGIZED PHASES',/)",
              {run.ncond, in.nphases});
}

std::array<bool, report_count> report_flags(std::string_view prtopts) {
  std::array<bool, report_count> flags{};
  const auto holds = [prtopts](std::string_view keyword) { return prtopts.find(keyword) != std::string_view::npos; };
  if (holds("ALL")) {
    flags.fill(true);
    return flags;
  }
  if (holds("NONE")) return flags;
  flags[COMB] = holds("COMB");
  flags[AN] = holds("AN");
  flags[RI] = holds("RI");
  flags[TV] = holds("TV");
  flags[OZ] = holds("OZ");
  flags[CL] = holds("CL");
  flags[EF] = holds("EF");
  flags[MF] = holds("MF");
  return flags;
}

namespace {

void show_options_menu(record::Writer& console) {
  console.write(
      "(' ********** PRINTOUT OPTONS ********** ',/,            ' *   COMB....Combined                * ',/,"
      "            ' *   AN....Audible noise             * ',/,            ' *   RI....Radio noise               * ',/,"
      "            ' *   TV....Television interference   * ',/,            ' *   OZ....Ozone concentrations      * ',/,"
      "            ' *   CL....Corona loss               * ',/,            ' *   EF....Electric field            * ',/,"
      "            ' *   MF....Magnetic field            * ',/,            ' *   ALL...All of the above          * ',/,"
      "            ' *   NONE..No reports at all         * ',/,            ' Enter any or all of the above in any  ',/,"
      "            ' order, seperated by blanks or commas: ')");
}

// Names and opens the DIF file of the combined report.
void open_dif_file(RunData& run, RunFiles& files) {
  if (run.dataopt != 0) {
    files.console.prompt("(' Enter NUL or a DIF file name: ')");
    read_file_name(files.keyboard, run.diffile);
  }
  if (run.diffile.blank()) run.diffile = "NUL";
  refuse_same_file("DIF file", run.diffile, "input data file", run.infile);
  refuse_same_file("DIF file", run.diffile, "print file", run.prtfile);
  refuse_same_file("DIF file", run.diffile, "save-data file", run.savefile);
  files.dif = files.open_output(run.diffile.str());
}

}  // namespace

void select_reports(Problem& problem, RunFiles& files) {
  RunData& run = problem.run;
  reset_report_selection(run);
  const bool from_file = run.dataopt == 0 || run.dataopt == 1;
  if (from_file) {
    files.data->read("(A45)", run.prtopts.span());
    files.console.write("(' OPTIONS: ',A45)", {run.prtopts.view()});
    if (run.dataopt == 1) {
      files.console.prompt("(' Do you wish to override[Y/N]? ')");
      files.keyboard.read("(A1)", run.overans.span());
    }
  }
  if (!from_file || run.overans[0] == 'Y' || run.overans[0] == 'y') {
    show_options_menu(files.console);
    files.keyboard.read("(A45)", run.prtopts.span());
    if (!run.savefile.blank() && files.save.is_open()) files.save.writer().write("(1XA45)", {run.prtopts.view()});
  }
  run.rptflags = report_flags(run.prtopts.view());
  if (run.rptflags[COMB]) open_dif_file(run, files);
  files.print.writer().write("(' OPTIONS: ',A45)", {run.prtopts.view()});
}

void list_heights(const Problem& problem, record::Writer& print) {
  const RunData& run = problem.run;
  print.write("(1X,8(F7.3,','),F7.3)", {run.anheight, run.riheight, run.tvheight, run.ozheight, run.rifreq,
                                        run.tvfreq, run.mfheight, problem.inputs.gndcond, run.efheight});
}

void list_group(const Problem& problem, int i, record::Writer& print) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  print.write("(2H ',A8,3H',',A1,1H',2(',',F8.2),',',I2.1,                6(',',F8.3))",
              {run.condname[i].view(), run.acdc.view(), in.xcond[i], in.ycond[i], in.nsub[i], in.subdiam[i],
               in.spacing[i], in.volts[i], in.phangle[i], in.current[i], in.gradient[i]});
}

void list_point_record(const RunData& run, record::Writer& print) {
  print.write("(I4.1,2F7.1)", {run.segpoints, run.xstart, run.xinc});
}

void add_point_group(RunData& run) {
  for (int k = 0; k < run.segpoints && run.npoints < max_points; ++k) {
    run.latpts[run.npoints] = run.xstart;
    run.npoints = static_cast<integer>(run.npoints + 1);
    run.xstart = run.xstart + run.xinc;
  }
}

}  // namespace driver
