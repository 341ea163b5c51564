#include <chrono>
#include <ctime>
#include <ostream>
#include <string>

#include "driver/data_file.hpp"
#include "driver/dialogue.hpp"
#include "driver/program.hpp"
#include "driver/run_sequence.hpp"
#include "format/file_system.hpp"

namespace driver {

namespace {

// Banner of the console and the print file: code page 437 block bytes
// around the program name, the version (A3) and the source.
constexpr std::string_view banner_spec =
    "(5X,'\xDB\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF"
    "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDB',/,"
    "5X,'\xDB                B R E N L O W                \xDB',/,"
    "5X,'\xDB P R O G R A M   V E R. ',A3,'                  \xDB',/,"
    "5X,'\xDB   Source: Tarnwick                          \xDB',/,"
    "5X,'\xDB\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC"
    "\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDC\xDB')";

// The three boxes of the data input choice (code page 437 box bytes); the
// last line of each is a prompt.
constexpr std::string_view option_menu_spec =
    "(4X,'\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF',/,"
    "4X,'\xB3        DATA INPUT OPTION        \xB3',/,"
    "4X,'\xB3 1. Read data from external file \xB3',/,"
    "4X,'\xB3 2. Read data from keyboard      \xB3',/,"
    "4X,'\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9',/,"
    "'             Enter Selection: ')";

constexpr std::string_view input_file_box_spec =
    "(4X,'\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF',/,"
    "4X,'\xB3                                 \xB3',/,"
    "4X,'\xB3 1. Read data from external file \xB3',/,"
    "4X,'\xB3                                 \xB3',/,"
    "4X,'\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9',/,"
    "'             Enter input file name: ')";

constexpr std::string_view keyboard_box_spec =
    "(4X,'\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF',/,"
    "4X,'\xB3                                 \xB3',/,"
    "4X,'\xB3                                 \xB3',/,"
    "4X,'\xB3 2. Read data from keyboard      \xB3',/,"
    "4X,'\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4"
    "\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9',/,"
    "'      Enter file name to save data, else just return: ')";

// The line under "INFILE is:" shows the name in this many columns, or
// whole when it is longer.
constexpr std::size_t infile_columns = 72;

// Takes the file names from the command line and echoes them. False when
// the argument count is wrong (the usage lines have been written).
bool take_arguments(const std::vector<std::string>& args, RunData& run, record::Writer& console) {
  const std::size_t n = args.size();
  if (n == 0) {
    console.write_list({" "});
    return true;
  }
  if (n != 2 && n != 3) {
    console.write_list({"Proper syntax, with optional arguments, is:"});
    console.write_list({"    TESK31.EXE <<input filename> <output filename>> <dif filename>"});
    return false;
  }
  // Every name is checked before the first is opened, so a name the
  // system refuses leaves every file as it was.
  for (const std::string& name : args) refuse_unusable_name(FileName(name));
  record::refuse_device_name(args[0]);  // NUL and PRN are no data file either
  run.infile = args[0];
  run.prtfile = args[1];
  console.write_list({"     Using input file: ", run.infile.str()});
  console.write_list({"     Using prt file: ", run.prtfile.str()});
  if (n == 3) {
    run.diffile = args[2];
    console.write_list({"     Using dif file: ", run.diffile.str()});
  }
  return true;
}

// Names and opens the print file and shows the banner on the console. The
// print file is stamped later, by stamp_print_file.
void open_print_file(RunData& run, RunFiles& files) {
  if (run.prtfile.blank()) {
    files.console.prompt("(' Enter PRN, NUL or a print file name: ')");
    read_file_name(files.keyboard, run.prtfile);
  }
  if (run.prtfile.blank()) run.prtfile = "NUL";
  refuse_same_file("print file", run.prtfile, "input data file", run.infile);
  refuse_same_file("DIF file", run.diffile, "input data file", run.infile);
  refuse_same_file("DIF file", run.diffile, "print file", run.prtfile);
  files.print = files.open_output(run.prtfile.str());

  RunDate& date = run.date;
  gettim(date.hour, date.minute, date.second, date.hundredths);
  getdat(date.year, date.month, date.day);
  write_banner(files.console);
}

// Opening leaves an existing file whole; the banner replaces it. That waits
// until the data file or the save-data file is named, checked and open, so
// a data file named at the prompt that is the print file is refused while
// it is still whole.
void stamp_print_file(const RunData& run, RunFiles& files) {
  write_banner(files.print.writer());
  write_list_heading(run.date, files.print.writer());
}

// The data input menu, shown until the answer is 1 (data file) or 2
// (keyboard).
void choose_data_input(RunData& run, RunFiles& files) {
  while (run.dataopt != 1 && run.dataopt != 2) {
    files.console.prompt(option_menu_spec);
    files.keyboard.read("(I1)", &run.dataopt);
  }
}

void name_input_file(RunData& run, RunFiles& files) {
  while (run.infile.blank()) {
    files.console.prompt(input_file_box_spec);
    read_file_name(files.keyboard, run.infile);
    files.console.write_list({"INFILE is: "});
    files.console.write_list({run.infile.padded(infile_columns)});
  }
  refuse_same_file("print file", run.prtfile, "input data file", run.infile);
}

// What the data hold that is legal but probably not meant; the reports run
// as entered. After an English file is converted: the checks take metric values.
void warn_about_data(const Problem& problem, RunFiles& files) {
  if (!files.warnings) return;
  const std::string units = input::units_warning(problem.run.units);
  if (!units.empty()) {
    *files.warnings << "warning: " << units
                    << "; the listing says ENGLISH UNITS OPTION all the same, and the reports print distances in feet, "
                       "converted from those metres\n";
  }
  const std::vector<std::string> labels = input::group_labels(problem.run);
  for (const std::string& warning : input::group_warnings(problem.inputs, labels)) {
    *files.warnings << "warning: " << warning << '\n';
  }
  // The reports keep their arithmetic: a DC pole's angle turns its phasor,
  // and a hybrid line's DC poles add to its AC phases as phasors.
  for (int i = 0; i < energized_groups(problem.inputs) && i < static_cast<int>(labels.size()); ++i) {
    if (!problem.inputs.acflag[i] && problem.inputs.phangle[i] != 0) {
      *files.warnings << "warning: " << labels[static_cast<std::size_t>(i)] << ": phase angle "
                      << input::short_number(problem.inputs.phangle[i])
                      << " degrees of a DC pole: the reports turn the pole's charge and current by it as a phasor "
                         "(a DC pole is static, its polarity the sign of its voltage); enter 0\n";
    }
  }
  if (hybrid_line(problem.inputs)) {
    *files.warnings << "warning: a hybrid line (AC phases and DC poles): the electric and magnetic field pages, "
                       "the combined report and the DIF file add the DC poles' static field to the AC field as "
                       "phasors at the poles' phase angles; tesk31-study gives the two fields apart "
                       "(tesk31-study compare FILE --quantity E-AC,E-DC,B-AC,B-DC)\n";
  }
  files.warnings->flush();
}

void finish_run(InputOutcome outcome, Problem& problem, RunFiles& files) {
  if (outcome == InputOutcome::complete) {
    convert_to_metric(problem.inputs, problem.run);
    warn_about_data(problem, files);
    run_sequence(problem, files);
  }
  close_run(files);
  if (outcome != InputOutcome::complete) {
    throw RunRefused("file " + problem.run.infile.str() + ": " + input::refusal(problem, outcome));
  }
}

// localtime_r (localtime_s on Windows), not localtime: runs on several
// threads at once each take their own date.
const std::tm* local_time(const std::time_t& when, std::tm& parts) {
#ifdef _WIN32
  return localtime_s(&parts, &when) == 0 ? &parts : nullptr;
#else
  return localtime_r(&when, &parts);
#endif
}

}  // namespace

void getdat(integer& year, integer& month, integer& day) {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  const std::tm* local = local_time(now, parts);
  year = static_cast<integer>(local ? local->tm_year + 1900 : 0);
  month = static_cast<integer>(local ? local->tm_mon + 1 : 0);
  day = static_cast<integer>(local ? local->tm_mday : 0);
}

void gettim(integer& hour, integer& minute, integer& second, integer& hundredths) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm parts{};
  const std::tm* local = local_time(seconds, parts);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  hour = static_cast<integer>(local ? local->tm_hour : 0);
  minute = static_cast<integer>(local ? local->tm_min : 0);
  second = static_cast<integer>(local ? local->tm_sec : 0);
  hundredths = static_cast<integer>(millis / 10);
}

