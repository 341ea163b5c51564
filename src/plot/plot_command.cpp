#include "plot/plot_command.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "plot/csv_table.hpp"
#include "plot/profile.hpp"
#include "plot/svg_plot.hpp"
#include "svg/number.hpp"

namespace plot {

namespace {

namespace fs = std::filesystem;

const char* const usage =
    "usage: tesk31-plot RUN.dif [-o FILE.svg] [--title TEXT] [--feet] [--edge X]... [--csv FILE.csv]\n"
    "  Draws the lateral profile in a DIF file written by tesk31 as one SVG picture,\n"
    "  by default RUN.svg beside the input.\n"
    "  -o FILE.svg     write the picture to FILE.svg\n"
    "  --title TEXT    title of the picture (default: the input file's name)\n"
    "  --feet          label distances in feet (the table of a run in English units)\n"
    "  --edge X        mark a right-of-way edge at distance X and label the values\n"
    "                  there; may be given more than once\n"
    "  --csv FILE.csv  write the table as CSV; without -o no picture is drawn\n"
    "  -h, --help      show this text\n";

struct Options {
  std::string input;
  std::optional<std::string> svg;
  std::optional<std::string> csv;
  PlotOptions plot;
};

struct UsageError {
  std::string message;
};

std::optional<double> parse_distance(const std::string& text) {
  std::string_view s = text;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

Options parse(const std::vector<std::string>& args) {
  Options options;
  bool have_title = false;
  bool only_names = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_names || arg.size() < 2 || arg[0] != '-') {
      if (!options.input.empty()) throw UsageError{"more than one input file: " + options.input + ", " + arg};
      options.input = arg;
      continue;
    }
    if (arg == "--") {
      only_names = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    auto take = [&]() -> std::string {
      if (value) return *value;
      if (i + 1 >= args.size()) throw UsageError{name + " needs a value"};
      return args[++i];
    };
    if (name == "-o" || name == "--output") {
      options.svg = take();
    } else if (name == "--csv") {
      options.csv = take();
    } else if (name == "--title") {
      options.plot.title = take();
      have_title = true;
    } else if (name == "--edge") {
      std::string text = take();
      std::optional<double> x = parse_distance(text);
      if (!x) throw UsageError{"--edge needs a distance, not \"" + text + "\""};
      options.plot.edges.push_back(*x);
    } else if (name == "--feet" && !value) {
      options.plot.feet = true;
    } else {
      throw UsageError{"unknown option " + arg};
    }
  }
  if (options.input.empty()) throw UsageError{"no DIF file named"};
  if (!options.svg && !options.csv) options.svg = default_output(options.input);
  if (options.svg && options.svg->empty()) throw UsageError{"-o needs a file name"};
  if (options.csv && options.csv->empty()) throw UsageError{"--csv needs a file name"};
  if (!have_title) options.plot.title = "Lateral profile: " + fs::path(options.input).filename().string();
  return options;
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  fs::path pa = fs::weakly_canonical(fs::absolute(a, ec), ec);
  fs::path pb = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return pa == pb;
}

// Writes the whole text, or returns why it could not.
std::optional<std::string> write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return std::string(errno ? std::strerror(errno) : "cannot create");
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) return std::string(errno ? std::strerror(errno) : "write failed");
  return std::nullopt;
}

}  // namespace

std::string default_output(const std::string& input) {
  fs::path path(input);
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".dif") return path.replace_extension(".svg").string();
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
  if (options.csv) drawing.csv = write_csv(profile, options.plot.feet);
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
    if (options.svg && options.csv && same_file(*options.svg, *options.csv))
      throw UsageError{"the picture and the CSV table cannot both go to " + *options.csv};
  } catch (const UsageError& e) {
    err << "tesk31-plot: " << e.message << '\n' << usage;
    return 2;
  }
  for (const std::optional<std::string>& target : {options.svg, options.csv})
    if (target && same_file(*target, options.input)) {
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
