#include "driver/listing.hpp"

#include <cctype>
#include <string>

#include "input/records.hpp"

namespace driver {

void list_general_data(Problem& problem, record::Writer& print) {
  const Inputs& in = problem.inputs;
  RunData& run = problem.run;
  input::write_title_record(run, 0, print);
  input::write_title_record(run, 1, print);
  input::write_general_record(problem, print);
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

// Keywords are upper case: "all" selects nothing, as it always has, but a
// run that writes no report because of it is said on the error stream.
void warn_of_lower_case_keywords(const RunData& run, RunFiles& files) {
  if (!files.warnings) return;
  for (bool selected : run.rptflags)
    if (selected) return;
  std::string upper(run.prtopts.view());
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  bool would_select = false;
  for (bool selected : report_flags(upper)) would_select = would_select || selected;
  if (!would_select) return;
  std::string given(run.prtopts.trimmed());
  given.erase(0, given.find_first_not_of(' '));
  *files.warnings << "warning: report options \"" << given
                  << "\" select no report: the keywords are upper case (ALL, AN, RI, TV, OZ, CL, EF, MF, COMB)\n";
}

}  // namespace

void select_reports(Problem& problem, RunFiles& files) {
  RunData& run = problem.run;
  const bool from_file = run.dataopt == 0 || run.dataopt == 1;
  if (!from_file) reset_report_selection(run);
  if (from_file) {
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
  warn_of_lower_case_keywords(run, files);
  if (run.rptflags[COMB]) open_dif_file(run, files);
  files.print.writer().write("(' OPTIONS: ',A45)", {run.prtopts.view()});
}

}  // namespace driver
