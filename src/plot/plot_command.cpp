#include "plot/plot_command.hpp"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cli/files.hpp"
#include "cli/numbers.hpp"
#include "cli/options.hpp"
#include "engine/engine.hpp"
#include "format/file_system.hpp"
#include "plot/csv_table.hpp"
#include "plot/profile.hpp"
#include "plot/run_listing.hpp"
#include "plot/svg_plot.hpp"
#include "svg/number.hpp"

namespace plot {

namespace {

namespace fs = std::filesystem;

const char* const usage =
    "usage: tesk31-plot RUN.dif [-o FILE.svg] [--title TEXT] [--feet | --metres] [--b-unit uT|mG|G]\n"
    "                   [--edge X]... [--csv FILE.csv]\n"
    "  Draws the lateral profile in a DIF file written by tesk31 as one SVG picture,\n"
    "  by default RUN.svg beside the input. The run's print file beside it (RUN.prt)\n"
    "  gives the line's title and the units of its data file.\n"
    "  -o FILE.svg     write the picture to FILE.svg\n"
    "  --title TEXT    title of the picture (default: the line's title from the print\n"
    "                  file, else the input file's name)\n"
    "  --feet, --metres  draw the distances in feet or metres, converted from the\n"
    "                  units the print file names (without a print file: the units\n"
    "                  the table holds; default: the print file's units, else\n"
    "                  \"units of the data file\")\n"
    "  --b-unit U      B in uT, mG or G (default: uT for a metric run, mG for an\n"
    "                  English one; the DIF file holds gauss)\n"
    "  --edge X        mark a right-of-way edge at distance X and label the values\n"
    "                  there; may be given more than once\n"
    "  --csv FILE.csv  write the table as CSV; without -o no picture is drawn\n"
    "  -h, --help      show this text\n";

struct Options {
  std::string input;
  std::optional<std::string> svg;
  std::optional<std::string> csv;
  PlotOptions plot;
  // As given on the command line; settle() fills in the rest.
  bool have_title = false;
  std::optional<std::string> distance_unit;
  std::optional<cli::BUnit> b_unit;
  // The table's distances converted to the unit drawn: a run in feet drawn
  // in metres, or one in metres drawn in feet.
  enum class Conversion { none, feet_to_metres, metres_to_feet } conversion = Conversion::none;
};

struct UsageError {
  std::string message;
};

Options parse(const std::vector<std::string>& args) {
  Options options;
  cli::Scanner scanner(args, {"-o", "--output", "--csv", "--title", "--edge", "--b-unit"}, {"--feet", "--metres"});
  try {
    while (std::optional<cli::Item> item = scanner.next()) {
      const std::string& name = item->name;
      if (item->file) {
        if (!options.input.empty()) throw UsageError{"more than one input file: " + options.input + ", " + name};
        options.input = name;
      } else if (name == "-o" || name == "--output") {
        options.svg = item->value;
      } else if (name == "--csv") {
        options.csv = item->value;
      } else if (name == "--title") {
        options.plot.title = item->value;
        options.have_title = true;
      } else if (name == "--edge") {
        std::optional<double> x = cli::parse_real(item->value);
        if (!x) throw UsageError{"--edge needs a distance, not \"" + item->value + "\""};
        options.plot.edges.push_back(*x);
      } else if (name == "--b-unit") {
        options.b_unit = cli::parse_b_unit(item->value);
        if (!options.b_unit) throw UsageError{"--b-unit needs uT, mG or G, not \"" + item->value + "\""};
      } else {
        const std::string unit = name == "--feet" ? "ft" : "m";
        if (options.distance_unit && *options.distance_unit != unit)
          throw UsageError{"--feet and --metres cannot both hold"};
        options.distance_unit = unit;
      }
    }
  } catch (const cli::UsageError& e) {
    throw UsageError{e.kind == cli::UsageError::Kind::unknown_option ? "unknown option " + e.word : e.what()};
  }
  if (options.input.empty()) throw UsageError{"no DIF file named"};
  if (!options.svg && !options.csv) options.svg = default_output(options.input);
  if (options.svg && options.svg->empty()) throw UsageError{"-o needs a file name"};
  if (options.csv && options.csv->empty()) throw UsageError{"--csv needs a file name"};
  return options;
}

// The title and units the command line left open, from the run's print
// file when one lies beside the table: it says what the table cannot.
void settle(Options& options, const std::optional<RunListing>& listing) {
  if (!options.have_title)
    options.plot.title = listing && !listing->title.empty()
                             ? listing->title
                             : "Lateral profile: " + record::name_of(record::file_path(options.input).filename());
  const std::string table_unit = listing ? (listing->english ? "ft" : "m") : "";
  options.plot.distance_unit = options.distance_unit.value_or(table_unit);
  if (table_unit == "ft" && options.plot.distance_unit == "m") options.conversion = Options::Conversion::feet_to_metres;
  if (table_unit == "m" && options.plot.distance_unit == "ft") options.conversion = Options::Conversion::metres_to_feet;
  options.plot.b_unit =
      options.b_unit ? *options.b_unit : cli::default_b_unit(options.plot.distance_unit == "ft");
}

// Writes the whole text, or returns why it could not.
std::optional<std::string> write_file(const std::string& path, const std::string& text) {
  std::ofstream out;
  try {
    out = record::output_stream(path);
  } catch (const record::FileError& e) {
    return std::string(e.what());
  }
  if (!out) return std::string(errno ? std::strerror(errno) : "cannot create");
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) return std::string(errno ? std::strerror(errno) : "write failed");
  return std::nullopt;
}

}  // namespace