void write_banner(record::Writer& out) { out.write(banner_spec, {version}); }

void write_list_heading(const RunDate& date, record::Writer& print) {
  print.write("(//,32X,'INPUT DATA LIST',//)");
  print.write("(17X,2(I2,'/'),I4,10X,2(I2.2,':'),I2.2)",
              {date.month, date.day, date.year, date.hour, date.minute, date.second});
}

void run_data_file(Problem& problem, RunFiles& files) { finish_run(read_data_file(problem, files), problem, files); }

int run_tesk31(const std::vector<std::string>& args, std::istream& console_in, record::Writer& console_out,
               std::ostream& errors) {
  Problem problem;
  set_initial_values(problem);
  RunData& run = problem.run;

  console_out.write_list({"Brenlow Program v3.1: ", "Tarnwick"});
  if (!take_arguments(args, run, console_out)) return 0;

  record::Reader keyboard = record::Reader::console(console_in, &console_out);
  RunFiles files(console_out, keyboard);
  files.warnings = &errors;
  open_print_file(run, files);

  if (run.infile.blank()) choose_data_input(run, files);
  run.savefile = FileName();
  if (run.dataopt == 1) name_input_file(run, files);

  if (!run.infile.blank()) {
    files.data = record::Reader::file(run.infile.str());
    stamp_print_file(run, files);
    run_data_file(problem, files);
    return 0;
  }

  files.console.prompt(keyboard_box_spec);
  read_file_name(files.keyboard, run.savefile);
  if (!run.savefile.blank()) {
    refuse_same_file("save-data file", run.savefile, "print file", run.prtfile);
    files.save = files.open_output(run.savefile.str());
  }
  stamp_print_file(run, files);
  finish_run(read_keyboard_data(problem, files), problem, files);
  return 0;
}

int failure_status(std::ostream& errors) {
  try {
    throw;
  } catch (const record::ReadError& failure) {
    if (!failure.context().empty()) errors << "reading " << failure.context() << '\n';
    errors << failure.where() << '\n' << failure.what() << '\n';
  } catch (const record::FileError& failure) {
    errors << failure.what() << '\n';
  } catch (const RunRefused& failure) {
    errors << failure.what() << '\n';
  } catch (const std::exception& failure) {
    errors << "internal error: " << failure.what() << '\n';
  }
  errors.flush();
  return 2;
}

int run_program(const std::vector<std::string>& args, std::istream& console_in, record::Writer& console_out,
                std::ostream& errors) {
  try {
    return run_tesk31(args, console_in, console_out, errors);
  } catch (...) {
    console_out.flush();
    return failure_status(errors);
  }
}

}  // namespace driver