std::string default_output(const std::string& input) {
  fs::path path = record::file_path(input);
  std::string ext = record::name_of(path.extension());
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".dif") return record::name_of(path.replace_extension(".svg"));
  return input + ".svg";
}

namespace {

// The picture and the table the options ask for, from a profile already
// read; a message and status 2 when they cannot be drawn.
int render(const Options& options, const Profile& profile, Drawing& drawing) {
  // The points' distances are floats and always fit; only edges far out
  // can make the span overflow.
  if (!distance_axis_fits(profile, options.plot)) {
    auto [lo, hi] = distance_extent(profile, options.plot);
    drawing.errors = "tesk31-plot: --edge: the distance axis from " + svg::fixed(lo, 1) + " to " +
                     svg::fixed(hi, 1) + " is too wide to draw\n";
    return drawing.status = 2;
  }
  if (options.svg) drawing.svg = render_svg(profile, options.plot);
  if (options.csv) drawing.csv = write_csv(profile, options.plot.distance_unit, options.plot.b_unit);
  return drawing.status = 0;
}

}  // namespace

Drawing draw_in_memory(const std::vector<std::string>& args, const std::string& dif_text) {
  Drawing drawing;
  for (const std::string& arg : args)
    if (arg == "-h" || arg == "--help") return drawing;
  Options options;
  try {
    options = parse(args);
    settle(options, std::nullopt);
  } catch (const UsageError& e) {
    drawing.errors = "tesk31-plot: " + e.message + '\n' + usage;
    drawing.status = 2;
    return drawing;
  }
  Profile profile;
  try {
    std::istringstream in(dif_text);
    profile = read_dif(in, options.input);
  } catch (const InputError& e) {
    drawing.errors = std::string("tesk31-plot: ") + e.what() + '\n';
    drawing.status = 2;
    return drawing;
  }
  render(options, profile, drawing);
  return drawing;
}

int run_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const std::string& arg : args)
    if (arg == "-h" || arg == "--help") {
      out << usage;
      return 0;
    }
  Options options;
  try {
    options = parse(args);
    settle(options, listing_beside(options.input));
    if (options.svg && options.csv && cli::same_file(*options.svg, *options.csv))
      throw UsageError{"the picture and the CSV table cannot both go to " + *options.csv};
  } catch (const UsageError& e) {
    err << "tesk31-plot: " << e.message << '\n' << usage;
    return 2;
  }
  try {
    for (const std::optional<std::string>& name : {std::optional<std::string>(options.input), options.svg, options.csv})
      if (name) record::refuse_device_name(*name);
  } catch (const record::FileError& e) {
    err << "tesk31-plot: " << e.what() << '\n';
    return 2;
  }
  for (const std::optional<std::string>& target : {options.svg, options.csv})
    if (target && cli::same_file(*target, options.input)) {
      err << "tesk31-plot: " << *target << ": will not overwrite the input file\n";
      return 2;
    }

  Profile profile;
  try {
    profile = read_dif_file(options.input);
  } catch (const InputError& e) {
    err << "tesk31-plot: " << e.what() << '\n';
    return 2;
  }
  // 0.3048 m to the foot, in single precision as the data file's reader converts.
  for (Row& row : profile.rows) {
    if (options.conversion == Options::Conversion::feet_to_metres) row[distance] *= 0.3048f;
    if (options.conversion == Options::Conversion::metres_to_feet) row[distance] /= 0.3048f;
  }
  if (ozone_without_wind(profile))
    err << "tesk31-plot: " << options.input
        << ": ozone is not a number downwind and 0 elsewhere, as a run without wind leaves it (" << brenlow::no_wind_note
        << ")\n";
  Drawing drawing;
  if (render(options, profile, drawing) != 0) {
    err << drawing.errors;
    return drawing.status;
  }

  struct Output {
    const std::optional<std::string>& path;
    const std::optional<std::string>& text;
  };
  for (const Output& o : {Output{options.svg, drawing.svg}, Output{options.csv, drawing.csv}}) {
    if (!o.path) continue;
    errno = 0;
    if (std::optional<std::string> why = write_file(*o.path, *o.text)) {
      err << "tesk31-plot: " << *o.path << ": cannot write (" << *why << ")\n";
      return 2;
    }
    out << "tesk31-plot: wrote " << *o.path << '\n';
  }
  return 0;
}

}  // namespace plot
